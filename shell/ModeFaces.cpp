#include "shell/ModeFaces.h"

#include "resources/BuiltinPictures.h"

namespace hop::shell {

const std::vector<ModeFace>& modeFaces()
{
    using modes::Mode;
    static const std::vector<ModeFace> faces{
        {Mode::BoardA, boardALayout, "Command1"},
        {Mode::BoardB, boardBLayout, "Command2", resources::boardBBackground},
        {Mode::Stages, stagesLayout, "Command3"},
    };
    return faces;
}

const ModeFace& faceOf(modes::Mode mode)
{
    for (const ModeFace& face : modeFaces())
        if (face.mode == mode)
            return face;
    return modeFaces().front();
}

QString spokenNameOf(modes::Mode mode)
{
    const QLatin1String button(faceOf(mode).menuButton);
    for (const ControlEntry& entry : menuLayout().controls)
        if (entry.name == button)
            return entry.text;
    return {};
}

} // namespace hop::shell

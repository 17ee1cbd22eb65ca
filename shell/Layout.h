// The description of a screen as data: window properties and an ordered list of controls.
#pragma once

#include "modes/ScreenPort.h"

#include <QColor>
#include <QString>

#include <optional>
#include <variant>
#include <vector>

namespace hop::shell {

enum class ControlKind { Label, Button, TextBox, Picture, PictureBox, Panel, Timer };
enum class Frame { None, Fixed, FixedTool };
enum class Align { Left, Right, Center };

struct FontStyle {
    double points = 9.0;
    bool bold = false;
    bool underline = false;
    bool operator==(const FontStyle&) const = default;
};

// What the game writes into a control, if anything: the control's part in the game.
using GameRole = std::variant<std::monostate, modes::Readout, modes::Button, modes::Overlay, modes::TimerId>;

// Rectangles are in twips relative to the window's client area (or the containing panel).
struct ControlEntry {
    QString name{};
    ControlKind kind = ControlKind::Label;
    QString text{};
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int tab = -1;                       // -1: no tab position
    std::optional<FontStyle> font{};     // none: the window's base font
    std::optional<QColor> foreground{};
    std::optional<QColor> background{};
    Align align = Align::Left;
    bool visible = true;
    bool enabled = true;
    bool wrap = false;
    bool tabStop = true;
    bool defaultButton = false;
    bool stretch = false;               // pictures: stretch to the rectangle
    GameRole role{};
    // A caption: the readout to its right that it names, read with it.
    std::optional<modes::Readout> captionOf{};
    std::vector<ControlEntry> children{};  // panels
};

struct ScreenLayout {
    QString name{};
    QString caption{};
    Frame frame = Frame::Fixed;
    bool minimizeButton = false;
    bool programIcon = false;
    int clientWidth = 0;   // twips
    int clientHeight = 0;  // twips
    std::optional<QColor> background{};  // none: the platform's dialog face
    FontStyle baseFont{};
    std::vector<ControlEntry> controls{};
};

inline constexpr int kTwipsPerPixel = 15;
int twipsToPixels(int twips);

// The screens, exactly as designed.
const ScreenLayout& titleLayout();
const ScreenLayout& menuLayout();
const ScreenLayout& versionLayout();
const ScreenLayout& boardALayout();
const ScreenLayout& boardBLayout();
const ScreenLayout& stagesLayout();

} // namespace hop::shell

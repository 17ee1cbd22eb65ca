#include "shell/BoardVoice.h"

#include "board/BoardLayout.h"
#include "shell/PictureCell.h"
#include "shell/PlayScreen.h"

#include <QLabel>
#include <QStringList>

namespace hop::shell {

using modes::Readout;

namespace {

// Each number stands to the right of its caption.
const char* captionOf(Readout readout)
{
    switch (readout) {
    case Readout::PiecesLeft: return "Label5";
    case Readout::TimeLeft: return "Label4";
    case Readout::StageNumber: return "Label6";
    default: return nullptr;
    }
}

} // namespace

BoardVoice::BoardVoice(PlayScreen& screen) : screen_(screen), announcement_(&screen)
{
    for (Readout r : {Readout::PiecesLeft, Readout::TimeLeft, Readout::StageNumber})
        if (auto* caption = screen_.control<QLabel>(QLatin1String(captionOf(r))))
            keepFromScreenReaders(caption);
}

QString BoardVoice::holeName(int k) const
{
    const QString holds = screen_.game().board().hole(k) == 1 ? QStringLiteral("駒あり") : QStringLiteral("空き");
    const QString name = QStringLiteral("穴 %1：%2").arg(k).arg(holds);
    switch (screen_.hole(k)->hint()) {
    case PictureCell::Hint::Held: return name + QStringLiteral("、持ち上げています");
    case PictureCell::Hint::Target: return name + QStringLiteral("、ここへ跳べます");
    case PictureCell::Hint::None: break;
    }
    return name;
}

void BoardVoice::pressHole(int k)
{
    screen_.keys().activate(k);
}

void BoardVoice::pickedUp(int k, const std::vector<int>& reachable)
{
    QStringList holes;
    for (int t : reachable)
        holes << QString::number(t);
    announcement_.say(holes.isEmpty()
                           ? QStringLiteral("穴 %1 の駒を持ち上げました。跳べる穴はありません").arg(k)
                           : QStringLiteral("穴 %1 の駒を持ち上げました。跳べる穴：%2").arg(k).arg(holes.join(QStringLiteral("、"))));
}

void BoardVoice::putBack(int k)
{
    announcement_.say(QStringLiteral("穴 %1 に駒を戻しました").arg(k));
}

void BoardVoice::jumped(const board::JumpEntry& jump, int to, int piecesLeft)
{
    announcement_.say(QStringLiteral("%1 から %2 へ、%3 を跳び越えました。残り駒数：%4")
                           .arg(jump.from)
                           .arg(to)
                           .arg(jump.over)
                           .arg(piecesLeft));
}

void BoardVoice::forget()
{
    announcement_.forget();
}

const QString& BoardVoice::lastSaid() const
{
    return announcement_.words();
}

void BoardVoice::readoutShown(Readout readout)
{
    const char* caption = captionOf(readout);
    if (!caption)
        return;
    QLabel* label = screen_.controls().readout(readout);
    if (auto* c = screen_.control<QLabel>(QLatin1String(caption)); c && label)
        label->setAccessibleName(c->text() + label->text());
}

void BoardVoice::holeStateShown(int k)
{
    if (PictureCell* cell = screen_.hole(k))
        cell->nameChanged();
}

} // namespace hop::shell

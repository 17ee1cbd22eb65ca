#include "shell/BoardVoice.h"

#include "modes/PlayMode.h"
#include "shell/GameControls.h"
#include "shell/PictureCell.h"

#include <QLabel>
#include <QStringList>

#include <algorithm>
#include <utility>

namespace hop::shell {

using modes::Readout;

BoardVoice::BoardVoice(QWidget& screen, const modes::PlayMode& game, const std::vector<PictureCell*>& holes,
                       const GameControls& controls, std::function<void(int)> press)
    : game_(game), holes_(holes), controls_(controls), press_(std::move(press)), announcement_(&screen)
{
    for (const auto& [readout, caption] : controls_.captions())
        if (caption)
            keepFromScreenReaders(caption);
}

bool BoardVoice::pieceUp() const
{
    return std::any_of(holes_.begin(), holes_.end(), [](const PictureCell* cell) { return cell->hint() == PictureCell::Hint::Held; });
}

// What matters first and in few words, since the next key cuts a screen reader short; in
// kana, which every synthesiser reads as words (espeak-ng, Debian's, names a kanji as a
// "Chinese letter").
QString BoardVoice::holeName(int k) const
{
    const QString number = QString::number(k);
    switch (holes_[size_t(k - 1)]->hint()) {
    case PictureCell::Hint::Held: return number + QStringLiteral(" もちあげちゅう");
    case PictureCell::Hint::Target: return number + QStringLiteral(" ここへ");
    case PictureCell::Hint::None: break;
    }
    if (game_.board().hole(k) != 1)
        return number + QStringLiteral(" あき");
    // With no piece up, a piece that can jump says so.
    return number + (!pieceUp() && !game_.targetsOf(k).empty() ? QStringLiteral(" こま とべる") : QStringLiteral(" こま"));
}

void BoardVoice::pressHole(int k)
{
    press_(k);
}

void BoardVoice::pickedUp(const std::vector<int>& reachable)
{
    QStringList holes;
    for (int t : reachable)
        holes << QString::number(t);
    // The player heard which piece the mark is on: the pick-up itself comes first.
    announcement_.say(holes.isEmpty() ? QStringLiteral("もちあげ。とびさき なし")
                                      : QStringLiteral("もちあげ。とびさき %1").arg(holes.join(QStringLiteral("、"))));
}

void BoardVoice::putBack(int k)
{
    announcement_.say(QStringLiteral("%1 に もどしました").arg(k));
}

void BoardVoice::jumped(int from, int over, int to, int piecesLeft)
{
    // The count first: it alone tells that the jump was made.
    announcement_.say(QStringLiteral("のこり %4。%1 から %2 へ、%3 を とびこえました").arg(from).arg(to).arg(over).arg(piecesLeft));
}

void BoardVoice::sayHole(int k)
{
    announcement_.say(holeName(k));
}

void BoardVoice::nothingToReach(bool pieceUp)
{
    announcement_.say(pieceUp ? QStringLiteral("とびさき なし") : QStringLiteral("とべる こま なし"));
}

void BoardVoice::tellState()
{
    QString words = QStringLiteral("のこり %1 びょう、こま %2").arg(game_.timeLeft()).arg(game_.board().count());
    if (const int stage = game_.stageNumber())
        words += QStringLiteral("、ステージ %1").arg(stage);
    announcement_.say(words);
}

void BoardVoice::ready(int stage)
{
    refreshNames();
    announcement_.say(stage ? QStringLiteral("ステージ %1 かいし").arg(stage) : QStringLiteral("かいし"));
}

void BoardVoice::forget()
{
    announcement_.forget();
}

void BoardVoice::readoutShown(Readout readout)
{
    QLabel* label = controls_.readout(readout);
    if (QLabel* caption = controls_.caption(readout); caption && label)
        label->setAccessibleName(caption->text() + label->text());
}

void BoardVoice::holeStateShown(int)
{
    refreshNames();
}

void BoardVoice::refreshNames()
{
    for (int k = 1; k <= int(holes_.size()); ++k) {
        PictureCell* cell = holes_[size_t(k - 1)];
        const QString name = holeName(k);
        if (told_.size() < size_t(k))
            told_.resize(size_t(k));
        if (told_[size_t(k - 1)] != name) {
            told_[size_t(k - 1)] = name;
            cell->nameChanged();
        }
    }
}

} // namespace hop::shell

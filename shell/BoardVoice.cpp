#include "shell/BoardVoice.h"

#include "board/BoardLayout.h"
#include "shell/PictureCell.h"
#include "shell/PlayScreen.h"

#include <QLabel>
#include <QStringList>

namespace hop::shell {

using modes::Readout;

BoardVoice::BoardVoice(PlayScreen& screen) : screen_(screen), announcement_(&screen)
{
    for (const ControlEntry& entry : screen_.layout().controls)
        if (entry.captionOf)
            if (auto* caption = screen_.control<QLabel>(entry.name))
                keepFromScreenReaders(caption);
}

QLabel* BoardVoice::captionOf(Readout readout) const
{
    for (const ControlEntry& entry : screen_.layout().controls)
        if (entry.captionOf == readout)
            return screen_.control<QLabel>(entry.name);
    return nullptr;
}

// What matters first and in few words, since the next key cuts a screen reader short; in
// kana, which every synthesiser reads as words (espeak-ng, Debian's, names a kanji as a
// "Chinese letter").
QString BoardVoice::holeName(int k) const
{
    const modes::PlayMode& game = screen_.game();
    const QString number = QString::number(k);
    switch (screen_.hole(k)->hint()) {
    case PictureCell::Hint::Held: return number + QStringLiteral(" もちあげちゅう");
    case PictureCell::Hint::Target: return number + QStringLiteral(" ここへ");
    case PictureCell::Hint::None: break;
    }
    if (game.board().hole(k) != 1)
        return number + QStringLiteral(" あき");
    // With no piece up, a piece that can jump says so.
    return number + (!screen_.keys().held() && !game.targetsOf(k).empty() ? QStringLiteral(" こま とべる")
                                                                            : QStringLiteral(" こま"));
}

void BoardVoice::pressHole(int k)
{
    screen_.keys().activate(k);
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

void BoardVoice::jumped(const board::JumpEntry& jump, int to, int piecesLeft)
{
    // The count first: it alone tells that the jump was made.
    announcement_.say(QStringLiteral("のこり %4。%1 から %2 へ、%3 を とびこえました")
                           .arg(jump.from)
                           .arg(to)
                           .arg(jump.over)
                           .arg(piecesLeft));
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
    const modes::PlayMode& game = screen_.game();
    QString words = QStringLiteral("のこり %1 びょう、こま %2").arg(game.timeLeft()).arg(game.board().count());
    if (const int stage = game.stageNumber())
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

const QString& BoardVoice::lastSaid() const
{
    return announcement_.words();
}

void BoardVoice::readoutShown(Readout readout)
{
    QLabel* label = screen_.controls().readout(readout);
    if (QLabel* caption = captionOf(readout); caption && label)
        label->setAccessibleName(caption->text() + label->text());
}

void BoardVoice::holeStateShown(int)
{
    refreshNames();
}

void BoardVoice::refreshNames()
{
    for (int k = 1; PictureCell* cell = screen_.hole(k); ++k) {
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

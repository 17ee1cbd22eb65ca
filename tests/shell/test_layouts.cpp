// The screens as the player finds them: fixed and centred; every text whole
// inside its control, every control the game writes there, and the keyboard where it should be.
#include "tests/shell/ShellFixture.h"

#include "modes/Texts.h"
#include "shell/FitLabel.h"

#include <QAccessible>
#include <QApplication>
#include <QStyleOptionButton>
#include <QTextLayout>

using namespace hop;
using namespace hop::test;
using shell::ControlEntry;

namespace {

QPoint centreIn(QWidget* window, QWidget* w) { return w->mapTo(window, w->rect().center()); }

} // namespace

TEST_F(ShellTest, EachScreenOpensCentredAndCannotBeResized)
{
    int n = 0;
    everyScreen([&](shell::Screen* s) {
        ++n;
        SCOPED_TRACE(s->objectName().toStdString());
        EXPECT_EQ(s->minimumSize(), s->maximumSize()) << "the frame cannot be resized";
        EXPECT_FALSE(s->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        // Centred on the screen; the version window stands 20 pixels higher.
        const QRect area = s->screen()->geometry();
        const QPoint offCentre = 2 * s->geometry().center() - 2 * area.center() + QPoint(0, s == shell->version() ? 40 : 0);
        EXPECT_LE(offCentre.manhattanLength(), 4) << offCentre.x() << "," << offCentre.y();
    });
    EXPECT_EQ(n, 6);
}

TEST_F(ShellTest, EveryControlStandsInsideItsWindowShowsItsWholeTextHasItsOwnTabPositionAndIsThereForTheGame)
{
    everyScreen([&](shell::Screen* s) {
        const shell::ScreenLayout& l = s->layout();
        SCOPED_TRACE(l.name.toStdString());
        std::set<int> tabs;
        for (const ControlEntry& entry : l.controls) {
            std::vector<const ControlEntry*> all{&entry};
            for (const ControlEntry& child : entry.children)
                all.push_back(&child);
            for (const ControlEntry* c : all)
                EXPECT_TRUE(c->tab < 0 || tabs.insert(c->tab).second) << c->name.toStdString() << ": tab position used twice";
        }
        for (QTimer* t : s->findChildren<QTimer*>())
            EXPECT_FALSE(t->isActive() && !t->objectName().isEmpty()) << t->objectName().toStdString() << " runs before START";
        for (QWidget* w : s->findChildren<QWidget*>()) {
            const std::string name = w->objectName().toStdString();
            if (!w->isVisibleTo(s) || name.empty())
                continue;
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << name << " sticks out";
            for (QWidget* other : w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                EXPECT_TRUE(!qobject_cast<QPushButton*>(w) || other == w || !other->isVisibleTo(s) ||
                            other->objectName().isEmpty() || !w->geometry().intersects(other->geometry()))
                    << name << " and " << other->objectName().toStdString() << " overlap: nothing covers a button";
            if (auto* label = qobject_cast<QLabel*>(w)) {
                EXPECT_EQ(label->focusPolicy(), Qt::NoFocus) << name;
                if (label->text().isEmpty())
                    continue;
                // Set in the real font at the label's width, the text stays wholly inside it:
                // a stand-in font must not cost the player a line or a letter.
                auto* fit = static_cast<shell::FitLabel*>(label);
                QFont font = label->font();
                font.setStretch(fit->fittingStretch());
                const QFontMetricsF metrics(font, label);
                const qreal step = shell::FitLabel::lineStep(metrics, font);
                const QRect area = label->contentsRect();
                QTextLayout text(label->text(), font, label);
                if (label->wordWrap()) {
                    EXPECT_LE(shell::FitLabel::layOutWrapped(text, area.width(), step), area.height()) << name;
                } else {
                    EXPECT_LE(metrics.horizontalAdvance(label->text()), area.width()) << name;
                    EXPECT_LE(step, area.height()) << name;
                }
            } else if (auto* button = qobject_cast<QPushButton*>(w)) {
                QStyleOptionButton option;
                option.initFrom(button);
                const QRect area = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
                EXPECT_LE(QFontMetricsF(button->font()).horizontalAdvance(button->text()), area.width()) << name;
            }
        }
        auto* screen = qobject_cast<shell::PlayScreen*>(s);
        if (!screen)
            return;
        // Every hole cell waits for START.
        const int holes = screen->game().board().holeCount();
        QRegion covered;
        for (int k = 1; k <= holes; ++k) {
            const QRect cell = screen->hole(k)->geometry();
            EXPECT_FALSE(covered.intersects(cell)) << "hole cell " << k << " overlaps another";
            covered += cell;
            EXPECT_FALSE(screen->hole(k)->isVisibleTo(screen)) << "hole cell " << k << " waits for START";
            EXPECT_EQ(screen->hole(k)->hasPicture(), screen->game().board().hole(k) == 1) << k;
        }
        EXPECT_FALSE(screen->hole(holes + 1));
        // Each hole cell sits where the board's lines cross in the picture behind it (a
        // player's own picture is drawn for these places), and midway along each jump.
        const QImage board = screen->grab().toImage();
        auto centre = [&](int k) { return QPointF(screen->hole(k)->geometry().center()); };
        for (int k = 1; k <= holes; ++k) {
            int red = 0;  // within a pixel of its middle
            for (int d = 0; d < 9; ++d)
                red += board.pixel(centre(k).toPoint() + QPoint(d % 3 - 1, d / 3 - 1)) == qRgb(255, 0, 0);
            EXPECT_GE(red, 1) << "hole " << k << " is off the board's lines";
        }
        for (const board::JumpLine& j : screen->game().board().layout().lines()) {
            const QPointF along = centre(j.to) - centre(j.from), to = centre(j.over) - centre(j.from);
            const qreal offLine = std::abs(along.x() * to.y() - along.y() * to.x()) / std::hypot(along.x(), along.y());
            EXPECT_TRUE(offLine <= 1 && QPointF::dotProduct(along, to) > 0 && QPointF::dotProduct(along, along - to) > 0)
                << j.over << " is not in line between " << j.from << " and " << j.to;
        }
    });
}

TEST_F(ShellTest, CountsEndAtTheRightEdgeAndThePanelCoversTheBoard)
{
    // The last inked column of a label, drawn on its own white background.
    auto inkEnd = [](QLabel* label) {
        const QImage image = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int x = image.width() - 1; x >= 0; --x)
            for (int y = 0; y < image.height(); ++y)
                if (qGray(image.pixel(x, y)) < 128)
                    return int(x / image.devicePixelRatio());
        return -1;
    };
    toMenu();
    shell::PlayScreen* screen = openFromMenu("Command3");
    ASSERT_TRUE(screen);
    for (Readout r : {Readout::PiecesLeft, Readout::TimeLeft}) {
        QLabel* label = screen->controls().readout(r);
        screen->showReadout(r, 9);
        const int nine = inkEnd(label);
        screen->showReadout(r, 120);
        EXPECT_NEAR(nine, inkEnd(label), 2) << "\"9\" and \"120\" end together";
        EXPECT_GE(nine, label->width() - 5) << "at the label's right edge";
    }

    startAndReveal(screen);
    QWidget* stage = screen->controls().readout(Readout::StageNumber);
    QWidget* marker = screen->controls().overlay(Overlay::RetestMarker);
    QWidget* panel = screen->controls().overlay(Overlay::RoulettePanel);
    screen->showOverlay(Overlay::RetestMarker, true);
    EXPECT_EQ(screen->childAt(centreIn(screen, stage)), marker) << "the marker covers the stage number";
    EXPECT_EQ(static_cast<QLabel*>(marker)->text(), "8") << "with the re-test's stage";
    // Showing cells and labels again while the panel is up must not bring them over it.
    screen->showOverlay(Overlay::RoulettePanel, true);
    for (int k = 1; k <= 21; ++k) {
        screen->showHole(k, false);
        screen->showHole(k, true);
    }
    screen->showOverlay(Overlay::RetestMarker, false);
    screen->showOverlay(Overlay::RetestMarker, true);
    std::vector<QPoint> points;
    for (int k = 1; k <= 21; ++k)
        points.push_back(centreOf(screen, k));
    for (QWidget* w : screen->findChildren<QWidget*>())
        if (w->parentWidget() == screen && w != panel && w->isVisible())
            points.push_back(centreIn(screen, w));
    for (const QPoint p : points) {
        QWidget* top = screen->childAt(p);
        EXPECT_TRUE(top == panel || panel->isAncestorOf(top))
            << p.x() << "," << p.y() << " shows " << (top ? top->objectName().toStdString() : "nothing");
    }
}

TEST_F(ShellTest, TheLastStageClosesItsScreenFromInsideItsLastDropAndTheStagesOpenAfreshAfter)
{
    draws = [] { return 3.2f / 7.0f; };
    toMenu();
    shell::PlayScreen* screen = openFromMenu("Command3");
    auto& stages = screen->game();
    auto enter = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); };
    for (int stage = 0; stage < 12 && shell->play(); ++stage) {
        ASSERT_EQ(QApplication::focusWidget(), screen->controls().button(Button::Start));
        enter();
        finishReveal(screen);
        if (screen->controls().overlay(Overlay::RoulettePanel)->isVisible()) {
            stages.spinTick();
            ASSERT_EQ(QApplication::focusWidget(), screen->controls().button(Button::Stop));
            enter();
            EXPECT_EQ(text(screen, "Label12"), "3") << "the digit drawn";
            finishReveal(screen);
        }
        const auto moves = solve(BoardLayout::boardA(), stages.board().occupiedHoles());
        for (const JumpLine& j : moves.value()) {
            QTest::mousePress(screen->hole(j.from), Qt::LeftButton);
            QTest::mouseMove(screen, centreOf(screen, j.to));
            QTest::mouseRelease(screen, Qt::LeftButton, {}, centreOf(screen, j.to));
            if (!shell->play())
                break;
        }
    }
    EXPECT_EQ(messages.last(), QString::fromStdString(modes::texts::completion()));
    settle();
    ASSERT_TRUE(shell->menu() && shell->menu()->isVisible());
    EXPECT_FALSE(QGuiApplication::overrideCursor());
    screen = openFromMenu("Command3");
    EXPECT_EQ(text(screen, "Label7") + "/" + text(screen, "Label2"), "1/4");
}

// A blind player's keys: a hole by its number, the next piece that can jump and the next
// hole it can jump into, the time on a key; and after every box the keyboard is on the
// board's screen, never on a button gone with the roulette.
TEST_F(ShellTest, EveryStageIsClearedByHoleNumbersAndTurnsAndTheKeyboardStaysOnTheBoardsScreen)
{
    draws = [] { return 3.2f / 7.0f; };
    toMenu();
    shell::PlayScreen* screen = openFromMenu("Command3");
    auto& stages = screen->game();
    ulong now = 1;
    auto press = [&](Qt::Key k, ulong after = 100) {
        now += after;
        QKeyEvent down(QEvent::KeyPress, k, Qt::NoModifier), up(QEvent::KeyRelease, k, Qt::NoModifier);
        down.setTimestamp(now), up.setTimestamp(now + 10);
        QWidget* to = QApplication::focusWidget();
        QApplication::sendEvent(to, &down), QApplication::sendEvent(to, &up);
    };
    auto type = [&](int hole, ulong after = 2000) {
        press(Qt::Key(Qt::Key_0 + (hole >= 10 ? hole / 10 : hole)), after);
        if (hole >= 10)
            press(Qt::Key(Qt::Key_0 + hole % 10));
    };
    auto said = [&] { return lastTold(screen); };
    press(Qt::Key_T);  // before START, the time the game will have
    EXPECT_TRUE(said().startsWith("のこり " + text(screen, "TIM") + " びょう")) << qPrintable(said());
    bool tried = false;
    for (int stage = 0; stage < 12 && shell->play(); ++stage) {
        press(Qt::Key_Return);
        finishReveal(screen);
        if (screen->controls().overlay(Overlay::RoulettePanel)->isVisible()) {
            stages.spinTick();
            press(Qt::Key_T);  // from STOP, the board under the panel
            EXPECT_TRUE(said().startsWith("のこり ")) << qPrintable(said());
            press(Qt::Key_Return);
            QWidget* focus = QApplication::focusWidget();
            EXPECT_TRUE(focus == screen) << "after the drawn stage's box: " << (focus ? focus->objectName().toStdString() : "nothing");
            finishReveal(screen);
            press(Qt::Key_Down);
            EXPECT_NE(focusedHole(screen), 0) << "the first arrow reaches the board";
        }
        const QString number = text(screen, "Label7");
        EXPECT_TRUE(said().contains(number) && said().endsWith("かいし")) << qPrintable(said());
        const QWidget* before = QApplication::focusWidget();
        stages.countdownTick();
        press(Qt::Key_T);
        EXPECT_TRUE(said().startsWith("のこり " + text(screen, "TIM") + " びょう、こま " + text(screen, "Label2")) &&
                    said().endsWith(number))
            << qPrintable(said());
        EXPECT_EQ(QApplication::focusWidget(), before) << "T moves nothing";
        const auto moves = solve(BoardLayout::boardA(), stages.board().occupiedHoles()).value();
        for (const JumpLine& j : moves) {
            if (!tried && j.from >= 10) {
                // Each digit alone, a pause between them: two holes.
                tried = true;
                press(Qt::Key(Qt::Key_0 + j.from / 10), 2000);
                press(Qt::Key(Qt::Key_0 + j.from % 10), 1500);
                EXPECT_EQ(focusedHole(screen), j.from % 10 ? j.from % 10 : j.from / 10);
                press(Qt::Key_2, 2000), press(Qt::Key_9);
                EXPECT_EQ(focusedHole(screen), 9) << "29 is no hole: 2, then 9";
                press(Qt::Key_1, 2000);
                for (QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {  // held: X repeats it
                    QKeyEvent repeat(type, Qt::Key_1, Qt::NoModifier);
                    repeat.setTimestamp(now + 40);
                    QApplication::sendEvent(QApplication::focusWidget(), &repeat);
                }
                EXPECT_EQ(focusedHole(screen), 1) << "a held 1 is no 11";
            }
            // The pieces that can jump, in turn: the solution's is among them.
            for (int turns = 0; turns < 21 && focusedHole(screen) != j.from; ++turns)
                press(turns % 2 ? Qt::Key_N : Qt::Key_PageDown);
            ASSERT_EQ(focusedHole(screen), j.from) << "the pieces in turn pass every piece that can jump";
            type(j.over);
            type(j.from);
            ASSERT_EQ(focusedHole(screen), j.from);
            press(Qt::Key_Space);
            ASSERT_EQ(text(screen, "Label1"), QString::number(j.from));
            for (int turns = 0; turns < 7 && focusedHole(screen) != j.to; ++turns)
                press(turns % 2 ? Qt::Key_P : Qt::Key_PageUp);
            ASSERT_EQ(focusedHole(screen), j.to) << "the holes it can jump into, in turn";
            type(j.to, 100);  // soon after the digits of the piece and other keys: a number of its own
            ASSERT_EQ(focusedHole(screen), j.to);
            if (j.to < 10) {  // typed on the hole the mark is on, it is said again
                EXPECT_TRUE(said().startsWith(QString::number(j.to))) << qPrintable(said());
            }
            press(Qt::Key_Return);
            if (!shell->play())
                break;
            if (&j != &moves.back()) {  // the last one, said as its box opened, goes with the board
                EXPECT_TRUE(said().contains(QStringLiteral("%1 から %2 へ").arg(j.from).arg(j.to))) << qPrintable(said());
            }
        }
    }
    EXPECT_EQ(messages.last(), QString::fromStdString(modes::texts::completion()));
    EXPECT_TRUE(tried);
}

// Chosen when the game starts: every game lasts longer, and every screen says so.
TEST_F(ShellTest, TheSlowerClockIsSaidOnEveryScreenAndLengthensEveryGame)
{
    toMenu();
    const QString normal = shell->menu()->windowTitle();
    newShell(modes::Pace::Slow);
    toMenu();
    const QString caption = shell->menu()->windowTitle(), note = caption.mid(normal.size());
    EXPECT_TRUE(caption.startsWith(normal) && !note.isEmpty()) << caption.toStdString();
    for (const char* mode : {"Command1", "Command3"}) {
        shell::PlayScreen* screen = openFromMenu(mode);
        EXPECT_TRUE(screen->windowTitle().endsWith(note));
        EXPECT_TRUE(QAccessible::queryAccessibleInterface(screen)->text(QAccessible::Name).endsWith(note));
        EXPECT_EQ(text(screen, "TIM").toInt(), rulesFor(screen->mode()).timeLimit * kSlowClockFactor);
        startAndReveal(screen);
        screen->game().countdownTick();
        QTest::mouseClick(screen->controls().button(Button::Giveup), Qt::LeftButton);
        EXPECT_EQ(text(screen, "TIM").toInt(), rulesFor(screen->mode()).timeLimit * kSlowClockFactor);
        closeBox(screen);
        settle();
    }
}

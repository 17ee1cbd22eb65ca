// The screens as built: what the player sees matches the layout data, every control the
// game writes exists with the right kind, and the keyboard reaches what it should.
#include "tests/shell/ShellFixture.h"

#include "shell/FitLabel.h"

#include <QApplication>
#include <QStyleOptionButton>
#include <QTextLayout>


using namespace hop;
using namespace hop::test;
using shell::ControlEntry;
using K = shell::ControlKind;

namespace {

QRect pxRect(int left, int top, int width, int height)
{
    return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0), qRound(height / 15.0));
}

QPoint centreIn(QWidget* window, QWidget* w)
{
    return w->mapTo(window, w->rect().center());
}

std::vector<const ControlEntry*> allControls(const shell::ScreenLayout& l)
{
    std::vector<const ControlEntry*> all;
    for (const ControlEntry& c : l.controls) {
        all.push_back(&c);
        for (const ControlEntry& inner : c.children)
            all.push_back(&inner);
    }
    return all;
}

} // namespace

TEST_F(ShellTest, EveryControlIsBuiltAsItsEntrySaysShowsItsWholeTextAndPlaysItsPartInTheGame)
{
    int screens = 0;
    const auto visit = [&](shell::Screen* s) {
        ++screens;
        const shell::ScreenLayout& l = s->layout();
        SCOPED_TRACE(l.name.toStdString());
        EXPECT_EQ(s->windowTitle(), l.caption);
        EXPECT_EQ(s->minimumSize(), s->maximumSize()) << "the frame cannot be resized";
        EXPECT_FALSE(s->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        std::set<int> tabs;
        for (const ControlEntry* c : allControls(l)) {
            const std::string name = c->name.toStdString();
            if (c->tab >= 0) {
                EXPECT_TRUE(tabs.insert(c->tab).second) << name << ": tab position used twice";
            }
            if (c->kind == K::Timer) {
                auto* t = s->findChild<QTimer*>(c->name);
                ASSERT_TRUE(t) << name;
                EXPECT_FALSE(t->isActive()) << name << " runs before START";
                continue;
            }
            auto* w = s->findChild<QWidget*>(c->name);
            ASSERT_TRUE(w) << name;
            EXPECT_EQ(w->geometry(), pxRect(c->left, c->top, c->width, c->height)) << name;
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()) || !c->visible) << name << " sticks out";
            EXPECT_EQ(w->isVisibleTo(w->parentWidget()), c->visible) << name;
            EXPECT_EQ(w->isEnabled(), c->enabled) << name;
            const shell::FontStyle f = c->font.value_or(l.baseFont);
            EXPECT_EQ(std::tuple(w->font().pointSizeF(), w->font().bold()), std::tuple(f.points, f.bold)) << name;
            if (c->foreground) {
                EXPECT_EQ(w->palette().color(w->foregroundRole()), *c->foreground) << name;
            }
            if (auto* label = qobject_cast<QLabel*>(w)) {
                if (std::holds_alternative<std::monostate>(c->role)) {
                    EXPECT_EQ(label->text(), c->text) << name;
                }
                EXPECT_EQ(label->focusPolicy(), Qt::NoFocus) << name;
                if (label->text().isEmpty() || !c->visible)
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
                EXPECT_EQ(button->text(), c->text) << name;
                QStyleOptionButton option;
                option.initFrom(button);
                const QRect area = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
                EXPECT_LE(QFontMetricsF(button->font()).horizontalAdvance(button->text()), area.width()) << name;
            }
        }
        auto* screen = qobject_cast<shell::PlayScreen*>(s);
        if (!screen)
            return;
        // Every control a mode may write is there, of its kind, and every hole where its board puts it.
            const bool stages = screen->mode() == Mode::Stages;
            const shell::GameControls& c = screen->controls();
            for (Readout r : kReadouts) {
                const bool stageOnly = r == Readout::StageNumber || r == Readout::PlayFlag || r == Readout::RouletteDigit;
                EXPECT_EQ(c.readout(r) != nullptr, stages || !stageOnly) << "readout " << int(r);
            }
            for (Button b : kButtons)
                EXPECT_EQ(c.button(b) != nullptr, stages || b != Button::Stop) << "button " << int(b);
            for (Overlay o : kOverlays)
                EXPECT_EQ(c.overlay(o) != nullptr, stages) << "overlay " << int(o);
            for (TimerId t : kTimers)
                EXPECT_EQ(c.timer(t) != nullptr, stages || t != TimerId::Spin) << "timer " << int(t);
            // The numbers on show are the game's own from the first frame.
            EXPECT_EQ(c.readout(Readout::TimeLeft)->text(), QString::number(screen->game().rules().timeLimit));
            EXPECT_EQ(c.readout(Readout::PiecesLeft)->text(), QString::number(screen->game().board().count()));

            const BoardLayout& board = screen->game().rules().board;
            QRegion covered;
            for (int k = 1; k <= board.holeCount(); ++k) {
                const HoleRect& r = board.cell(k);
                const QRect cell = screen->hole(k)->geometry();
                EXPECT_EQ(cell, pxRect(r.left, r.top, r.width, r.height)) << k;
                EXPECT_FALSE(covered.intersects(cell)) << "hole cell " << k << " overlaps another";
                covered += cell;
                EXPECT_FALSE(screen->hole(k)->isVisibleTo(screen)) << "hole cell " << k << " waits for START";
                auto* state = screen->findChild<QLabel*>(QStringLiteral("N%1").arg(k, 2, 10, QChar('0')));
                ASSERT_TRUE(state) << k;
                EXPECT_EQ(state->text(), QString::number(screen->game().board().hole(k))) << k;
                EXPECT_EQ(screen->hole(k)->hasPicture(), screen->game().board().hole(k) == 1) << k;
            }
            EXPECT_FALSE(screen->hole(board.holeCount() + 1));
    };
    // Each of the six screens in turn, opened as the player opens them.
    shell->start();
    visit(shell->title());
    QTest::mouseClick(shell->title()->control<shell::PictureCell>(QStringLiteral("Image1")), Qt::LeftButton);
    settle();
    visit(shell->menu());
    QTest::mouseClick(shell->menu()->control<QPushButton>(QStringLiteral("Command4")), Qt::LeftButton);
    settle();
    visit(shell->version());
    QTest::mouseClick(shell->version()->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
    settle();
    for (const char* button : {"Command1", "Command2", "Command3"}) {
        visit(openFromMenu(button));
        closeBox(shell->play());
        settle();
    }
    EXPECT_EQ(screens, 6);
}

TEST_F(ShellTest, FocusStartsOnTheLowestTabStopAndTheKeyboardPressesIt)
{
    toMenu();
    auto focused = [] {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "";
    };
    EXPECT_EQ(focused(), "Command1") << "the menu's ボード - A";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    settle();
    ASSERT_TRUE(shell->play());
    const std::pair<const char*, Qt::Key> presses[] = {
        {nullptr, Qt::Key_Return}, {"Command2", Qt::Key_Space}, {"Command3", Qt::Key_Return}};
    for (const auto& [menuButton, key] : presses) {
        shell::PlayScreen* screen = menuButton ? openFromMenu(menuButton) : shell->play();
        ASSERT_TRUE(screen);
        SCOPED_TRACE(screen->objectName().toStdString());
        EXPECT_EQ(focused(), "Command1") << "START";
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_TRUE(screen->timer(TimerId::Reveal)->isActive()) << "the reveal has begun";
        while (screen->timer(TimerId::Reveal)->isActive())
            screen->game().revealTick();
        QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
        EXPECT_EQ(focused(), "Command1") << "START takes the focus back after a game";
        closeBox(screen);
        settle();
    }
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

// A real press-move-release drag on the Board B screen, with the cursor watched on the way.
#include "resources/BuiltinPictures.h"
#include "tests/shell/ShellFixture.h"

using namespace hop;
using namespace hop::board;
using namespace hop::modes;
using namespace hop::test;

namespace {

QImage cursorImage()
{
    const QCursor* c = QGuiApplication::overrideCursor();
    return c ? c->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied) : QImage();
}

QImage expected(const QImage& picture)
{
    return builtin::makeCursor(picture).pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

class DragOnBoardB : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        toMenu();
        screen = openFromMenu("Command2");
        ASSERT_TRUE(screen);
        startAndReveal(screen);
        ASSERT_FALSE(screen->inputBlocked());
    }

    shell::PlayScreen* screen = nullptr;
};

TEST_F(DragOnBoardB, DroppingFourIntoOneJumpsOverTwoAndTheCursorSaysSoOnlyOverOne)
{
    const QImage dragCursor = expected(builtin::dragCursor(1));
    const QImage dropCursor = expected(builtin::dropCursor(1));
    ASSERT_NE(dragCursor, dropCursor);

    QTest::mousePress(screen->hole(4), Qt::RightButton);  // any button picks up
    EXPECT_EQ(cursorImage(), dragCursor);
    // Over hole 5 (occupied), between holes, over hole 2 (the over hole): no drop.
    for (const QPoint p : {centreOf(screen, 5), QPoint(5, 5), centreOf(screen, 2)}) {
        QTest::mouseMove(screen, p);
        EXPECT_EQ(cursorImage(), dragCursor) << p.x() << "," << p.y();
    }
    QTest::mouseMove(screen, centreOf(screen, 1));
    EXPECT_EQ(cursorImage(), dropCursor);
    QTest::mouseMove(screen, centreOf(screen, 1) + QPoint(3, 2));  // moving within keeps it
    EXPECT_EQ(cursorImage(), dropCursor);
    QTest::mouseMove(screen, centreOf(screen, 3));
    EXPECT_EQ(cursorImage(), dragCursor);
    QTest::mouseMove(screen, centreOf(screen, 1));
    EXPECT_EQ(cursorImage(), dropCursor);
    QTest::mouseRelease(screen, Qt::RightButton, {}, centreOf(screen, 1));

    EXPECT_FALSE(QGuiApplication::overrideCursor()) << "the ordinary pointer comes back";
    EXPECT_EQ(text(screen, "Label2"), "21");
    EXPECT_EQ(text(screen, "N01"), "1");
    EXPECT_EQ(text(screen, "N02"), "0");
    EXPECT_EQ(text(screen, "N04"), "0");
    EXPECT_EQ(text(screen, "Label1"), "4");
    EXPECT_TRUE(screen->hole(1)->hasPicture());
    EXPECT_FALSE(screen->hole(2)->hasPicture());
    EXPECT_FALSE(screen->hole(4)->hasPicture());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(DragOnBoardB, IllegalDropsChangeNothing)
{
    // 18 over 13 into 9 lies on a straight line of the drawing but is no jump.
    auto& board = screen->game().board();
    board.setHole(9, 0);
    const QString count = text(screen, "Label2");
    const std::vector<int> before = board.occupiedHoles();
    auto dragFrom18 = [&](QPoint to) {
        QTest::mousePress(screen->hole(18), Qt::LeftButton);
        QTest::mouseMove(screen, to);
        EXPECT_NE(cursorImage(), expected(builtin::dropCursor(1)));
        QTest::mouseRelease(screen, Qt::LeftButton, {}, to);
    };
    dragFrom18(centreOf(screen, 9));
    dragFrom18(centreOf(screen, 18));              // back on itself
    dragFrom18(QPoint(screen->width() - 3, 3));    // outside every hole
    EXPECT_EQ(board.occupiedHoles(), before);
    EXPECT_EQ(text(screen, "Label2"), count);
    EXPECT_FALSE(QGuiApplication::overrideCursor());
    // An empty hole starts no drag at all.
    QTest::mousePress(screen->hole(9), Qt::MiddleButton);
    EXPECT_FALSE(screen->dragging());
    EXPECT_EQ(text(screen, "Label1"), "18");
    QTest::mouseRelease(screen, Qt::MiddleButton, {}, centreOf(screen, 9));
}

TEST_F(DragOnBoardB, ATimeUpUnderAHeldPieceEndsTheDragCleanly)
{
    QTest::mousePress(screen->hole(4), Qt::LeftButton);
    QTest::mouseMove(screen, centreOf(screen, 1));
    ASSERT_TRUE(screen->dragging());
    for (int i = 0; i < 120; ++i)
        screen->game().countdownTick();
    EXPECT_EQ(messages, QStringList{QStringLiteral("タイムアップ！\r\nゲームオーバー")});
    EXPECT_FALSE(screen->dragging());
    EXPECT_FALSE(QGuiApplication::overrideCursor());
    EXPECT_FALSE(screen->hole(1)->isVisible());
    // The late release over a hidden board changes nothing.
    QTest::mouseRelease(screen, Qt::LeftButton, {}, centreOf(screen, 1));
    EXPECT_EQ(text(screen, "Label2"), "22");
    EXPECT_EQ(text(screen, "TIM"), "120");
}

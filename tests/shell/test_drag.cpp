// A real press-move-release drag on the Board B screen, with the cursor watched on the way.
#include "resources/BuiltinPictures.h"
#include "tests/shell/ShellFixture.h"

using namespace hop;
using namespace hop::test;

namespace {

QImage cursorImage()
{
    const QCursor* c = QGuiApplication::overrideCursor();
    return c ? c->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied) : QImage();
}

QImage expected(const QImage& picture)
{
    return hop::resources::makeCursor(picture).pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

TEST_F(ShellTest, DraggingOnBoardBJumpsOnlyWhereTheCursorSaysSo)
{
    toMenu();
    shell::PlayScreen* screen = openFromMenu("Command2");
    startAndReveal(screen);
    const QImage dragCursor = expected(hop::resources::dragCursor(1));
    const QImage dropCursor = expected(hop::resources::dropCursor(1));

    QTest::mousePress(screen->hole(4), Qt::RightButton);  // any button picks up
    EXPECT_EQ(cursorImage(), dragCursor);
    // Over hole 5 (occupied), between holes, over hole 2 (the one jumped): no drop.
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
    QTest::mouseRelease(screen, Qt::RightButton, {}, centreOf(screen, 1));
    EXPECT_FALSE(QGuiApplication::overrideCursor()) << "the ordinary pointer comes back";
    EXPECT_EQ(text(screen, "Label2"), "21");
    EXPECT_EQ(text(screen, "N01") + text(screen, "N02") + text(screen, "N04"), "100");
    EXPECT_EQ(text(screen, "Label1"), "4");
    EXPECT_TRUE(screen->hole(1)->hasPicture());
    EXPECT_FALSE(screen->hole(2)->hasPicture());

    // 18 over 13 into 9 lies straight on the drawing but is no jump; nor is a drop on
    // itself or outside every hole; an empty hole starts no drag.
    screen->game().board().setHole(9, 0);
    for (const QPoint to : {centreOf(screen, 9), centreOf(screen, 18), QPoint(screen->width() - 3, 3)}) {
        QTest::mousePress(screen->hole(18), Qt::LeftButton);
        QTest::mouseMove(screen, to);
        EXPECT_EQ(cursorImage(), dragCursor);
        QTest::mouseRelease(screen, Qt::LeftButton, {}, to);
    }
    EXPECT_EQ(text(screen, "Label2"), "20");
    QTest::mousePress(screen->hole(9), Qt::MiddleButton);
    EXPECT_FALSE(screen->dragging());
    QTest::mouseRelease(screen, Qt::MiddleButton, {}, centreOf(screen, 9));

    // A time-up under a held piece ends the drag; the late release changes nothing.
    QTest::mousePress(screen->hole(7), Qt::LeftButton);
    QTest::mouseMove(screen, centreOf(screen, 1));
    ASSERT_TRUE(screen->dragging());
    for (int i = 0; i < 120; ++i)
        screen->game().countdownTick();
    EXPECT_EQ(messages, QStringList{QStringLiteral("タイムアップ！\r\nゲームオーバー")});
    EXPECT_FALSE(screen->dragging());
    EXPECT_FALSE(QGuiApplication::overrideCursor());
    QTest::mouseRelease(screen, Qt::LeftButton, {}, centreOf(screen, 1));
    EXPECT_EQ(text(screen, "Label2"), "22");
}

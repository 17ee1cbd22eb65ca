// The six screens as designed: the layout data against the design tables typed out here,
// and the windows the shell really builds against that data.
#include "shell/Layout.h"
#include "tests/shell/ShellFixture.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>

#include <algorithm>
#include <functional>
#include <sstream>

using namespace hop;
using namespace hop::test;
using shell::Align;
using shell::ControlEntry;
using shell::FontStyle;
using shell::Frame;
using shell::ScreenLayout;
using K = shell::ControlKind;

namespace {

const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kRed(0xFF, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kLightGrey(0xC0, 0xC0, 0xC0);
const FontStyle k12pt{12.0};
const FontStyle kBigBold{15.75, true};

// Texts whose wording is the implementer's: only their presence is checked.
const QString kAnyText = QStringLiteral("<any>");

// Pixels from twips at 96 dpi, worked out here rather than taken from the shell.
int px(int twips)
{
    return qRound(twips / 15.0);
}

QRect pxRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

const char* alignName(Align a)
{
    return a == Align::Right ? "right" : a == Align::Center ? "centre" : "left";
}

std::string colour(const std::optional<QColor>& c)
{
    return c ? c->name().toStdString() : "none";
}

std::string fontText(double points, bool bold, bool underline)
{
    std::ostringstream s;
    s << points << "pt" << (bold ? " bold" : "") << (underline ? " underlined" : "");
    return s.str();
}

std::string fontText(const FontStyle& f)
{
    return fontText(f.points, f.bold, f.underline);
}

// One line per control or window, so a failure shows every differing property side by side.
std::string describe(const ControlEntry& c)
{
    static const char* const kinds[] = {"label", "button", "text box", "picture", "picture box", "panel", "timer"};
    std::ostringstream s;
    s << c.name.toStdString() << ' ' << kinds[int(c.kind)] << " \"" << c.text.toStdString() << "\" at " << c.left
      << ',' << c.top << ' ' << c.width << 'x' << c.height << " tab " << c.tab << " font "
      << (c.font ? fontText(*c.font) : "base") << " fg " << colour(c.foreground) << " bg " << colour(c.background)
      << ' ' << alignName(c.align) << (c.visible ? " shown" : " hidden") << (c.enabled ? " enabled" : " disabled")
      << (c.wrap ? " wraps" : "") << (c.tabStop ? "" : " no-tab-stop") << (c.defaultButton ? " default" : "")
      << (c.stretch ? " stretched" : "") << " every " << c.interval << "ms, " << c.children.size() << " inside";
    return s.str();
}

std::string windowText(const QString& caption, int width, int height, const char* frame, bool minimize,
                       bool icon, const std::string& bg, const std::string& font)
{
    std::ostringstream s;
    s << '"' << caption.toStdString() << "\" " << width << 'x' << height << " frame " << frame
      << (minimize ? " minimize" : "") << (icon ? " own-icon" : "") << " bg " << bg << " font " << font;
    return s.str();
}

const char* frameName(Frame f)
{
    return f == Frame::None ? "none" : f == Frame::Fixed ? "fixed" : "tool";
}

std::string describe(const ScreenLayout& l)
{
    return windowText(l.caption, l.clientWidth, l.clientHeight, frameName(l.frame), l.minimizeButton,
                      l.programIcon, colour(l.background), fontText(l.baseFont));
}

ControlEntry button(const char* name, const char* text, int left, int top, int width, int height, int tab)
{
    return {.name = name, .kind = K::Button, .text = text, .left = left, .top = top, .width = width,
            .height = height, .tab = tab};
}

ControlEntry menuNote(const char* name, const char* text, int top, int tab)
{
    return {.name = name, .kind = K::Label, .text = text, .left = 1680, .top = top, .width = 2775, .height = 735,
            .tab = tab, .wrap = true};
}

ControlEntry countLabel(const char* name, const char* text, int left, int top, int width, int tab,
                       std::optional<FontStyle> font)
{
    return {.name = name, .kind = K::Label, .text = text, .left = left, .top = top, .width = width, .height = 255,
            .tab = tab, .font = font, .background = kWhite, .align = Align::Right};
}

ControlEntry playButton(const char* name, const char* text, int left, int tab, bool enabled)
{
    ControlEntry b = button(name, text, left, 4020, 1215, 495, tab);
    b.font = kBigBold;
    b.enabled = enabled;
    return b;
}

ControlEntry timer(const char* name, int ms)
{
    return {.name = name, .kind = K::Timer, .interval = ms};
}

// A screen's design table: its window line and a sample of its controls.
struct Designed {
    const ScreenLayout& data;
    ScreenLayout window;
    std::vector<ControlEntry> controls;
};

std::vector<Designed> designTables()
{
    ControlEntry stageMarker = countLabel("Label9", "8", 1440, 240, 255, -1, std::nullopt);
    stageMarker.visible = false;
    ControlEntry panel{.name = "Picture1", .kind = K::Panel, .width = 4935, .height = 4695, .tab = 33,
                      .background = kWhite, .visible = false};
    panel.children.resize(5);  // Label10, Label11, Label12, Command3, Timer3: checked one by one below
    ControlEntry stop = button("Command3", "STOP", 1680, 2520, 1575, 495, 37);
    stop.font = kBigBold;
    ControlEntry ok = button("Command1", "OK", 3840, 1560, 790, 300, 5);
    ok.defaultButton = true;

    return {
        {shell::titleLayout(),
         {.caption = "", .frame = Frame::None, .clientWidth = 3810, .clientHeight = 3360},
         {{.name = "Image1", .kind = K::Picture, .width = 3810, .height = 3360, .stretch = true}}},
        {shell::menuLayout(),
         {.caption = "Hopstoneのｹﾞｰﾑﾓｰﾄﾞ", .frame = Frame::Fixed, .programIcon = true, .clientWidth = 4590,
          .clientHeight = 3750},
         {
             button("Command1", "ボード - A", 120, 240, 1455, 495, 0),
             button("Command2", "ボード - B", 120, 1200, 1455, 495, 1),
             button("Command3", "難問ステージ", 120, 2160, 1455, 495, 2),
             button("Command4", "ﾊﾞｰｼﾞｮﾝ情報", 720, 3120, 1455, 495, 3),
             button("Command5", "ゲームをやめる", 2400, 3120, 1455, 495, 7),
             // Two ASCII spaces before "１個" in the first two notes, as the game always had.
             menuNote("Label1",
                      "ピラミッド型のボードで、斜めのラインにそって駒を挟んで消していきます。"
                      "２分以内でボード上の２１個の駒を  １個にすればクリアです。",
                      120, 4),
             menuNote("Label2",
                      "ピラミッド型のボードで、縦横のラインにそって駒を挟んで消していきます。"
                      "２分以内でボード上の２３個の駒を  １個にすればクリアです。",
                      1080, 5),
             menuNote("Label3",
                      "ボードはタイプAのもので、１分以内でボード上の駒を１個にすればクリアです。"
                      "全部で１０のステージがあります。頭をフルに使って考えましょう。",
                      2040, 6),
         }},
        {shell::versionLayout(),
         {.caption = "バージョン情報", .frame = Frame::FixedTool, .clientWidth = 4815, .clientHeight = 1995},
         {
             {.name = "Label1", .kind = K::Label, .text = "Hopstone Version0.82", .left = 600, .top = 240,
              .width = 4095, .height = 255, .tab = 0, .font = FontStyle{12.0, true}, .foreground = kRed,
              .align = Align::Center},
             {.name = "Picture1", .kind = K::PictureBox, .left = 120, .top = 120, .width = 480, .height = 480,
              .tab = 1},
             {.name = "Label2", .kind = K::Label, .text = kAnyText, .left = 240, .top = 840, .width = 4335,
              .height = 255, .tab = 2, .align = Align::Center},
             {.name = "Label3", .kind = K::Label, .text = "HomePage：", .left = 120, .top = 1200, .width = 975,
              .height = 255, .tab = 3, .align = Align::Center},
             {.name = "Text1", .kind = K::TextBox, .text = kAnyText, .left = 1080, .top = 1200, .width = 3615,
              .height = 255, .tab = 4, .font = FontStyle{9.0, false, true}, .foreground = kBlue,
              .background = kLightGrey, .tabStop = false},
             ok,
         }},
        {shell::boardALayout(),
         {.caption = "Hopstone", .frame = Frame::Fixed, .minimizeButton = true, .programIcon = true,
          .clientWidth = 4935, .clientHeight = 4710, .background = kLightGrey},
         {
             countLabel("Label5", "残り駒数：", 360, 240, 1095, 27, k12pt),
             countLabel("Label2", "20", 1440, 240, 255, 1, k12pt),
             countLabel("Label4", "残り時間：", 3120, 240, 1095, 26, k12pt),
             countLabel("TIM", "120", 4200, 240, 375, 25, k12pt),
             playButton("Command1", "START", 960, 23, true),
             playButton("Command2", "Giveup", 2760, 28, false),
             timer("Timer1", 500),
             timer("Timer2", 1000),
         }},
        {shell::boardBLayout(),
         {.caption = "Hopstone", .frame = Frame::Fixed, .minimizeButton = true, .programIcon = true,
          .clientWidth = 7335, .clientHeight = 4710},
         {
             countLabel("Label5", "残り駒数：", 1560, 240, 1095, 27, k12pt),
             countLabel("Label2", "22", 2640, 240, 255, 1, k12pt),
             countLabel("Label4", "残り時間：", 4320, 240, 1095, 26, k12pt),
             countLabel("TIM", "120", 5400, 240, 375, 25, k12pt),
             playButton("Command1", "START", 2160, 23, true),
             playButton("Command2", "Giveup", 3960, 28, false),
             timer("Timer1", 500),
             timer("Timer2", 980),
         }},
        {shell::stagesLayout(),
         {.caption = "Hopstone", .frame = Frame::Fixed, .minimizeButton = true, .programIcon = true,
          .clientWidth = 4935, .clientHeight = 4695, .background = kLightGrey, .baseFont = k12pt},
         {
             countLabel("Label6", "ステージ：", 360, 240, 1095, 29, std::nullopt),
             countLabel("Label7", "1", 1440, 240, 255, 30, std::nullopt),
             countLabel("Label5", "残り駒数：", 360, 600, 1095, 27, std::nullopt),
             countLabel("Label2", "4", 1440, 600, 255, 1, std::nullopt),
             countLabel("Label4", "残り時間：", 3120, 240, 1095, 26, std::nullopt),
             countLabel("TIM", "60", 4200, 240, 375, 25, std::nullopt),
             playButton("Command1", "START", 960, 23, true),
             playButton("Command2", "Giveup", 2760, 28, false),
             panel,
             timer("Timer1", 500),
             timer("Timer2", 1000),
             stageMarker,
             {.name = "Label10", .kind = K::Label, .text = "好きな所でSTOPボタンを押してください。", .left = 240,
              .top = 120, .width = 4455, .height = 255, .tab = 34, .background = kWhite, .align = Align::Center},
             {.name = "Label11", .kind = K::Label, .text = "ステージ", .left = 1980, .top = 720, .width = 975,
              .height = 255, .tab = 35, .background = kWhite, .align = Align::Center},
             {.name = "Label12", .kind = K::Label, .text = "7", .left = 2160, .top = 1200, .width = 615,
              .height = 375, .tab = 36, .font = FontStyle{18.0, true}, .foreground = kRed, .background = kWhite,
              .align = Align::Center},
             stop,
             timer("Timer3", 1),
         }},
    };
}

QPoint centreIn(QWidget* window, QWidget* w)
{
    return w->mapTo(window, w->rect().center());
}

void closeBox(QWidget* w)
{
    QCloseEvent e;
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

TEST(LayoutTables, WindowsAndControlsCarryTheDesignedValues)
{
    for (const Designed& d : designTables()) {
        SCOPED_TRACE(d.data.name.toStdString());
        EXPECT_EQ(describe(d.data), describe(d.window));
        for (ControlEntry want : d.controls) {
            const ControlEntry* got = d.data.find(want.name);
            ASSERT_TRUE(got) << want.name.toStdString();
            if (want.text == kAnyText) {
                EXPECT_FALSE(got->text.isEmpty()) << want.name.toStdString();
                want.text = got->text;
            }
            EXPECT_EQ(describe(*got), describe(want));
        }
    }
    EXPECT_EQ(shell::menuLayout().controls.size(), 8u) << "the menu has exactly the controls typed above";

    // The state holders of the play screens: hidden, with their first captions; the piece
    // and empty-hole holders keep their pictures at natural size.
    const std::pair<const ScreenLayout&, std::vector<std::pair<const char*, const char*>>> holders[] = {
        {shell::boardALayout(), {{"Label1", "0"}, {"Label3", "0"}}},
        {shell::boardBLayout(), {{"Label1", "0"}, {"Label3", "0"}}},
        {shell::stagesLayout(), {{"Label1", "0"}, {"Label3", "0"}, {"Label8", "0"}}},
    };
    for (const auto& [layout, labels] : holders) {
        SCOPED_TRACE(layout.name.toStdString());
        for (const auto& [name, text] : labels) {
            const ControlEntry* c = layout.find(QLatin1String(name));
            ASSERT_TRUE(c) << name;
            EXPECT_EQ(std::tuple(c->kind, c->text.toStdString(), c->visible), std::tuple(K::Label, text, false))
                << name;
        }
        for (const char* name : {"KOMA", "KESU"}) {
            const ControlEntry* c = layout.find(QLatin1String(name));
            ASSERT_TRUE(c) << name;
            EXPECT_EQ(std::tuple(c->kind, c->width, c->height, c->stretch, c->visible),
                      std::tuple(K::Picture, 345, 345, false, false))
                << name;
        }
    }
}

// The built windows, opened through the shell as the player opens them.
class LayoutScreens : public ShellTest {
protected:
    // Opens each of the six screens in turn and hands it to `visit` while it is the open one.
    void visitEveryScreen(const std::function<void(shell::Screen*)>& visit)
    {
        shell->start();
        ASSERT_TRUE(shell->title());
        visit(shell->title());
        QTest::mouseClick(shell->title()->control<shell::PictureCell>(QStringLiteral("Image1")), Qt::LeftButton);
        settle();
        ASSERT_TRUE(shell->menu());
        visit(shell->menu());
        QTest::mouseClick(shell->menu()->control<QPushButton>(QStringLiteral("Command4")), Qt::LeftButton);
        settle();
        ASSERT_TRUE(shell->version());
        visit(shell->version());
        QTest::mouseClick(shell->version()->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
        settle();
        for (const char* button : {"Command1", "Command2", "Command3"}) {
            shell::PlayScreen* screen = openFromMenu(button);
            ASSERT_TRUE(screen) << button;
            visit(screen);
            closeBox(screen);
            settle();
            ASSERT_TRUE(shell->menu());
        }
    }

    static shell::PlayScreen* playing(shell::Screen* screen) { return qobject_cast<shell::PlayScreen*>(screen); }
};

namespace {

// How a built control looks, in the same words for the widget and for its layout entry.
std::string look(const QString& name, const QRect& r, const QString& text, const std::string& font,
                 const std::string& fg, const std::string& bg, const char* align, bool shown, bool enabled,
                 bool wraps, const char* focus, bool isDefault)
{
    std::ostringstream s;
    s << name.toStdString() << " at " << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height() << " \""
      << text.toStdString() << "\" " << font << " fg " << fg << " bg " << bg << ' ' << align
      << (shown ? " shown" : " hidden") << (enabled ? " enabled" : " disabled") << (wraps ? " wraps" : "")
      << " focus " << focus << (isDefault ? " default" : "");
    return s.str();
}

bool neverFocused(K kind)
{
    return kind == K::Label || kind == K::Picture || kind == K::Panel;
}

std::string expectedLook(const ControlEntry& c, const FontStyle& base, const QColor& standardText)
{
    const bool hasText = c.kind == K::Label || c.kind == K::Button || c.kind == K::TextBox;
    return look(c.name, pxRect(c.left, c.top, c.width, c.height), hasText ? c.text : QString(),
                fontText(c.font.value_or(base)), c.foreground.value_or(standardText).name().toStdString(),
                colour(c.background), c.kind == K::Label ? alignName(c.align) : "-", c.visible, c.enabled, c.wrap,
                neverFocused(c.kind) ? "never" : c.tabStop ? "tab" : "no-tab", c.defaultButton);
}

// Shown means shown within its container: the roulette's controls are up while its panel is down.
std::string builtLook(QWidget* w, K kind)
{
    QString text;
    const char* align = "-";
    bool wraps = false;
    bool isDefault = false;
    if (auto* label = qobject_cast<QLabel*>(w)) {
        text = label->text();
        const Qt::Alignment h = label->alignment() & Qt::AlignHorizontal_Mask;
        align = h == Qt::AlignRight ? "right" : h == Qt::AlignHCenter ? "centre" : h == Qt::AlignLeft ? "left" : "?";
        wraps = label->wordWrap();
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        text = button->text();
        // Qt marks the auto-default button holding the focus as default for as long as it holds it.
        isDefault = button->isDefault() && !button->hasFocus();
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        text = edit->text();
    }
    const char* focus = (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus ? "tab"
                        : neverFocused(kind) ? (w->focusPolicy() == Qt::NoFocus ? "never" : "clickable")
                                             : "no-tab";
    const std::string bg =
        w->autoFillBackground() ? w->palette().color(QPalette::Active, w->backgroundRole()).name().toStdString()
                                : "none";
    return look(w->objectName(), w->geometry(), text,
                fontText(w->font().pointSizeF(), w->font().bold(), w->font().underline()),
                w->palette().color(QPalette::Active, w->foregroundRole()).name().toStdString(), bg, align,
                w->isVisibleTo(w->parentWidget()), w->isEnabled(), wraps, focus, isDefault);
}

} // namespace

TEST_F(LayoutScreens, EveryBuiltWidgetShowsItsLayoutEntry)
{
    int screens = 0;
    visitEveryScreen([&](shell::Screen* screen) {
        ++screens;
        const ScreenLayout& l = screen->layout();
        SCOPED_TRACE(l.name.toStdString());

        // The title's load step widens its window to 3820 twips, a little more than its picture.
        const QSize size(px(l.name == "Form5" ? 3820 : l.clientWidth), px(l.clientHeight));
        const Qt::WindowFlags flags = screen->windowFlags();
        const char* frame = flags.testFlag(Qt::FramelessWindowHint)       ? "none"
                            : (flags & Qt::WindowType_Mask) == Qt::Tool ? "tool"
                                                                        : "fixed";
        EXPECT_EQ(windowText(screen->windowTitle(), screen->width(), screen->height(), frame,
                             flags.testFlag(Qt::WindowMinimizeButtonHint), screen->testAttribute(Qt::WA_SetWindowIcon),
                             screen->autoFillBackground() ? screen->palette().color(QPalette::Window).name().toStdString()
                                                          : "none",
                             fontText(screen->font().pointSizeF(), screen->font().bold(), screen->font().underline())),
                  windowText(l.caption, size.width(), size.height(), frameName(l.frame), l.minimizeButton,
                             l.programIcon, colour(l.background), fontText(l.baseFont)));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint)) << "no window has a maximize button";
        EXPECT_EQ(screen->minimumSize(), size) << "the frame cannot be resized";
        EXPECT_EQ(screen->maximumSize(), size) << "the frame cannot be resized";

        std::vector<const ControlEntry*> all;
        for (const ControlEntry& c : l.controls) {
            all.push_back(&c);
            for (const ControlEntry& inner : c.children)
                all.push_back(&inner);
        }
        for (const ControlEntry* c : all) {
            if (c->kind == K::Timer) {
                auto* t = screen->findChild<QTimer*>(c->name);
                ASSERT_TRUE(t) << c->name.toStdString();
                EXPECT_EQ(t->interval(), c->interval) << c->name.toStdString();
                EXPECT_FALSE(t->isActive()) << c->name.toStdString() << " runs before START";
                continue;
            }
            auto* w = screen->findChild<QWidget*>(c->name);
            ASSERT_TRUE(w) << c->name.toStdString();
            const QColor standardText = QApplication::palette(w).color(QPalette::Active, w->foregroundRole());
            EXPECT_EQ(builtLook(w, c->kind), expectedLook(*c, l.baseFont, standardText));
        }
    });
    EXPECT_EQ(screens, 6);
}

TEST_F(LayoutScreens, HoleCellsAndStateLabelsStartWhereAndAsTheBoardsPutThem)
{
    // Left of each hole, row by row; the rows stand 600 twips apart from Top 240.
    const std::vector<int> boardA = {2250, 1920, 2640, 1560, 2280, 3000, 1200, 1920, 2640, 3360, 840,
                                     1560, 2280, 3000, 3720, 480,  1200, 1920, 2640, 3360, 4080};
    const std::vector<int> rowsA = {1, 2, 3, 4, 5, 6};
    const std::vector<int> boardB = {3450, 2880, 4080, 2280, 2880, 4080, 4680, 1680, 2880, 4080, 5280, 1080,
                                     1680, 2880, 4080, 5280, 5880, 480,  1680, 2880, 4080, 5280, 6480};
    const std::vector<int> rowsB = {1, 2, 4, 4, 6, 6};
    const std::vector<int> stageOpening = {8, 9, 13, 18};

    int screens = 0;
    visitEveryScreen([&](shell::Screen* s) {
        shell::PlayScreen* screen = playing(s);
        if (!screen)
            return;
        ++screens;
        SCOPED_TRACE(screen->objectName().toStdString());
        const bool b = screen->kind() == shell::PlayKind::BoardB;
        const std::vector<int>& lefts = b ? boardB : boardA;
        const std::vector<int>& rows = b ? rowsB : rowsA;
        int k = 1;
        for (size_t row = 0; row < rows.size(); ++row) {
            for (int i = 0; i < rows[row]; ++i, ++k) {
                auto* cell = screen->findChild<shell::PictureCell*>(QStringLiteral("Image%1").arg(k));
                ASSERT_TRUE(cell) << k;
                EXPECT_EQ(cell->geometry(), pxRect(lefts[size_t(k - 1)], 240 + 600 * int(row), 405, 405)) << k;
                EXPECT_FALSE(cell->isVisibleTo(screen)) << "hole cell " << k << " waits for START";

                auto* state = screen->findChild<QLabel*>(QStringLiteral("N%1").arg(k, 2, 10, QChar('0')));
                ASSERT_TRUE(state) << k;
                const bool occupied = screen->kind() == shell::PlayKind::Stages
                                          ? std::count(stageOpening.begin(), stageOpening.end(), k) > 0
                                          : k != 1;
                EXPECT_EQ(state->text().toStdString(), occupied ? "1" : "0") << k;
                EXPECT_FALSE(state->isVisibleTo(screen)) << k;
            }
        }
        EXPECT_FALSE(screen->findChild<QWidget*>(QStringLiteral("Image%1").arg(k))) << "one cell too many";
    });
    EXPECT_EQ(screens, 3);
}

TEST_F(LayoutScreens, FocusStartsOnTheLowestTabStopAndTheKeyboardPressesIt)
{
    toMenu();
    auto focused = [] {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "";
    };
    EXPECT_EQ(focused(), "Command1") << "the menu's ボード - A";

    // Enter on the menu opens Board A; then Enter or Space presses START on every play screen.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    settle();
    ASSERT_TRUE(shell->play());
    EXPECT_EQ(shell->play()->objectName(), "Form2");
    const std::pair<const char*, Qt::Key> presses[] = {{nullptr, Qt::Key_Return},    {"Command1", Qt::Key_Space},
                                                       {"Command2", Qt::Key_Return}, {"Command2", Qt::Key_Space},
                                                       {"Command3", Qt::Key_Return}, {"Command3", Qt::Key_Space}};
    for (const auto& [menuButton, key] : presses) {
        shell::PlayScreen* screen = menuButton ? openFromMenu(menuButton) : shell->play();
        ASSERT_TRUE(screen);
        SCOPED_TRACE(screen->objectName().toStdString() + (key == Qt::Key_Space ? " Space" : " Enter"));
        EXPECT_EQ(focused(), "Command1") << "START, tab position 23";
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_TRUE(screen->timer(TimerId::Timer1)->isActive()) << "the reveal has begun";
        while (screen->timer(TimerId::Timer1)->isActive())
            screen->game().revealTick();
        closeBox(screen);
        settle();
        ASSERT_TRUE(shell->menu());
    }

    // The version window: the icon box first; Tab and Shift+Tab pass the text box by.
    QTest::mouseClick(shell->menu()->control<QPushButton>(QStringLiteral("Command4")), Qt::LeftButton);
    settle();
    ASSERT_TRUE(shell->version());
    EXPECT_EQ(focused(), "Picture1");
    std::string visited;
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Backtab}) {
        QTest::keyClick(QApplication::focusWidget(), key);
        visited += focused() + " ";
    }
    EXPECT_EQ(visited, "Command1 Picture1 Command1 Picture1 Command1 ");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_EQ(focused(), "Picture1");
    // OK stays the default button after the focus has passed over it and moved on.
    EXPECT_TRUE(shell->version()->control<QPushButton>(QStringLiteral("Command1"))->isDefault());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(shell->version());
    EXPECT_FALSE(shell->menu()->inputBlocked());
}

TEST_F(LayoutScreens, CountsEndAtTheRightEdge)
{
    // The last inked column of a label, drawn on its own white background.
    auto inkEnd = [](QLabel* label) {
        const QImage image = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const qreal ratio = image.devicePixelRatio();
        for (int x = image.width() - 1; x >= 0; --x)
            for (int y = 0; y < image.height(); ++y)
                if (qGray(image.pixel(x, y)) < 128)
                    return int(x / ratio);
        return -1;
    };
    int screens = 0;
    visitEveryScreen([&](shell::Screen* screen) {
        if (playing(screen)) {
            ++screens;
            for (const char* name : {"Label2", "TIM"}) {
                SCOPED_TRACE(screen->objectName().toStdString() + " " + name);
                auto* label = screen->findChild<QLabel*>(QLatin1String(name));
                ASSERT_TRUE(label);
                const QString before = label->text();
                label->setText(QStringLiteral("9"));
                const int nine = inkEnd(label);
                label->setText(QStringLiteral("120"));
                const int hundred = inkEnd(label);
                label->setText(before);
                EXPECT_NEAR(nine, hundred, 2) << "\"9\" and \"120\" end together";
                EXPECT_GE(nine, label->width() - 5) << "at the label's right edge";
            }
        }
    });
    EXPECT_EQ(screens, 3);
}

TEST_F(LayoutScreens, TheRoulettePanelCoversEveryHoleAndLabelAndLabel9CoversTheStageNumber)
{
    toMenu();
    shell::PlayScreen* screen = openFromMenu("Command3");
    ASSERT_TRUE(screen);
    startAndReveal(screen);
    QWidget* stage = screen->control(QStringLiteral("Label7"));
    QWidget* marker = screen->control(QStringLiteral("Label9"));
    QWidget* panel = screen->control(QStringLiteral("Picture1"));
    ASSERT_TRUE(stage && marker && panel);

    EXPECT_EQ(marker->geometry(), stage->geometry());
    screen->setVisible("Label9", true);
    EXPECT_EQ(screen->childAt(centreIn(screen, stage)), marker) << "the marker covers the stage number";

    // Showing cells and labels again while the panel is up must not bring them over it.
    screen->setVisible("Picture1", true);
    for (int k = 1; k <= 21; ++k) {
        screen->showHole(k, false);
        screen->showHole(k, true);
    }
    screen->setVisible("Label9", false);
    screen->setVisible("Label9", true);
    std::vector<QPoint> points;
    for (int k = 1; k <= 21; ++k)
        points.push_back(centreOf(screen, k));
    for (const char* name : {"Label6", "Label7", "Label5", "Label2", "Label4", "TIM", "Command1", "Command2"})
        points.push_back(centreIn(screen, screen->control(QLatin1String(name))));
    for (const QPoint p : points) {
        QWidget* top = screen->childAt(p);
        EXPECT_TRUE(top == panel || panel->isAncestorOf(top))
            << p.x() << "," << p.y() << " shows " << (top ? top->objectName().toStdString() : "nothing");
    }
    QWidget* stop = screen->control(QStringLiteral("Command3"));
    EXPECT_EQ(screen->childAt(centreIn(screen, stop)), stop) << "the panel's own controls are drawn on it";
}

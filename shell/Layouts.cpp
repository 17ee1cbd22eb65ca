// The six screens as they were designed, control by control, in twips.
#include "shell/Layout.h"

#include "modes/Rules.h"
#include "modes/Texts.h"

#include <QtMath>

namespace hop::shell {

int twipsToPixels(int twips)
{
    return qRound(twips / double(kTwipsPerPixel));
}

namespace {

using K = ControlKind;
using modes::Button;
using modes::Overlay;
using modes::Readout;
using modes::TimerId;

const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kRed(0xFF, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kLightGrey(0xC0, 0xC0, 0xC0);
const FontStyle kPt12{12.0};
const FontStyle kButtonFont{15.75, true};

// The captions and number displays of a play screen: right-aligned on white. The
// game writes the numbers when the screen loads.
ControlEntry display(const char* name, const char* text, int left, int top, int width, int tab,
                    std::optional<FontStyle> font = kPt12, GameRole role = {})
{
    return {.name = name, .kind = K::Label, .text = QString::fromUtf8(text), .left = left, .top = top,
            .width = width, .height = 255, .tab = tab, .font = font, .background = kWhite, .align = Align::Right,
            .role = role};
}

ControlEntry caption(const char* name, const char* text, int left, int top, int tab, Readout names,
                     std::optional<FontStyle> font = kPt12)
{
    ControlEntry c = display(name, text, left, top, 1095, tab, font);
    c.captionOf = names;
    return c;
}

ControlEntry hidden(const char* name, K kind, GameRole role = {})
{
    const int side = (kind == K::Picture) ? 345 : 0;
    return {.name = name, .kind = kind, .width = side, .height = side, .visible = false, .role = role};
}

ControlEntry timer(const char* name, TimerId role)
{
    return {.name = name, .kind = K::Timer, .role = role};
}

ControlEntry playButton(const char* name, const char* text, int left, int tab, Button role)
{
    return {.name = name, .kind = K::Button, .text = text, .left = left, .top = 4020, .width = 1215,
            .height = 495, .tab = tab, .font = kButtonFont, .enabled = role != Button::Giveup, .role = role};
}

ScreenLayout timedLayout(const char* name, int clientWidth, std::optional<QColor> background, int labelShift,
                         int buttonShift)
{
    ScreenLayout l{.name = name, .caption = QString::fromUtf8(modes::texts::kApplicationTitle), .frame = Frame::Fixed, .minimizeButton = true,
                   .programIcon = true, .clientWidth = clientWidth, .clientHeight = 4710,
                   .background = background};
    l.controls = {
        caption("Label5", "残り駒数：", 360 + labelShift, 240, 27, Readout::PiecesLeft),
        display("Label2", "", 1440 + labelShift, 240, 255, 1, kPt12, Readout::PiecesLeft),
        caption("Label4", "残り時間：", 3120 + labelShift, 240, 26, Readout::TimeLeft),
        display("TIM", "", 4200 + labelShift, 240, 375, 25, kPt12, Readout::TimeLeft),
        playButton("Command1", "START", 960 + buttonShift, 23, Button::Start),
        playButton("Command2", "Giveup", 2760 + buttonShift, 28, Button::Giveup),
        timer("Timer1", TimerId::Reveal),
        timer("Timer2", TimerId::Countdown),
        hidden("Label1", K::Label, Readout::DragSource),
        hidden("Label3", K::Label, Readout::RevealCount),
        hidden("KOMA", K::Picture),
        hidden("KESU", K::Picture),
    };
    return l;
}

} // namespace

const ScreenLayout& titleLayout()
{
    static const ScreenLayout l{
        .name = "Form5", .caption = "", .frame = Frame::None, .clientWidth = 3810, .clientHeight = 3360,
        .controls = {{.name = "Image1", .kind = K::Picture, .width = 3810, .height = 3360, .stretch = true}}};
    return l;
}

const ScreenLayout& menuLayout()
{
    auto button = [](const char* name, const char* text, int left, int top, int tab) {
        return ControlEntry{.name = name, .kind = K::Button, .text = QString::fromUtf8(text), .left = left,
                           .top = top, .width = 1455, .height = 495, .tab = tab};
    };
    auto note = [](const char* name, const char* text, int top, int tab) {
        return ControlEntry{.name = name, .kind = K::Label, .text = QString::fromUtf8(text), .left = 1680,
                           .top = top, .width = 2775, .height = 735, .tab = tab, .wrap = true};
    };
    static const ScreenLayout l{
        .name = "Form4", .caption = QString::fromUtf8(modes::texts::kApplicationTitle) + QStringLiteral("のｹﾞｰﾑﾓｰﾄﾞ"), .frame = Frame::Fixed, .programIcon = true,
        .clientWidth = 4590, .clientHeight = 3750,
        .controls = {
            button("Command1", "ボード - A", 120, 240, 0),
            button("Command2", "ボード - B", 120, 1200, 1),
            button("Command3", "難問ステージ", 120, 2160, 2),
            button("Command4", "ﾊﾞｰｼﾞｮﾝ情報", 720, 3120, 3),
            button("Command5", "ゲームをやめる", 2400, 3120, 7),
            note("Label1",
                 "ピラミッド型のボードで、斜めのラインにそって駒を挟んで消していきます。"
                 "２分以内でボード上の２１個の駒を  １個にすればクリアです。",
                 120, 4),
            note("Label2",
                 "ピラミッド型のボードで、縦横のラインにそって駒を挟んで消していきます。"
                 "２分以内でボード上の２３個の駒を  １個にすればクリアです。",
                 1080, 5),
            note("Label3",
                 "ボードはタイプAのもので、１分以内でボード上の駒を１個にすればクリアです。"
                 "全部で１０のステージがあります。頭をフルに使って考えましょう。",
                 2040, 6),
        }};
    return l;
}

const ScreenLayout& versionLayout()
{
    static const ScreenLayout l{
        .name = "Form6", .caption = "バージョン情報", .frame = Frame::FixedTool, .clientWidth = 4815,
        .clientHeight = 1995,
        .controls = {
            {.name = "Label1", .kind = K::Label, .text = QString::fromUtf8(modes::texts::kApplicationTitle) + QStringLiteral(" Version" HOPSTONE_VERSION), .left = 600, .top = 240,
             .width = 4095, .height = 255, .tab = 0, .font = FontStyle{12.0, true}, .foreground = kRed,
             .align = Align::Center},
            {.name = "Picture1", .kind = K::PictureBox, .left = 120, .top = 120, .width = 480, .height = 480,
             .tab = 1},
            {.name = "Label2", .kind = K::Label, .text = "(C) Hopstone developers. Free to play and share.",
             .left = 240, .top = 840, .width = 4335, .height = 255, .tab = 2, .align = Align::Center},
            {.name = "Label3", .kind = K::Label, .text = "HomePage：", .left = 120, .top = 1200, .width = 975,
             .height = 255, .tab = 3, .align = Align::Center},
            {.name = "Text1", .kind = K::TextBox, .text = "https://hopstone.invalid/", .left = 1080, .top = 1200,
             .width = 3615, .height = 255, .tab = 4, .font = FontStyle{9.0, false, true}, .foreground = kBlue,
             .background = kLightGrey, .tabStop = false},
            {.name = "Command1", .kind = K::Button, .text = "OK", .left = 3840, .top = 1560, .width = 790,
             .height = 300, .tab = 5, .defaultButton = true},
        }};
    return l;
}

const ScreenLayout& boardALayout()
{
    static const ScreenLayout l = timedLayout("Form2", 4935, kLightGrey, 0, 0);
    return l;
}

const ScreenLayout& boardBLayout()
{
    static const ScreenLayout l = timedLayout("Form1", 7335, std::nullopt, 1200, 1200);
    return l;
}

const ScreenLayout& stagesLayout()
{
    static const ScreenLayout l = [] {
        ScreenLayout s{.name = "Form3", .caption = QString::fromUtf8(modes::texts::kApplicationTitle), .frame = Frame::Fixed, .minimizeButton = true,
                       .programIcon = true, .clientWidth = 4935, .clientHeight = 4695, .background = kLightGrey,
                       .baseFont = kPt12};
        auto panelLabel = [](const char* name, const char* text, int left, int top, int width, int tab) {
            return ControlEntry{.name = name, .kind = K::Label, .text = QString::fromUtf8(text), .left = left,
                               .top = top, .width = width, .height = 255, .tab = tab, .background = kWhite,
                               .align = Align::Center};
        };
        ControlEntry panel{.name = "Picture1", .kind = K::Panel, .width = 4935, .height = 4695, .tab = 33,
                          .background = kWhite, .visible = false, .role = Overlay::RoulettePanel};
        panel.children = {
            panelLabel("Label10", "好きな所でSTOPボタンを押してください。", 240, 120, 4455, 34),
            panelLabel("Label11", "ステージ", 1980, 720, 975, 35),
            {.name = "Label12", .kind = K::Label, .left = 2160, .top = 1200, .width = 615, .height = 375,
             .tab = 36, .font = FontStyle{18.0, true}, .foreground = kRed, .background = kWhite,
             .align = Align::Center, .role = Readout::RouletteDigit},
            {.name = "Command3", .kind = K::Button, .text = "STOP", .left = 1680, .top = 2520, .width = 1575,
             .height = 495, .tab = 37, .font = kButtonFont, .role = Button::Stop},
            timer("Timer3", TimerId::Spin),
        };
        // The marker covers the stage number with the re-test's number while it is due.
        ControlEntry marker = display("Label9", "", 1440, 240, 255, -1, std::nullopt, Overlay::RetestMarker);
        marker.text = QString::number(modes::kRetestStage);
        marker.visible = false;
        s.controls = {
            caption("Label6", "ステージ：", 360, 240, 29, Readout::StageNumber, std::nullopt),
            display("Label7", "", 1440, 240, 255, 30, std::nullopt, Readout::StageNumber),
            caption("Label5", "残り駒数：", 360, 600, 27, Readout::PiecesLeft, std::nullopt),
            display("Label2", "", 1440, 600, 255, 1, std::nullopt, Readout::PiecesLeft),
            caption("Label4", "残り時間：", 3120, 240, 26, Readout::TimeLeft, std::nullopt),
            display("TIM", "", 4200, 240, 375, 25, std::nullopt, Readout::TimeLeft),
            playButton("Command1", "START", 960, 23, Button::Start),
            playButton("Command2", "Giveup", 2760, 28, Button::Giveup),
            panel,
            timer("Timer1", TimerId::Reveal),
            timer("Timer2", TimerId::Countdown),
            hidden("Label1", K::Label, Readout::DragSource),
            hidden("Label3", K::Label, Readout::RevealCount),
            hidden("Label8", K::Label, Readout::PlayFlag),
            marker,
            hidden("KOMA", K::Picture),
            hidden("KESU", K::Picture),
        };
        return s;
    }();
    return l;
}

} // namespace hop::shell

// Help is plain rich text in a browser widget, so it reads aloud and selects like text.
#include "shell/HelpWindow.h"

#include "modes/Texts.h"

#include "resources/BuiltinPictures.h"
#include "shell/Keys.h"
#include "shell/Screen.h"
#include "shell/ScreenBuilder.h"

#include <QKeyEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace hop::shell {

QString HelpWindow::html()
{
    // The keys as the key table has them, each in bold.
    const auto keys = [](KeyAction action) {
        return QStringLiteral("<b>%1</b>").arg(keyNames(KeyPlace::Board, action).join(QStringLiteral("</b> か <b>")));
    };
    return QStringLiteral(
        "<h2>Hopstone ヘルプ</h2>"
        "<h3>遊び方</h3>"
        "<p>穴にはそれぞれ駒が入っているか、空いています。駒をマウスでつかみ、線にそって隣の駒を飛び越えて、"
        "その先の空いている穴に落とします。飛び越えられた駒は消えます。"
        "落とせる穴の上では、ポインターが「OK」の印に変わります。</p>"
        "<p>「START」を押すと穴が順に現れ、すべて現れたところで時間が減り始めます。"
        "時間内にボード上の駒を１個にすればクリアです。「Giveup」でその回をやめて、最初からやり直せます。</p>"
        "<h3>ゲームモード</h3>"
        "<ul>"
        "<li><b>ボード - A</b>：２１個の穴が三角形に並んだボード。横と斜めの線にそって飛び越えます。時間は２分です。</li>"
        "<li><b>ボード - B</b>：２３個の穴がピラミッド型に並んだボード。縦横の線と、両側の辺にそって飛び越えます。"
        "時間は２分です。</li>"
        "<li><b>難問ステージ</b>：ボード A を使った１０の問題を順に解きます。各ステージの時間は１分です。"
        "ステージ８では、前のステージの中からルーレットで選ばれた問題がもう１度出題されます。"
        "好きなところで「STOP」を押してください。</li>"
        "</ul>"
        "<h3><a name=\"master\"></a>目指せ！ゲームマスター</h3>"
        "<p>難問ステージの１０ステージをすべてクリアすると、パスワードが表示されます。"
        "このパスワードは、すべての難問を解いたゲームマスターである証です。"
        "書き留めておき、友だちに見せて腕前を証明しましょう。</p>"
        "<h3>操作</h3>"
        "<p>%3 キーでこのヘルプを開きます。ボタンは Enter キーや Space キーでも押せます。"
        "Tab キーでボタンからボタンへ移ります。</p>"
        "<h3>キーボードで遊ぶ</h3>"
        "<p>穴がすべて現れたら、矢印キーで印の枠をボードに出し、穴から穴へ動かします。"
        "枠は中央の穴から始まり、上下の矢印でとなりの段へ、左右の矢印で同じ段の穴へ動きます。</p>"
        "<ul>"
        "<li>%4：枠のある穴の駒を持ち上げます。"
        "跳び込める穴には内側に小さな枠が付きます。その穴で押すと駒が跳び、飛び越えた駒が消えます。"
        "持ち上げた穴でもう一度押すと、駒を元に戻します。</li>"
        "<li>%5：持ち上げた駒を元に戻します。</li>"
        "<li><b>Tab</b>：枠をボードから外して、ボタンへ移ります。</li>"
        "<li>%6：その番号の穴へ枠が移ります。２けたの番号は、続けて１秒以内に打ちます。</li>"
        "<li>%7：跳べる駒へ順に移ります。駒を持ち上げているときは、跳び込める穴へ順に移ります。"
        "%8 で逆の順に移ります。</li>"
        "<li>%9：残り時間と残り駒数、ステージを知らせます。枠は動きません。</li>"
        "</ul>"
        "<p>スクリーンリーダーは、枠のある穴を「5 こま とべる」のように短く読み上げ、"
        "駒が跳ぶたびに、どこからどこへ跳んだかと残り駒数を知らせます。"
        "穴がすべて現れると、ステージと開始を知らせます。</p>"
        "<h3>時間を延ばす</h3>"
        "<p>時間の足りない方は、ゲームを <b>hopstone --slow-clock</b> で起動するか、"
        "ランチャーの「時間を %1 倍にして遊ぶ」を選ぶと、どのゲームも時間が %1 倍になります。"
        "その間、ウィンドウのタイトルに「%2」と表示されます。</p>")
        .arg(QString::number(modes::kSlowClockFactor), clockNote(modes::Pace::Slow), helpKey().toString(),
             keys(KeyAction::Activate), keys(KeyAction::PutBack), keys(KeyAction::MarkHole), keys(KeyAction::MarkNext),
             keys(KeyAction::MarkPrevious), keys(KeyAction::TellState));
}

HelpWindow::HelpWindow() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("Help"));
    setWindowTitle(QString::fromUtf8(modes::texts::kApplicationTitle) + QStringLiteral(" ヘルプ"));
    setWindowIcon(resources::programIconSet());
    setAttribute(Qt::WA_DeleteOnClose);
    auto* browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("HelpText"));
    browser->setFont(gameFont(FontStyle{10.5}));
    browser->setHtml(html());
    browser->setOpenLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    resize(480, 420);
}

void HelpWindow::keyPressEvent(QKeyEvent* event)
{
    if (keyAction(KeyPlace::Help, *event) == KeyAction::CloseWindow) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace hop::shell

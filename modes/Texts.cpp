// Multi-line messages are joined with CR LF. A number the game fills in is written in
// half-width digits; the numbers that are part of a sentence are full-width, as written.
#include "modes/Texts.h"

namespace hop::modes::texts {

std::string stageClear(int stage)
{
    return "ステージ" + std::to_string(stage) + "クリア！\r\n次のステージへ進みます。";
}

std::string completion()
{
    return std::string("全ステージクリア！あんたはスゴイ！\r\nパスワードは「") + kCompletionPassword +
           "」です。\r\nパスワードの利用法はヘルプの「目指せ！ゲームマスター」をご覧ください。";
}

std::string rouletteStart()
{
    return "やっとステージ８まできたか。\r\n"
           "ところで前に出した問題がもう解けないようなことは無いだろうな？\r\n"
           "もしかしたら偶然できたって事も考えられるから前の問題をもう１回出題しよう。";
}

std::string rouletteDrawn(int digit)
{
    return "よし、ステージ" + std::to_string(digit) + "だな。";
}

std::string retestClear()
{
    return "よくクリアしたな。\r\n次のステージ９もきちんと練習してたらクリアできる問題だぞ。";
}

} // namespace hop::modes::texts

// Every message and sound name the play modes use, exactly as the player reads them.
#pragma once

#include <string>

namespace hop::modes::texts {

// The project's name, given by the build, as the version is.
inline constexpr const char* kApplicationTitle = HOPSTONE_NAME;
inline constexpr const char* kOpeningSound = "op.wav";
inline constexpr const char* kClickSound = "001.wav";

inline constexpr const char* kClear = "クリア！おめでとう。";
inline constexpr const char* kTimeUp = "タイムアップ！\r\nゲームオーバー";

inline constexpr const char* kCompletionPassword = "HOPS0821";

std::string stageClear(int stage);
std::string completion();
std::string rouletteStart();
inline constexpr const char* kRouletteZero = "なに！0だと！もう一回だ。";
std::string rouletteDrawn(int digit);
std::string retestClear();

} // namespace hop::modes::texts

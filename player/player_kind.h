// Which of the three players a path names. The kind is never stored: each
// caller derives it from a path when it needs it, in its own order of tests,
// by comparing the path's last characters with the player's file name.
#pragma once

#include <string_view>

#include "base/paths.h"

namespace velmoria {

inline constexpr std::wstring_view kSpcPlayExe = L"SPCPLAY.EXE";
inline constexpr std::wstring_view kWinSpcExe = L"WINSPC.EXE";
inline constexpr std::wstring_view kZdSpcExe = L"ZDSPC.EXE";

inline bool IsSpcPlay(std::wstring_view path) { return EndsWithNoCase(path, kSpcPlayExe); }
inline bool IsWinSpc(std::wstring_view path) { return EndsWithNoCase(path, kWinSpcExe); }
inline bool IsZdSpc(std::wstring_view path) { return EndsWithNoCase(path, kZdSpcExe); }

}  // namespace velmoria

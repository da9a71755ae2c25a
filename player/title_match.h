// How a window title is tested against a search text when looking for a
// player's window. The modes travel as plain integers, so their numbers are
// fixed: 0 starts, 1 contains, 2 ends.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmoria {

enum TitleMatch : std::int32_t {
    TitleStarts = 0,
    TitleContains = 1,
    TitleEnds = 2,
};

// Both texts are compared in upper case. An unknown mode never matches.
bool TitleMatches(std::wstring_view title, std::wstring_view search, std::int32_t mode);

// Window titles are read into a buffer of 256 characters, so only this many
// characters of a title take part in the comparison.
inline constexpr std::size_t kTitleCharsExamined = 255;

}  // namespace velmoria

// Command lines handed to the players. Every part is followed by one space, so
// a line always ends in a space; arguments are short paths, quoted only when a
// short path still holds a space (volumes without 8.3 names).
#pragma once

#include <string>
#include <string_view>

namespace velmoria {

// The SPCPlay options as the main window's controls hold them. A box counts
// only when its value is 1 (ticked); 0 is unticked and 2 greyed.
struct SpcPlayOptions {
    int eightBit = 0;
    int stereo = 0;
    int adsr = 0;
    int buffering = 0;
    int samplingIndex = -1;  // position in the rate list; -1 when none is selected
};

// The rate list position that SPCPlay uses when it is given no rate switch.
inline constexpr int kDefaultSamplingIndex = 2;

std::wstring BuildCommandLine(std::wstring_view playerShortPath, std::wstring_view spcShortPath);
std::wstring SpcPlaySwitches(const SpcPlayOptions& options);

// "<program>" "<argument>", each in quotes, for a program that takes one
// argument up to its closing quote (or the whole rest of the line). An
// argument that begins with "-" is a command and stays unquoted.
std::wstring QuotedCommandLine(std::wstring_view program, std::wstring_view argument);

}  // namespace velmoria

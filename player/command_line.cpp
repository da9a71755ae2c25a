#include "player/command_line.h"

#include "base/paths.h"

namespace velmoria {

std::wstring BuildCommandLine(std::wstring_view playerShortPath, std::wstring_view spcShortPath) {
    return CommandArgument(playerShortPath) + L' ' + CommandArgument(spcShortPath) + L' ';
}

std::wstring SpcPlaySwitches(const SpcPlayOptions& options) {
    std::wstring switches;
    if (options.eightBit == 1) switches += L"-8 ";
    if (options.stereo == 1) switches += L"-z ";
    if (options.adsr == 1) switches += L"-x ";
    if (options.buffering == 1) switches += L"-q ";
    if (options.samplingIndex != kDefaultSamplingIndex) {
        switches += L"-r " + std::to_wstring(options.samplingIndex) + L' ';
    }
    return switches;
}

std::wstring QuotedCommandLine(std::wstring_view program, std::wstring_view argument) {
    std::wstring line = L"\"" + std::wstring(program) + L"\" ";
    // Windows names cannot hold a quote, so a path needs no escaping.
    if (argument.starts_with(L'-')) return line + std::wstring(argument);
    return line + L'"' + std::wstring(argument) + L'"';
}

}  // namespace velmoria

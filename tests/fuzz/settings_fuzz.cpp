// libFuzzer target for the settings and choices readers: any bytes at all
// must read back as some settings and choices, without a crash, a hang or
// undefined behaviour, and what the writers make of them must read back the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/choices.h"
#include "app/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const velmoria::Choices choices = velmoria::ParseChoices(bytes);
    const velmoria::Choices choicesAgain = velmoria::ParseChoices(velmoria::FormatChoices(choices));
    if (choicesAgain.songTitles != choices.songTitles || choicesAgain.shuffle != choices.shuffle ||
        choicesAgain.repeat != choices.repeat || choicesAgain.lastFolder != choices.lastFolder) {
        __builtin_trap();
    }
    const velmoria::StoredSettings read = velmoria::ParseSettings(bytes);
    const auto written = velmoria::FormatSettings(read.playerPath, read.compactFlag);
    // The writer refuses exactly the paths holding a line break or a quote.
    if (written.has_value() != (read.playerPath.find_first_of("\r\n\"") == std::string::npos)) __builtin_trap();
    if (!written) return 0;
    if (read.playerPath.find_first_of(" \t") == 0) return 0;  // the reader skips leading blanks
    if (read.playerPath.starts_with("\xEF\xBB\xBF")) return 0;  // read as a byte-order mark
    const velmoria::StoredSettings again = velmoria::ParseSettings(*written);
    if (again.playerPath != read.playerPath || again.compactFlag != read.compactFlag) __builtin_trap();
    return 0;
}

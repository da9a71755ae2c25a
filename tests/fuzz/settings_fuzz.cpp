// libFuzzer target for the settings reader: any bytes at all must read back as
// some path and a flag, without a crash, a hang or undefined behaviour, and
// what the writer makes of the result must read back the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const velmoria::StoredSettings read = velmoria::ParseSettings(bytes);
    if (read.playerPath.find_first_of("\r\n\"") != std::string::npos) return 0;  // not a writable path
    if (read.playerPath.find_first_of(" \t") == 0) return 0;  // the reader skips leading blanks
    const velmoria::StoredSettings again =
        velmoria::ParseSettings(velmoria::FormatSettings(read.playerPath, read.compactFlag));
    if (again.playerPath != read.playerPath || again.compactFlag != read.compactFlag) __builtin_trap();
    return 0;
}

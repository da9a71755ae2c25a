// libFuzzer target for the SPC tag reader: the first 256 bytes of the input
// stand for the file's header, the rest (up to the 16 KiB read) for what
// follows 0x10200. Any bytes
// must give details within bounds, without a crash or undefined behaviour.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "spc/song_text.h"
#include "spc/spc_tag.h"

namespace {

bool Clean(std::string_view text) {
    if (!text.empty() && text.back() == ' ') return false;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string_view head = bytes.substr(0, velmoria::kSpcHeaderBytes);
    const std::string_view extended = bytes.substr(head.size());
    const auto details = velmoria::ReadSongDetails(head, extended);
    if (!details) return 0;
    if (!Clean(details->title) || !Clean(details->game) || !Clean(details->artist)) __builtin_trap();
    if (details->seconds < 0 || details->fadeMs < 0) __builtin_trap();
    // Whatever a tag claims, a length stays within half an hour and a fade
    // within 99.999 s, and the play-through waits as long as the tip says.
    if (details->seconds > 30 * 60 || details->fadeMs > 99999) __builtin_trap();
    if (velmoria::PlayTimeMs(details) != details->seconds * 1000 + details->fadeMs && details->seconds > 0)
        __builtin_trap();
    if (details->seconds > 0 && velmoria::PlayLengthText(*details).empty()) __builtin_trap();
    velmoria::EncodingOf(details->title);
    return 0;
}

// UTF-8 to and from wide text, without the system: the choices file and the
// tags' encoding check share one reading of what valid UTF-8 is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmoria {

struct Utf8Char {
    std::uint32_t code;
    std::size_t length;  // in bytes
};

// The character that begins at bytes[at]; nothing when the bytes there are
// no valid UTF-8 (overlong forms, surrogates and values past U+10FFFF are not).
std::optional<Utf8Char> DecodeUtf8At(std::string_view bytes, std::size_t at);

// Text as UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);

// Text an editor saved as UTF-16 (its byte-order mark gone), as UTF-8; an
// odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

// UTF-8 as text; each invalid byte gives U+FFFD, as any reader would show it.
std::wstring FromUtf8(std::string_view bytes);

}  // namespace velmoria

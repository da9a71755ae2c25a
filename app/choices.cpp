#include "app/choices.h"

#include <cstdint>

namespace velmoria {
namespace {

std::string Utf8(std::wstring_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t code = text[i];
        // A surrogate pair is one character; a lone surrogate becomes U+FFFD.
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<std::uint32_t>(text[++i]) - 0xDC00);
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            bytes += static_cast<char>(code);
        } else if (code < 0x800) {
            bytes += static_cast<char>(0xC0 | (code >> 6));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += static_cast<char>(0xE0 | (code >> 12));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (code >> 18));
            bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return bytes;
}

// Invalid sequences give U+FFFD, as any reader of UTF-8 would show them.
std::wstring FromUtf8(std::string_view bytes) {
    std::wstring text;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t extra = lead < 0x80 ? 0 : lead >= 0xF0 && lead <= 0xF4 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 9;
        std::uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        bool valid = extra <= 3 && bytes.size() - i > extra;
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3Fu);
        }
        const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (!valid || code < least[extra] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
            text += L'\xFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000 && sizeof(wchar_t) == 2) {  // UTF-16 on Windows, UTF-32 elsewhere
            text += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            text += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            text += static_cast<wchar_t>(code);
        }
        i += extra + 1;
    }
    return text;
}

}  // namespace

std::string FormatChoices(const Choices& choices) {
    auto flag = [](bool on) { return on ? "1\r\n" : "0\r\n"; };
    return std::string("titles=") + flag(choices.songTitles) + "shuffle=" + flag(choices.shuffle) + "repeat=" +
           flag(choices.repeat) + "folder=" + Utf8(choices.lastFolder) + "\r\n";
}

Choices ParseChoices(std::string_view bytes) {
    Choices choices;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (key == "titles") choices.songTitles = value == "1";
        if (key == "shuffle") choices.shuffle = value == "1";
        if (key == "repeat") choices.repeat = value == "1";
        // A NUL cannot be part of a path.
        if (key == "folder" && value.find('\0') == std::string_view::npos) choices.lastFolder = FromUtf8(value);
    }
    return choices;
}

}  // namespace velmoria

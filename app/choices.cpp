#include "app/choices.h"

#include "base/utf8.h"

namespace velmoria {

std::string FormatChoices(const Choices& choices) {
    auto flag = [](bool on) { return on ? "1\r\n" : "0\r\n"; };
    return std::string("titles=") + flag(choices.songTitles) + "shuffle=" + flag(choices.shuffle) + "repeat=" +
           flag(choices.repeat) + "folder=" + ToUtf8(choices.lastFolder) + "\r\n";
}

Choices ParseChoices(std::string_view bytes) {
    // An editor may have saved it with a byte-order mark, or as UTF-16.
    std::string converted;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        converted = Utf16ToUtf8(bytes.substr(2), bytes[0] == '\xFE');
        bytes = converted;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
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

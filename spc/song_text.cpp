#include "spc/song_text.h"

namespace velmoria {

TagEncoding EncodingOf(std::string_view bytes) {
    if (IsUtf8(bytes)) return TagEncoding::Utf8;
    return IsShiftJisPairs(bytes) ? TagEncoding::ShiftJis : TagEncoding::Ansi;
}

std::wstring SongDetailsLines(const SongDetails& details, const TagDecoder& decode) {
    std::wstring text;
    auto line = [&text, &decode](std::wstring_view label, std::string_view bytes) {
        if (!bytes.empty()) text += L"\n" + std::wstring(label) + decode(bytes, EncodingOf(bytes));
    };
    line(L"Title: ", details.title);
    line(L"Game: ", details.game);
    line(L"Artist: ", details.artist);
    line(L"Length: ", PlayLengthText(details));
    return text;
}

}  // namespace velmoria

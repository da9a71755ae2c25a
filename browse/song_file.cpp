#include "browse/song_file.h"

#include <windows.h>

#include "base/paths.h"
#include "wintk/win_handles.h"
#include "wintk/win_text.h"

namespace velmoria {

std::optional<SongDetails> ReadSongFile(const std::wstring& path) {
    // Verbatim, so that a song named COM1.spc or AUX.spc (from a NAS or an
    // archive) is read as a file, not the serial port it would name.
    const UniqueFile file(::CreateFileW(VerbatimPath(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    auto read = [&file](std::size_t size) {
        std::string bytes(size, '\0');
        DWORD got = 0;
        if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(size), &got, nullptr)) got = 0;
        bytes.resize(got);
        return bytes;
    };
    const std::string head = read(kSpcHeaderBytes);
    std::string extended;
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(kExtendedTagOffset);
    if (head.size() == kSpcHeaderBytes && ::SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN)) {
        extended = read(kExtendedTagMaxBytes);
    }
    return ReadSongDetails(head, extended);
}

std::wstring DecodeTagText(std::string_view bytes, TagEncoding encoding) {
    if (encoding == TagEncoding::Utf8) return FromAnsi(bytes, CP_UTF8);
    if (encoding == TagEncoding::ShiftJis) {
        // Strict, so that Latin-1 text that happens to pair up is read as Latin-1.
        if (std::wstring text = FromAnsi(bytes, 932, MB_ERR_INVALID_CHARS); !text.empty()) return text;
    }
    return FromAnsi(bytes, CP_ACP);
}

}  // namespace velmoria

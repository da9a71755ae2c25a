#include "browse/song_file.h"

#include <windows.h>

#include "archive/set_shelf.h"
#include "base/paths.h"
#include "wintk/win_handles.h"
#include "wintk/win_text.h"

namespace velmoria {

namespace {

FileStamp StampFrom(DWORD sizeHigh, DWORD sizeLow, FILETIME written) {
    return {(std::uint64_t{sizeHigh} << 32) | sizeLow,
            (std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime};
}

}  // namespace

std::optional<FileStamp> StampOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(VerbatimPath(path).c_str(), GetFileExInfoStandard, &data)) {
        const std::optional<SetSpot> spot = SetShelf::Locate(path);
        return spot && !spot->inner.empty() ? StampOf(spot->set) : std::nullopt;
    }
    return StampFrom(data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
}

std::function<std::optional<SongDetails>(const std::wstring&, std::optional<FileStamp>*)> SongReaderWith(SetShelf& shelf) {
    return [&shelf](const std::wstring& path, std::optional<FileStamp>* stamp) -> std::optional<SongDetails> {
        std::optional<FileStamp> own;
        std::optional<SongDetails> details = ReadSongFile(path, &own);
        if (!own) {
            // No file by that path: a song inside a set, or none at all.
            const std::optional<SetSong> song = shelf.ReadSong(path);
            if (!song) return std::nullopt;
            own = FileStamp{song->setSize, song->setWriteTime};
            details = ReadSongBytes(song->bytes);
        }
        if (stamp) *stamp = own;
        return details;
    };
}

std::optional<SongDetails> ReadSongFile(const std::wstring& path, std::optional<FileStamp>* stamp) {
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
    // The stamp from the handle itself: no second look up of the path, and
    // the file it describes is the one read.
    if (LARGE_INTEGER size; stamp && ::GetFileSizeEx(file.get(), &size)) {
        if (FILETIME written; ::GetFileTime(file.get(), nullptr, nullptr, &written)) {
            *stamp = StampFrom(static_cast<DWORD>(size.QuadPart >> 32), static_cast<DWORD>(size.QuadPart), written);
        }
    }
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
    if (encoding == TagEncoding::Utf8) return PlainLineText(FromAnsi(bytes, CP_UTF8));
    if (encoding == TagEncoding::ShiftJis) {
        // Strict, so that Latin-1 text that happens to pair up is read as Latin-1.
        if (std::wstring text = FromAnsi(bytes, 932, MB_ERR_INVALID_CHARS); !text.empty()) return PlainLineText(text);
    }
    return PlainLineText(FromAnsi(bytes, CP_ACP));
}

}  // namespace velmoria

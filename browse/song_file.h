// A song file's details, read from the file: the header and the extended tag
// only, never the sound data between them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "spc/song_text.h"

namespace velmoria {

class SetShelf;

// A file's size and last write time: what tells whether it changed.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    bool operator==(const FileStamp&) const = default;
};

// Nothing when the file has gone, cannot be read or is no SPC file. It blocks
// for as long as the file's drive takes. path: a full path. stamp, when given,
// receives the stamp of the file that was read (nothing when none was).
std::optional<SongDetails> ReadSongFile(const std::wstring& path, std::optional<FileStamp>* stamp = nullptr);

// The stamp of a file by its path (of a song inside a set, the set's);
// nothing when it has gone.
std::optional<FileStamp> StampOf(const std::wstring& path);

// ReadSongFile, and for a path inside a set, the song from the shelf.
std::function<std::optional<SongDetails>(const std::wstring&, std::optional<FileStamp>*)> SongReaderWith(SetShelf& shelf);

// A tag's bytes as text, in the encoding the tag's bytes were found to be
// in, with nothing in it that would reorder or break the line it is shown on.
std::wstring DecodeTagText(std::string_view bytes, TagEncoding encoding);

}  // namespace velmoria

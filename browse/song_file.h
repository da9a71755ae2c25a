// A song file's details, read from the file: the header and the extended tag
// only, never the sound data between them.
#pragma once

#include <optional>
#include <string>

#include "spc/song_text.h"

namespace velmoria {

// Nothing when the file has gone, cannot be read or is no SPC file. It blocks
// for as long as the file's drive takes. path: a full path.
std::optional<SongDetails> ReadSongFile(const std::wstring& path);

// A tag's bytes as text, in the encoding the tag's bytes were found to be in.
std::wstring DecodeTagText(std::string_view bytes, TagEncoding encoding);

}  // namespace velmoria

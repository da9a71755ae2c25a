// What a song's tag says, as the lines a listener reads: Title, Game, Artist
// and Length. A tag's texts come in no stated code page; which one they are
// in is decided here, and the caller turns the bytes into text in it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "spc/spc_tag.h"

namespace velmoria {

enum class TagEncoding {
    Utf8,      // the bytes are valid UTF-8 (plain ASCII is)
    ShiftJis,  // else, when they pair up as Shift-JIS: Japanese dumps are common
    Ansi,      // anything else: the system's code page
};

TagEncoding EncodingOf(std::string_view bytes);

using TagDecoder = std::function<std::wstring(std::string_view bytes, TagEncoding encoding)>;

// "\nTitle: ...\nGame: ...\nArtist: ...\nLength: ...", each line only when the
// tag gives it; empty for a tag that gives nothing.
std::wstring SongDetailsLines(const SongDetails& details, const TagDecoder& decode);

}  // namespace velmoria

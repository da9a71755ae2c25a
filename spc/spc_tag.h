// Song details from an SPC file's ID666 tag, read from the file's bytes
// alone: the first 256 bytes (the header and its tag) and, when the file has
// one, the extended tag ("xid6") that follows the sound data at 0x10200.
//
// Nothing in a file is trusted: tags come as text or as binary numbers with
// no reliable mark of which, lengths can be absurd, titles fill their field
// without an end, and every size in the extended tag may be wrong.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmoria {

// The names SPC files go by.
inline constexpr std::wstring_view kSpcFilePattern = L"*.SPC";

// Where the extended tag begins, and how much of it is worth reading.
inline constexpr std::size_t kSpcHeaderBytes = 0x100;
inline constexpr std::size_t kExtendedTagOffset = 0x10200;
inline constexpr std::size_t kExtendedTagMaxBytes = 0x4000;

// Texts are bytes of an unknown code page, control bytes already replaced by
// spaces and trailing spaces trimmed; empty when the tag has none.
struct SongDetails {
    std::string title;
    std::string game;
    std::string artist;
    int seconds = 0;  // play time before the fade; 0 when unknown
    int fadeMs = 0;
    bool lengthGuessed = false;  // an absurd binary length, cut to a plausible one
};

// The details of an SPC file; nothing when the bytes are not an SPC file.
// A file without a tag gives empty details.
std::optional<SongDetails> ReadSongDetails(std::string_view head, std::string_view extended);
// The same from a whole song's bytes (a song inside a set).
inline std::optional<SongDetails> ReadSongBytes(std::string_view song) {
    const std::string_view extended = song.size() > kExtendedTagOffset ? song.substr(kExtendedTagOffset, kExtendedTagMaxBytes)
                                                                         : std::string_view{};
    return ReadSongDetails(song.substr(0, kSpcHeaderBytes), extended);
}

// "2:40 + 10 s fade", "about 15:59" for a guess; empty when unknown.
std::string PlayLengthText(const SongDetails& details);

// How long a play-through plays a song: its length and fade as the tip shows
// them (a length past half an hour is cut to that, and shown as a guess);
// 3:00 and a 10 s fade when the tag gives none.
int PlayTimeMs(const std::optional<SongDetails>& details);

// True when the bytes are valid UTF-8 (plain ASCII is).
bool IsUtf8(std::string_view bytes);
// True when every byte past ASCII pairs up as a Shift-JIS lead and trail
// byte (or is a half-width katakana), and a pair is surely Shift-JIS: a lead
// of 0x81-0x9F (kana, common kanji), or a trail byte past ASCII.
bool IsShiftJisPairs(std::string_view bytes);

}  // namespace velmoria

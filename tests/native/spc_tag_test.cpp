// The SPC tag reader on the shapes real files have.
#include "spc/spc_tag.h"
#include "spc/song_text.h"

#include <gmock/gmock.h>

#include <cstdint>
#include <string>

namespace velmoria {
namespace {

std::string Header(char marker = 26) {
    std::string bytes(kSpcHeaderBytes, '\0');
    bytes.replace(0, 35, "SNES-SPC700 Sound File Data v0.30\x1A\x1A");
    bytes[0x23] = marker;
    return bytes;
}

void Put(std::string& bytes, std::size_t offset, std::string_view value) { bytes.replace(offset, value.size(), value); }

std::string Le(std::uint32_t value, std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

TEST(SpcTag, TextAndBinaryTagsGiveTitlesArtistAndLength) {
    std::string text = Header();
    Put(text, 0x2E, "Green Hills\x01Zone");
    Put(text, 0x4E, "A Game   ");
    Put(text, 0xA9, "160");
    Put(text, 0xAC, "2500");
    Put(text, 0xB1, "Composer");
    const auto read = ReadSongDetails(text, {});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->title, "Green Hills Zone");
    EXPECT_EQ(read->game, "A Game");
    EXPECT_EQ(read->artist, "Composer");
    EXPECT_EQ(PlayLengthText(*read), "2:40 + 2.5 s fade");

    std::string binary = Header();
    Put(binary, 0x2E, std::string(32, 'T'));  // a full title has no NUL
    Put(binary, 0xA9, Le(95, 3));
    Put(binary, 0xAC, Le(10000, 4));
    Put(binary, 0xB0, "Binary Artist");
    const auto binaryRead = ReadSongDetails(binary, {});
    EXPECT_EQ(binaryRead->title, std::string(32, 'T'));
    EXPECT_EQ(binaryRead->artist, "Binary Artist");
    EXPECT_EQ(PlayLengthText(*binaryRead), "1:35 + 10 s fade");
    EXPECT_EQ(PlayLengthText(SongDetails{"", "", "", 65, 500, false}), "1:05 + 0.5 s fade");
    Put(text, 0xA9, "300");  // real lengths are shown as they are, however long
    Put(text, 0xAC, "60000");
    EXPECT_EQ(PlayLengthText(*ReadSongDetails(text, {})), "5:00 + 60 s fade");
    EXPECT_EQ(PlayLengthText(SongDetails{"", "", "", 7, 0, false}), "0:07");
    // A play-through plays what the tip shows, or 3:00 and a 10 s fade.
    EXPECT_EQ(PlayTimeMs(SongDetails{"", "", "", 65, 500, false}), 65500);
    EXPECT_EQ(PlayTimeMs(SongDetails{"", "", "", 0, 9000, false}), 190000);

    Put(binary, 0xA9, Le(43665, 3));  // absurd values are cut and shown as a guess
    Put(binary, 0xAC, Le(0xFFFFFFFF, 4));
    EXPECT_EQ(PlayLengthText(*ReadSongDetails(binary, {})), "about 15:59 + 59.999 s fade");
}

TEST(SpcTag, TheMarkerDecidesOnlyWhenTheTitleIsNoText) {
    std::string untagged = Header(27);
    Put(untagged, 0x2E, "\x05\x80junk");
    const auto none = ReadSongDetails(untagged, {});
    ASSERT_TRUE(none);
    EXPECT_EQ(none->title + PlayLengthText(*none), "");

    std::string marked27 = Header(27);
    Put(marked27, 0x2E, "Tagged Anyway");
    EXPECT_EQ(ReadSongDetails(marked27, {})->title, "Tagged Anyway");

    EXPECT_FALSE(ReadSongDetails("SNES-SPC700 Sound File", {}));  // cut short
    EXPECT_FALSE(ReadSongDetails("RIFF....WAVEfmt", {}));
    const auto truncated = ReadSongDetails(Header().substr(0, 0x40) + "Half", {});
    ASSERT_TRUE(truncated);
    EXPECT_EQ(truncated->game, "");
}

TEST(SpcTag, TheExtendedTagGivesTheWholeTitleAndLengthsAndStaysInsideItsBytes) {
    std::string head = Header();
    Put(head, 0x2E, "A title longer than thirty-two c");
    const std::string whole = "A title longer than thirty-two characters";
    std::string items = std::string("\x01\x01", 2) + Le(static_cast<std::uint32_t>(whole.size()), 2) + whole;
    items.resize((items.size() + 3) / 4 * 4, '\0');
    items += std::string("\x33\x04", 2) + Le(4, 2) + Le(64000 * 5, 4);  // fade, 5 s
    // intro 20 min, then a loop of 10 s three times, then an end of 5 s
    items += std::string("\x30\x04", 2) + Le(4, 2) + Le(64000 * 1200, 4);
    items += std::string("\x31\x04", 2) + Le(4, 2) + Le(64000 * 10, 4);
    items += std::string("\x35\x00", 2) + Le(3, 2);
    items += std::string("\x32\x04", 2) + Le(4, 2) + Le(64000 * 5, 4);
    const std::string chunk = "xid6" + Le(static_cast<std::uint32_t>(items.size()), 4) + items;
    const auto read = ReadSongDetails(head, chunk);
    EXPECT_EQ(read->title, whole);
    EXPECT_EQ(PlayLengthText(*read), "20:35 + 5 s fade");
    // The header's length wins where it gives one: many extended intros are wrong.
    // Absurd ticks are cut and shown as a guess, and played as the tip says.
    const std::string absurd = "xid6" + Le(16, 4) + std::string("\x30\x04", 2) + Le(4, 2) + Le(0xFFFFFFFF, 4) +
                               std::string("\x33\x04", 2) + Le(4, 2) + Le(0xFFFFFFFF, 4);
    EXPECT_EQ(PlayLengthText(*ReadSongDetails(head, absurd)), "about 30:00 + 99.999 s fade");
    EXPECT_EQ(PlayTimeMs(ReadSongDetails(head, absurd)), 1899999);
    Put(head, 0xA9, "828");
    Put(head, 0xAC, "9000");
    EXPECT_EQ(PlayLengthText(*ReadSongDetails(head, chunk)), "13:48 + 9 s fade");

    // Sizes that run past the bytes there are: what comes before still counts.
    const std::string lying = "xid6" + Le(0xFFFFFFF0, 4) + items.substr(0, 4) + "A ti";
    EXPECT_EQ(ReadSongDetails(head, lying)->title, "A title longer than thirty-two c");
    std::string overlong = "xid6" + Le(8, 4) + std::string("\x02\x01", 2) + Le(0xFFFF, 2) + "Game";
    EXPECT_EQ(ReadSongDetails(head, overlong)->game, "");
}

// Titles in the encodings dumps come in: each told for what it is.
TEST(SpcTag, EachTitleIsReadInTheEncodingItIsIn) {
    const std::pair<const char*, TagEncoding> titles[] = {
        {"plain", TagEncoding::Utf8},
        {"\xE3\x83\x9E\xE3\x83\xAA\xE3\x82\xAA", TagEncoding::Utf8},  // UTF-8 katakana
        {"\x83\x7D\x83\x8A\x83\x49 \xB1", TagEncoding::ShiftJis},     // katakana, a half-width one
        {"\x90\xB9\x8C\x95\x93\x60\x90\xE0", TagEncoding::ShiftJis},  // kanji
        {"\xE9\x40\x83\x41", TagEncoding::ShiftJis},                    // a rare kanji, then katakana
        {"Pok\xE9mon", TagEncoding::Ansi},                                   // Latin-1 letters before ASCII ones
        {"Bj\xF6rk", TagEncoding::Ansi},
        {"M\xFAsica", TagEncoding::Ansi},
        {"M\xFCsik \xE9t\xE9", TagEncoding::Ansi},  // a lead byte without its trail
        {"\x83", TagEncoding::Ansi},
        {"\xC0\xAF", TagEncoding::Ansi},  // overlong UTF-8, and no Shift-JIS either
        {"\xED\xA0\x80", TagEncoding::Ansi},  // a UTF-8 surrogate
    };
    for (const auto& [title, encoding] : titles) EXPECT_EQ(EncodingOf(title), encoding) << title;
    EXPECT_FALSE(IsUtf8("\xE3\x83"));  // cut short
}

}  // namespace
}  // namespace velmoria

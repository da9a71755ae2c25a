#include "spc/spc_tag.h"

#include <algorithm>
#include <cstdint>

#include "base/utf8.h"

namespace velmoria {
namespace {

constexpr std::string_view kSignature = "SNES-SPC700 Sound File Data";
constexpr std::size_t kTagMarker = 0x23;
constexpr unsigned char kHasTag = 26;
constexpr unsigned char kNoTag = 27;

constexpr std::size_t kTitle = 0x2E;
constexpr std::size_t kGame = 0x4E;
constexpr std::size_t kTitleBytes = 32;
constexpr std::size_t kLength = 0xA9;
constexpr std::size_t kLengthBytes = 3;
constexpr std::size_t kFade = 0xAC;
constexpr std::size_t kFadeBytes = 5;
constexpr std::size_t kTextArtist = 0xB1;
constexpr std::size_t kBinaryArtist = 0xB0;
constexpr std::size_t kArtistBytes = 32;

// Limits past which a length is taken for a misreading. A binary tag's
// fields are guessed at, and a text field read as binary gives absurd
// values; an extended tag's ticks can say anything, but no song runs past
// half an hour, and no fade past what the text field can hold.
constexpr std::uint32_t kMaxBinarySeconds = 959;
constexpr std::uint32_t kMaxBinaryFadeMs = 59999;
constexpr std::uint32_t kMaxSeconds = 30 * 60;
constexpr std::uint32_t kMaxFadeMs = 99999;

// Extended tag items: the three texts, and the lengths in 1/64,000 s.
constexpr unsigned char kXidSong = 0x01;
constexpr unsigned char kXidGame = 0x02;
constexpr unsigned char kXidArtist = 0x03;
constexpr unsigned char kXidIntroLength = 0x30;
constexpr unsigned char kXidLoopLength = 0x31;
constexpr unsigned char kXidEndLength = 0x32;
constexpr unsigned char kXidFadeLength = 0x33;
constexpr unsigned char kXidLoopCount = 0x35;
constexpr unsigned char kXidInHeader = 0;  // the value is the item's own 16 bits
constexpr std::uint32_t kTicksPerSecond = 64000;

std::string_view Field(std::string_view bytes, std::size_t offset, std::size_t size) {
    if (offset >= bytes.size()) return {};
    return bytes.substr(offset, size);
}

// A text field up to its first NUL, control bytes as spaces, trailing
// spaces gone.
std::string CleanText(std::string_view field) {
    std::string text(field.substr(0, field.find('\0')));
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = ' ';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// Digits, then nothing but NULs: how the text variant fills a number field.
bool IsTextNumber(std::string_view field) {
    const std::size_t end = field.find('\0');
    const std::string_view digits = field.substr(0, end);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    if (end == std::string_view::npos) return true;
    const std::string_view rest = field.substr(end);
    return std::all_of(rest.begin(), rest.end(), [](char c) { return c == '\0'; });
}

int TextNumber(std::string_view field) {
    int value = 0;
    for (const char c : field.substr(0, field.find('\0'))) value = value * 10 + (c - '0');
    return value;
}

std::uint32_t LittleEndian(std::string_view bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A marker of 27 should mean no tag, but tagged files carry it too: the
// title is then trusted only when it reads as text.
bool LooksTagged(std::string_view head) {
    const auto marker = static_cast<unsigned char>(head[kTagMarker]);
    if (marker == kHasTag) return true;
    if (marker != kNoTag) return false;
    const std::string_view title = Field(head, kTitle, kTitleBytes);
    const std::string_view text = title.substr(0, title.find('\0'));
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
    });
}

// A length past its limits is taken for a misreading: cut, and shown as a
// guess. The tip and a play-through then both go by the cut length.
void SetLength(SongDetails& details, std::uint64_t seconds, std::uint64_t fadeMs, bool binary) {
    const std::uint64_t maxSeconds = binary ? kMaxBinarySeconds : kMaxSeconds;
    const std::uint64_t maxFadeMs = binary ? kMaxBinaryFadeMs : kMaxFadeMs;
    details.lengthGuessed = seconds > maxSeconds || fadeMs > maxFadeMs;
    details.seconds = static_cast<int>(std::min(seconds, maxSeconds));
    details.fadeMs = static_cast<int>(std::min(fadeMs, maxFadeMs));
}

void ReadHeaderTag(std::string_view head, SongDetails& details) {
    details.title = CleanText(Field(head, kTitle, kTitleBytes));
    details.game = CleanText(Field(head, kGame, kTitleBytes));
    const std::string_view length = Field(head, kLength, kLengthBytes);
    const std::string_view fade = Field(head, kFade, kFadeBytes);
    const std::string_view binaryArtist = Field(head, kBinaryArtist, 1);
    const bool text = IsTextNumber(length) && IsTextNumber(fade) && !(binaryArtist.size() == 1 && IsLetter(binaryArtist[0]));
    if (text) {
        SetLength(details, static_cast<std::uint32_t>(TextNumber(length)), static_cast<std::uint32_t>(TextNumber(fade)),
                  false);
        details.artist = CleanText(Field(head, kTextArtist, kArtistBytes));
        return;
    }
    SetLength(details, LittleEndian(length), LittleEndian(fade.substr(0, 4)), true);
    details.artist = CleanText(Field(head, kBinaryArtist, kArtistBytes));
}

// The extended tag's items override the header's cut titles. Its lengths
// count only where the header gives none: many files carry a wrong intro
// there, and the header's length is the one their players use.
void ReadExtendedTag(std::string_view extended, SongDetails& details) {
    if (extended.size() < 8 || extended.substr(0, 4) != "xid6") return;
    const std::size_t declared = LittleEndian(extended.substr(4, 4));
    std::string_view items = extended.substr(8, std::min(declared, extended.size() - 8));
    std::uint64_t ticks[4] = {};  // intro, loop, end, fade
    std::uint64_t loops = 1;
    while (items.size() >= 4) {
        const auto id = static_cast<unsigned char>(items[0]);
        const auto type = static_cast<unsigned char>(items[1]);
        const std::uint32_t header = LittleEndian(items.substr(2, 2));
        items.remove_prefix(4);
        std::string_view data;
        if (type != kXidInHeader) {
            if (header > items.size()) return;  // runs past the end: the rest cannot be trusted
            data = items.substr(0, header);
            items.remove_prefix(std::min<std::size_t>((header + 3) / 4 * 4, items.size()));
        }
        const std::uint32_t number = type == kXidInHeader ? header : LittleEndian(data.substr(0, 4));
        switch (id) {
        case kXidSong:
            if (!data.empty()) details.title = CleanText(data);
            break;
        case kXidGame:
            if (!data.empty()) details.game = CleanText(data);
            break;
        case kXidArtist:
            if (!data.empty()) details.artist = CleanText(data);
            break;
        case kXidIntroLength:
        case kXidLoopLength:
        case kXidEndLength:
        case kXidFadeLength:
            ticks[id - kXidIntroLength] = number;
            break;
        case kXidLoopCount:
            if (number > 0) loops = number;
            break;
        default:
            break;
        }
    }
    const std::uint64_t playTicks = ticks[0] + ticks[1] * loops + ticks[2];
    if (details.seconds == 0 && playTicks > 0) {
        SetLength(details, playTicks / kTicksPerSecond, ticks[3] / (kTicksPerSecond / 1000), false);
    }
}

}  // namespace

std::optional<SongDetails> ReadSongDetails(std::string_view head, std::string_view extended) {
    if (!head.starts_with(kSignature) || head.size() <= kTagMarker) return std::nullopt;
    SongDetails details;
    if (LooksTagged(head)) ReadHeaderTag(head, details);
    ReadExtendedTag(extended, details);
    return details;
}

std::string PlayLengthText(const SongDetails& details) {
    if (details.seconds <= 0) return {};
    const int minutes = details.seconds / 60;
    const int seconds = details.seconds % 60;
    std::string text = (details.lengthGuessed ? "about " : "") + std::to_string(minutes) + ':' +
                       (seconds < 10 ? "0" : "") + std::to_string(seconds);
    if (details.fadeMs > 0) {
        std::string fade = std::to_string(details.fadeMs / 1000);
        if (const int rest = details.fadeMs % 1000) {
            std::string fraction = std::to_string(1000 + rest).substr(1);
            while (fraction.back() == '0') fraction.pop_back();
            fade += '.' + fraction;
        }
        text += " + " + fade + " s fade";
    }
    return text;
}

int PlayTimeMs(const std::optional<SongDetails>& details) {
    constexpr int kDefaultMs = (3 * 60 + 10) * 1000;
    if (!details || details->seconds <= 0) return kDefaultMs;
    // Read lengths are cut already; a hand-made SongDetails is cut here too.
    return static_cast<int>(std::min<long long>(details->seconds, kMaxSeconds) * 1000 +
                            std::min<long long>(std::max(details->fadeMs, 0), kMaxFadeMs));
}

bool IsShiftJisPairs(std::string_view bytes) {
    bool strong = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80 || (lead >= 0xA1 && lead <= 0xDF)) continue;  // ASCII, half-width katakana
        if (!((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) || i + 1 == bytes.size()) return false;
        const auto trail = static_cast<unsigned char>(bytes[++i]);
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
        // Kana and the common kanji lead with 0x81-0x9F, which no Latin-1
        // letter is. A lead of 0xE0 or more is an accented Latin-1 letter
        // as often as a rare kanji: it counts only with a trail that is no
        // ASCII letter ("Pok\xE9mon" is Latin-1).
        strong = strong || lead <= 0x9F || trail >= 0x80;
    }
    return strong;
}

bool IsUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::optional<Utf8Char> c = DecodeUtf8At(bytes, i);
        if (!c) return false;
        i += c->length;
    }
    return true;
}

}  // namespace velmoria

#include "app/settings.h"

#include <charconv>

namespace velmoria {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reading position over the file's bytes, with the delimiter rules shared by
// both items.
class ItemReader {
public:
    explicit ItemReader(std::string_view bytes) : bytes_(bytes) {}

    void SkipBlanks() {
        while (pos_ < bytes_.size() && IsBlank(bytes_[pos_])) ++pos_;
    }

    bool AtEnd() const { return pos_ >= bytes_.size(); }
    char Peek() const { return bytes_[pos_]; }

    // Moves past the delimiter that ends the current item: a comma, or a line
    // end (CR LF, CR or LF).
    void SkipDelimiter() {
        if (AtEnd()) return;
        if (bytes_[pos_] == ',') {
            ++pos_;
        } else if (bytes_[pos_] == '\r') {
            ++pos_;
            if (!AtEnd() && bytes_[pos_] == '\n') ++pos_;
        } else if (bytes_[pos_] == '\n') {
            ++pos_;
        }
    }

    // Text up to (not including) the first character for which stop is true.
    template <typename Stop>
    std::string_view TakeUntil(Stop stop) {
        const std::size_t start = pos_;
        while (pos_ < bytes_.size() && !stop(bytes_[pos_])) ++pos_;
        return bytes_.substr(start, pos_ - start);
    }

    void SkipOne() { if (!AtEnd()) ++pos_; }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

std::string ReadTextItem(ItemReader& in) {
    in.SkipBlanks();
    if (in.AtEnd()) return {};
    if (in.Peek() == '"') {
        in.SkipOne();
        std::string item(in.TakeUntil([](char c) { return c == '"'; }));
        in.SkipOne();  // the closing quote, when there is one
        // Anything between the closing quote and the delimiter is not part of the item.
        in.TakeUntil([](char c) { return c == ',' || IsLineEnd(c); });
        in.SkipDelimiter();
        return item;
    }
    std::string item(in.TakeUntil([](char c) { return c == ',' || IsLineEnd(c); }));
    in.SkipDelimiter();
    return item;
}

// Integer text with an optional fraction, rounded half to even; nullopt-like
// false when the token is not such a number or does not fit 16 bits.
bool ConvertFlag(std::string_view token, std::int16_t& flag) {
    if (token.empty()) return false;
    bool negative = false;
    if (token.front() == '+' || token.front() == '-') {
        negative = token.front() == '-';
        token.remove_prefix(1);
    }
    const std::size_t dot = token.find('.');
    std::string_view whole = token.substr(0, dot);
    std::string_view fraction = dot == std::string_view::npos ? std::string_view{} : token.substr(dot + 1);
    if (whole.empty() && fraction.empty()) return false;
    for (char c : whole) if (c < '0' || c > '9') return false;
    for (char c : fraction) if (c < '0' || c > '9') return false;

    // Leading zeros cannot change the value, and dropping them keeps a long
    // run of zeros from looking out of range.
    while (whole.size() > 1 && whole.front() == '0') whole.remove_prefix(1);
    if (whole.size() > 6) return false;
    std::int32_t magnitude = 0;
    if (!whole.empty()) {
        std::from_chars(whole.data(), whole.data() + whole.size(), magnitude);
    }
    if (!fraction.empty()) {
        const char first = fraction.front();
        const bool restNonZero = fraction.find_first_not_of('0', 1) != std::string_view::npos;
        const bool roundUp = first > '5' || (first == '5' && (restNonZero || magnitude % 2 == 1));
        if (roundUp) ++magnitude;
    }
    const std::int32_t value = negative ? -magnitude : magnitude;
    if (value < -32768 || value > 32767) return false;
    flag = static_cast<std::int16_t>(value);
    return true;
}

}  // namespace

StoredSettings ParseSettings(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    ItemReader in(bytes);
    StoredSettings result;
    result.playerPath = ReadTextItem(in);

    in.SkipBlanks();
    const std::string_view token =
        in.TakeUntil([](char c) { return IsBlank(c) || c == ',' || IsLineEnd(c); });
    std::int16_t flag = 0;
    if (ConvertFlag(token, flag)) result.compactFlag = flag;
    return result;
}

std::optional<std::string> FormatSettings(std::string_view ansiPlayerPath, std::int16_t compactFlag) {
    if (ansiPlayerPath.find_first_of("\r\n\"") != std::string_view::npos) return std::nullopt;
    std::string out;
    out.reserve(ansiPlayerPath.size() + 16);
    const bool quote = ansiPlayerPath.find(',') != std::string_view::npos;
    if (quote) out += '"';
    out += ansiPlayerPath;
    if (quote) out += '"';
    out += "\r\n ";
    out += std::to_string(compactFlag);
    out += " \r\n";
    return out;
}

}  // namespace velmoria

#include "base/paths.h"

#include <cwctype>

namespace velmoria {
namespace {

wchar_t Upper(wchar_t c) {
    if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - L'a' + L'A');
    if (c < 0x80) return c;
    return static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
}

// Classic two-pointer wildcard match with backtracking to the last "*": linear
// in practice and never recursive, so hostile patterns cannot blow the stack.
bool WildcardMatch(std::wstring_view name, std::wstring_view pattern) {
    std::size_t n = 0, p = 0;
    std::size_t starP = std::wstring_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || Upper(pattern[p]) == Upper(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::wstring_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

}  // namespace

std::wstring UpperCase(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) c = Upper(c);
    return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view tail) {
    return text.size() >= tail.size() && EqualsNoCase(text.substr(text.size() - tail.size()), tail);
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring path(folder);
    if (path.empty() || path.back() != L'\\') path += L'\\';
    path += name;
    return path;
}

std::wstring ParentFolder(std::wstring_view filePath) {
    const std::size_t slash = filePath.find_last_of(L'\\');
    if (slash == std::wstring_view::npos) return {};
    std::wstring folder(filePath.substr(0, slash));
    if (!folder.empty() && folder.back() == L':') folder += L'\\';
    return folder;
}

namespace {

// Where the arguments begin: past the program's name (up to its closing
// quote, or to the first blank) and the blanks after it.
std::size_t ArgumentsStart(std::wstring_view commandLine) {
    std::size_t i = 0;
    if (i < commandLine.size() && commandLine[i] == L'"') {
        const std::size_t close = commandLine.find(L'"', 1);
        i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    }
    while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t') ++i;
    while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) ++i;
    return i;
}

}  // namespace

std::wstring ArgumentsTail(std::wstring_view commandLine) {
    std::wstring_view tail = commandLine.substr(ArgumentsStart(commandLine));
    while (!tail.empty() && (tail.back() == L' ' || tail.back() == L'\t')) tail.remove_suffix(1);
    if (tail.size() >= 2 && tail.front() == L'"' && tail.back() == L'"') tail = tail.substr(1, tail.size() - 2);
    return std::wstring(tail);
}

std::wstring FirstArgument(std::wstring_view commandLine) {
    std::size_t i = ArgumentsStart(commandLine);
    std::wstring argument;
    bool quoted = false;
    for (; i < commandLine.size(); ++i) {
        const wchar_t c = commandLine[i];
        if (c == L'"') {
            quoted = !quoted;
        } else if (!quoted && (c == L' ' || c == L'\t')) {
            break;
        } else {
            argument += c;
        }
    }
    return argument;
}

std::vector<std::wstring> SplitNulList(std::wstring_view list, std::size_t most) {
    std::vector<std::wstring> texts;
    while (!list.empty() && list.front() != L'\0' && texts.size() < most) {
        const std::size_t end = list.find(L'\0');
        texts.emplace_back(list.substr(0, end));
        list.remove_prefix(end == std::wstring_view::npos ? list.size() : end + 1);
    }
    return texts;
}

std::wstring WrapLongName(std::wstring_view name, std::size_t width) {
    std::wstring wrapped;
    while (name.size() > width && width > 0) {
        // A break in the line's last third keeps the lines even; past that,
        // the word is cut.
        std::size_t cut = name.substr(0, width).find_last_of(L" -_.");
        cut = cut == std::wstring_view::npos || cut < width * 2 / 3 ? width : cut + 1;
        wrapped += name.substr(0, cut);
        wrapped += L'\n';
        name.remove_prefix(cut);
    }
    return wrapped + std::wstring(name);
}

std::wstring FileNameOf(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L'\\');
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::wstring_view StripNulls(std::wstring_view text) {
    return text.substr(0, text.find(L'\0'));
}

std::wstring PlainLineText(std::wstring text) {
    for (wchar_t& c : text) {
        const unsigned u = static_cast<unsigned>(c);
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || (u >= 0x200B && u <= 0x200F) || (u >= 0x2028 && u <= 0x202E) ||
            (u >= 0x2060 && u <= 0x2069) || u == 0xFEFF || (u >= 0xFFF9 && u <= 0xFFFB)) {
            c = L' ';
        }
    }
    text.resize(TrimTrailingSpaces(text).size());
    return text;
}

std::wstring_view TrimTrailingSpaces(std::wstring_view text) {
    const std::size_t last = text.find_last_not_of(L' ');
    return last == std::wstring_view::npos ? std::wstring_view{} : text.substr(0, last + 1);
}

bool IsDeviceName(std::wstring_view name) {
    const std::wstring stem = UpperCase(TrimTrailingSpaces(name.substr(0, name.find_first_of(L".:"))));
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" ||
        stem == L"CONOUT$") {
        return true;
    }
    // COM1 to COM9 and LPT1 to LPT9, with the superscript digits Windows takes too.
    return stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) &&
           ((stem[3] >= L'1' && stem[3] <= L'9') || stem[3] == L'\u00B9' || stem[3] == L'\u00B2' ||
            stem[3] == L'\u00B3');
}

bool MatchesFilePattern(std::wstring_view name, std::wstring_view patterns) {
    while (true) {
        const std::size_t semicolon = patterns.find(L';');
        const std::wstring_view one = patterns.substr(0, semicolon);
        if (!one.empty() && WildcardMatch(name, one)) return true;
        if (semicolon == std::wstring_view::npos) return false;
        patterns.remove_prefix(semicolon + 1);
    }
}

namespace {
// CreateDirectory's limit (260 less room for an 8.3 name) is the lowest of them.
constexpr std::size_t kShortestPathLimit = 248;
constexpr std::wstring_view kExtendedPrefix = L"\\\\?\\";
constexpr std::wstring_view kExtendedUncPrefix = L"\\\\?\\UNC\\";
}  // namespace

std::wstring ExtendedLengthPath(std::wstring_view path) {
    if (path.size() < kShortestPathLimit) return std::wstring(path);
    return VerbatimPath(path);
}

std::wstring VerbatimPath(std::wstring_view path) {
    if (path.starts_with(kExtendedPrefix)) return std::wstring(path);
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
        return std::wstring(kExtendedPrefix) + std::wstring(path);
    }
    if (path.starts_with(L"\\\\")) return std::wstring(kExtendedUncPrefix) + std::wstring(path.substr(2));
    return std::wstring(path);
}

std::wstring WithoutExtendedPrefix(std::wstring_view path) {
    if (path.starts_with(kExtendedUncPrefix)) return L"\\\\" + std::wstring(path.substr(kExtendedUncPrefix.size()));
    if (path.starts_with(kExtendedPrefix)) return std::wstring(path.substr(kExtendedPrefix.size()));
    return std::wstring(path);
}

int FindByPrefix(const std::vector<std::wstring>& names, std::wstring_view prefix, int from) {
    const int count = static_cast<int>(names.size());
    if (count == 0 || prefix.empty()) return -1;
    auto search = [&](std::wstring_view wanted, int start) {
        for (int step = 0; step < count; ++step) {
            const int index = (start + step) % count;
            const std::wstring& name = names[static_cast<std::size_t>(index)];
            if (name.size() >= wanted.size() && EqualsNoCase(std::wstring_view(name).substr(0, wanted.size()), wanted)) {
                return index;
            }
        }
        return -1;
    };
    const int start = from < 0 || from >= count ? 0 : from;
    const int found = search(prefix, start);
    if (found >= 0 || prefix.size() == 1) return found;
    const bool oneLetter = prefix.find_first_not_of(prefix.front()) == std::wstring_view::npos;
    return oneLetter ? search(prefix.substr(0, 1), (start + 1) % count) : -1;
}

std::wstring CommandArgument(std::wstring_view text) {
    if (text.find(L' ') == std::wstring_view::npos) return std::wstring(text);
    std::wstring quoted;
    quoted.reserve(text.size() + 2);
    quoted += L'"';
    quoted += text;
    quoted += L'"';
    return quoted;
}

}  // namespace velmoria

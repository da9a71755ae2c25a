#include "archive/packed_set.h"

#include <algorithm>
#include <utility>

#include "base/paths.h"
#include "base/utf8.h"

namespace velmoria {
namespace {

bool IsPathCharacter(wchar_t c) {
    return c < 0x20 || c == 0x7F || c == L':' || c == L'\\' || c == L'/' || (c >= 0x80 && c < 0xA0);
}

bool IsSafePart(std::wstring_view part) {
    if (part.empty() || part == L"." || part == L".." || part.back() == L'.' || part.back() == L' ') return false;
    return std::none_of(part.begin(), part.end(), IsPathCharacter);
}

std::wstring Joined(const std::vector<std::wstring>& parts, std::size_t count) {
    std::wstring path;
    for (std::size_t i = 0; i < count; ++i) path += (i ? L"\\" : L"") + parts[i];
    return path;
}

void AddOnce(std::vector<std::wstring>& names, const std::wstring& name) {
    if (std::none_of(names.begin(), names.end(), [&](const std::wstring& n) { return EqualsNoCase(n, name); })) {
        names.push_back(name);
    }
}

}  // namespace

std::vector<std::wstring> ShownParts(std::string_view storedName) {
    const std::wstring name = FromUtf8(storedName);
    std::vector<std::wstring> parts;
    for (std::size_t start = 0; start <= name.size();) {
        std::size_t end = name.find(L'/', start);
        if (end == std::wstring::npos) end = name.size();
        parts.push_back(name.substr(start, end - start));
        start = end + 1;
    }
    if (std::all_of(parts.begin(), parts.end(), IsSafePart)) return parts;
    // Shown whole, as one name at the top, with nothing in it a path could use.
    std::wstring text = name;
    std::replace_if(text.begin(), text.end(), IsPathCharacter, L'_');
    if (!IsSafePart(text)) text += L'_';
    return {text};
}

PackedSet::PackedSet(std::vector<PackedFile> files) {
    folders_[L""];
    for (PackedFile& file : files) {
        const std::vector<std::wstring> parts = ShownParts(file.name);
        for (std::size_t depth = 0; depth < parts.size(); ++depth) {
            SetFolder& folder = folders_[UpperCase(Joined(parts, depth))];
            const bool last = depth + 1 == parts.size();
            AddOnce(last ? folder.files : folder.folders, parts[depth]);
            if (!last) folders_[UpperCase(Joined(parts, depth + 1))];
        }
        if (parts.size() == 1 && EqualsNoCase(parts[0], L"info.txt")) {
            const std::string_view text = file.bytes;
            info_ = PlainLineText(FromUtf8(text.substr(0, std::min(text.find_first_of("\r\n"), std::size_t{200}))));
        }
        bytes_ += file.bytes.size() + file.name.size();
        files_[UpperCase(Joined(parts, parts.size()))] = std::move(file.bytes);
    }
}

const SetFolder* PackedSet::Folder(std::wstring_view inner) const {
    const auto found = folders_.find(UpperCase(inner));
    return found == folders_.end() ? nullptr : &found->second;
}

const std::string* PackedSet::File(std::wstring_view inner) const {
    const auto found = files_.find(UpperCase(inner));
    return found == files_.end() ? nullptr : &found->second;
}

}  // namespace velmoria

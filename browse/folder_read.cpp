#include "browse/folder_read.h"

#include <algorithm>
#include <utility>

#include "archive/set_shelf.h"
#include "base/paths.h"
#include "wintk/win_handles.h"

namespace velmoria {
namespace {

// Sorts names as the file system compares them: ordinally, ignoring case.
// Each name is upper-cased once, rather than once for every comparison, which
// in a folder of 100,000 songs is the difference that shows.
void SortByName(std::vector<std::wstring>& names) {
    // The keys share one buffer: a folder's worth of small allocations
    // costs as much as the sort itself.
    std::wstring keys;
    std::vector<std::pair<std::size_t, std::size_t>> spans(names.size());  // offset, length
    std::size_t total = 0;
    for (const std::wstring& name : names) total += name.size();
    keys.reserve(total);
    for (std::size_t i = 0; i < names.size(); ++i) {
        spans[i] = {keys.size(), names[i].size()};
        keys += names[i];
    }
    // Most names are plain ASCII, which needs no call to upper-case.
    bool ascii = true;
    for (wchar_t& c : keys) {
        ascii = ascii && c < 0x80;
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - (L'a' - L'A'));
    }
    if (!ascii) ::CharUpperBuffW(keys.data(), static_cast<DWORD>(keys.size()));
    const std::wstring_view all(keys);
    std::vector<std::size_t> order(names.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return all.substr(spans[a].first, spans[a].second) < all.substr(spans[b].first, spans[b].second);
    });
    std::vector<std::wstring> sorted;
    sorted.reserve(names.size());
    for (const std::size_t i : order) sorted.push_back(std::move(names[i]));
    names.swap(sorted);
}

}  // namespace

bool ReadFolder(const std::wstring& folder, std::wstring_view patterns, std::vector<std::wstring>* folders,
                std::vector<std::wstring>* files, std::vector<std::wstring>* sets) {
    const std::wstring query = ExtendedLengthPath(JoinPath(folder, L"*"));
    WIN32_FIND_DATAW entry;
    UniqueFind find(::FindFirstFileExW(query.c_str(), FindExInfoBasic, &entry,
                                       files || sets ? FindExSearchNameMatch : FindExSearchLimitToDirectories, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        const DWORD attributes = entry.dwFileAttributes;
        if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        const std::wstring_view name(entry.cFileName);
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (folders && name != L"." && name != L"..") folders->emplace_back(name);
        } else if (files && MatchesFilePattern(name, patterns)) {
            files->emplace_back(name);
        } else if (sets && MatchesFilePattern(name, kSetPatterns)) {
            sets->emplace_back(name);
        }
    } while (::FindNextFileW(find.get(), &entry));
    if (::GetLastError() != ERROR_NO_MORE_FILES) return false;
    for (std::vector<std::wstring>* names : {folders, files, sets}) {
        if (names) SortByName(*names);
    }
    return true;
}

bool ReadAnyFolder(SetShelf* shelf, const std::wstring& folder, std::wstring_view patterns,
                   std::vector<std::wstring>* folders, std::vector<std::wstring>* files,
                   std::vector<std::wstring>* sets) {
    const DWORD attributes = ::GetFileAttributesW(VerbatimPath(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return ReadFolder(folder, patterns, folders, files, shelf ? sets : nullptr);
    }
    const std::optional<SetSpot> spot = shelf ? SetShelf::Locate(folder) : std::nullopt;
    if (!spot) return false;
    const SetFolder* inside = shelf->Open(spot->set)->Folder(spot->inner);
    if (!inside) return false;
    if (folders) SortByName(*folders = inside->folders);
    if (files) {
        files->clear();
        for (const std::wstring& name : inside->files) {
            if (MatchesFilePattern(name, patterns) || MatchesFilePattern(name, kSetSongPatterns)) files->push_back(name);
        }
        SortByName(*files);
    }
    if (sets) sets->clear();
    return true;
}

std::size_t RootLength(std::wstring_view path) {
    if (path.size() >= 2 && path[1] == L':') return std::min<std::size_t>(3, path.size());
    if (path.starts_with(L"\\\\")) {
        std::size_t slash = path.find(L'\\', 2);
        if (slash != std::wstring_view::npos) slash = path.find(L'\\', slash + 1);
        return slash == std::wstring_view::npos ? path.size() : slash + 1;
    }
    return std::min<std::size_t>(1, path.size());
}


namespace {

std::wstring SystemFullPath(const std::wstring& input) {
    const DWORD size = ::GetFullPathNameW(input.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(input.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return {};
    full.resize(length);
    return full;
}

}  // namespace

std::wstring FullPathOf(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::size_t nameAt =
        slash != std::wstring_view::npos ? slash + 1 : (path.size() >= 2 && path[1] == L':' ? 2 : 0);
    const std::wstring_view name = path.substr(nameAt);
    if (name.empty() || !IsDeviceName(name)) return SystemFullPath(std::wstring(path));
    const std::wstring folder = SystemFullPath(nameAt == 0 ? std::wstring(L".") : std::wstring(path.substr(0, nameAt)));
    return folder.empty() ? folder : JoinPath(folder, name);
}

std::wstring NormalizeFolder(std::wstring_view path) {
    // Past the longest path Windows knows, nothing can be listed, and the
    // lookups would only take time.
    if (path.size() > kMaxPathChars) return {};
    std::wstring full = FullPathOf(path);
    if (full.empty() || full.size() > kMaxPathChars) return {};
    while (full.size() > RootLength(full) && full.back() == L'\\') full.pop_back();
    return full;
}

std::optional<BrowseTarget> BrowseTargetOf(std::wstring_view path, std::wstring_view patterns) {
    const std::wstring full = NormalizeFolder(path);
    if (full.empty()) return std::nullopt;
    // Verbatim, so that a file or folder named like a device is looked at itself.
    const DWORD attributes = ::GetFileAttributesW(VerbatimPath(full).c_str());
    const std::wstring name = FileNameOf(full);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Inside a set: a song, or else a folder of it (which opening the set will tell).
        const std::optional<SetSpot> spot = SetShelf::Locate(full);
        if (!spot || spot->inner.empty()) return std::nullopt;
        if (!MatchesFilePattern(name, patterns) && !MatchesFilePattern(name, kSetSongPatterns)) {
            return BrowseTarget{full, {}};
        }
        return BrowseTarget{ParentFolder(full), name};
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return BrowseTarget{full, {}};
    if (MatchesFilePattern(name, kSetPatterns)) return BrowseTarget{full, {}};  // a set opens as a folder
    if (!MatchesFilePattern(name, patterns)) return std::nullopt;
    return BrowseTarget{NormalizeFolder(ParentFolder(full)), name};
}

std::wstring CurrentFolderOfDrive(std::wstring_view drive) {
    if (drive.size() == 2 && drive[1] == L':') return NormalizeFolder(drive);
    return std::wstring(drive);
}

}  // namespace velmoria

// Reading folders and naming paths the way the browsing lists hold them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmoria {

class SetShelf;

// The visible entries of a folder, in one pass over it: its subfolders, and
// its ordinary files whose names match patterns, each sorted by name; a null
// list is not wanted. Hidden and system entries are left out. False when the
// folder cannot be read; an empty folder is no failure.
bool ReadFolder(const std::wstring& folder, std::wstring_view patterns, std::vector<std::wstring>* folders,
                std::vector<std::wstring>* files, std::vector<std::wstring>* sets = nullptr);

// A folder on disk, with the sets in it when sets is given, or a folder
// inside a set kept on that shelf: as ReadFolder, sorted. Throws
// ArchiveError for a set that cannot be read.
bool ReadAnyFolder(SetShelf* shelf, const std::wstring& folder, std::wstring_view patterns,
                   std::vector<std::wstring>* folders, std::vector<std::wstring>* files,
                   std::vector<std::wstring>* sets = nullptr);

// The longest path Windows takes, in characters.
inline constexpr std::size_t kMaxPathChars = 32767;

// Where the root of a full path ends: after "C:\" or after "\\server\share\".
std::size_t RootLength(std::wstring_view path);

// Where a path given from outside (a drop, the command line) takes the lists:
// a folder, or the folder of a file whose name matches patterns, with that
// file. Nothing for a path that does not exist or is neither.
struct BrowseTarget {
    std::wstring folder;
    std::wstring file;  // empty for a folder
};
std::optional<BrowseTarget> BrowseTargetOf(std::wstring_view path, std::wstring_view patterns);

// The folder the system takes as a drive's current folder ("D:" -> "D:\Music").
std::wstring CurrentFolderOfDrive(std::wstring_view drive);

// A path made full against the working folder, as GetFullPathNameW does,
// except that a last part named like a device (COM1.spc, a folder CON) stays
// a file or folder of its folder rather than becoming "\\.\COM1". Empty
// when it cannot be made full.
std::wstring FullPathOf(std::wstring_view path);

// A path as the lists hold it: full, without a trailing "\" except for a root.
std::wstring NormalizeFolder(std::wstring_view path);

}  // namespace velmoria

// A decoded set seen as folders and files, by the names the lists show. A
// stored name becomes folders at its "/"; a name with a part that could
// never be a path's (".", "..", a drive, ":", "\", control characters, a
// trailing dot or space) is shown whole, as text, at the set's top, so that
// no name can lead out of the set. Window-free.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive.h"

namespace velmoria {

struct SetFolder {
    std::vector<std::wstring> folders;  // sorted by name
    std::vector<std::wstring> files;
};

class PackedSet {
public:
    explicit PackedSet(std::vector<PackedFile> files);

    // The folder inside the set ("" for its top, "Disc 1\\Extras"), in any
    // case; null when there is none.
    const SetFolder* Folder(std::wstring_view inner) const;
    // A file's bytes by its path inside the set, in any case; null when none.
    const std::string* File(std::wstring_view inner) const;
    // The first line of the set's info.txt at its top (a game's name, by
    // custom); empty without one.
    const std::wstring& Info() const { return info_; }
    // The bytes it keeps, for the shelf's bound.
    std::size_t Bytes() const { return bytes_; }

private:
    std::map<std::wstring, SetFolder> folders_;  // by upper-case inner path
    std::map<std::wstring, std::string> files_;   // by upper-case inner path
    std::wstring info_;
    std::size_t bytes_ = 0;
};

// A stored name's parts as the lists show them (see above).
std::vector<std::wstring> ShownParts(std::string_view storedName);

}  // namespace velmoria

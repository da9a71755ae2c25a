// A folder of this run's own under the temporary folder, for files handed to
// other programs. It is made fresh (never one that was already there), must
// be a real folder owned by the user, and is held open without delete
// sharing, so that nobody can swap it for a link while files go into it.
// Clearing what earlier runs left looks only at folders of the exact form
// "<prefix><8 hex digits>" that are real folders of the user's (never a
// junction or symbolic link), and in them deletes only files whose exact
// long names the caller's form accepts; anything else keeps its folder.
#pragma once

#include <string>
#include <string_view>

#include "wintk/win_handles.h"

namespace velmoria {

// Whether a file's long name is one the program writes, and so may delete.
using OwnFileName = bool (*)(std::wstring_view name);

class RunFolder {
public:
    // Nothing is made until the first file is asked for. base: the folder
    // to make it in; empty for the user's temporary folder.
    RunFolder(std::wstring_view prefix, OwnFileName ownFile, std::wstring_view base = {});
    // Removes the files of its own form and, when that empties it, the folder.
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    // The folder, made at the first call; empty when no safe one can be had.
    const std::wstring& Path();
    // Writes a new file of that name in the folder; false when one is there
    // already or it cannot be written (GetLastError says which).
    bool WriteNew(std::wstring_view name, std::string_view bytes);
    // Deletes a file of its own form that it wrote, unless a program still holds it.
    void Remove(std::wstring_view name);

private:
    std::wstring prefix_;
    OwnFileName ownFile_;
    std::wstring base_;
    std::wstring path_;
    UniqueFile held_;
};

// At start, before this run makes its own: the folders earlier runs left.
void ClearEarlierRunFolders(std::wstring_view prefix, OwnFileName ownFile, std::wstring_view base = {});

}  // namespace velmoria

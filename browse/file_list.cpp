#include "browse/file_list.h"

#include <commctrl.h>

#include <utility>

#include "base/paths.h"
#include "browse/folder_read.h"
#include "browse/song_file.h"

namespace velmoria {

void FileList::Attach(HWND list, std::wstring_view patterns) {
    AttachList(list);
    patterns_ = patterns;
}

bool FileList::SetPath(std::wstring_view folder) {
    const std::wstring full = NormalizeFolder(folder);
    if (full.empty()) return false;
    std::vector<std::wstring> names;
    if (!ReadFolder(full, patterns_, nullptr, &names)) return false;
    SetFiles(full, std::move(names));
    return true;
}

void FileList::Follow(FolderList& folders) {
    if (std::optional<std::vector<std::wstring>> files = folders.TakeFiles()) {
        SetFiles(folders.Path(), std::move(*files));
    } else {
        // A folder that cannot be listed (removed meanwhile) leaves the list as it was.
        SetPath(folders.Path());
    }
}

void FileList::SetFiles(std::wstring folder, std::vector<std::wstring> names) {
    std::vector<int> indents(names.size(), 0);
    SetEntries(std::move(names), std::move(indents), -1);
    folder_ = std::move(folder);
}

bool FileList::Select(std::wstring_view name) {
    for (int i = 0; i < Count(); ++i) {
        if (EqualsNoCase(Entry(i), name)) {
            SetListIndex(i);
            return true;
        }
    }
    return false;
}

std::wstring FileList::TipText(int index) const {
    std::wstring text = Entry(index);
    if (!MatchesFilePattern(text, kSpcFilePattern)) return text;
    // Read only now, for the one entry under the pointer: a list fill never
    // opens a file. A file that has gone or cannot be read shows its name.
    if (const std::optional<SongDetails> details = ReadSongFile(JoinPath(folder_, text))) {
        text += SongDetailsLines(*details, DecodeTagText);
    }
    return text;
}

bool FileList::OnNotify(WORD) { return false; }

bool FileList::HandleKey(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_CHAR) return false;
    auto key = static_cast<short>(wParam);
    owner_.OnFileKeyPress(key);
    if (key == 0) return true;  // the handler swallowed the key
    return BrowseListBox::HandleKey(message, static_cast<WPARAM>(static_cast<unsigned short>(key)), lParam);
}

bool FileList::HandleMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    const short button = message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4;
    short shift = 0;
    if (wParam & MK_SHIFT) shift |= 1;
    if (wParam & MK_CONTROL) shift |= 2;
    if (::GetKeyState(VK_MENU) < 0) shift |= 4;
    // The position in twips, the unit the rest of the layout uses.
    const float x = static_cast<float>(static_cast<short>(LOWORD(lParam))) * 1440.0f / static_cast<float>(dpi_);
    const float y = static_cast<float>(static_cast<short>(HIWORD(lParam))) * 1440.0f / static_cast<float>(dpi_);
    owner_.OnFileMouseDown(button, shift, x, y);
    return true;
}

}  // namespace velmoria

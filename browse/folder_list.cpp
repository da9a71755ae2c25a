#include "browse/folder_list.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "base/paths.h"
#include "browse/folder_read.h"
#include "wintk/win_handles.h"

namespace velmoria {

void FolderList::Attach(HWND list, std::wstring_view filePatterns, std::wstring_view folder) {
    AttachList(list);
    filePatterns_ = filePatterns;
    glyphWidth_ = kFolderGlyphPixels96;
    SetPath(folder);
}

bool FolderList::SetPath(std::wstring_view path) {
    const std::wstring full = NormalizeFolder(path);
    if (full.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(VerbatimPath(full).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    std::vector<std::wstring> subfolders;
    std::vector<std::wstring> files;
    if (!ReadFolder(full, filePatterns_, &subfolders, filePatterns_.empty() ? nullptr : &files)) return false;
    files_.emplace(std::move(files));

    // From the root down to the current folder, one entry per level, then
    // the current folder's subfolders one level deeper.
    std::vector<std::wstring> names;
    std::vector<int> indents;
    paths_.clear();
    const std::size_t rootLength = RootLength(full);
    names.push_back(full.substr(0, rootLength));
    paths_.push_back(names.back());
    indents.push_back(0);
    for (std::size_t start = rootLength; start < full.size();) {
        std::size_t end = full.find(L'\\', start);
        if (end == std::wstring::npos) end = full.size();
        names.push_back(full.substr(start, end - start));
        paths_.push_back(full.substr(0, end));
        indents.push_back(indents.back() + 1);
        start = end + 1;
    }
    levels_ = static_cast<int>(names.size());
    const int depth = indents.back() + 1;
    for (std::wstring& name : subfolders) {
        names.push_back(std::move(name));
        indents.push_back(depth);
    }
    SetEntries(std::move(names), std::move(indents), levels_ - 1);

    const bool changed = !EqualsNoCase(full, path_);
    path_ = full;
    if (changed) owner_.OnFolderChange();
    return true;
}

void FolderList::OpenSelected() {
    const int index = ListIndex();
    if (index < 0) return;
    // A folder that has gone meanwhile cannot be opened; the list stays.
    // A level of the current path, or a subfolder, whose path is made only now.
    SetPath(index < levels_ ? std::wstring(paths_[static_cast<std::size_t>(index)]) : JoinPath(path_, Entry(index)));
}

bool FolderList::OnNotify(WORD code) {
    if (code == LBN_DBLCLK) OpenSelected();
    return true;
}

bool FolderList::HandleKey(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        OpenSelected();
        return true;
    }
    if (message == WM_CHAR && wParam == L'\r') return true;
    return BrowseListBox::HandleKey(message, wParam, lParam);
}

void FolderList::DrawGlyph(HDC dc, const RECT& box, int index, bool) const {
    // A small folder, open for the levels of the current path and closed for
    // the subfolders, drawn to scale for the DPI.
    const int unit = std::max(1, glyphWidth_ / 16);
    const int width = glyphWidth_;
    const int height = width * 3 / 4;
    const int left = box.left;
    const int top = box.top + ((box.bottom - box.top) - height) / 2;
    const UniqueBrush back(::CreateSolidBrush(RGB(226, 180, 60)));
    const UniqueBrush front(::CreateSolidBrush(RGB(250, 212, 96)));
    const UniquePen pen(::CreatePen(PS_SOLID, unit, RGB(150, 110, 30)));
    const SelectedObject usePen(dc, pen.get());
    {
        const SelectedObject useBrush(dc, back.get());
        const POINT tab[] = {{left, top + height},       {left, top},
                             {left + width * 3 / 8, top}, {left + width / 2, top + height / 6},
                             {left + width - unit, top + height / 6}, {left + width - unit, top + height}};
        ::Polygon(dc, tab, ARRAYSIZE(tab));
    }
    const SelectedObject useBrush(dc, front.get());
    if (index < levels_) {
        const POINT open[] = {{left, top + height},
                              {left + width / 5, top + height * 2 / 5},
                              {left + width, top + height * 2 / 5},
                              {left + width - width / 5, top + height}};
        ::Polygon(dc, open, ARRAYSIZE(open));
    } else {
        ::Rectangle(dc, left, top + height / 3, left + width - unit + 1, top + height + 1);
    }
}

void MoveToDrive(FolderList& folders, const std::wstring& drive, const std::wstring& fallback) {
    if (!folders.SetPath(CurrentFolderOfDrive(drive))) folders.SetPath(fallback);
}

}  // namespace velmoria

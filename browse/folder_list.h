// The folder list: the levels of the current folder's path, then its subfolders.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "browse/list_box.h"

namespace velmoria {

class SetShelf;

class FolderList : public BrowseListBox {
public:
    using BrowseListBox::BrowseListBox;
    // filePatterns: the file list's, whose files the same read of a folder
    // finds (TakeFiles); empty when no file list follows this list.
    void Attach(HWND list, std::wstring_view filePatterns, std::wstring_view folder);

    // The current folder's full path ("C:\" for a root, no trailing "\" otherwise).
    const std::wstring& Path() const { return path_; }

    // Makes path the current folder. It is read on a pool thread, a folder
    // on disk or in a set alike (a slow share, a large solid set), the list
    // as it was meanwhile (Reading); once read it is shown, the owner is told
    // when the current folder changed, and shown runs. A folder that cannot
    // be listed leaves the list as it was and runs failed instead; a set that
    // cannot be read is told to the owner first. Another path asked for
    // meanwhile wins. False when path is no path at all (failed has run).
    bool SetPath(std::wstring_view path, std::function<void()> shown = {}, std::function<void()> failed = {});
    // A folder is being read for the list.
    bool Reading() const { return !pending_.empty(); }

    // The files of the folder last read, matching the file patterns, sorted;
    // the file list takes them so that a folder is read once for both lists.
    // Nothing when they were taken already.
    std::optional<std::vector<std::wstring>> TakeFiles() { return std::exchange(files_, std::nullopt); }

    // Sets (archives) are listed after the subfolders and open like them,
    // through this shelf; none without one.
    void UseSets(SetShelf* shelf) { sets_ = shelf; }

    // An LBN_ notification from the list box: a double-click opens the entry.
    bool OnNotify(WORD code) override;

protected:
    void DrawGlyph(HDC dc, const RECT& box, int index, bool selected) const override;
    std::wstring TipText(int index) override;
    bool HandleKey(UINT message, WPARAM wParam, LPARAM lParam) override;

    void OnNews() override;
    bool Busy() const override { return Reading(); }

private:
    struct Read;  // what the pool thread reading a folder hands back
    struct Listing;
    void OpenSelected();
    void Show(const std::wstring& full, Listing listing);
    void ForgetRead();

    std::wstring path_;
    std::wstring filePatterns_;
    std::optional<std::vector<std::wstring>> files_;
    std::vector<std::wstring> paths_;  // full path of each level of the current path
    int levels_ = 0;                   // entries from the root down to the current folder
    int firstSet_ = 0;                 // the first entry that is a set; Count() for none
    int setLevel_ = -1;                // the level that is a set, when the current folder is inside one
    SetShelf* sets_ = nullptr;
    std::shared_ptr<Read> read_;
    std::wstring pending_;                 // the path to show once it is read
    std::function<void()> pendingShown_;   // and what then follows
    std::function<void()> pendingFailed_;  // or what follows when it cannot be listed
};

// Moves the folder list to the drive's current folder. A drive that cannot be
// read (no medium, not ready, gone) sends it to the fallback folder instead,
// once that is known.
void MoveToDrive(FolderList& folders, const std::wstring& drive, const std::wstring& fallback);

}  // namespace velmoria

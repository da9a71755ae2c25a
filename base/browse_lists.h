// The three browsing lists shared by the main window and the player dialog:
// drives, folders, and the files of a folder that match a pattern. They are
// coupled in one direction only, by their owner: drive list to folder list to
// file list. Each event reaches the owner by one path: the dialog hands a
// list its notifications (ControlHandler), the list's own window procedure
// takes its keys and mouse, and the list tells its owner through BrowseEvents.
//
// The folder and file lists are owner-drawn list boxes without data of their
// own (LBS_NODATA): the names live here, and the list box only knows how many
// there are, so a folder of 100,000 files fills as fast as it can be read.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/dialog_window.h"

namespace velmoria {

// What the lists tell the window that owns them.
class BrowseEvents {
public:
    virtual void OnDriveChange() {}   // the user picked another drive
    virtual void OnFolderChange() {}  // the folder list's current folder changed
    virtual void OnFileDblClick() {}
    // The character code of a key typed in the file list, before the list's
    // own handling; a handler that sets it to 0 swallows the key.
    virtual void OnFileKeyPress(short& /*keyAscii*/) {}
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt; the
    // position in twips.
    virtual void OnFileMouseDown(short /*button*/, short /*shift*/, float /*x*/, float /*y*/) {}

protected:
    ~BrowseEvents() = default;
};

class DriveList : public ControlHandler {
public:
    explicit DriveList(BrowseEvents& owner);
    ~DriveList();
    DriveList(const DriveList&) = delete;
    DriveList& operator=(const DriveList&) = delete;

    // Takes over a CBS_DROPDOWNLIST combo box and fills it with the drives,
    // showing the drive of the given folder.
    void Attach(HWND combo, std::wstring_view folder);
    HWND hwnd() const { return combo_; }
    // Shows the drive of a folder, without telling the owner.
    void ShowDriveOf(std::wstring_view folder);

    // The chosen drive as "C:" (or a share's root, for a network folder).
    const std::wstring& Drive() const { return drive_; }

    // A CBN_ notification from the combo box; tells the owner when the user
    // picked another drive than the current one.
    void OnNotify(WORD code) override;

    // Reads a drive's volume label, given its root ("C:\"); empty for none.
    // It may block for as long as the drive takes (a dead network drive, for
    // the network's timeout), so it runs on a thread of its own.
    using LabelReader = std::function<std::wstring(const std::wstring& root)>;
    LabelReader labelReader;

private:
    struct LabelJob;
    struct LabelRead;
    static DWORD WINAPI ReadLabel(void* parameter) noexcept;
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self) noexcept;
    // Fills the list with the drives there are, at once, with the labels
    // known so far. Labels are then read in the background, for every drive
    // when the user opens the list and only for the current drive before:
    // the window never waits on a drive, and a label that never comes is
    // simply left out.
    void Fill(bool allLabels);
    void ShowLabels();
    std::wstring EntryText(const std::wstring& drive) const;

    BrowseEvents& owner_;
    HWND combo_ = nullptr;
    std::vector<std::wstring> drives_;  // "C:", one per entry
    std::wstring drive_;
    std::vector<std::pair<std::wstring, std::wstring>> labels_;  // drive, label: read so far
    std::shared_ptr<LabelJob> job_;
};

// Common ground of the folder and file lists: an owner-drawn, data-less list box.
class BrowseListBox : public ControlHandler {
public:
    explicit BrowseListBox(BrowseEvents& owner) : owner_(owner) {}
    virtual ~BrowseListBox();
    BrowseListBox(const BrowseListBox&) = delete;
    BrowseListBox& operator=(const BrowseListBox&) = delete;
    HWND hwnd() const { return list_; }

    int Count() const { return static_cast<int>(names_.size()); }
    // The selected index, -1 when none.
    int ListIndex() const;
    void SetListIndex(int index);
    // The entry text at an index; empty outside the list.
    std::wstring Entry(int index) const;

    // Owner drawing, handed over by the dialog.
    void OnDrawItem(const DRAWITEMSTRUCT& item) override;
    // Item height for the list's current font; call after a font or DPI change.
    void FitItemHeight(int dpi);
    // The tooltip shown while the pointer rests on an entry; null until the
    // first one is shown.
    HWND tipWindow() const { return tip_.get(); }

protected:
    void AttachList(HWND list);
    void SetEntries(std::vector<std::wstring> names, std::vector<int> indents, int selected);
    virtual void DrawGlyph(HDC, const RECT&, int, bool) const {}
    virtual bool HandleKey(UINT message, WPARAM wParam, LPARAM lParam);
    virtual bool HandleMouse(UINT message, WPARAM wParam, LPARAM lParam);
    // What the tooltip of an entry says; empty for no tooltip.
    virtual std::wstring TipText(int /*index*/) const { return {}; }
    BrowseEvents& owner_;
    int glyphWidth_ = 0;
    int dpi_ = 96;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self) noexcept;
    void TypeAhead(wchar_t letter, LONG time);
    // The entry under the pointer: the tooltip waits until the pointer rests.
    void TrackPointer(LPARAM position);
    void ShowTip();
    void HideTip();

    HWND list_ = nullptr;
    UniqueWindow tip_;
    int pointed_ = -1;  // the entry under the pointer, -1 for none
    std::vector<std::wstring> names_;
    std::vector<int> indents_;
    std::wstring typed_;  // letters typed in quick succession
    LONG lastTypedTime_ = 0;
};

class FolderList : public BrowseListBox {
public:
    using BrowseListBox::BrowseListBox;
    // filePatterns: the file list's, whose files the same read of a folder
    // finds (TakeFiles); empty when no file list follows this list.
    void Attach(HWND list, std::wstring_view filePatterns, std::wstring_view folder);

    // The current folder's full path ("C:\" for a root, no trailing "\" otherwise).
    const std::wstring& Path() const { return path_; }

    // Makes path the current folder: true when it can be listed. Tells the
    // owner when the current folder changed; a folder that cannot be listed
    // leaves the list as it was.
    bool SetPath(std::wstring_view path);

    // The files of the folder last read, matching the file patterns, sorted;
    // the file list takes them so that a folder is read once for both lists.
    // Nothing when they were taken already.
    std::optional<std::vector<std::wstring>> TakeFiles() { return std::exchange(files_, std::nullopt); }

    // An LBN_ notification from the list box: a double-click opens the entry.
    void OnNotify(WORD code) override;

protected:
    void DrawGlyph(HDC dc, const RECT& box, int index, bool selected) const override;
    bool HandleKey(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OpenSelected();

    std::wstring path_;
    std::wstring filePatterns_;
    std::optional<std::vector<std::wstring>> files_;
    std::vector<std::wstring> paths_;  // full path of each level of the current path
    int levels_ = 0;                   // entries from the root down to the current folder
};

class FileList : public BrowseListBox {
public:
    using BrowseListBox::BrowseListBox;
    // patterns: wildcards separated by ";", compared without regard to case.
    void Attach(HWND list, std::wstring_view patterns);

    const std::wstring& Path() const { return folder_; }

    // Lists the matching ordinary files of folder, sorted by name, none
    // selected. A folder that cannot be listed leaves the list as it was and
    // gives false.
    bool SetPath(std::wstring_view folder);
    // Lists the files of the folder list's current folder: those its read
    // found, or, once they were taken, the folder read again.
    void Follow(FolderList& folders);

    // Selects the entry of that name (in any case); false when there is none.
    bool Select(std::wstring_view name);

    // An LBN_ notification from the list box: a double-click tells the owner.
    void OnNotify(WORD code) override;

protected:
    bool HandleKey(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool HandleMouse(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The whole name (the list may cut it) and, for an SPC file, its tag.
    std::wstring TipText(int index) const override;

private:
    void SetFiles(std::wstring folder, std::vector<std::wstring> names);

    std::wstring patterns_;
    std::wstring folder_;
};

// Window styles of the lists, for the windows that create them.
inline constexpr DWORD kDropDownListStyle = CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
inline constexpr DWORD kBrowseListStyle =
    LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | WS_GROUP;

// Hands the dialog's three list controls to the list objects and fills them
// at folder: the drives, the folder's path and subfolders, and its files that
// match patterns. The folder list comes last: its first read of the folder
// fills the file list too, through the owner.
struct BrowseListIds {
    int drive;
    int folder;
    int file;
};
void AttachBrowseLists(DialogWindow& dialog, BrowseListIds ids, DriveList& drives, FolderList& folders,
                       FileList& files, std::wstring_view patterns, std::wstring_view folder);

// Moves the folder list to the drive's current folder. A drive that cannot be
// read (no medium, not ready, gone) sends it to the fallback folder instead.
void MoveToDrive(FolderList& folders, const std::wstring& drive, const std::wstring& fallback);

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

// A path as the lists hold it: full, without a trailing "\" except for a root.
std::wstring NormalizeFolder(std::wstring_view path);

}  // namespace velmoria

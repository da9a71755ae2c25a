// The drive list: the drives there are, with the volume labels read on pool
// threads, so that the window never waits on a drive.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "browse/browse_events.h"
#include "wintk/dialog_window.h"

namespace velmoria {

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
    bool OnNotify(WORD code) override;

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

}  // namespace velmoria

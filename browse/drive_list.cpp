#include "browse/drive_list.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "base/paths.h"
#include "base/trace.h"
#include "browse/folder_read.h"

namespace velmoria {
namespace {

constexpr int kDriveListVisibleItems = 12;
// Posted to the drive list's combo box when labels have been read.
constexpr UINT kLabelsArrived = WM_APP + 0x40;

// "c:" for "C:", the way drive lists name drives; a share's name stays as it is.
std::wstring LowerDriveLetter(std::wstring drive) {
    if (drive.size() == 2 && drive[1] == L':') drive[0] = static_cast<wchar_t>(::towlower(drive[0]));
    return drive;
}

// Removable and optical drives are not asked for their label: that would
// spin them up, or wait for a medium, every time the list is filled.
std::wstring ReadVolumeLabel(const std::wstring& root) {
    const UINT type = ::GetDriveTypeW(root.c_str());
    if (type != DRIVE_FIXED && type != DRIVE_RAMDISK && type != DRIVE_REMOTE) return {};
    wchar_t volume[MAX_PATH + 1] = L"";
    if (!::GetVolumeInformationW(root.c_str(), volume, ARRAYSIZE(volume), nullptr, nullptr, nullptr, nullptr, 0)) {
        return {};
    }
    return volume;
}

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) noexcept : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&lock_); }

private:
    SRWLOCK& lock_;
};

}  // namespace

// What the label-reading threads share with the list. A thread may outlive
// the list (a dead network drive answers only after its timeout), so it
// holds this rather than the list itself, and reaches the list only by a
// posted message, which a window that has gone never gets.
struct DriveList::LabelJob {
    SRWLOCK lock = SRWLOCK_INIT;
    std::vector<std::pair<std::wstring, std::wstring>> arrived;  // drive, label
    std::vector<std::wstring> pending;                            // drives being read
};

// What one read takes to its pool thread.
struct DriveList::LabelRead {
    std::shared_ptr<LabelJob> job;
    LabelReader reader;
    HWND combo;
    std::wstring drive;
};

DriveList::DriveList(BrowseEvents& owner)
    : labelReader(ReadVolumeLabel), owner_(owner), job_(std::make_shared<LabelJob>()) {}

DriveList::~DriveList() {
    if (combo_) ::RemoveWindowSubclass(combo_, SubclassProc, 0);
}

LRESULT CALLBACK DriveList::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<DriveList*>(data);
    if (message == kLabelsArrived) {
        try {
            self->ShowLabels();
        } catch (...) {
            // The labels are a nicety; the list works without them.
            TraceSwallowed("showing drive labels");
        }
        return 0;
    }
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, SubclassProc, 0);
        self->combo_ = nullptr;
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

void DriveList::Attach(HWND combo, std::wstring_view folder) {
    combo_ = combo;
    ::SetWindowSubclass(combo_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    ShowDriveOf(folder);
}

void DriveList::ShowDriveOf(std::wstring_view folder) {
    const std::size_t root = RootLength(folder);
    drive_ = std::wstring(folder.substr(0, folder.size() >= 2 && folder[1] == L':' ? 2 : root));
    while (drive_.size() > 2 && drive_.back() == L'\\') drive_.pop_back();
    if (drive_.size() == 2) drive_[0] = static_cast<wchar_t>(::towupper(drive_[0]));
    Fill(false);
}

void DriveList::Fill(bool allLabels) {
    drives_.clear();
    wchar_t roots[512];
    const DWORD length = ::GetLogicalDriveStringsW(ARRAYSIZE(roots), roots);
    if (length > 0 && length < ARRAYSIZE(roots)) {
        for (const wchar_t* root = roots; *root; root += ::wcslen(root) + 1) {
            drives_.emplace_back(root, 2);
        }
    }
    // A working folder on a network share has no drive letter: its share
    // stands in the list in a drive's place.
    if (!drive_.empty() && std::none_of(drives_.begin(), drives_.end(),
                                        [this](const std::wstring& d) { return EqualsNoCase(d, drive_); })) {
        drives_.push_back(drive_);
    }
    ::SendMessageW(combo_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
    int current = -1;
    for (std::size_t i = 0; i < drives_.size(); ++i) {
        const std::wstring text = EntryText(drives_[i]);
        ::SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (EqualsNoCase(drives_[i], drive_)) current = static_cast<int>(i);
    }
    ::SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
    ::SendMessageW(combo_, CB_SETMINVISIBLE, kDriveListVisibleItems, 0);
    ::SendMessageW(combo_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(combo_, nullptr, TRUE);

    for (const std::wstring& drive : drives_) {
        if (drive.size() != 2 || !(allLabels || EqualsNoCase(drive, drive_))) continue;
        {
            const ExclusiveLock lock(job_->lock);
            if (std::find(job_->pending.begin(), job_->pending.end(), drive) != job_->pending.end()) continue;
            job_->pending.push_back(drive);
        }
        auto read = std::make_unique<LabelRead>(LabelRead{job_, labelReader, combo_, drive});
        // A pool thread, not one of our own: a read that hangs on a dead drive
        // ties up nothing the program waits for.
        if (::QueueUserWorkItem(ReadLabel, read.get(), WT_EXECUTELONGFUNCTION)) read.release();
    }
}

DWORD WINAPI DriveList::ReadLabel(void* parameter) noexcept {
    const std::unique_ptr<LabelRead> read(static_cast<LabelRead*>(parameter));
    std::wstring label;
    try {
        label = read->reader(read->drive + L"\\");
    } catch (...) {
        TraceSwallowed("reading a drive label");
        label.clear();
    }
    {
        const ExclusiveLock lock(read->job->lock);
        auto& pending = read->job->pending;
        read->job->arrived.emplace_back(read->drive, std::move(label));
        pending.erase(std::find(pending.begin(), pending.end(), read->drive));
    }
    ::PostMessageW(read->combo, kLabelsArrived, 0, 0);
    return 0;
}

std::wstring DriveList::EntryText(const std::wstring& drive) const {
    std::wstring text = LowerDriveLetter(drive);
    for (const auto& [labelled, label] : labels_) {
        if (labelled == drive && !label.empty()) text += L" [" + label + L"]";
    }
    return text;
}

void DriveList::ShowLabels() {
    {
        const ExclusiveLock lock(job_->lock);
        for (auto& [drive, label] : job_->arrived) {
            std::erase_if(labels_, [&drive](const auto& known) { return known.first == drive; });
            labels_.emplace_back(drive, std::move(label));
        }
        job_->arrived.clear();
    }
    const auto selected = ::SendMessageW(combo_, CB_GETCURSEL, 0, 0);
    for (std::size_t i = 0; i < drives_.size(); ++i) {
        const std::wstring text = EntryText(drives_[i]);
        const auto index = static_cast<WPARAM>(i);
        const auto length = ::SendMessageW(combo_, CB_GETLBTEXTLEN, index, 0);
        std::wstring shown(length > 0 ? static_cast<std::size_t>(length) : 0, L'\0');
        if (length > 0) ::SendMessageW(combo_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(shown.data()));
        if (shown == text) continue;
        ::SendMessageW(combo_, CB_DELETESTRING, index, 0);
        ::SendMessageW(combo_, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
    }
    ::SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

bool DriveList::OnNotify(WORD code) {
    if (code == CBN_DROPDOWN) {
        Fill(true);  // drives come and go; the list shows those there are now
        return true;
    }
    if (code != CBN_SELCHANGE) return true;
    const auto index = static_cast<int>(::SendMessageW(combo_, CB_GETCURSEL, 0, 0));
    if (index < 0 || index >= static_cast<int>(drives_.size())) return true;
    if (EqualsNoCase(drives_[static_cast<std::size_t>(index)], drive_)) return true;
    drive_ = drives_[static_cast<std::size_t>(index)];
    owner_.OnDriveChange();
    return true;
}

}  // namespace velmoria

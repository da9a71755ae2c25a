#include "base/browse_lists.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "base/paths.h"
#include "base/spc_tag.h"
#include "base/twips.h"
#include "base/win_handles.h"
#include "base/win_text.h"

namespace velmoria {
namespace {

constexpr int kFolderGlyphPixels96 = 16;
constexpr int kDriveListVisibleItems = 12;
// Posted to the drive list's combo box when labels have been read.
constexpr UINT kLabelsArrived = WM_APP + 0x40;

// Sorts names as the file system compares them: ordinally, ignoring case.
// Each name is upper-cased once, rather than once for every comparison, which
// in a folder of 100,000 songs is the difference that shows.
void SortByName(std::vector<std::wstring>& names) {
    std::vector<std::wstring> keys(names);
    for (std::wstring& key : keys) {
        if (!key.empty()) ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    }
    std::vector<std::size_t> order(names.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<std::wstring> sorted;
    sorted.reserve(names.size());
    for (const std::size_t i : order) sorted.push_back(std::move(names[i]));
    names.swap(sorted);
}

// The visible entries of a folder, in one pass over it: its subfolders, and
// its ordinary files whose names match patterns, each sorted by name; a null
// list is not wanted. Hidden and system entries are left out. False when the
// folder cannot be read; an empty folder is no failure.
bool ReadFolder(const std::wstring& folder, std::wstring_view patterns, std::vector<std::wstring>* folders,
                std::vector<std::wstring>* files) {
    const std::wstring query = ExtendedLengthPath(JoinPath(folder, L"*"));
    WIN32_FIND_DATAW entry;
    UniqueFind find(::FindFirstFileExW(query.c_str(), FindExInfoBasic, &entry,
                                       files ? FindExSearchNameMatch : FindExSearchLimitToDirectories, nullptr,
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
        }
    } while (::FindNextFileW(find.get(), &entry));
    if (::GetLastError() != ERROR_NO_MORE_FILES) return false;
    if (folders) SortByName(*folders);
    if (files) SortByName(*files);
    return true;
}

// A list's one tool in its tooltip.
TTTOOLINFOW TipToolOf(HWND list) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = list;
    tool.uId = 1;
    return tool;
}

// Where the root of a full path ends: after "C:\" or after "\\server\share\".
std::size_t RootLength(std::wstring_view path) {
    if (path.size() >= 2 && path[1] == L':') return std::min<std::size_t>(3, path.size());
    if (path.starts_with(L"\\\\")) {
        std::size_t slash = path.find(L'\\', 2);
        if (slash != std::wstring_view::npos) slash = path.find(L'\\', slash + 1);
        return slash == std::wstring_view::npos ? path.size() : slash + 1;
    }
    return std::min<std::size_t>(1, path.size());
}

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

}  // namespace

std::wstring NormalizeFolder(std::wstring_view path) {
    const std::wstring input(path);
    const DWORD size = ::GetFullPathNameW(input.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(input.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return {};
    full.resize(length);
    while (full.size() > RootLength(full) && full.back() == L'\\') full.pop_back();
    return full;
}

std::optional<BrowseTarget> BrowseTargetOf(std::wstring_view path, std::wstring_view patterns) {
    const std::wstring full = NormalizeFolder(path);
    if (full.empty()) return std::nullopt;
    const DWORD attributes = ::GetFileAttributesW(ExtendedLengthPath(full).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return BrowseTarget{full, {}};
    const std::wstring name = FileNameOf(full);
    if (!MatchesFilePattern(name, patterns)) return std::nullopt;
    return BrowseTarget{NormalizeFolder(ParentFolder(full)), name};
}

std::wstring CurrentFolderOfDrive(std::wstring_view drive) {
    if (drive.size() == 2 && drive[1] == L':') return NormalizeFolder(drive);
    return std::wstring(drive);
}

void AttachBrowseLists(DialogWindow& dialog, BrowseListIds ids, DriveList& drives, FolderList& folders,
                       FileList& files, std::wstring_view patterns, std::wstring_view folder) {
    dialog.Route(ids.drive, drives);
    dialog.Route(ids.folder, folders);
    dialog.Route(ids.file, files);
    drives.Attach(dialog.Item(ids.drive), folder);
    files.Attach(dialog.Item(ids.file), patterns);
    folders.Attach(dialog.Item(ids.folder), patterns, folder);
}

void MoveToDrive(FolderList& folders, const std::wstring& drive, const std::wstring& fallback) {
    if (!folders.SetPath(CurrentFolderOfDrive(drive))) folders.SetPath(fallback);
}

// ---------------------------------------------------------------- DriveList

namespace {

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

void DriveList::OnNotify(WORD code) {
    if (code == CBN_DROPDOWN) {
        Fill(true);  // drives come and go; the list shows those there are now
        return;
    }
    if (code != CBN_SELCHANGE) return;
    const auto index = static_cast<int>(::SendMessageW(combo_, CB_GETCURSEL, 0, 0));
    if (index < 0 || index >= static_cast<int>(drives_.size())) return;
    if (EqualsNoCase(drives_[static_cast<std::size_t>(index)], drive_)) return;
    drive_ = drives_[static_cast<std::size_t>(index)];
    owner_.OnDriveChange();
}

// ------------------------------------------------------------ BrowseListBox

BrowseListBox::~BrowseListBox() {
    if (list_) ::RemoveWindowSubclass(list_, SubclassProc, 0);
}

void BrowseListBox::AttachList(HWND list) {
    list_ = list;
    ::SetWindowSubclass(list_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    // Screen readers ask a list box for its entries with LB_GETTEXT, from
    // their own process. The system copies the answer across as text only
    // for a list that says it has strings; the list box itself read its
    // style when it was made, so it stays data-less.
    ::SetWindowLongPtrW(list_, GWL_STYLE, ::GetWindowLongPtrW(list_, GWL_STYLE) | LBS_HASSTRINGS);
}

int BrowseListBox::ListIndex() const {
    const auto index = static_cast<int>(::SendMessageW(list_, LB_GETCURSEL, 0, 0));
    return index >= 0 && index < Count() ? index : -1;
}

void BrowseListBox::SetListIndex(int index) { ::SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

std::wstring BrowseListBox::Entry(int index) const {
    return index >= 0 && index < Count() ? names_[static_cast<std::size_t>(index)] : std::wstring();
}

void BrowseListBox::SetEntries(std::vector<std::wstring> names, std::vector<int> indents, int selected) {
    HideTip();
    pointed_ = -1;
    names_ = std::move(names);
    indents_ = std::move(indents);
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list_, LB_SETCOUNT, names_.size(), 0);
    ::SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    ::SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, selected)), 0);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
}

void BrowseListBox::FitItemHeight(int dpi) {
    dpi_ = dpi;
    const WindowDc dc(list_);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(list_, WM_GETFONT, 0, 0));
    const SelectedObject selected(dc.get(), font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    int height = metrics.tmHeight + ::MulDiv(2, dpi, 96);
    if (glyphWidth_ > 0) {
        glyphWidth_ = ::MulDiv(kFolderGlyphPixels96, dpi, 96);
        height = std::max(height, glyphWidth_ + ::MulDiv(2, dpi, 96));
    }
    ::SendMessageW(list_, LB_SETITEMHEIGHT, 0, height);
}

void BrowseListBox::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemAction == ODA_FOCUS) {
        if (!(item.itemState & ODS_NOFOCUSRECT)) ::DrawFocusRect(item.hDC, &item.rcItem);
        return;
    }
    const int index = static_cast<int>(item.itemID);
    if (index < 0 || index >= Count()) return;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool enabled = ::IsWindowEnabled(list_) != FALSE;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    RECT text = item.rcItem;
    text.left += ::MulDiv(2, dpi_, 96) +
                 FolderIndentPixels(indents_[static_cast<std::size_t>(index)], dpi_, item.rcItem.right - item.rcItem.left);
    if (glyphWidth_ > 0) {
        const RECT glyph{text.left, text.top, text.left + glyphWidth_, text.bottom};
        DrawGlyph(item.hDC, glyph, index, selected);
        text.left += glyphWidth_ + ::MulDiv(3, dpi_, 96);
    }
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC,
                   ::GetSysColor(!enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring& name = names_[static_cast<std::size_t>(index)];
    ::DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        ::DrawFocusRect(item.hDC, &item.rcItem);
    }
}

void BrowseListBox::TypeAhead(wchar_t letter, LONG time) {
    // Letters typed within the double-click time of each other spell one
    // prefix, as in Explorer; after a pause a new search starts.
    const bool quick =
        !typed_.empty() && static_cast<DWORD>(time - lastTypedTime_) <= ::GetDoubleClickTime();
    lastTypedTime_ = time;
    typed_ = quick ? typed_ + letter : std::wstring(1, letter);
    // A longer prefix may still fit the entry reached so far; a new one
    // looks from the entry after it.
    const int current = ListIndex();
    const int index = FindByPrefix(names_, typed_, typed_.size() > 1 ? current : current + 1);
    if (index >= 0 && index != current) SetListIndex(index);
}

bool BrowseListBox::HandleKey(UINT message, WPARAM wParam, LPARAM) {
    // A data-less list box cannot search its entries itself.
    if (message == WM_CHAR && wParam >= L' ') {
        TypeAhead(static_cast<wchar_t>(wParam), ::GetMessageTime());
        return true;
    }
    return false;
}

bool BrowseListBox::HandleMouse(UINT, WPARAM, LPARAM) { return false; }

void BrowseListBox::TrackPointer(LPARAM position) {
    // Worked out from the top entry rather than asked with LB_ITEMFROMPOINT,
    // whose answer has room for 65,536 entries only.
    const int y = static_cast<short>(HIWORD(position));
    const auto height = static_cast<int>(::SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0));
    RECT client;
    ::GetClientRect(list_, &client);
    int index = -1;
    if (height > 0 && y >= 0 && y < client.bottom) {
        index = static_cast<int>(::SendMessageW(list_, LB_GETTOPINDEX, 0, 0)) + y / height;
        if (index >= Count()) index = -1;
    }
    if (index == pointed_) return;
    HideTip();
    pointed_ = index;
    if (index < 0) return;
    TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, list_, HOVER_DEFAULT};
    ::TrackMouseEvent(&track);
}

void BrowseListBox::ShowTip() {
    if (pointed_ < 0) return;
    std::wstring text = TipText(pointed_);
    if (text.empty()) return;
    TTTOOLINFOW tool = TipToolOf(list_);
    if (!tip_) {
        // Made when first needed: most runs never show one.
        const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&classes);
        tip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                     ::GetAncestor(list_, GA_ROOT), nullptr, nullptr, nullptr));
        if (!tip_) return;
        tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
        tool.lpszText = const_cast<wchar_t*>(L"");
        ::SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // A width limit makes the tooltip honour its line breaks.
    ::SendMessageW(tip_.get(), TTM_SETMAXTIPWIDTH, 0, ::MulDiv(480, dpi_, 96));
    tool.lpszText = text.data();
    ::SendMessageW(tip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    POINT pointer;
    ::GetCursorPos(&pointer);
    ::SendMessageW(tip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(pointer.x, pointer.y + ::MulDiv(20, dpi_, 96)));
    ::SendMessageW(tip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void BrowseListBox::HideTip() {
    if (!tip_) return;
    TTTOOLINFOW tool = TipToolOf(list_);
    ::SendMessageW(tip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK BrowseListBox::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<BrowseListBox*>(data);
    try {
        switch (message) {
        case WM_GETDLGCODE:
            // Enter belongs to the list (it opens or plays), not to the dialog.
            if (AsksAboutEnter(lParam)) return ::DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTMESSAGE;
            break;
        case WM_KEYDOWN:
        case WM_CHAR:
            if (self->HandleKey(message, wParam, lParam)) return 0;
            break;
        case WM_MOUSEMOVE:
            self->TrackPointer(lParam);
            break;
        case WM_MOUSEHOVER:
            self->ShowTip();
            return 0;
        case WM_MOUSELEAVE:
        case WM_MOUSEWHEEL:
        case WM_VSCROLL:
            // The pointer left, or the entries moved under it.
            self->HideTip();
            self->pointed_ = -1;
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            self->HideTip();
            const LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
            self->HandleMouse(message, wParam, lParam);
            return result;
        }
        case LB_GETTEXTLEN:
        case LB_GETTEXT: {
            // The list box keeps no text of its own: the names answer.
            const auto index = static_cast<int>(wParam);
            if (index < 0 || index >= self->Count()) return LB_ERR;
            const std::wstring& name = self->names_[static_cast<std::size_t>(index)];
            if (message == LB_GETTEXT) {
                if (lParam == 0) return LB_ERR;
                std::copy(name.c_str(), name.c_str() + name.size() + 1, reinterpret_cast<wchar_t*>(lParam));
            }
            return static_cast<LRESULT>(name.size());
        }
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(hwnd, SubclassProc, 0);
            self->list_ = nullptr;
            break;
        default:
            break;
        }
    } catch (...) {
        // Handlers report their own failures; nothing may unwind into Windows.
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

// --------------------------------------------------------------- FolderList

void FolderList::Attach(HWND list, std::wstring_view filePatterns, std::wstring_view folder) {
    AttachList(list);
    filePatterns_ = filePatterns;
    glyphWidth_ = kFolderGlyphPixels96;
    SetPath(folder);
}

bool FolderList::SetPath(std::wstring_view path) {
    const std::wstring full = NormalizeFolder(path);
    if (full.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(ExtendedLengthPath(full).c_str());
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

void FolderList::OnNotify(WORD code) {
    if (code == LBN_DBLCLK) OpenSelected();
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

// ----------------------------------------------------------------- FileList

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
    const UniqueFile file(::CreateFileW(ExtendedLengthPath(JoinPath(folder_, text)).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return text;
    auto read = [&file](std::size_t size) {
        std::string bytes(size, '\0');
        DWORD got = 0;
        if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(size), &got, nullptr)) got = 0;
        bytes.resize(got);
        return bytes;
    };
    const std::string head = read(kSpcHeaderBytes);
    std::string extended;
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(kExtendedTagOffset);
    if (head.size() == kSpcHeaderBytes && ::SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN)) {
        extended = read(kExtendedTagMaxBytes);
    }
    const std::optional<SongDetails> details = ReadSongDetails(head, extended);
    if (!details) return text;
    // The tag's code page is unknown: UTF-8 when the bytes are valid UTF-8,
    // else the system's (Shift-JIS on a Japanese Windows).
    auto line = [&text](const wchar_t* label, std::string_view bytes) {
        if (!bytes.empty()) text += L"\n" + std::wstring(label) + FromAnsi(bytes, IsUtf8(bytes) ? CP_UTF8 : CP_ACP);
    };
    line(L"Title: ", details->title);
    line(L"Game: ", details->game);
    line(L"Artist: ", details->artist);
    line(L"Length: ", PlayLengthText(*details));
    return text;
}

void FileList::OnNotify(WORD code) {
    if (code == LBN_DBLCLK) owner_.OnFileDblClick();
}

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

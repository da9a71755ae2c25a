#include "browse/folder_list.h"

#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <utility>

#include "archive/set_shelf.h"
#include "base/paths.h"
#include "base/trace.h"
#include "browse/folder_read.h"
#include "wintk/win_handles.h"

namespace velmoria {
namespace {

// A set: a small parcel with a band round it, so that it reads as packed
// songs rather than a folder, drawn to scale for the DPI.
void DrawSetGlyph(HDC dc, const RECT& box, int width) {
    const int unit = std::max(1, width / 16);
    const int height = width * 3 / 4;
    const int left = box.left + unit, right = box.left + width - unit;
    const int top = box.top + ((box.bottom - box.top) - height) / 2, bottom = top + height;
    const UniqueBrush parcel(::CreateSolidBrush(RGB(196, 150, 100)));
    const UniqueBrush band(::CreateSolidBrush(RGB(120, 70, 150)));
    const UniquePen pen(::CreatePen(PS_SOLID, unit, RGB(110, 75, 40)));
    const SelectedObject usePen(dc, pen.get());
    {
        const SelectedObject useBrush(dc, parcel.get());
        ::Rectangle(dc, left, top, right + 1, bottom + 1);
    }
    const RECT vertical{(left + right) / 2 - unit, top + unit, (left + right) / 2 + unit + 1, bottom};
    const RECT across{left + unit, (top + bottom) / 2 - unit, right, (top + bottom) / 2 + unit};
    ::FillRect(dc, &vertical, band.get());
    ::FillRect(dc, &across, band.get());
}

}  // namespace

void FolderList::Attach(HWND list, std::wstring_view filePatterns, std::wstring_view folder) {
    AttachList(list);
    filePatterns_ = filePatterns;
    glyphWidth_ = kFolderGlyphPixels96;
    SetPath(folder);
}

// A folder's entries as one read found them.
struct FolderList::Listing {
    std::vector<std::wstring> subfolders, files, sets;
};

struct FolderList::Read {
    std::mutex mutex;
    unsigned request = 0;  // the read the list waits for
    bool done = false;
    bool listed = false;
    std::optional<ArchiveProblem> problem;
    Listing listing;
};

bool FolderList::SetPath(std::wstring_view path, std::function<void()> shown, std::function<void()> failed) {
    const std::wstring full = NormalizeFolder(path);
    ForgetRead();
    if (full.empty()) {
        if (failed) failed();
        return false;
    }
    struct Job {
        std::shared_ptr<Read> shared;
        unsigned request;
        SetShelf* shelf;
        std::wstring folder, patterns;
        HWND list;
    };
    pending_ = full;
    pendingShown_ = std::move(shown);
    pendingFailed_ = std::move(failed);
    unsigned request = 0;
    {
        const std::lock_guard lock(read_->mutex);
        request = read_->request;
    }
    auto job = std::make_unique<Job>(Job{read_, request, sets_, full, filePatterns_, hwnd()});
    auto work = [](void* parameter) noexcept -> DWORD {
        const std::unique_ptr<Job> read(static_cast<Job*>(parameter));
        Listing listing;
        bool listed = false;
        std::optional<ArchiveProblem> problem;
        try {
            listed = ReadAnyFolder(read->shelf, read->folder, read->patterns, &listing.subfolders,
                                   read->patterns.empty() ? nullptr : &listing.files, &listing.sets);
        } catch (const ArchiveError& error) {
            problem = error.problem();
        } catch (...) {
            TraceSwallowed("reading a folder");
        }
        {
            const std::lock_guard lock(read->shared->mutex);
            if (read->shared->request != read->request) return 0;  // the list has moved on
            read->shared->done = true;
            read->shared->listed = listed;
            read->shared->problem = problem;
            read->shared->listing = std::move(listing);
        }
        ::PostMessageW(read->list, kListNews, 0, 0);
        return 0;
    };
    if (::QueueUserWorkItem(work, job.get(), WT_EXECUTELONGFUNCTION)) {
        job.release();
    } else {
        failed = std::move(pendingFailed_);
        ForgetRead();
        if (failed) failed();
    }
    return true;
}

void FolderList::ForgetRead() {
    if (!read_) read_ = std::make_shared<Read>();
    const std::lock_guard lock(read_->mutex);
    ++read_->request;
    read_->done = false;
    pending_.clear();
    pendingShown_ = {};
    pendingFailed_ = {};
}

void FolderList::OnNews() {
    bool listed = false;
    std::optional<ArchiveProblem> problem;
    Listing listing;
    {
        const std::lock_guard lock(read_->mutex);
        if (!read_->done) return;
        read_->done = false;
        listed = read_->listed;
        problem = read_->problem;
        listing = std::move(read_->listing);
    }
    const std::wstring full = std::exchange(pending_, {});
    const std::function<void()> shown = std::exchange(pendingShown_, {});
    const std::function<void()> failed = std::exchange(pendingFailed_, {});
    if (problem) {
        // The list stays as it was; the user is told what is wrong with the set.
        owner_.OnUnreadableSet(SetProblemMessage(SetShelf::Locate(full).value_or(SetSpot{full, {}}).set, *problem));
    }
    if (!listed) {
        if (failed) failed();
        return;
    }
    Show(full, std::move(listing));
    if (shown) shown();
}

void FolderList::Show(const std::wstring& full, Listing listing) {
    std::vector<std::wstring>& subfolders = listing.subfolders;
    std::vector<std::wstring>& sets = listing.sets;
    files_.emplace(std::move(listing.files));
    const std::optional<SetSpot> spot = sets_ && sets.empty() ? SetShelf::Locate(full) : std::nullopt;

    // From the root down to the current folder, one entry per level, then
    // the current folder's subfolders one level deeper.
    std::vector<std::wstring> names;
    std::vector<int> indents;
    paths_.clear();
    setLevel_ = -1;
    const std::size_t rootLength = RootLength(full);
    names.push_back(full.substr(0, rootLength));
    paths_.push_back(names.back());
    indents.push_back(0);
    for (std::size_t start = rootLength; start < full.size();) {
        std::size_t end = full.find(L'\\', start);
        if (end == std::wstring::npos) end = full.size();
        names.push_back(full.substr(start, end - start));
        paths_.push_back(full.substr(0, end));
        if (spot && EqualsNoCase(paths_.back(), spot->set)) setLevel_ = static_cast<int>(names.size()) - 1;
        indents.push_back(indents.back() + 1);
        start = end + 1;
    }
    levels_ = static_cast<int>(names.size());
    const int depth = indents.back() + 1;
    firstSet_ = levels_ + static_cast<int>(subfolders.size());
    for (std::vector<std::wstring>* group : {&subfolders, &sets}) {
        for (std::wstring& name : *group) {
            names.push_back(std::move(name));
            indents.push_back(depth);
        }
    }
    SetEntries(std::move(names), std::move(indents), levels_ - 1);

    const bool changed = !EqualsNoCase(full, path_);
    path_ = full;
    if (changed) owner_.OnFolderChange();
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

std::wstring FolderList::TipText(int index) {
    std::wstring text = BrowseListBox::TipText(index);
    // A set already opened names its game (its info.txt); none is opened for a tip.
    const bool set = index == setLevel_ || index >= firstSet_;
    const std::wstring info = set && sets_ ? sets_->KeptInfo(index < levels_ ? paths_[static_cast<std::size_t>(index)]
                                                                             : JoinPath(path_, Entry(index)))
                                           : std::wstring();
    return info.empty() ? text : text + L"\n" + info;
}

void FolderList::DrawGlyph(HDC dc, const RECT& box, int index, bool) const {
    if (index == setLevel_ || index >= firstSet_) {
        DrawSetGlyph(dc, box, glyphWidth_);
        return;
    }
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
    folders.SetPath(CurrentFolderOfDrive(drive), {}, [&folders, fallback] { folders.SetPath(fallback); });
}

}  // namespace velmoria

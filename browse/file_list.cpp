#include "browse/file_list.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>

#include "base/paths.h"
#include "base/trace.h"
#include "browse/song_file.h"

namespace velmoria {

void FileList::Attach(HWND list) { AttachList(list); }

void FileList::Follow(FolderList& folders) {
    // Taken already: the list shows them.
    if (std::optional<std::vector<std::wstring>> files = folders.TakeFiles()) SetFiles(folders.Path(), std::move(*files));
}

void FileList::SetFiles(std::wstring folder, std::vector<std::wstring> names) {
    std::vector<int> indents(names.size(), 0);
    SetEntries(std::move(names), std::move(indents), -1);
    folder_ = std::move(folder);
    if (showTitles_) ReadTitles();
}

int FileList::IndexOf(std::wstring_view name) const {
    for (int i = 0; i < Count(); ++i) {
        if (EqualsNoCase(Entry(i), name)) return i;
    }
    return -1;
}

bool FileList::Select(std::wstring_view name) {
    const int index = IndexOf(name);
    if (index >= 0) SetListIndex(index);
    return index >= 0;
}

namespace {

// How often, at most, titles beyond the first screen are handed to the window.
constexpr ULONGLONG kTitleBatchMs = 50;
constexpr int kTitleReaders = 2;

}  // namespace

// What the pool thread hands back: the tip's text for one entry of one
// request; a newer request makes an older one's answer worthless.
struct FileList::TipRead {
    std::mutex mutex;
    unsigned request = 0;
    int index = -1;
    std::optional<std::wstring> text;
};

// What the title reads hand back, for one filling of the list: a newer
// filling makes an older one's titles worthless.
struct FileList::TitleRead {
    std::mutex mutex;
    unsigned filling = 0;
    std::vector<std::pair<int, std::wstring>> arrived;  // index, title
    bool told = false;  // a message about them is on its way
    ULONGLONG lastTold = 0;
};

FileList::FileList(BrowseEvents& owner)
    : BrowseListBox(owner),
      songReader(ReadSongFile),
      tipRead_(std::make_shared<TipRead>()),
      titleRead_(std::make_shared<TitleRead>()),
      titles_(std::make_shared<TitleCache>()) {}

void FileList::ShowTitles(bool on) {
    showTitles_ = on;
    if (on) {
        ReadTitles();
        return;
    }
    {
        const std::lock_guard lock(titleRead_->mutex);
        ++titleRead_->filling;
        titleRead_->arrived.clear();
    }
    SetLabels({});
}

void FileList::ReadTitles() {
    struct Job {
        std::shared_ptr<TitleRead> shared;
        std::shared_ptr<TitleCache> cache;
        unsigned filling;
        HWND list;
        std::wstring folder;
        std::vector<std::pair<int, std::wstring>> files;  // index, name: the rows on screen first
        SongReader reader;
        std::size_t screenRows;
        std::atomic<std::size_t> next{0};  // the first file no reader has taken
    };
    const ScreenRows rows = RowsOnScreen();
    auto job = std::make_shared<Job>(titleRead_, titles_, 0, hwnd(), folder_,
                                     std::vector<std::pair<int, std::wstring>>{}, songReader,
                                     static_cast<std::size_t>(rows.count));
    {
        const std::lock_guard lock(titleRead_->mutex);
        job->filling = ++titleRead_->filling;
        titleRead_->arrived.clear();
        titleRead_->told = false;
    }
    SetLabels(std::vector<std::wstring>(static_cast<std::size_t>(Count())));
    job->files.reserve(static_cast<std::size_t>(Count()));
    for (int i = 0; i < Count(); ++i) job->files.emplace_back((rows.top + i) % Count(), Entry((rows.top + i) % Count()));
    auto work = [](void* parameter) noexcept -> DWORD {
        const std::unique_ptr<std::shared_ptr<Job>> held(static_cast<std::shared_ptr<Job>*>(parameter));
        Job& read = **held;
        TitleRead& shared = *read.shared;
        // Each title of the rows on screen is told at once; the rest in
        // batches, since a message per title would cost the window (and,
        // under Wine, the reads) more than the reads themselves.
        auto tell = [&read, &shared](bool now) {
            if (shared.told || shared.arrived.empty()) return;
            if (!now && ::GetTickCount64() - shared.lastTold < kTitleBatchMs) return;
            shared.told = true;
            shared.lastTold = ::GetTickCount64();
            ::PostMessageW(read.list, kListNews, 0, 0);
        };
        for (std::size_t n = read.next++; n < read.files.size(); n = read.next++) {
            const auto& [index, name] = read.files[n];
            std::wstring title;
            try {
                if (const std::optional<SongDetails> details =
                        read.cache->Details(JoinPath(read.folder, name), read.reader)) {
                    title = DecodeTagText(details->title, EncodingOf(details->title));
                }
            } catch (...) {
                TraceSwallowed("reading a song's title");
            }
            const std::lock_guard lock(shared.mutex);
            if (shared.filling != read.filling) return 0;  // the list has moved on
            if (!title.empty()) shared.arrived.emplace_back(index, std::move(title));
            tell(n < read.screenRows);
        }
        const std::lock_guard lock(shared.mutex);
        if (shared.filling == read.filling) tell(true);
        return 0;
    };
    // Two readers: a file's open waits on the disk (or the share, or under
    // Wine its server) far more than on a processor.
    for (int reader = 0; reader < kTitleReaders; ++reader) {
        auto held = std::make_unique<std::shared_ptr<Job>>(job);
        if (::QueueUserWorkItem(work, held.get(), WT_EXECUTELONGFUNCTION)) held.release();
    }
}

std::wstring FileList::TipText(int index) {
    const std::wstring name = Entry(index);
    std::wstring text = WrapLongName(name, kTipNameChars);
    if (!MatchesFilePattern(name, kSpcFilePattern)) return text;
    struct Job {
        std::shared_ptr<TipRead> shared;
        unsigned request;
        int index;
        HWND list;
        std::wstring path;
        std::wstring name;
        SongReader reader;
        std::shared_ptr<TitleCache> cache;
    };
    unsigned request = 0;
    {
        const std::lock_guard lock(tipRead_->mutex);
        request = ++tipRead_->request;
        tipRead_->text.reset();
    }
    auto job = std::make_unique<Job>(
        Job{tipRead_, request, index, hwnd(), JoinPath(folder_, name), text, songReader, titles_});
    auto work = [](void* parameter) noexcept -> DWORD {
        const std::unique_ptr<Job> read(static_cast<Job*>(parameter));
        std::wstring full = read->name;
        try {
            if (const std::optional<SongDetails> details = read->cache->Details(read->path, read->reader)) {
                full += SongDetailsLines(*details, DecodeTagText);
            }
        } catch (...) {
            TraceSwallowed("reading a song's tag");
        }
        {
            const std::lock_guard lock(read->shared->mutex);
            if (read->shared->request != read->request) return 0;
            read->shared->index = read->index;
            read->shared->text = std::move(full);
        }
        ::PostMessageW(read->list, kListNews, 0, 0);
        return 0;
    };
    if (::QueueUserWorkItem(work, job.get(), WT_EXECUTELONGFUNCTION)) job.release();
    return text;
}

void FileList::OnNews() {
    std::vector<std::pair<int, std::wstring>> titles;
    {
        const std::lock_guard lock(titleRead_->mutex);
        titles.swap(titleRead_->arrived);
        titleRead_->told = false;
    }
    if (!titles.empty()) SetSomeLabels(std::move(titles));
    std::optional<std::wstring> text;
    int index = -1;
    {
        const std::lock_guard lock(tipRead_->mutex);
        text = std::exchange(tipRead_->text, std::nullopt);
        index = tipRead_->index;
    }
    if (text) UpdateTip(index, std::move(*text));
}

bool FileList::OnNotify(WORD) { return false; }

bool FileList::HandleKey(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_CHAR) return false;
    auto key = static_cast<short>(wParam);
    owner_.OnFileKeyPress(key);
    if (key == 0) return true;  // the handler swallowed the key
    return BrowseListBox::HandleKey(message, static_cast<WPARAM>(static_cast<unsigned short>(key)), lParam);
}

bool FileList::OnMenuKey() {
    RECT row{};
    if (::SendMessageW(hwnd(), LB_GETITEMRECT, static_cast<WPARAM>(std::max(0, ListIndex())),
                       reinterpret_cast<LPARAM>(&row)) == LB_ERR) {
        row = {};
    }
    POINT at{row.left + (row.bottom - row.top) / 2, row.bottom};
    ::ClientToScreen(hwnd(), &at);
    owner_.OnFileMenuKey(at);
    return true;
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

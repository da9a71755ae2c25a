#include "browse/file_list.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <utility>

#include "base/paths.h"
#include "browse/folder_read.h"
#include "base/trace.h"
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
    if (showTitles_) ReadTitles();
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

namespace {

// A song's details from the cache, or read and kept there; nothing for a
// file that has gone or is no song. Runs on pool threads.
std::optional<SongDetails> CachedDetails(TitleCache& cache, const FileList::SongReader& reader,
                                         const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(VerbatimPath(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    const TitleCache::Stamp stamp{(std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
                                  (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                      data.ftLastWriteTime.dwLowDateTime};
    if (std::optional<std::optional<SongDetails>> kept = cache.Find(path, stamp)) return std::move(*kept);
    std::optional<SongDetails> details = reader(path);
    cache.Keep(path, stamp, details);
    return details;
}

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
    };
    auto job = std::make_unique<Job>(Job{titleRead_, titles_, 0, hwnd(), folder_, {}, songReader});
    {
        const std::lock_guard lock(titleRead_->mutex);
        job->filling = ++titleRead_->filling;
        titleRead_->arrived.clear();
    }
    SetLabels(std::vector<std::wstring>(static_cast<std::size_t>(Count())));
    const int top = std::max(0, static_cast<int>(::SendMessageW(hwnd(), LB_GETTOPINDEX, 0, 0)));
    job->files.reserve(static_cast<std::size_t>(Count()));
    for (int i = 0; i < Count(); ++i) job->files.emplace_back((top + i) % Count(), Entry((top + i) % Count()));
    auto work = [](void* parameter) noexcept -> DWORD {
        const std::unique_ptr<Job> read(static_cast<Job*>(parameter));
        for (const auto& [index, name] : read->files) {
            std::wstring title;
            try {
                if (const std::optional<SongDetails> details =
                        CachedDetails(*read->cache, read->reader, JoinPath(read->folder, name))) {
                    title = DecodeTagText(details->title, EncodingOf(details->title));
                }
            } catch (...) {
                TraceSwallowed("reading a song's title");
            }
            if (title.empty()) continue;
            bool first = false;
            {
                const std::lock_guard lock(read->shared->mutex);
                if (read->shared->filling != read->filling) return 0;  // the list has moved on
                first = read->shared->arrived.empty();
                read->shared->arrived.emplace_back(index, std::move(title));
            }
            // One message for all that arrives until the window takes them.
            if (first) ::PostMessageW(read->list, kListNews, 0, 0);
        }
        return 0;
    };
    if (::QueueUserWorkItem(work, job.get(), WT_EXECUTELONGFUNCTION)) job.release();
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
            if (const std::optional<SongDetails> details = CachedDetails(*read->cache, read->reader, read->path)) {
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
    }
    for (auto& [index, title] : titles) SetLabel(index, std::move(title));
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

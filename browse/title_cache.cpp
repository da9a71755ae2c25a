#include "browse/title_cache.h"

#include <utility>

namespace velmoria {

std::optional<std::optional<SongDetails>> TitleCache::Find(const std::wstring& path, FileStamp stamp) const {
    const std::lock_guard lock(mutex_);
    const auto found = entries_.find(path);
    if (found == entries_.end() || !(found->second.stamp == stamp)) return std::nullopt;
    return found->second.details;
}

bool TitleCache::Knows(const std::wstring& path) const {
    const std::lock_guard lock(mutex_);
    return entries_.contains(path);
}

void TitleCache::Keep(const std::wstring& path, FileStamp stamp, std::optional<SongDetails> details) {
    const std::lock_guard lock(mutex_);
    entries_[path] = Entry{stamp, std::move(details)};
}

std::optional<SongDetails> TitleCache::Details(const std::wstring& path, const Reader& reader) {
    if (Knows(path)) {
        const std::optional<FileStamp> stamp = StampOf(path);
        if (!stamp) return std::nullopt;
        if (std::optional<std::optional<SongDetails>> kept = Find(path, *stamp)) return std::move(*kept);
    }
    std::optional<FileStamp> stamp;
    std::optional<SongDetails> details = reader(path, &stamp);
    if (stamp) Keep(path, *stamp, details);
    return details;
}

}  // namespace velmoria

#include "browse/title_cache.h"

#include <utility>

namespace velmoria {

std::optional<std::wstring> TitleCache::Find(const std::wstring& path, Stamp stamp) const {
    const std::lock_guard lock(mutex_);
    const auto found = entries_.find(path);
    if (found == entries_.end() || !(found->second.stamp == stamp)) return std::nullopt;
    return found->second.title;
}

void TitleCache::Keep(const std::wstring& path, Stamp stamp, std::wstring title) {
    const std::lock_guard lock(mutex_);
    entries_[path] = Entry{stamp, std::move(title)};
}

}  // namespace velmoria

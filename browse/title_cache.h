// Song titles already read, kept by path and checked against the file's size
// and write time, so that scrolling back, reopening a folder or a second look
// never reads a file twice. Shared by the window's thread and pool threads.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace velmoria {

class TitleCache {
public:
    struct Stamp {
        std::uint64_t size = 0;
        std::uint64_t writeTime = 0;
        bool operator==(const Stamp&) const = default;
    };

    // The title kept for the file as it was then; nothing when it changed or was never read.
    std::optional<std::wstring> Find(const std::wstring& path, Stamp stamp) const;
    void Keep(const std::wstring& path, Stamp stamp, std::wstring title);

private:
    struct Entry {
        Stamp stamp;
        std::wstring title;
    };
    mutable std::mutex mutex_;
    std::unordered_map<std::wstring, Entry> entries_;
};

}  // namespace velmoria

// Songs' details already read, kept by path and checked against the file's
// size and write time, so that scrolling back, reopening a folder or the tip
// never reads a file twice. Shared by the window's thread and pool threads.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "browse/song_file.h"
#include "spc/spc_tag.h"

namespace velmoria {

class TitleCache {
public:
    // Whether anything was kept for the path, however old.
    bool Knows(const std::wstring& path) const;
    // What was read of the file as it was then (nothing inside for a file
    // that is no song); nothing when it changed or was never read.
    std::optional<std::optional<SongDetails>> Find(const std::wstring& path, FileStamp stamp) const;
    void Keep(const std::wstring& path, FileStamp stamp, std::optional<SongDetails> details);

private:
    struct Entry {
        FileStamp stamp;
        std::optional<SongDetails> details;
    };
    mutable std::mutex mutex_;
    std::unordered_map<std::wstring, Entry> entries_;
};

}  // namespace velmoria

// Songs' details already read, kept by path and checked against the file's
// size and write time, so that scrolling back, reopening a folder or the tip
// never reads a file twice. Shared by the window's thread and pool threads.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "browse/song_file.h"
#include "spc/spc_tag.h"

namespace velmoria {

class TitleCache {
public:
    // Reads a song's details; it may block for as long as the file's drive takes.
    using Reader = std::function<std::optional<SongDetails>(const std::wstring& path, std::optional<FileStamp>* stamp)>;
    // What was kept for the file when it has not changed, else what reader
    // reads now, kept for next time; nothing for a file that has gone or is
    // no song. For pool threads: it looks at the file. A file never read is
    // not looked up first: the read gives its stamp.
    std::optional<SongDetails> Details(const std::wstring& path, const Reader& reader);
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

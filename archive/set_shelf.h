// The sets opened so far: each archive decoded once, on whichever thread
// asks first, and kept by its path, size and write time, at most a bound of
// bytes in all (the least recently used go first). The lists ask it for a
// folder inside a set, the tips and titles for a song's bytes, a play for a
// song written out where a player can open it. A path runs into a set at
// the set's file: "D:\Sets\Game.rsn\01 Title.spc". Shared by the window's
// thread and pool threads.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive.h"
#include "archive/packed_set.h"
#include "wintk/run_folder.h"

namespace velmoria {

// The files the folder list shows as sets, told apart by their first bytes when opened.
inline constexpr std::wstring_view kSetPatterns = L"*.rsn;*.rar;*.7z;*.zip";
// The songs of a set: sets number the songs of one game .sp0 to .sp9 as well.
inline constexpr std::wstring_view kSetSongPatterns = L"*.spc;*.sp0;*.sp1;*.sp2;*.sp3;*.sp4;*.sp5;*.sp6;*.sp7;*.sp8;*.sp9";

struct SetSpot {
    std::wstring set;    // the archive's full path
    std::wstring inner;  // the path inside it; empty for its top
};

struct SetSong {
    std::string bytes;
    std::uint64_t setSize = 0, setWriteTime = 0;  // the set's, which changes with any of its songs
};

class SetShelf {
public:
    // tempBase: where songs handed to players go; empty for the user's temporary folder.
    explicit SetShelf(std::size_t boundBytes = 64u << 20, std::wstring_view tempBase = {});

    // Where a full path runs into a set; nothing for a path on disk, or one
    // through no file at all. Looks at the disk, not into the file.
    static std::optional<SetSpot> Locate(const std::wstring& path);
    // The set decoded, from the shelf when it has not changed. Throws ArchiveError.
    std::shared_ptr<const PackedSet> Open(const std::wstring& set);
    // A song inside a set; nothing for a path in no set, or a set or song that cannot be read.
    std::optional<SetSong> ReadSong(const std::wstring& path);
    // The first line of the set's info.txt, when the set is on the shelf already; never decodes.
    std::wstring KeptInfo(const std::wstring& set);
    // A song inside a set written out under a plain 8.3 name in a folder of
    // this run's own, for a player; its full path, empty when it cannot be.
    // The songs handed out before the last but one are deleted then.
    std::wstring HandOut(const std::wstring& path);
    // At start: what earlier runs handed out.
    static void ClearEarlierHandOuts(std::wstring_view tempBase = {});

    std::size_t BytesKept() const;

private:
    // The set decoded, with the size and write time it was decoded at.
    std::shared_ptr<const PackedSet> Open(const std::wstring& set, SetSong& stamp);
    // Where a path runs into a set on the shelf, told by the path alone.
    std::optional<SetSpot> KeptSpot(const std::wstring& path) const;

    struct Kept {
        std::wstring set;
        std::uint64_t size, writeTime;
        std::shared_ptr<const PackedSet> contents;
    };
    mutable std::mutex mutex_;
    std::list<Kept> kept_;  // most recently used first
    std::size_t boundBytes_;
    std::mutex handOutMutex_;
    RunFolder handedOut_;
    unsigned handOuts_ = 0;
};

// What the user is told of a set that cannot be opened.
std::wstring SetProblemMessage(const std::wstring& set, ArchiveProblem problem);

}  // namespace velmoria

#include "archive/set_shelf.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "archive/rar_reader.h"
#include "base/paths.h"
#include "wintk/win_handles.h"

namespace velmoria {
namespace {

constexpr std::wstring_view kHandOutPrefix = L"Velmoria-sets-";

// Eight lower-case hex digits and ".spc": a name any classic player takes,
// and the only one a clearing deletes.
bool IsHandOutName(std::wstring_view name) {
    if (name.size() != 12 || !name.ends_with(L".spc")) return false;
    return std::all_of(name.begin(), name.begin() + 8,
                       [](wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'); });
}

struct Stamp {
    std::uint64_t size, writeTime;
};

std::optional<Stamp> StampOfFile(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(VerbatimPath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return Stamp{(std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
                 (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime};
}

// The file's first bytes, or all of them (at most "most") when head is 0.
std::string ReadFront(const std::wstring& path, std::uint64_t most, std::size_t head = 0) {
    const UniqueFile file(::CreateFileW(VerbatimPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size)) throw ArchiveError(ArchiveProblem::Damaged);
    if (head) size.QuadPart = std::min<LONGLONG>(size.QuadPart, static_cast<LONGLONG>(head));
    if (static_cast<std::uint64_t>(size.QuadPart) > most) throw ArchiveError(ArchiveProblem::TooLarge);
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size()) {
        throw ArchiveError(ArchiveProblem::Damaged);
    }
    return bytes;
}

bool WantedInSet(std::string_view name) {
    const std::vector<std::wstring> parts = ShownParts(name);
    const std::wstring& last = parts.back();
    return MatchesFilePattern(last, kSetSongPatterns) ||
           (parts.size() == 1 && EqualsNoCase(last, L"info.txt"));
}

}  // namespace

SetShelf::SetShelf(std::size_t boundBytes, std::wstring_view tempBase)
    : boundBytes_(boundBytes), handedOut_(kHandOutPrefix, IsHandOutName, tempBase) {}

std::optional<SetSpot> SetShelf::Locate(const std::wstring& path) {
    std::wstring prefix = path;
    std::wstring rest;
    while (true) {
        const DWORD attributes = ::GetFileAttributesW(VerbatimPath(prefix).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
            if (!MatchesFilePattern(FileNameOf(prefix), kSetPatterns)) return std::nullopt;
            return SetSpot{prefix, rest};
        }
        const std::size_t cut = prefix.rfind(L'\\');
        if (cut == std::wstring::npos || cut + 1 <= 3) return std::nullopt;
        rest = prefix.substr(cut + 1) + (rest.empty() ? L"" : L"\\" + rest);
        prefix.resize(cut);
    }
}

std::shared_ptr<const PackedSet> SetShelf::Open(const std::wstring& set) {
    SetSong stamp;
    return Open(set, stamp);
}

std::shared_ptr<const PackedSet> SetShelf::Open(const std::wstring& set, SetSong& stamped) {
    const std::optional<Stamp> stamp = StampOfFile(set);
    if (!stamp) throw ArchiveError(ArchiveProblem::Damaged);
    stamped.setSize = stamp->size;
    stamped.setWriteTime = stamp->writeTime;
    {
        const std::lock_guard lock(mutex_);
        for (auto kept = kept_.begin(); kept != kept_.end(); ++kept) {
            if (EqualsNoCase(kept->set, set) && kept->size == stamp->size && kept->writeTime == stamp->writeTime) {
                kept_.splice(kept_.begin(), kept_, kept);
                return kept_.front().contents;
            }
        }
    }
    // Decoded outside the lock: another set's songs are answered meanwhile.
    // UnRAR reads a RAR where it lies; the other kinds are read from their bytes.
    const ArchiveLimits limits;
    auto contents = std::make_shared<const PackedSet>(
        ArchiveKindOf(ReadFront(set, limits.totalBytes, 8)) == ArchiveKind::Rar
            ? UnpackRar(VerbatimPath(set), WantedInSet, limits)
            : UnpackArchive(ReadFront(set, limits.totalBytes), WantedInSet, limits));
    const std::lock_guard lock(mutex_);
    kept_.remove_if([&](const Kept& kept) { return EqualsNoCase(kept.set, set); });
    kept_.push_front({set, stamp->size, stamp->writeTime, contents});
    std::size_t total = 0;
    for (auto kept = kept_.begin(); kept != kept_.end();) {
        total += kept->contents->Bytes();
        // The set just opened stays, however large.
        kept = kept != kept_.begin() && total > boundBytes_ ? kept_.erase(kept) : std::next(kept);
    }
    return contents;
}

std::optional<SetSong> SetShelf::ReadSong(const std::wstring& path) {
    try {
        // A song of a set on the shelf needs no look along its path: the
        // titles of a set ask for every song at once.
        std::optional<SetSpot> spot = KeptSpot(path);
        if (!spot) spot = Locate(path);
        if (!spot || spot->inner.empty()) return std::nullopt;
        SetSong song;
        const std::shared_ptr<const PackedSet> set = Open(spot->set, song);
        const std::string* bytes = set->File(spot->inner);
        if (!bytes) return std::nullopt;
        song.bytes = *bytes;
        return song;
    } catch (const ArchiveError&) {
        return std::nullopt;
    }
}

std::optional<SetSpot> SetShelf::KeptSpot(const std::wstring& path) const {
    const std::lock_guard lock(mutex_);
    for (const Kept& kept : kept_) {
        const std::size_t length = kept.set.size();
        if (path.size() > length + 1 && path[length] == L'\\' &&
            EqualsNoCase(std::wstring_view(path).substr(0, length), kept.set)) {
            return SetSpot{kept.set, path.substr(length + 1)};
        }
    }
    return std::nullopt;
}

std::wstring SetShelf::KeptInfo(const std::wstring& set) {
    const std::lock_guard lock(mutex_);
    for (const Kept& kept : kept_) {
        if (EqualsNoCase(kept.set, set)) return kept.contents->Info();
    }
    return {};
}

std::wstring SetShelf::HandOut(const std::wstring& path) {
    const std::optional<SetSong> song = ReadSong(path);
    if (!song) return {};
    const std::lock_guard lock(handOutMutex_);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[16];
        ::wsprintfW(name, L"%08x.spc", ++handOuts_);
        if (handedOut_.WriteNew(name, song->bytes)) {
            // One player plays at a time: the song before this one may still
            // be held by a player that is quitting, any earlier one is done.
            // One a player still holds stays, and goes at Exit.
            wchar_t done[16];
            ::wsprintfW(done, L"%08x.spc", handOuts_ - 2);
            if (handOuts_ > 2) handedOut_.Remove(done);
            return JoinPath(handedOut_.Path(), name);
        }
        if (handedOut_.Path().empty() || ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return {};
}

void SetShelf::ClearEarlierHandOuts(std::wstring_view tempBase) {
    ClearEarlierRunFolders(kHandOutPrefix, IsHandOutName, tempBase);
}

std::size_t SetShelf::BytesKept() const {
    const std::lock_guard lock(mutex_);
    std::size_t total = 0;
    for (const Kept& kept : kept_) total += kept.contents->Bytes();
    return total;
}

std::wstring SetProblemMessage(const std::wstring& set, ArchiveProblem problem) {
    const wchar_t* what = L"is damaged: its songs cannot be read.";
    switch (problem) {
    case ArchiveProblem::NotArchive: what = L"is no set of songs: only its name says it is an archive."; break;
    case ArchiveProblem::Damaged: break;
    case ArchiveProblem::Password: what = L"needs a password, which Velmoria cannot give."; break;
    case ArchiveProblem::LaterPart: what = L"is one part of a set split over several files."; break;
    case ArchiveProblem::Unsupported: what = L"is packed in a way Velmoria cannot read."; break;
    case ArchiveProblem::TooLarge: what = L"holds files too large to be songs, and is not opened."; break;
    }
    return L"The set\n" + set + L"\n" + what;
}

}  // namespace velmoria

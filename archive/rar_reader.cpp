// UnRAR's library interface (built with RARDLL), driven twice over the file:
// a listing, which reads headers only, then a pass that tests the wanted
// files, their bytes coming to a callback rather than to the disk. Nothing
// is ever extracted to a file: RAR_TEST and RAR_SKIP are the only operations.
//
// UnRAR's licence asks that this paragraph be quoted:
//   "UnRAR source code may be used in any software to handle RAR archives
//   without limitations free of charge, but cannot be used to develop RAR
//   (WinRAR) compatible archiver and to re-create RAR compression algorithm,
//   which is proprietary. Distribution of modified UnRAR source code in
//   separate form or as a part of other software is permitted, provided that
//   full text of this paragraph, starting from "UnRAR source code" words, is
//   included in license, or in documentation if license is not available, and
//   in source code comments of resulting package."
#include "archive/rar_reader.h"

#include <mutex>

#include "base/utf8.h"

#ifdef _WIN32
#include <windows.h>
#else
#define _UNIX
#endif
#include "dll.hpp"

namespace velmoria {
namespace {

// A dictionary is the window a file is decoded through; RAR 5 allows 4 GB of
// it, and no set of songs needs a fraction of that.
constexpr std::uint64_t kMostDictionaryBytes = 64u << 20;

struct Listed {
    std::string name;
    std::uint64_t size;
    bool wanted;
};

// What the callback knows: where a file's bytes go, and what went wrong.
struct Pass {
    std::string* into = nullptr;
    std::uint64_t room = 0;
    ArchiveProblem problem = ArchiveProblem::Damaged;
};

int CALLBACK OnRar(UINT message, LPARAM user, LPARAM address, LPARAM size) {
    Pass& pass = *reinterpret_cast<Pass*>(user);
    switch (message) {
    case UCM_PROCESSDATA: {
        const auto bytes = static_cast<std::uint64_t>(size);
        if (size < 0) return -1;
        if (!pass.into) return 1;  // a passed-over file of a solid archive, decoded on the way
        // More than the header said is a damaged file, or a bomb: stopped.
        if (bytes > pass.room - pass.into->size()) return -1;
        pass.into->append(reinterpret_cast<const char*>(address), static_cast<std::size_t>(bytes));
        return 1;
    }
    case UCM_NEEDPASSWORD:
    case UCM_NEEDPASSWORDW:
        pass.problem = ArchiveProblem::Password;
        return -1;
    case UCM_CHANGEVOLUME:
    case UCM_CHANGEVOLUMEW:
        pass.problem = ArchiveProblem::LaterPart;
        return -1;
    default:
        return 0;
    }
}

[[noreturn]] void Fail(int code, const Pass& pass) {
    switch (code) {
    case ERAR_MISSING_PASSWORD:
    case ERAR_BAD_PASSWORD:
        throw ArchiveError(ArchiveProblem::Password);
    case ERAR_UNKNOWN_FORMAT:
        throw ArchiveError(pass.problem == ArchiveProblem::Damaged ? ArchiveProblem::Unsupported : pass.problem);
    case ERAR_NO_MEMORY:
        throw ArchiveError(ArchiveProblem::TooLarge);
    default:
        throw ArchiveError(pass.problem);
    }
}

class RarArchive {
public:
    RarArchive(const SystemPath& file, unsigned mode, Pass& pass) {
        RAROpenArchiveDataEx open{};
        SystemPath name = file;
#ifdef _WIN32
        open.ArcNameW = name.data();
#else
        open.ArcName = name.data();
#endif
        open.OpenMode = mode;
        open.Callback = OnRar;
        open.UserData = reinterpret_cast<LPARAM>(&pass);
        handle_ = RAROpenArchiveEx(&open);
        if (!handle_ || open.OpenResult != ERAR_SUCCESS) {
            Close();
            Fail(open.OpenResult == ERAR_EOPEN ? ERAR_BAD_DATA : static_cast<int>(open.OpenResult), pass);
        }
        flags_ = open.Flags;
        // A later part of a split set; the first part's files that run on
        // into the next part ask for it, which the callback refuses.
        if ((flags_ & ROADF_VOLUME) && !(flags_ & ROADF_FIRSTVOLUME)) {
            Close();
            throw ArchiveError(ArchiveProblem::LaterPart);
        }
    }
    RarArchive(const RarArchive&) = delete;
    RarArchive& operator=(const RarArchive&) = delete;
    ~RarArchive() { Close(); }

    bool Solid() const { return flags_ & ROADF_SOLID; }
    // The next file's header; false at the archive's end.
    bool Next(RARHeaderDataEx& header, const Pass& pass) {
        header = {};
        const int code = RARReadHeaderEx(handle_, &header);
        if (code == ERAR_END_ARCHIVE) return false;
        if (code != ERAR_SUCCESS) Fail(code, pass);
        return true;
    }
    void Process(int operation, const Pass& pass) {
        const int code = RARProcessFileW(handle_, operation, nullptr, nullptr);
        if (code != ERAR_SUCCESS) Fail(code, pass);
    }

private:
    void Close() {
        if (handle_) RARCloseArchive(handle_);
        handle_ = nullptr;
    }
    HANDLE handle_ = nullptr;
    unsigned flags_ = 0;
};

std::string NameOf(const RARHeaderDataEx& header) {
    std::wstring name;
    for (const wchar_t* c = header.FileNameW; *c && c < header.FileNameW + std::size(header.FileNameW); ++c) {
        const auto code = static_cast<std::uint32_t>(*c);
        // Folders as the other formats store them; a wide character no
        // text has becomes the replacement character.
        name += *c == L'\\' ? L'/' : code > 0x10FFFF ? static_cast<wchar_t>(0xFFFD) : *c;
    }
    return ToUtf8(name);
}

std::uint64_t SizeOf(const RARHeaderDataEx& header) {
    return std::uint64_t{header.UnpSizeHigh} << 32 | header.UnpSize;
}

std::vector<Listed> List(const SystemPath& file, const WantedName& wanted, const ArchiveLimits& limits) {
    Pass pass;
    RarArchive archive(file, RAR_OM_LIST, pass);
    const bool solid = archive.Solid();
    std::vector<Listed> listed;
    RARHeaderDataEx header;
    while (archive.Next(header, pass)) {
        std::string name = NameOf(header);
        const bool isFile = !(header.Flags & RHDF_DIRECTORY) && header.RedirType == 0;
        const bool want = isFile && !name.empty() && wanted(name);
        if (want) {
            if (header.Flags & RHDF_ENCRYPTED) throw ArchiveError(ArchiveProblem::Password);
            if (header.Flags & RHDF_SPLITBEFORE) throw ArchiveError(ArchiveProblem::LaterPart);
            if (SizeOf(header) > limits.fileBytes) throw ArchiveError(ArchiveProblem::TooLarge);
        }
        if (isFile && std::uint64_t{header.DictSize} * 1024 > kMostDictionaryBytes) {
            throw ArchiveError(ArchiveProblem::TooLarge);
        }
        listed.push_back({std::move(name), isFile ? SizeOf(header) : 0, want});
        archive.Process(RAR_SKIP, pass);
    }
    // What will be decoded: in a solid archive every file up to the last
    // wanted one, since each is decoded on from the one before.
    std::uint64_t total = 0;
    std::size_t last = listed.size();
    while (last > 0 && !listed[last - 1].wanted) --last;
    for (std::size_t i = 0; i < last; ++i) {
        if (!listed[i].wanted && !solid) continue;
        if ((total += listed[i].size) > limits.totalBytes) throw ArchiveError(ArchiveProblem::TooLarge);
    }
    listed.resize(last);
    return listed;
}

}  // namespace

std::vector<PackedFile> UnpackRar(const SystemPath& file, const WantedName& wanted,
                                  const ArchiveLimits& limits) {
    // UnRAR keeps its error state in objects of its own shared by every
    // archive open, so one archive is read at a time.
    static std::mutex oneAtATime;
    const std::lock_guard lock(oneAtATime);

    const std::vector<Listed> listed = List(file, wanted, limits);
    std::vector<PackedFile> files;
    if (listed.empty()) return files;
    Pass pass;
    RarArchive archive(file, RAR_OM_EXTRACT, pass);
    RARHeaderDataEx header;
    for (const Listed& entry : listed) {
        // The file changed since it was listed: what it holds now is not what was checked.
        if (!archive.Next(header, pass) || NameOf(header) != entry.name) throw ArchiveError(ArchiveProblem::Damaged);
        if (!entry.wanted) {
            // In a solid archive UnRAR decodes a passed-over file all the same, into nothing.
            archive.Process(RAR_SKIP, pass);
            continue;
        }
        PackedFile packed{entry.name, {}};
        packed.bytes.reserve(static_cast<std::size_t>(entry.size));
        pass.into = &packed.bytes;
        pass.room = entry.size;
        archive.Process(RAR_TEST, pass);
        pass.into = nullptr;
        if (packed.bytes.size() != entry.size) throw ArchiveError(ArchiveProblem::Damaged);
        files.push_back(std::move(packed));
    }
    return files;
}

}  // namespace velmoria

#include "archive/seven_zip_reader.h"

#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "base/utf8.h"

extern "C" {
#include "7z.h"
#include "7zCrc.h"
}

namespace velmoria {
namespace {

// 7-Zip's stream over the set's bytes in memory.
struct MemoryStream {
    ILookInStream vt;
    std::string_view bytes;
    std::size_t at = 0;
};

MemoryStream& Of(ILookInStreamPtr p) { return *const_cast<MemoryStream*>(reinterpret_cast<const MemoryStream*>(p)); }

SRes Look(ILookInStreamPtr p, const void** buf, size_t* size) {
    MemoryStream& stream = Of(p);
    *size = std::min(*size, stream.bytes.size() - stream.at);
    *buf = stream.bytes.data() + stream.at;
    return SZ_OK;
}
SRes Skip(ILookInStreamPtr p, size_t offset) {
    MemoryStream& stream = Of(p);
    stream.at += std::min(offset, stream.bytes.size() - stream.at);
    return SZ_OK;
}
SRes Read(ILookInStreamPtr p, void* buf, size_t* size) {
    MemoryStream& stream = Of(p);
    *size = std::min(*size, stream.bytes.size() - stream.at);
    if (*size) std::memcpy(buf, stream.bytes.data() + stream.at, *size);
    stream.at += *size;
    return SZ_OK;
}
SRes Seek(ILookInStreamPtr p, Int64* pos, ESzSeek origin) {
    MemoryStream& stream = Of(p);
    const Int64 base = origin == SZ_SEEK_SET ? 0 : origin == SZ_SEEK_CUR ? static_cast<Int64>(stream.at)
                                                                           : static_cast<Int64>(stream.bytes.size());
    const Int64 to = base + *pos;
    if (to < 0 || static_cast<std::uint64_t>(to) > stream.bytes.size()) return SZ_ERROR_INPUT_EOF;
    stream.at = static_cast<std::size_t>(to);
    *pos = to;
    return SZ_OK;
}

// Every allocation of the decoder counts against one budget, headers and
// dictionaries too: a crafted size cannot make it take more than that.
struct Budget {
    ISzAlloc vt;
    std::uint64_t left;
    bool exceeded = false;
};

void* Take(ISzAllocPtr p, size_t size) {
    auto& budget = *const_cast<Budget*>(reinterpret_cast<const Budget*>(p));
    if (size + sizeof(std::max_align_t) > budget.left) {
        budget.exceeded = true;
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(std::malloc(size + sizeof(std::max_align_t)));
    if (!block) return nullptr;
    budget.left -= size + sizeof(std::max_align_t);
    std::memcpy(block, &size, sizeof size);
    return block + sizeof(std::max_align_t);
}
void Give(ISzAllocPtr p, void* address) {
    if (!address) return;
    auto& budget = *const_cast<Budget*>(reinterpret_cast<const Budget*>(p));
    unsigned char* block = static_cast<unsigned char*>(address) - sizeof(std::max_align_t);
    size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    budget.left += size + sizeof(std::max_align_t);
    std::free(block);
}

constexpr UInt32 kAesMethod = 0x06F10701;
constexpr std::string_view kAesMethodBytes = "\x06\xF1\x07\x01";

bool FolderEncrypted(const CSzAr& db, UInt32 folder) {
    CSzData data{db.CodersData + db.FoCodersOffsets[folder], db.FoCodersOffsets[folder + 1] - db.FoCodersOffsets[folder]};
    CSzFolder parsed;
    if (SzGetNextFolderItem(&parsed, &data) != SZ_OK) return false;
    for (UInt32 i = 0; i < parsed.NumCoders; ++i) {
        if (parsed.Coders[i].MethodID == kAesMethod) return true;
    }
    return false;
}

ArchiveProblem ProblemOf(SRes result, const Budget& budget, std::string_view archive) {
    if (budget.exceeded || result == SZ_ERROR_MEM) return ArchiveProblem::TooLarge;
    if (result == SZ_ERROR_UNSUPPORTED) {
        // Encrypted names hide the header itself; its coder is plain to see.
        return archive.find(kAesMethodBytes) != std::string_view::npos ? ArchiveProblem::Password
                                                                       : ArchiveProblem::Unsupported;
    }
    // A first part of a split set cannot be told from a cut one: both end
    // before the header their start points to.
    return ArchiveProblem::Damaged;
}

// The decoder's own state, freed however the reading ends.
struct Opened {
    explicit Opened(std::uint64_t limit) : budget{{Take, Give}, limit} { SzArEx_Init(&db); }
    ~Opened() {
        if (outBuffer) ISzAlloc_Free(&budget.vt, outBuffer);
        SzArEx_Free(&db, &budget.vt);
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
    Budget budget;  // the decoder's lasting and passing allocations alike
    CSzArEx db;
    Byte* outBuffer = nullptr;
};

std::string NameOf(const CSzArEx& db, UInt32 index) {
    const size_t length = SzArEx_GetFileNameUtf16(&db, index, nullptr);  // with its terminating zero
    std::vector<UInt16> units(length);
    SzArEx_GetFileNameUtf16(&db, index, units.data());
    std::string bytes;
    for (std::size_t i = 0; i + 1 < length; ++i) {
        // Writers on Windows may leave its separator in a name.
        const UInt16 unit = units[i] == u'\\' ? u'/' : units[i];
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return Utf16ToUtf8(bytes, false);
}

}  // namespace

std::vector<PackedFile> UnpackSevenZip(std::string_view archive, const WantedName& wanted, const ArchiveLimits& limits) {
    static const bool crcTable = (CrcGenerateTable(), true);
    (void)crcTable;
    MemoryStream stream{{Look, Skip, Read, Seek}, archive};
    // What the songs take, and as much again for the decoder's own tables.
    Opened opened(limits.totalBytes + (64u << 20));
    SRes result = SzArEx_Open(&opened.db, &stream.vt, &opened.budget.vt, &opened.budget.vt);
    if (result != SZ_OK) throw ArchiveError(ProblemOf(result, opened.budget, archive));
    const CSzArEx& db = opened.db;

    // Each block a wanted file lies in is decoded whole: its size counts.
    std::vector<UInt32> wantedFiles;
    std::set<UInt32> blocks;
    std::uint64_t total = 0;
    for (UInt32 i = 0; i < db.NumFiles; ++i) {
        if (SzArEx_IsDir(&db, i)) continue;
        if (!wanted(NameOf(db, i))) continue;
        if (SzArEx_GetFileSize(&db, i) > limits.fileBytes) throw ArchiveError(ArchiveProblem::TooLarge);
        const UInt32 block = db.FileToFolder[i];
        if (block != static_cast<UInt32>(-1) && blocks.insert(block).second) {
            if (FolderEncrypted(db.db, block)) throw ArchiveError(ArchiveProblem::Password);
            total += SzAr_GetFolderUnpackSize(&db.db, block);
            if (total > limits.totalBytes) throw ArchiveError(ArchiveProblem::TooLarge);
        }
        wantedFiles.push_back(i);
    }

    std::vector<PackedFile> files;
    UInt32 blockIndex = 0xFFFFFFFF;
    size_t outBufferSize = 0;
    for (const UInt32 i : wantedFiles) {
        size_t offset = 0, size = 0;
        result = SzArEx_Extract(&db, &stream.vt, i, &blockIndex, &opened.outBuffer, &outBufferSize, &offset, &size,
                                &opened.budget.vt, &opened.budget.vt);
        if (result != SZ_OK) throw ArchiveError(ProblemOf(result, opened.budget, archive));
        files.push_back({NameOf(db, i), std::string(reinterpret_cast<const char*>(opened.outBuffer) + offset, size)});
    }
    return files;
}

}  // namespace velmoria

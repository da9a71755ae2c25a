// libFuzzer target for the set readers: any bytes are either refused with an
// ArchiveError or give files within the limits, and the set made of them
// has no name that leads out of it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <sys/mman.h>
#include <unistd.h>

#include "archive/archive.h"
#include "archive/packed_set.h"
#include "archive/rar_reader.h"

namespace {

bool SafePart(const std::wstring& part) {
    if (part.empty() || part == L"." || part == L"..") return false;
    for (const wchar_t c : part) {
        if (c < 0x20 || c == L'\\' || c == L'/' || c == L':') return false;
    }
    return part.back() != L'.' && part.back() != L' ';
}

// UnRAR reads a file: the bytes go to one in memory, never to the disk.
std::vector<velmoria::PackedFile> UnpackRarBytes(std::string_view bytes, const velmoria::ArchiveLimits& limits) {
    static const int memory = memfd_create("rar", 0);
    if (ftruncate(memory, 0) != 0 || pwrite(memory, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        __builtin_trap();
    }
    return velmoria::UnpackRar("/proc/self/fd/" + std::to_string(memory), [](std::string_view) { return true; }, limits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    velmoria::ArchiveKindOf(bytes);
    // Small limits, so that the fuzzer meets them.
    const velmoria::ArchiveLimits limits{1u << 16, 1u << 18};
    try {
        auto files = velmoria::ArchiveKindOf(bytes) == velmoria::ArchiveKind::Rar
                         ? UnpackRarBytes(bytes, limits)
                         : velmoria::UnpackArchive(bytes, [](std::string_view) { return true; }, limits);
        std::uint64_t total = 0;
        for (const auto& file : files) {
            if (file.bytes.size() > limits.fileBytes) __builtin_trap();
            total += file.bytes.size();
            for (const auto& part : velmoria::ShownParts(file.name)) {
                if (!SafePart(part)) __builtin_trap();
            }
        }
        if (total > limits.totalBytes) __builtin_trap();
        const velmoria::PackedSet set(std::move(files));
        if (!set.Folder(L"")) __builtin_trap();
    } catch (const velmoria::ArchiveError&) {
    }
    return 0;
}

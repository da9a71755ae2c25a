#include "tests/support/resource_counts.h"

// mingw-w64's NtCurrentTeb reads the TEB through a zero-length array, which
// GCC takes for an out-of-bounds read; the read is what the function is for.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdint>

namespace velmoria::test {
namespace {

constexpr unsigned kHighestHandleProbed = 4 * 32768;

unsigned ProbeHandles() {
    unsigned count = 0;
    for (std::uintptr_t value = 4; value < kHighestHandleProbed; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

// One entry of the GDI handle table that the process environment block points
// at (the same layout on Windows and Wine, 64-bit).
struct GdiTableEntry {
    std::uint64_t object;
    std::uint16_t processId;
    std::uint16_t count;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t user;
};
static_assert(sizeof(GdiTableEntry) == 24);
constexpr std::size_t kGdiTableOffset = 0xF8;  // PEB.GdiSharedHandleTable on x64
constexpr unsigned kGdiTableEntries = 0x10000;

unsigned CountGdiTable() {
    const auto* peb = reinterpret_cast<const char*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    const auto* table = *reinterpret_cast<const GdiTableEntry* const*>(peb + kGdiTableOffset);
    if (!table) return 0;
    const auto self = static_cast<std::uint16_t>(::GetCurrentProcessId());
    unsigned count = 0;
    for (unsigned index = 0; index < kGdiTableEntries; ++index) {
        // Wine's table is the process's own and leaves the owner at 0.
        if (table[index].type != 0 && (table[index].processId == self || table[index].processId == 0)) ++count;
    }
    return count;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM data) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId()) {
        ++*reinterpret_cast<unsigned*>(data);
        ::EnumChildWindows(window, CountWindow, data);
    }
    return TRUE;
}

unsigned CountWindows() {
    unsigned count = 0;
    ::EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::size_t CountPrivateBytes(HANDLE process) {
    std::size_t bytes = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr;
         ::VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += region.RegionSize;
    }
    return bytes;
}

}  // namespace

std::size_t PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    return memory.PrivateUsage ? memory.PrivateUsage : CountPrivateBytes(process);
}

ResourceCounts CountResources() {
    const HANDLE self = ::GetCurrentProcess();
    ResourceCounts counts;
    DWORD handles = 0;
    counts.handles = ::GetProcessHandleCount(self, &handles) && handles ? handles : ProbeHandles();
    counts.gdiObjects = ::GetGuiResources(self, GR_GDIOBJECTS);
    if (counts.gdiObjects == 0) counts.gdiObjects = CountGdiTable();
    counts.userObjects = ::GetGuiResources(self, GR_USEROBJECTS);
    if (counts.userObjects == 0) counts.userObjects = CountWindows();
    counts.privateBytes = PrivateBytes(self);
    return counts;
}

}  // namespace velmoria::test

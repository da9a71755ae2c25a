// What a process holds, for the soak test and the memory figures: kernel handles, GDI and USER
// objects, and private bytes. Wine leaves the usual counters at zero, so each
// figure falls back on counting for itself where the system does not say.
#pragma once

#include <windows.h>

#include <cstddef>

namespace velmoria::test {

struct ResourceCounts {
    unsigned handles = 0;
    unsigned gdiObjects = 0;
    unsigned userObjects = 0;  // where the system does not count them: this process's windows
    std::size_t privateBytes = 0;
};

ResourceCounts CountResources();
// The private bytes of any process (opened for PROCESS_QUERY_INFORMATION).
std::size_t PrivateBytes(HANDLE process);

}  // namespace velmoria::test

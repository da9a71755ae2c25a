// Tells a window when a process ends: a pool thread waits on the process and
// posts a message, so the window hears of it on its own thread and nothing
// waits meanwhile.
#pragma once

#include <windows.h>

#include <memory>

#include "wintk/win_handles.h"

namespace velmoria {

class ProcessWatch {
public:
    // Takes the process handle (SYNCHRONIZE access at least). When it ends,
    // message is posted to window with the process id as wParam.
    ProcessWatch(UniqueKernelHandle process, DWORD processId, HWND window, UINT message);
    // Stops watching; after it returns, no message comes from this watch.
    ~ProcessWatch();
    ProcessWatch(const ProcessWatch&) = delete;
    ProcessWatch& operator=(const ProcessWatch&) = delete;

    DWORD processId() const { return processId_; }

private:
    static void CALLBACK Ended(void* self, BOOLEAN timedOut) noexcept;

    UniqueKernelHandle process_;
    DWORD processId_;
    HWND window_;
    UINT message_;
    HANDLE wait_ = nullptr;
};

}  // namespace velmoria

// One piece of work at a time on a pool thread, its end posted to a window:
// work that waits on another process or a drive runs there, and the window
// hears of it on its own thread. The owner must not start a second piece
// before the first has told it that it is done.
#pragma once

#include <windows.h>

#include <functional>

#include "wintk/win_handles.h"

namespace velmoria {

class PoolJob {
public:
    PoolJob();
    // Waits for work under way: it may use what its owner is about to free.
    ~PoolJob();
    PoolJob(const PoolJob&) = delete;
    PoolJob& operator=(const PoolJob&) = delete;

    // Runs work on a pool thread, then posts message to window; false (and
    // nothing run) when the pool would not take it.
    bool Start(std::function<void()> work, HWND window, UINT message);

private:
    struct Run;
    UniqueKernelHandle idle_;  // set while no work runs
};

}  // namespace velmoria

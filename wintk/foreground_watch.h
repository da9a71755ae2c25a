// News of the foreground window's changes, posted to a window as a message,
// for as long as the watch lives: how a program learns that the system has
// settled who is in front, without looking again and again. The hook runs on
// the thread that made the watch, which must run a message loop.
#pragma once

#include <windows.h>

namespace velmoria {

class ForegroundWatch {
public:
    ForegroundWatch(HWND notify, UINT message);
    ~ForegroundWatch();
    ForegroundWatch(const ForegroundWatch&) = delete;
    ForegroundWatch& operator=(const ForegroundWatch&) = delete;

private:
    static void CALLBACK Changed(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                                 DWORD time) noexcept;
    HWND notify_;
    HWINEVENTHOOK hook_;
};

// Whether the window in front is nobody's a user can have gone to: none, the
// desktop, or a window hidden or minimised (a player's, before the system
// settles).
bool NobodyInFront();

}  // namespace velmoria

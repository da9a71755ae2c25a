#include "wintk/foreground_watch.h"

namespace velmoria {
namespace {

// The window to tell, marked on the window itself: the hook's callback is
// given no data of its own, and finds the watches among its thread's windows.
constexpr wchar_t kWatchProperty[] = L"wintk.ForegroundWatch";

BOOL CALLBACK Notify(HWND window, LPARAM) {
    if (const auto message = reinterpret_cast<UINT_PTR>(::GetPropW(window, kWatchProperty))) {
        ::PostMessageW(window, static_cast<UINT>(message), 0, 0);
    }
    return TRUE;
}

}  // namespace

ForegroundWatch::ForegroundWatch(HWND notify, UINT message) : notify_(notify) {
    ::SetPropW(notify_, kWatchProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(message)));
    hook_ = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, Changed, 0, 0,
                              WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

ForegroundWatch::~ForegroundWatch() {
    if (hook_) ::UnhookWinEvent(hook_);
    ::RemovePropW(notify_, kWatchProperty);
}

void CALLBACK ForegroundWatch::Changed(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) noexcept {
    ::EnumThreadWindows(::GetCurrentThreadId(), Notify, 0);
}

bool NobodyInFront() {
    const HWND front = ::GetForegroundWindow();
    return front == nullptr || front == ::GetDesktopWindow() || !::IsWindowVisible(front) || ::IsIconic(front);
}

}  // namespace velmoria

// The modal showing of a dialog window: the program's other windows are
// disabled while it is open and given back their input when it closes.
#include "wintk/dialog_window.h"

namespace velmoria {

void DialogWindow::EnableDisabledWindows() {
    for (HWND window : disabledForModal_) {
        if (::IsWindow(window)) ::EnableWindow(window, TRUE);
    }
    disabledForModal_.clear();
}

void DialogWindow::Close() {
    if (!hwnd_) return;
    EnableDisabledWindows();
    // The window that was active before goes back in front, rather than
    // whatever the system picks once this one has gone.
    if (activeBeforeModal_ && ::IsWindow(activeBeforeModal_) && ::IsWindowVisible(activeBeforeModal_) &&
        ::GetForegroundWindow() == hwnd_) {
        ::SetForegroundWindow(activeBeforeModal_);
    }
    activeBeforeModal_ = nullptr;
    ::DestroyWindow(hwnd_);
    // A close that came in a sent message (another program's WM_CLOSE or
    // BM_CLICK) leaves a modal loop waiting in GetMessage: wake it.
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

void DialogWindow::RunModal() {
    if (!hwnd_) return;
    activeBeforeModal_ = ::GetForegroundWindow();
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM self) -> BOOL {
            auto* dialog = reinterpret_cast<DialogWindow*>(self);
            if (window != dialog->hwnd_ && ::IsWindowEnabled(window)) {
                ::EnableWindow(window, FALSE);
                dialog->disabledForModal_.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
    ShowInFront();
    MSG message;
    while (IsOpen()) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            // The program is ending: leave WM_QUIT for the outer loop.
            if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
            Close();
            return;
        }
        if (!PreTranslate(message, nullptr, nullptr)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

void DialogWindow::ShowInFront() {
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    // Through the dialog manager, which also makes a focused push button the
    // default one; a plain SetFocus while the window was hidden does not.
    if (const HWND first = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE)) {
        ::SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
}

}  // namespace velmoria

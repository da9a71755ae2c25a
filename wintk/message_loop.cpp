#include "wintk/message_loop.h"

namespace velmoria {

bool PreTranslate(MSG& message, HWND acceleratorWindow, HACCEL accelerators) {
    if (accelerators && acceleratorWindow && ::IsWindowEnabled(acceleratorWindow) &&
        (message.hwnd == acceleratorWindow || ::IsChild(acceleratorWindow, message.hwnd)) &&
        ::TranslateAcceleratorW(acceleratorWindow, accelerators, &message)) {
        return true;
    }
    const HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (!root) return false;
    // Alt+F4 closes the window whatever has the focus: some drop-down lists
    // would take F4 for themselves and swallow it.
    if (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4) {
        ::PostMessageW(root, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }
    return ::IsDialogMessageW(root, &message);
}

int RunMessageLoop(HWND acceleratorWindow, HACCEL accelerators) {
    MSG message;
    BOOL got;
    while ((got = ::GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        if (!PreTranslate(message, acceleratorWindow, accelerators)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

}  // namespace velmoria

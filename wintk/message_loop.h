// The message loops: the program's own, and the part every loop shares.
#pragma once

#include <windows.h>

namespace velmoria {

// Offers a message to the accelerators (for acceleratorWindow, only while it
// is enabled) and to the dialog manager of the dialog it belongs to. True when
// one of them took it; otherwise it is to be translated and dispatched.
bool PreTranslate(MSG& message, HWND acceleratorWindow, HACCEL accelerators);

// The program's message loop; returns the exit code of WM_QUIT.
int RunMessageLoop(HWND acceleratorWindow, HACCEL accelerators);

}  // namespace velmoria

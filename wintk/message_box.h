// A modal message box with a single OK button and an icon, owned by a window
// when that window can be seen.
#pragma once

#include <windows.h>

#include <string_view>

#include "base/message_icon.h"

namespace velmoria {

// The box is owned by owner when that window is visible; otherwise (before
// a program's main window shows) it has no owner and is modal to the whole
// program instead.
void ShowMessageBox(HWND owner, std::wstring_view title, std::wstring_view text, MessageIcon icon);

}  // namespace velmoria

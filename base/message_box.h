// Every message of the program: a modal message box titled "Velmoria" with a
// single OK button and the icon its situation calls for.
#pragma once

#include <windows.h>

#include <string_view>

#include "base/message_icon.h"

namespace velmoria {

inline constexpr const wchar_t* kProgramTitle = L"Velmoria";

// The box is owned by owner when that window is visible; otherwise (during
// start-up, before the main window shows) it has no owner and is modal to
// the whole program instead.
void ShowMessage(HWND owner, std::wstring_view text, MessageIcon icon);

}  // namespace velmoria

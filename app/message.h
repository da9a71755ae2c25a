// Every message of the program: a modal message box titled "Velmoria" with a
// single OK button and the icon its situation calls for.
#pragma once

#include <windows.h>

#include <string_view>

#include "wintk/message_box.h"

namespace velmoria {

inline constexpr std::wstring_view kProgramTitle = L"Velmoria";

inline void ShowMessage(HWND owner, std::wstring_view text, MessageIcon icon) {
    ShowMessageBox(owner, kProgramTitle, text, icon);
}

}  // namespace velmoria

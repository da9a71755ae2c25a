#include "wintk/message_box.h"

#include <string>

namespace velmoria {

void ShowMessageBox(HWND owner, std::wstring_view title, std::wstring_view text, MessageIcon icon) {
    UINT flags = MB_OK;
    if (icon == MessageIcon::Question) flags |= MB_ICONQUESTION;
    if (icon == MessageIcon::Stop) flags |= MB_ICONSTOP;
    if (!owner || !::IsWindowVisible(owner)) {
        owner = nullptr;
        flags |= MB_TASKMODAL;
    }
    const std::wstring message(text);
    const std::wstring caption(title);
    ::MessageBoxW(owner, message.c_str(), caption.c_str(), flags);
}

}  // namespace velmoria

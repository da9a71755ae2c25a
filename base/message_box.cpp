#include "base/message_box.h"

#include <string>

namespace velmoria {

void ShowMessage(HWND owner, std::wstring_view text, MessageIcon icon) {
    UINT flags = MB_OK;
    if (icon == MessageIcon::Question) flags |= MB_ICONQUESTION;
    if (icon == MessageIcon::Stop) flags |= MB_ICONSTOP;
    if (!owner || !::IsWindowVisible(owner)) {
        owner = nullptr;
        flags |= MB_TASKMODAL;
    }
    const std::wstring message(text);
    ::MessageBoxW(owner, message.c_str(), kProgramTitle, flags);
}

}  // namespace velmoria

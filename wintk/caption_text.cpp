#include "wintk/caption_text.h"

#include "wintk/win_handles.h"

namespace velmoria {

std::wstring FitCaption(HWND window, const CaptionParts& parts) {
    std::wstring shown = parts.head + parts.middle + parts.tail;
    RECT frame{};
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (parts.middle.empty() || !::GetWindowRect(window, &frame) ||
        !::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return shown + parts.rest;
    }
    // What the title bar leaves for text: the width less the icon, the
    // caption buttons and the frame.
    const int room = (frame.right - frame.left) - ::GetSystemMetrics(SM_CXSMICON) - 3 * ::GetSystemMetrics(SM_CXSIZE) -
                     2 * ::GetSystemMetrics(SM_CXFRAME) - 8;
    const UniqueFont font(::CreateFontIndirectW(&metrics.lfCaptionFont));
    const WindowDc dc(nullptr);
    const SelectedObject selected(dc.get(), font.get());
    auto fits = [&](const std::wstring& text) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx <= room;
    };
    std::wstring cut = parts.middle;
    while (!fits(shown) && !cut.empty()) {
        cut.pop_back();
        shown = parts.head + cut + L"\u2026" + parts.tail;
    }
    return shown + parts.rest;
}

void SetFittedCaption(HWND window, const CaptionParts& parts) {
    const std::wstring text = FitCaption(window, parts);
    std::wstring now(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    now.resize(static_cast<std::size_t>(::GetWindowTextW(window, now.data(), static_cast<int>(now.size()))));
    if (now != text) ::SetWindowTextW(window, text.c_str());
}

}  // namespace velmoria

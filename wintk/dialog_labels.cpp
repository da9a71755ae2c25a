// Text labels drawn by their window: wrapped the same way on every system,
// over whatever the window shows behind them.
#include "wintk/dialog_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string_view>

namespace velmoria {

HWND DialogWindow::CreateLabel(const wchar_t* text, int id, const TwipsRect& rect, LabelAlign align) {
    // Drawn by the window itself: text wrapped the same way on every system,
    // over whatever the window shows behind it.
    const HWND label = CreateControl(WC_STATICW, text, SS_OWNERDRAW, 0, id, rect);
    if (label) labels_.push_back({id, align});
    return label;
}

void DialogWindow::SetLabelFace(int id, const wchar_t* face, double points, bool underline) {
    const auto entry = std::find_if(labels_.begin(), labels_.end(), [id](const Label& l) { return l.id == id; });
    if (entry == labels_.end()) return;
    UniqueFont created = CreateFaceFont(face, points, dpi_, underline);
    const HFONT font = created.get();
    const HWND label = Item(id);
    ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    entry->font = std::move(created);  // the label's earlier font is no longer in use
    if (entry->align != LabelAlign::LeftAutoSize) return;
    wchar_t text[256] = L"";
    const int length = ::GetWindowTextW(label, text, ARRAYSIZE(text));
    const WindowDc dc(label);
    const SelectedObject selected(dc.get(), font);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.get(), text, length, &extent);
    ::SetWindowPos(label, nullptr, 0, 0, extent.cx, extent.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogWindow::DrawLabel(const DRAWITEMSTRUCT& item) const {
    const auto label = std::find_if(labels_.begin(), labels_.end(),
                                    [&item](const Label& l) { return l.id == static_cast<int>(item.CtlID); });
    if (label == labels_.end()) return;
    wchar_t buffer[256] = L"";
    const int length = ::GetWindowTextW(item.hwndItem, buffer, ARRAYSIZE(buffer));
    const std::wstring_view text(buffer, static_cast<std::size_t>(length));
    const HDC dc = item.hDC;
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    const SelectedObject selected(dc, font ? static_cast<HGDIOBJ>(font) : defaultFont_.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(::IsWindowEnabled(item.hwndItem) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    // A label may reach past the window's edge; its text keeps to the part
    // that shows.
    RECT box = item.rcItem;
    RECT shown;
    ::GetClientRect(hwnd_, &shown);
    ::MapWindowPoints(hwnd_, item.hwndItem, reinterpret_cast<POINT*>(&shown), 2);
    box.left = std::max(box.left, shown.left);
    box.right = std::min(box.right, shown.right);
    if (label->align == LabelAlign::LeftAutoSize) {
        ::TextOutW(dc, box.left, box.top, text.data(), static_cast<int>(text.size()));
        return;
    }
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const int width = box.right - box.left;
    auto extent = [dc](std::wstring_view line) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc, line.data(), static_cast<int>(line.size()), &size);
        return static_cast<int>(size.cx);
    };
    // Greedy word wrap; a space that ends a line takes no room on it.
    int y = box.top;
    std::size_t start = 0;
    while (start < text.size() && y < box.bottom) {
        std::size_t end = text.find(L' ', start);
        if (end == std::wstring_view::npos) end = text.size();
        while (end < text.size()) {
            std::size_t next = text.find(L' ', end + 1);
            if (next == std::wstring_view::npos) next = text.size();
            if (extent(text.substr(start, next - start)) > width) break;
            end = next;
        }
        const std::wstring_view line = text.substr(start, end - start);
        const int lineWidth = extent(line);
        // A word wider than the label starts at its left edge rather than off it.
        const int x = lineWidth >= width ? box.left : box.left + (width - lineWidth) / 2;
        ::TextOutW(dc, x, y, line.data(), static_cast<int>(line.size()));
        y += metrics.tmHeight;
        start = end;
        while (start < text.size() && text[start] == L' ') ++start;
    }
}

}  // namespace velmoria

#include "wintk/dialog_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "base/paths.h"
#include "base/trace.h"
#include "wintk/dropped_files.h"
#include "wintk/win_text.h"

namespace velmoria {
namespace {

// An empty dialog template: the dialog manager without any controls of its
// own. DLGTEMPLATE is followed by empty menu, class and title arrays.
HWND CreateEmptyDialog(DWORD style, DWORD exStyle, DLGPROC procedure, LPARAM parameter) {
    alignas(DWORD) WORD words[12] = {};
    words[0] = LOWORD(style);
    words[1] = HIWORD(style);
    words[2] = LOWORD(exStyle);
    words[3] = HIWORD(exStyle);
    // cdit, x, y, cx, cy, menu, class and title stay 0.
    return ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(words),
                                        nullptr, procedure, parameter);
}

int WindowDpi(HWND hwnd) {
    const UINT dpi = ::GetDpiForWindow(hwnd);
    return dpi ? static_cast<int>(dpi) : 96;
}

RECT WorkAreaOf(HWND hwnd) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

void MoveCenteredOver(HWND hwnd, const RECT& area, const RECT& bounds) {
    RECT window;
    ::GetWindowRect(hwnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int left = area.left + ((area.right - area.left) - width) / 2;
    int top = area.top + ((area.bottom - area.top) - height) / 2;
    // Keep the title bar reachable when the area lies near a screen edge.
    if (left + width > bounds.right) left = bounds.right - width;
    if (top + height > bounds.bottom) top = bounds.bottom - height;
    if (left < bounds.left) left = bounds.left;
    if (top < bounds.top) top = bounds.top;
    ::SetWindowPos(hwnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

DialogWindow::~DialogWindow() {
    if (hwnd_) {
        // The window outlives its object only by mistake; take it down quietly.
        ::SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        const HWND hwnd = hwnd_;
        hwnd_ = nullptr;
        EnableDisabledWindows();
        ::DestroyWindow(hwnd);
    }
}

bool DialogWindow::CreateDialogWindow(DWORD style, DWORD exStyle, const std::wstring& caption) {
    if (!CreateEmptyDialog(style, exStyle, DialogProc, reinterpret_cast<LPARAM>(this))) return false;
    ::SetWindowTextW(hwnd_, caption.c_str());
    return hwnd_ != nullptr;
}

INT_PTR CALLBACK DialogWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<DialogWindow*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        self->dpi_ = WindowDpi(hwnd);
        self->defaultFont_ = CreateDialogFont(self->dpi_);
        try {
            self->OnCreate();
            self->OnLayout();
        } catch (...) {
            TraceSwallowed("creating a window");
            ::DestroyWindow(hwnd);
        }
        return TRUE;  // the dialog manager focuses the first control in the tab order
    }

    auto* self = reinterpret_cast<DialogWindow*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        self->placed_.clear();
        self->labels_.clear();
        self->routed_.clear();
        self->OnDestroyed();
        return FALSE;
    }
    try {
        return self->Dispatch(message, wParam, lParam) ? TRUE : FALSE;
    } catch (...) {
        // Handlers report their own failures; nothing may unwind into Windows.
        TraceSwallowed("a window's message");
        return FALSE;
    }
}

bool DialogWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DPICHANGED: {
        // The real message is sent by the system once the window's DPI has
        // changed; a posted one (anyone may post it, with any pointer) finds
        // the DPI as it was, and is not read any further.
        const int dpi = HIWORD(wParam);
        if (lParam == 0 || dpi != WindowDpi(hwnd_) || dpi == dpi_) return true;
        OnDpiChanged(dpi, *reinterpret_cast<const RECT*>(lParam));
        return true;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const auto control = reinterpret_cast<HWND>(lParam);
        ControlHandler* handler = control ? HandlerOf(id) : nullptr;
        if (!handler || !handler->OnNotify(HIWORD(wParam))) OnCommand(id, HIWORD(wParam), control);
        return true;
    }
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlType == ODT_STATIC) {
            DrawLabel(item);
        } else if (ControlHandler* handler = HandlerOf(static_cast<int>(item.CtlID))) {
            handler->OnDrawItem(item);
        } else {
            OnDrawItem(item);
        }
        // DWLP_MSGRESULT is not read for WM_DRAWITEM: returning TRUE is the answer.
        return true;
    }
    case WM_PAINT: {
        const PaintDc dc(hwnd_);
        OnPaint(dc.get());
        return true;
    }
    case WM_ERASEBKGND:
        if (!OnEraseBackground(reinterpret_cast<HDC>(wParam))) return false;
        ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
        return true;
    case WM_DROPFILES:
        OnDropFiles(TakeDroppedPaths(reinterpret_cast<HGLOBAL>(wParam), kMaxDroppedPaths));
        return true;
    case WM_CLOSE:
        OnClose();
        return true;
    case WM_HOTKEY:
        OnHotKey(static_cast<int>(wParam));
        return true;
    case WM_ACTIVATEAPP:
        OnActivateApp(wParam != FALSE);
        return false;
    case WM_ENDSESSION:
        if (wParam) OnEndSession();
        return true;
    case WM_COPYDATA: {
        const bool took = lParam && OnCopyData(reinterpret_cast<HWND>(wParam), *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, took ? TRUE : FALSE);
        return true;
    }
    default:
        return message >= WM_APP && message <= 0xBFFF && OnAppMessage(message, wParam, lParam);
    }
}

void DialogWindow::Route(int id, ControlHandler& handler) { routed_.emplace_back(id, &handler); }

ControlHandler* DialogWindow::HandlerOf(int id) const {
    for (const auto& [routedId, handler] : routed_) {
        if (routedId == id) return handler;
    }
    return nullptr;
}

HWND DialogWindow::CreateControl(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, int id,
                                 const TwipsRect& rect) {
    const RECT pixels = PixelRect(rect);
    // Siblings clip each other, so a frame never paints over the controls it holds.
    const HWND control = ::CreateWindowExW(exStyle, className, text, style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                           pixels.left,
                                           pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top, hwnd_,
                                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                           ::GetModuleHandleW(nullptr), nullptr);
    if (control) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(defaultFont_.get()), FALSE);
        placed_.push_back({id, rect});
    }
    return control;
}

RECT DialogWindow::PixelRect(const TwipsRect& rect) const {
    const int left = Pixels(rect.left);
    const int top = Pixels(rect.top);
    return {left, top, left + Pixels(rect.width), top + Pixels(rect.height)};
}

SIZE DialogWindow::OuterSizeForClient(int clientWidthTwips, int clientHeightTwips) const {
    RECT rect{0, 0, Pixels(clientWidthTwips), Pixels(clientHeightTwips)};
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    ::AdjustWindowRectExForDpi(&rect, style, ::GetMenu(hwnd_) != nullptr, exStyle, static_cast<UINT>(dpi_));
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void DialogWindow::SetClientSizeTwips(int width, int height) {
    clientWidthTwips_ = width;
    clientHeightTwips_ = height;
    const SIZE outer = OuterSizeForClient(width, height);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogWindow::FitCheckBoxText(int id) {
    const HWND box = Item(id);
    RECT client;
    ::GetClientRect(box, &client);
    wchar_t text[256] = L"";
    const int length = ::GetWindowTextW(box, text, ARRAYSIZE(text));
    const WindowDc dc(box);
    // The glyph and the gap after it, as check boxes lay them out.
    const int glyph = ::MulDiv(12, dpi_, 96) + 1;
    LOGFONTW face{};
    ::GetObjectW(defaultFont_.get(), sizeof face, &face);
    const int minimumHeight = ::MulDiv(7, dpi_, 72);
    for (int height = -face.lfHeight; height >= minimumHeight; --height) {
        LOGFONTW candidate = face;
        candidate.lfHeight = -height;
        UniqueFont font(::CreateFontIndirectW(&candidate));
        const SelectedObject selected(dc.get(), font.get());
        INT zeroWidth = 0;
        ::GetCharWidth32W(dc.get(), L'0', L'0', &zeroWidth);
        RECT wrapped{0, 0, client.right - glyph - zeroWidth / 2 - 2, 0};
        ::DrawTextW(dc.get(), text, length, &wrapped, DT_CALCRECT | DT_WORDBREAK);
        if (wrapped.bottom <= client.bottom) {
            if (height != -face.lfHeight) {
                ::SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
                fittedFonts_.push_back(std::move(font));
            }
            return;
        }
    }
}

void DialogWindow::FitComboField(int id, const TwipsRect& rect) {
    // A combo box's height is that of its selection field, which follows the
    // field's item height: change that by what the height is off.
    const HWND combo = Item(id);
    const int wanted = Pixels(rect.height);
    auto height = [combo] {
        RECT current;
        ::GetWindowRect(combo, &current);
        return static_cast<int>(current.bottom - current.top);
    };
    auto itemHeight = [combo] {
        return static_cast<int>(::SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    };
    const int difference = wanted - height();
    if (difference == 0) return;
    const int target = itemHeight() + difference;
    ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(1, target));
    if (height() == wanted) return;
    // Some systems report the field's item height with a margin the setting
    // adds on its own; take that margin off and set it again.
    const int margin = itemHeight() - target;
    ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(1, target - margin));
}

void DialogWindow::UseIcon(int resource) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    auto load = [instance, resource](int width, int height) {
        return UniqueIcon(static_cast<HICON>(
            ::LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_ICON, width, height, 0)));
    };
    bigIcon_ = load(::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    smallIcon_ = load(::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

void DialogWindow::AcceptDrops() {
    // A drop from another process arrives as WM_COPYGLOBALDATA, then
    // WM_DROPFILES; both must pass the filter when this program runs
    // elevated, and only then: otherwise the filter would let lower-integrity
    // programs in.
    if (IsElevated()) {
        constexpr UINT kCopyGlobalData = 0x0049;
        ::ChangeWindowMessageFilterEx(hwnd_, WM_DROPFILES, MSGFLT_ALLOW, nullptr);
        ::ChangeWindowMessageFilterEx(hwnd_, kCopyGlobalData, MSGFLT_ALLOW, nullptr);
    }
    // All DragAcceptFiles does, without loading the shell at start-up.
    ::SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
}

bool IsElevated() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const UniqueKernelHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

void DialogWindow::CenterOnScreen() {
    const RECT work = WorkAreaOf(hwnd_);
    MoveCenteredOver(hwnd_, work, work);
}

void DialogWindow::CenterOn(HWND other) {
    RECT area;
    if (!other || !::GetWindowRect(other, &area)) {
        CenterOnScreen();
        return;
    }
    MoveCenteredOver(hwnd_, area, WorkAreaOf(other));
}

void DialogWindow::Layout() {
    for (const Placed& placed : placed_) {
        const RECT pixels = PixelRect(placed.rect);
        ::SetWindowPos(Item(placed.id), nullptr, pixels.left, pixels.top, pixels.right - pixels.left,
                       pixels.bottom - pixels.top, SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(Item(placed.id), WM_SETFONT, reinterpret_cast<WPARAM>(defaultFont_.get()), FALSE);
    }
}

void DialogWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    // The old font lives until every control has been given the new one.
    const UniqueFont old = std::move(defaultFont_);
    const std::vector<UniqueFont> oldFitted = std::move(fittedFonts_);
    fittedFonts_.clear();
    defaultFont_ = CreateDialogFont(dpi_);
    Layout();
    const SIZE outer = OuterSizeForClient(clientWidthTwips_, clientHeightTwips_);
    ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, outer.cx, outer.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    OnLayout();
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

}  // namespace velmoria

#include "base/dialog_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "base/paths.h"
#include "base/resource.h"
#include "base/win_text.h"

namespace velmoria {
namespace {

// The paths of a drop, read from its DROPFILES block as DragQueryFileW reads
// them, so that the shell is not loaded for it. Every read stays inside the block.
std::vector<std::wstring> DroppedPaths(HGLOBAL drop) {
    struct DropHeader {
        DWORD files;  // where the names begin
        POINT point;
        BOOL nonClient;
        BOOL wide;
    };
    const SIZE_T size = ::GlobalSize(drop);
    const auto* block = static_cast<const char*>(::GlobalLock(drop));
    if (!block) return {};
    std::vector<std::wstring> paths;
    DropHeader header{};
    if (size >= sizeof header) {
        std::memcpy(&header, block, sizeof header);
        if (header.files >= sizeof header && header.files < size) {
            const std::string_view names(block + header.files, size - header.files);
            if (header.wide) {
                std::wstring text(names.size() / sizeof(wchar_t), L'\0');
                std::memcpy(text.data(), names.data(), text.size() * sizeof(wchar_t));
                paths = SplitNulList(text);
            } else {
                paths = SplitNulList(FromAnsi(names));  // NULs convert to NULs
            }
        }
    }
    ::GlobalUnlock(drop);
    return paths;
}

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

bool FaceInstalled(HDC dc, const wchar_t* face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    if (::wcslen(face) >= LF_FACESIZE) return false;
    ::wcscpy_s(query.lfFaceName, face);
    bool found = false;
    ::EnumFontFamiliesExW(
        dc, &query,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM flag) -> int {
            *reinterpret_cast<bool*>(flag) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    return found;
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
        return FALSE;
    }
}

bool DialogWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return true;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const auto control = reinterpret_cast<HWND>(lParam);
        if (ControlHandler* handler = control ? HandlerOf(id) : nullptr) {
            handler->OnNotify(HIWORD(wParam));
        } else {
            OnCommand(id, HIWORD(wParam), control);
        }
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
    case WM_DROPFILES: {
        const auto drop = reinterpret_cast<HGLOBAL>(wParam);
        const std::vector<std::wstring> paths = DroppedPaths(drop);
        ::GlobalFree(drop);  // what DragFinish does
        OnDropFiles(paths);
        return true;
    }
    case WM_CLOSE:
        OnClose();
        return true;
    default:
        return false;
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

void DialogWindow::UseProgramIcon() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    auto load = [instance](int width, int height) {
        return UniqueIcon(static_cast<HICON>(
            ::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VELMORIA), IMAGE_ICON, width, height, 0)));
    };
    bigIcon_ = load(::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    smallIcon_ = load(::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

void DialogWindow::AcceptDrops() {
    // A drop from another process arrives as WM_COPYGLOBALDATA, then
    // WM_DROPFILES; both must pass the filter when this program runs elevated.
    constexpr UINT kCopyGlobalData = 0x0049;
    ::ChangeWindowMessageFilterEx(hwnd_, WM_DROPFILES, MSGFLT_ALLOW, nullptr);
    ::ChangeWindowMessageFilterEx(hwnd_, kCopyGlobalData, MSGFLT_ALLOW, nullptr);
    // All DragAcceptFiles does, without loading the shell at start-up.
    ::SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
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

void DialogWindow::EnableDisabledWindows() {
    for (HWND window : disabledForModal_) {
        if (::IsWindow(window)) ::EnableWindow(window, TRUE);
    }
    disabledForModal_.clear();
}

void DialogWindow::Close() {
    if (!hwnd_) return;
    EnableDisabledWindows();
    // The window that was active before goes back in front, rather than
    // whatever the system picks once this one has gone.
    if (activeBeforeModal_ && ::IsWindow(activeBeforeModal_) && ::IsWindowVisible(activeBeforeModal_) &&
        ::GetForegroundWindow() == hwnd_) {
        ::SetForegroundWindow(activeBeforeModal_);
    }
    activeBeforeModal_ = nullptr;
    ::DestroyWindow(hwnd_);
    // A close that came in a sent message (another program's WM_CLOSE or
    // BM_CLICK) leaves a modal loop waiting in GetMessage: wake it.
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

void DialogWindow::RunModal() {
    if (!hwnd_) return;
    activeBeforeModal_ = ::GetForegroundWindow();
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM self) -> BOOL {
            auto* dialog = reinterpret_cast<DialogWindow*>(self);
            if (window != dialog->hwnd_ && ::IsWindowEnabled(window)) {
                ::EnableWindow(window, FALSE);
                dialog->disabledForModal_.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
    ShowInFront();
    MSG message;
    while (IsOpen()) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            // The program is ending: leave WM_QUIT for the outer loop.
            if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
            Close();
            return;
        }
        if (!PreTranslate(message, nullptr, nullptr)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

void DialogWindow::ShowInFront() {
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    // Through the dialog manager, which also makes a focused push button the
    // default one; a plain SetFocus while the window was hidden does not.
    if (const HWND first = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE)) {
        ::SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
}

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

namespace {

LRESULT CALLBACK ClickOnEnterProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR) noexcept {
    switch (message) {
    case WM_GETDLGCODE:
        if (AsksAboutEnter(lParam)) return ::DefSubclassProc(button, message, wParam, lParam) | DLGC_WANTMESSAGE;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (::IsWindowEnabled(button)) {
                ::SendMessageW(::GetParent(button), WM_COMMAND,
                               MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
            }
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L'\r') return 0;
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(button, ClickOnEnterProc, 0);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(button, message, wParam, lParam);
}

// The visual-style functions, from the system's own uxtheme.dll: loaded when
// first drawn rather than imported, so that no copy of it placed beside the
// program can be loaded in its place.
struct ThemeFunctions {
    using Open = HANDLE(WINAPI*)(HWND, LPCWSTR);
    using Close = HRESULT(WINAPI*)(HANDLE);
    using DrawBackground = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
    using DrawParentBackground = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
    Open open = nullptr;
    Close close = nullptr;
    DrawBackground drawBackground = nullptr;
    DrawParentBackground drawParentBackground = nullptr;

    static const ThemeFunctions& Get() {
        static const ThemeFunctions functions = Load();
        return functions;
    }

private:
    static ThemeFunctions Load() {
        ThemeFunctions f;
        const HMODULE module = ::LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module) return f;
        f.open = reinterpret_cast<Open>(reinterpret_cast<void*>(::GetProcAddress(module, "OpenThemeData")));
        f.close = reinterpret_cast<Close>(reinterpret_cast<void*>(::GetProcAddress(module, "CloseThemeData")));
        f.drawBackground = reinterpret_cast<DrawBackground>(
            reinterpret_cast<void*>(::GetProcAddress(module, "DrawThemeBackground")));
        f.drawParentBackground = reinterpret_cast<DrawParentBackground>(
            reinterpret_cast<void*>(::GetProcAddress(module, "DrawThemeParentBackground")));
        if (!f.open || !f.close || !f.drawBackground || !f.drawParentBackground) return {};
        return f;
    }
};

// A theme handle, closed with CloseThemeData.
class ThemeHandle {
public:
    ThemeHandle(const ThemeFunctions& functions, HWND window, const wchar_t* classes) noexcept
        : functions_(functions), theme_(functions.open ? functions.open(window, classes) : nullptr) {}
    ThemeHandle(const ThemeHandle&) = delete;
    ThemeHandle& operator=(const ThemeHandle&) = delete;
    ~ThemeHandle() {
        if (theme_) functions_.close(theme_);
    }
    HANDLE get() const noexcept { return theme_; }

private:
    const ThemeFunctions& functions_;
    HANDLE theme_;
};

// Parts and states of the BUTTON class (vssym32.h).
constexpr int kPushButtonPart = 1;
constexpr int kStateNormal = 1;
constexpr int kStatePressed = 3;
constexpr int kStateDisabled = 4;

}  // namespace

bool AsksAboutEnter(LPARAM getDlgCodeParam) {
    const auto* pending = reinterpret_cast<const MSG*>(getDlgCodeParam);
    return pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN;
}

void ClickOnEnter(HWND button) { ::SetWindowSubclass(button, ClickOnEnterProc, 0, 0); }

void DrawButtonFace(HWND button, HDC dc, const RECT& face, bool pushed, bool disabled) {
    const ThemeFunctions& functions = ThemeFunctions::Get();
    const ThemeHandle theme(functions, button, L"BUTTON");
    if (theme.get()) {
        const int state = pushed ? kStatePressed : disabled ? kStateDisabled : kStateNormal;
        functions.drawParentBackground(button, dc, &face);
        functions.drawBackground(theme.get(), dc, kPushButtonPart, state, &face, nullptr);
        return;
    }
    RECT classic = face;
    ::DrawFrameControl(dc, &classic, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
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

UniqueFont CreateDialogFont(int dpi) {
    // The face dialogs are laid out for ("MS Shell Dlg", which each system
    // maps to its own dialog face) at 8 points: the layouts' texts were
    // measured in it. The message font of newer systems is larger and would
    // not fit the controls.
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(8, dpi, 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    ::wcscpy_s(font.lfFaceName, L"MS Shell Dlg");
    return UniqueFont(::CreateFontIndirectW(&font));
}

UniqueFont CreateFaceFont(const wchar_t* face, double points, int dpi, bool underline) {
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
    font.lfWeight = FW_NORMAL;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    const WindowDc screen(nullptr);
    const wchar_t* chosen = nullptr;
    for (const wchar_t* candidate : {face, L"Microsoft Sans Serif", L"Tahoma", L"Arial", L"DejaVu Sans"}) {
        if (FaceInstalled(screen.get(), candidate)) {
            chosen = candidate;
            break;
        }
    }
    if (chosen) {
        ::wcscpy_s(font.lfFaceName, chosen);
    } else {
        ::wcscpy_s(font.lfFaceName, L"MS Shell Dlg");
    }
    return UniqueFont(::CreateFontIndirectW(&font));
}

}  // namespace velmoria

#include "wintk/buttons.h"

#include <commctrl.h>

namespace velmoria {
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

}  // namespace velmoria

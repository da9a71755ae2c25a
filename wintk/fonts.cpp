#include "wintk/fonts.h"

#include <cmath>
#include <cwchar>

namespace velmoria {
namespace {

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
    font.lfOutPrecision = OUT_TT_ONLY_PRECIS;  // never a bitmap font scaled up
    const WindowDc screen(nullptr);
    const wchar_t* chosen = nullptr;
    for (const wchar_t* candidate : {face, kLabelFace, L"Tahoma", L"Arial", L"DejaVu Sans"}) {
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

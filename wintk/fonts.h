// The fonts of dialogs and labels, at a DPI.
#pragma once

#include <windows.h>

#include "wintk/win_handles.h"

namespace velmoria {

// The system's dialog font at a DPI: the font of every control that has no
// font of its own.
UniqueFont CreateDialogFont(int dpi);

// The face of the program's large labels: the TrueType twin of the old
// "MS Sans Serif", whose metrics it shares. That one is a bitmap font on
// Windows (sizes 8 to 24), and large sizes of it come out blocky.
inline constexpr const wchar_t* kLabelFace = L"Microsoft Sans Serif";

// A font of a given face and size, regular weight. Where the face is not
// installed, the first installed plain TrueType sans-serif face serves instead.
UniqueFont CreateFaceFont(const wchar_t* face, double points, int dpi, bool underline);

}  // namespace velmoria

// The fonts of dialogs and labels, at a DPI.
#pragma once

#include <windows.h>

#include "wintk/win_handles.h"

namespace velmoria {

// The system's dialog font at a DPI: the font of every control that has no
// font of its own.
UniqueFont CreateDialogFont(int dpi);

// A font of a given face and size, regular weight. Where the face is not
// installed, the first installed plain sans-serif face serves instead.
UniqueFont CreateFaceFont(const wchar_t* face, double points, int dpi, bool underline);

}  // namespace velmoria

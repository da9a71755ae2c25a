// Push buttons drawn by their window, and Enter on a focused button.
#pragma once

#include <windows.h>

namespace velmoria {

// True when a WM_GETDLGCODE (given its lParam) asks about a press of Enter:
// a control that takes Enter for itself answers DLGC_WANTMESSAGE then.
bool AsksAboutEnter(LPARAM getDlgCodeParam);

// Makes Enter on a focused button click it. The dialog manager gives Enter
// to an owner-drawn button's dialog as IDOK instead, so a picture button
// would otherwise act on Space alone.
void ClickOnEnter(HWND button);

// Draws a push button's face in the current visual style, or the classic
// one where there is none; the face's content is left to the caller.
void DrawButtonFace(HWND button, HDC dc, const RECT& face, bool pushed, bool disabled);

}  // namespace velmoria

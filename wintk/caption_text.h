// A window's caption that fits its title bar: the middle part (a song's
// title) is cut with an ellipsis so that the part after it stays in sight;
// what follows that may run past the bar's end, as any caption does.
#pragma once

#include <windows.h>

#include <string>

namespace velmoria {

struct CaptionParts {
    std::wstring head, middle, tail, rest;
};

std::wstring FitCaption(HWND window, const CaptionParts& parts);
// Sets the fitted caption, unless the window has it already.
void SetFittedCaption(HWND window, const CaptionParts& parts);

}  // namespace velmoria

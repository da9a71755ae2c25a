// A picture from the program's resources, at its size for a DPI. Each picture
// is drawn at several scales; the one nearest the DPI is taken and, when the
// DPI falls between, resampled smoothly rather than enlarged pixel by pixel.
// The drawings' key colour, magenta, stands for transparency; it becomes a
// real alpha channel, so the edges blend with what lies below.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "wintk/win_handles.h"

namespace velmoria {

class ScaledPicture {
public:
    struct Drawing {
        int percent;   // 100, 150 or 200
        int resource;  // its bitmap's resource id
    };

    // Makes the picture for dpi; size96 is its size at 96 DPI.
    void Load(std::initializer_list<Drawing> drawings, SIZE size96, int dpi);
    SIZE size() const { return size_; }
    void Draw(HDC dc, int left, int top) const;

private:
    UniqueBitmap bitmap_;  // 32 bits a pixel, alpha premultiplied
    SIZE size_{};
};

}  // namespace velmoria

#include "wintk/picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "wintk/twips.h"

namespace velmoria {
namespace {

// The art generator's key colour (magenta), as a 32-bit DIB holds it.
constexpr std::uint32_t kKeyColour = 0xFF00FF;

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Premultiplied B, G, R, A of one pixel, as floats for the blend.
struct Pixel {
    float b = 0, g = 0, r = 0, a = 0;
};

Pixel Unpack(std::uint32_t value) {
    return {static_cast<float>(value & 0xFF), static_cast<float>((value >> 8) & 0xFF),
            static_cast<float>((value >> 16) & 0xFF), static_cast<float>(value >> 24)};
}

std::uint32_t Pack(const Pixel& p) {
    auto byte = [](float v) { return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
    return byte(p.b) | (byte(p.g) << 8) | (byte(p.r) << 16) | (byte(p.a) << 24);
}

// Bilinear resampling of premultiplied pixels: transparent pixels add no
// colour, so no fringe of the key colour appears at the edges.
void Resample(const std::vector<std::uint32_t>& from, int fromWidth, int fromHeight, std::uint32_t* to, int width,
              int height) {
    const float sx = static_cast<float>(fromWidth) / static_cast<float>(width);
    const float sy = static_cast<float>(fromHeight) / static_cast<float>(height);
    for (int y = 0; y < height; ++y) {
        const float fy = std::clamp((static_cast<float>(y) + 0.5f) * sy - 0.5f, 0.0f, static_cast<float>(fromHeight - 1));
        const int y0 = static_cast<int>(fy);
        const int y1 = std::min(y0 + 1, fromHeight - 1);
        const float wy = fy - static_cast<float>(y0);
        for (int x = 0; x < width; ++x) {
            const float fx = std::clamp((static_cast<float>(x) + 0.5f) * sx - 0.5f, 0.0f, static_cast<float>(fromWidth - 1));
            const int x0 = static_cast<int>(fx);
            const int x1 = std::min(x0 + 1, fromWidth - 1);
            const float wx = fx - static_cast<float>(x0);
            const Pixel corners[4] = {Unpack(from[y0 * fromWidth + x0]), Unpack(from[y0 * fromWidth + x1]),
                                      Unpack(from[y1 * fromWidth + x0]), Unpack(from[y1 * fromWidth + x1])};
            const float weights[4] = {(1 - wx) * (1 - wy), wx * (1 - wy), (1 - wx) * wy, wx * wy};
            Pixel sum;
            for (int i = 0; i < 4; ++i) {
                sum.b += corners[i].b * weights[i];
                sum.g += corners[i].g * weights[i];
                sum.r += corners[i].r * weights[i];
                sum.a += corners[i].a * weights[i];
            }
            to[y * width + x] = Pack(sum);
        }
    }
}

}  // namespace

void ScaledPicture::Load(std::initializer_list<Drawing> drawings, SIZE size96, int dpi) {
    bitmap_.reset();
    size_ = {};
    const int percent = NearestArtPercent(dpi);
    int resource = drawings.begin()->resource;
    for (const Drawing& drawing : drawings) {
        if (drawing.percent == percent) resource = drawing.resource;
    }
    const UniqueBitmap drawn(static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP shape{};
    if (!drawn || !::GetObjectW(drawn.get(), sizeof shape, &shape) || shape.bmWidth <= 0 || shape.bmHeight <= 0) return;
    const int fromWidth = shape.bmWidth;
    const int fromHeight = std::abs(shape.bmHeight);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(fromWidth) * static_cast<std::size_t>(fromHeight));
    BITMAPINFO fromInfo = TopDown32(fromWidth, fromHeight);
    const WindowDc screen(nullptr);
    if (!::GetDIBits(screen.get(), drawn.get(), 0, static_cast<UINT>(fromHeight), pixels.data(), &fromInfo,
                     DIB_RGB_COLORS)) {
        return;
    }
    // The key colour becomes transparent; every other pixel is opaque.
    for (std::uint32_t& pixel : pixels) pixel = (pixel & 0xFFFFFF) == kKeyColour ? 0 : (pixel | 0xFF000000u);

    const int width = ::MulDiv(size96.cx, dpi, 96);
    const int height = ::MulDiv(size96.cy, dpi, 96);
    BITMAPINFO info = TopDown32(width, height);
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || !bits) return;
    auto* to = static_cast<std::uint32_t*>(bits);
    if (width == fromWidth && height == fromHeight) {
        std::copy(pixels.begin(), pixels.end(), to);
    } else {
        Resample(pixels, fromWidth, fromHeight, to, width, height);
    }
    size_ = {width, height};
}

void ScaledPicture::Draw(HDC dc, int left, int top) const {
    if (!bitmap_) return;
    const MemoryDc source(dc);
    const SelectedObject picture(source.get(), bitmap_.get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, left, top, size_.cx, size_.cy, source.get(), 0, 0, size_.cx, size_.cy, blend);
}

}  // namespace velmoria

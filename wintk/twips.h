// Layout units. The windows are laid out in twips (1/1440 inch) and turned
// into pixels for the window's DPI in exactly one place: 15 twips are one
// pixel at 96 DPI, and a fraction of a pixel rounds half away from zero (as
// MulDiv does), everywhere.
#pragma once

#include <initializer_list>

namespace velmoria {

inline constexpr int kTwipsPerInch = 1440;

constexpr int TwipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch : -((-scaled + half) / kTwipsPerInch));
}

// A rectangle in twips, relative to its container.
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;

    // This rectangle moved by its container's position.
    constexpr TwipsRect In(const TwipsRect& container) const {
        return {container.left + left, container.top + top, width, height};
    }
};

// The indent of a folder list entry at a depth: 8 pixels a level at 96 DPI,
// but at most a third of the list's width, in whole levels, so that a name
// deep down still has room to be read.
constexpr int FolderIndentPixels(int level, int dpi, int listWidthPixels) {
    const int step = TwipsToPixels(120, dpi);
    const int deepest = step > 0 ? listWidthPixels / 3 / step : 0;
    return step * (level < deepest ? level : deepest);
}

// The pictures are drawn at 100, 150 and 200 percent. A DPI uses the nearest;
// between two, the larger, which shrinks better than the smaller grows.
constexpr int NearestArtPercent(int dpi) {
    const int percent = dpi * 100 / 96;
    return percent < 125 ? 100 : percent < 175 ? 150 : 200;
}

static_assert(NearestArtPercent(96) == 100 && NearestArtPercent(120) == 150 && NearestArtPercent(144) == 150);
static_assert(NearestArtPercent(168) == 200 && NearestArtPercent(119) == 100 && NearestArtPercent(192) == 200 && NearestArtPercent(288) == 200);
static_assert(TwipsToPixels(3615, 96) == 241 && TwipsToPixels(3750, 96) == 250);
static_assert(TwipsToPixels(1880, 120) == 157 && TwipsToPixels(-15, 96) == -1);
// Deep folders: the indent grows a level at a time, then stops where a name
// would no longer have room.
static_assert([] {
    for (const int dpi : {96, 144}) {
        const int width = TwipsToPixels(1755, dpi);
        if (FolderIndentPixels(3, dpi, width) != 3 * TwipsToPixels(120, dpi)) return false;
        for (int level = 1; level <= 64; ++level) {
            const int indent = FolderIndentPixels(level, dpi, width);
            if (indent < FolderIndentPixels(level - 1, dpi, width) || indent > width / 3) return false;
        }
    }
    return true;
}());

}  // namespace velmoria

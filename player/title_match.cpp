#include "player/title_match.h"

#include <string>

#include "base/paths.h"

namespace velmoria {

bool TitleMatches(std::wstring_view title, std::wstring_view search, std::int32_t mode) {
    const std::wstring upperTitle = UpperCase(title.substr(0, kTitleCharsExamined));
    const std::wstring upperSearch = UpperCase(search);
    switch (mode) {
    case TitleStarts:
        return upperTitle.starts_with(upperSearch);
    case TitleContains:
        return upperTitle.find(upperSearch) != std::wstring::npos;
    case TitleEnds:
        return upperTitle.ends_with(upperSearch);
    default:
        return false;
    }
}

}  // namespace velmoria

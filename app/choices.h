// The listener's choices beside the settings: whether the file list shows
// song titles, the play-through's shuffle and repeat, and the folder last
// browsed. They live in a file of their own, "Velmoria-choices.ini", found and
// written by the settings file's rules, so that Velmoria.ini keeps its two
// lines. Window-free: the format is read and written here.
#pragma once

#include <string>
#include <string_view>

namespace velmoria {

inline constexpr std::wstring_view kChoicesFileName = L"Velmoria-choices.ini";

struct Choices {
    bool songTitles = false;
    bool shuffle = false;
    bool repeat = false;
    std::wstring lastFolder;  // empty when none was browsed yet
};

// "titles=1", "shuffle=0", "repeat=0", "folder=<path>", each ended by CR
// LF, in UTF-8 so that any folder's name is kept.
std::string FormatChoices(const Choices& choices);
// Lines it does not know, and anything unreadable, are passed over: a file
// of any bytes gives choices.
Choices ParseChoices(std::string_view bytes);

}  // namespace velmoria

// What the browsing lists tell the window that owns them, and the window
// styles of the controls they take over.
#pragma once

#include <windows.h>

#include <string>

namespace velmoria {

// What the lists tell the window that owns them.
class BrowseEvents {
public:
    virtual void OnDriveChange() {}   // the user picked another drive
    virtual void OnFolderChange() {}  // the folder list's current folder changed
    // The character code of a key typed in the file list, before the list's
    // own handling; a handler that sets it to 0 swallows the key.
    virtual void OnFileKeyPress(short& /*keyAscii*/) {}
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt; the
    // position in twips.
    virtual void OnFileMouseDown(short /*button*/, short /*shift*/, float /*x*/, float /*y*/) {}
    // Shift+F10 or the Menu key in the file list; at: the selected entry's
    // row on the screen (the list's corner when none is selected).
    virtual void OnFileMenuKey(POINT /*at*/) {}
    // A set the user opened cannot be read: what to tell the user.
    virtual void OnUnreadableSet(const std::wstring& /*message*/) {}

protected:
    ~BrowseEvents() = default;
};

// Window styles of the lists, for the windows that create them.
inline constexpr DWORD kDropDownListStyle = CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
inline constexpr DWORD kBrowseListStyle =
    LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | WS_GROUP;

}  // namespace velmoria

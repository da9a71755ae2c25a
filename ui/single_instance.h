// One Velmoria for each user: a second start with a folder or song hands its
// command line to the Velmoria of the same exe already running in this
// user's session, and ends.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace velmoria {

// The property that marks Velmoria's main window among the top-level windows.
inline constexpr wchar_t kMainWindowProperty[] = L"Velmoria.SpcMain";

// The main window of another Velmoria run from the same exe in this
// session; null when there is none.
HWND FindRunningVelmoria();

// Marks the main window as the one later starts hand over to: only once it
// is shown, for a hand-over taken while a start-up message is up is lost.
// Until then a second start finds none, and runs by itself.
void OfferHandOvers(HWND main);

// Sends the command line to it, its path made absolute against this
// process's working folder; true when it took it.
bool HandOver(HWND running, std::wstring_view commandLine);

// What another start handed over, when it is a command line of sane size;
// nothing otherwise. Any program on this desktop may send one: what it can
// ask is no more than a user can, to open a folder or play a song.
std::optional<std::wstring> TakeHandOver(const COPYDATASTRUCT& data);

}  // namespace velmoria

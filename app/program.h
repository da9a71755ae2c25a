// What the whole program shares for its lifetime: the settings file (in the
// program's folder, or the user's when that takes no file), the settings held
// in memory, the operating system as the players are reached through it,
// and the sets of songs opened. wWinMain creates the one instance; the
// windows reach it through the reference they are given, and tests build
// their own over a folder of their choosing.
#pragma once

#include <string>
#include <utility>

#include "app/choices.h"
#include "app/settings.h"
#include "app/settings_file.h"
#include "archive/set_shelf.h"
#include "player/play_control.h"

namespace velmoria {

struct Program {
    // userFolder: %APPDATA%, or a test's stand-in for it; empty for none.
    Program(std::wstring programFolder, PlayerSystem& playerSystem, std::wstring userFolder = {})
        : store(programFolder, userFolder),
          choicesStore(std::move(programFolder), std::move(userFolder), 0, std::wstring(kChoicesFileName)),
          system(playerSystem) {}

    SettingsStore store;
    ProgramSettings settings;
    SettingsStore choicesStore;  // the listener's choices, beside the settings
    Choices choices;
    PlayerSystem& system;
    SetShelf shelf;  // the sets (archives) opened, decoded once
};

// The program's messages that are not about playing.
inline constexpr std::wstring_view kFirstRunMessage =
    L"This is your first time running this program!\nTake the time to locate an SPCPlayer.";
inline constexpr std::wstring_view kDeleteSettingsMessage = L"Error! Please delete Velmoria.ini and re-run!";
// Said when another program (a virus scanner, a sync tool) holds the file
// through the whole wait at start: the file is fine, and must not be deleted.
inline constexpr std::wstring_view kBusySettingsMessage =
    L"Velmoria.ini is in use by another program, so the player cannot be read.\nPlease re-run in a moment.";
// At start the window is not shown yet: a busy file is waited for this long.
inline constexpr unsigned kStartBusyWaitMs = 5000;
inline constexpr std::wstring_view kLocatePlayerMessage = L"Please locate an SPCPlayer!";
inline constexpr std::wstring_view kRestartMessage = L"Please restart this program for changes to take effect!";

}  // namespace velmoria

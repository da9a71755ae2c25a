// One row per kind of player: everything Velmoria knows of a player program
// stands in its row, and every part of the program that treats players
// differently reads the row instead of testing names. The row is resolved
// once, at start-up, from the stored player path (and, where two programs
// share an exe name, from the exe's version resource).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "player/title_match.h"

namespace velmoria {

// The values are Win32's SW_ codes, handed to the new process as they are.
enum class ShowStyle : int {
    NormalActivated = 1,      // SW_SHOWNORMAL
    MinimizedNoActivate = 7,  // SW_SHOWMINNOACTIVE: Velmoria keeps the foreground
};

// A search for a player's top-level window by its title.
struct TitleSearch {
    std::wstring_view text;
    std::int32_t mode = TitleStarts;
};

// How a player is given a song.
enum class StartForm {
    ShortPaths,      // "<player> <song> ", both as short paths, then any switches
    QuotedLongPath,  // "<player>" "<song>", one quoted long path each
};

// What a play does while the player runs.
enum class WhileRunning {
    Refuse,    // "Hit that little stop button..."
    Replace,   // the running one is stopped first
    HandOver,  // the running copy takes the new song from the one started
};

// How a player is stopped.
enum class StopMethod {
    KeyA,         // its window is brought to the front and typed an "a"
    CloseWindow,  // its window is sent WM_CLOSE
    QuitCommand,  // "<player>" -q, when a window of it exists
};

struct PlayerRow {
    std::wstring_view exeName;      // the file name that selects this row, compared at the path's end
    std::wstring_view description;  // the exe's FileDescription this row needs; empty: any
    std::wstring_view shownName;    // "Play using <shownName>"
    std::wstring_view runningCaption;
    // Its windows: found by class when windowClass is set, else by the title
    // searches in turn. Either way only windows of a process running exeName count.
    std::wstring_view windowClass;
    TitleSearch searches[2];
    ShowStyle show;
    StartForm start;
    bool switches;         // the SPCPlay options apply: its switches follow the song
    bool hidesWindow;  // its window is waited for after the start, hidden, and the foreground taken back
    WhileRunning whileRunning;
    StopMethod stop;
};

std::span<const PlayerRow> PlayerTable();

// The rows whose exe name ends the path; several when programs share a name.
// The first whose description is empty or equals the exe's is the player.
// needsDescription: whether telling the candidates apart needs the exe's
// FileDescription at all (it is read from the file, so only then).
bool NeedsDescription(std::wstring_view playerPath);
const PlayerRow* ResolvePlayerRow(std::wstring_view playerPath, std::wstring_view fileDescription);

// The popup's "Play using ..." caption. A path that names no player is
// offered under the table's last row, the player a user most likely meant.
std::wstring PlayUsingCaption(const PlayerRow* row);

// "SPCPLAY.EXE;WINSPC.EXE;ZDSPC.EXE": what the player dialog lists.
std::wstring PlayerFilePatterns();

// The player path read from the settings, and the row it resolved to (null:
// a program that is none of the players).
struct Player {
    std::wstring path;
    const PlayerRow* row = nullptr;
};

}  // namespace velmoria

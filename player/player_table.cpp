#include "player/player_table.h"

#include "base/paths.h"

namespace velmoria {
namespace {

// Two different programs ship as SPCPLAY.EXE.
constexpr std::wstring_view kSpcPlayExe = L"SPCPLAY.EXE";

// Today's SPCPLAY.EXE is a single-instance program whose main window's title
// says nothing the classic search finds, and whose switches mean other things
// than the classic one's. The classic SPCPlay shows itself and takes the
// keyboard, where the next "a" typed would end it. Some ZD-SPC versions begin
// their title with a space: that window is preferred.
constexpr PlayerRow kPlayers[] = {
    // exe, description needed, shown name, running caption, window class, title searches,
    // show state, start form, switches, hides its window, while running, stop
    {kSpcPlayExe, L"SNES SPC700 Player", L"SPCPlay", L"[Running SNES SPC700 Player]", L"SSDLabo_SPCPLAY", {},
     ShowStyle::MinimizedNoActivate, StartForm::QuotedLongPath, false, false, WhileRunning::HandOver,
     StopMethod::QuitCommand},
    {kSpcPlayExe, {}, L"SPCPlay", L"[Running SPCPlay]", {}, {{L"spcplay", TitleStarts}}, ShowStyle::NormalActivated,
     StartForm::ShortPaths, true, true, WhileRunning::Refuse, StopMethod::KeyA},
    {L"WINSPC.EXE", {}, L"WinSPC", L"[Running WinSPC]", {}, {{L"WinSPC", TitleEnds}}, ShowStyle::MinimizedNoActivate,
     StartForm::ShortPaths, false, false, WhileRunning::Replace, StopMethod::CloseWindow},
    {L"ZDSPC.EXE", {}, L"ZD-SPC", L"[Running ZD-SPC]", {}, {{L" ZDSpc", TitleStarts}, {L"ZDSpc", TitleContains}},
     ShowStyle::MinimizedNoActivate, StartForm::ShortPaths, false, false, WhileRunning::Replace,
     StopMethod::CloseWindow},
};

}  // namespace

std::span<const PlayerRow> PlayerTable() { return kPlayers; }

bool NeedsDescription(std::wstring_view playerPath) {
    playerPath = TrimTrailingSpaces(playerPath);
    for (const PlayerRow& row : kPlayers) {
        if (!row.description.empty() && EndsWithNoCase(playerPath, row.exeName)) return true;
    }
    return false;
}

const PlayerRow* ResolvePlayerRow(std::wstring_view playerPath, std::wstring_view fileDescription) {
    // A hand-edited file may leave blanks after the name, which Windows drops.
    playerPath = TrimTrailingSpaces(playerPath);
    for (const PlayerRow& row : kPlayers) {
        if (!EndsWithNoCase(playerPath, row.exeName)) continue;
        if (row.description.empty() || row.description == fileDescription) return &row;
    }
    return nullptr;
}

std::wstring PlayUsingCaption(const PlayerRow* row) {
    return L"Play using " + std::wstring((row ? *row : kPlayers[std::size(kPlayers) - 1]).shownName);
}

std::wstring PlayerFilePatterns() {
    std::wstring patterns;
    for (const PlayerRow& row : kPlayers) {
        if (MatchesFilePattern(row.exeName, patterns)) continue;  // listed already
        if (!patterns.empty()) patterns += L';';
        patterns += row.exeName;
    }
    return patterns;
}

}  // namespace velmoria

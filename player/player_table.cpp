#include "player/player_table.h"

#include "base/paths.h"

namespace velmoria {
namespace {

// Two different programs ship as SPCPLAY.EXE.
constexpr std::wstring_view kSpcPlayExe = L"SPCPLAY.EXE";

constexpr PlayerRow kPlayers[] = {
    {
        // Today's SPCPLAY.EXE: a single-instance program whose main window's
        // title says nothing the classic search finds; its switches mean
        // other things than the classic one's.
        .exeName = kSpcPlayExe,
        .description = L"SNES SPC700 Player",
        .shownName = L"SPCPlay",
        .runningCaption = L"[Running SPCPlay]",
        .windowClass = L"SSDLabo_SPCPLAY",
        .searches = {},
        .show = ShowStyle::MinimizedNoActivate,
        .start = StartForm::QuotedLongPath,
        .switches = false,
        .hidesWindow = false,
        .silentIfMissing = false,
        .whileRunning = WhileRunning::HandOver,
        .stop = StopMethod::QuitCommand,
    },
    {
        // The classic SPCPlay shows itself and takes the keyboard, where the
        // next "a" typed would end it.
        .exeName = kSpcPlayExe,
        .description = {},
        .shownName = L"SPCPlay",
        .runningCaption = L"[Running SPCPlay]",
        .windowClass = {},
        .searches = {{L"spcplay", TitleStarts}},
        .show = ShowStyle::NormalActivated,
        .start = StartForm::ShortPaths,
        .switches = true,
        .hidesWindow = true,
        .silentIfMissing = true,
        .whileRunning = WhileRunning::Refuse,
        .stop = StopMethod::KeyA,
    },
    {
        .exeName = L"WINSPC.EXE",
        .description = {},
        .shownName = L"WinSPC",
        .runningCaption = L"[Running WinSPC]",
        .windowClass = {},
        .searches = {{L"WinSPC", TitleEnds}},
        .show = ShowStyle::MinimizedNoActivate,
        .start = StartForm::ShortPaths,
        .switches = false,
        .hidesWindow = false,
        .silentIfMissing = false,
        .whileRunning = WhileRunning::Replace,
        .stop = StopMethod::CloseWindow,
    },
    {
        // Its title begins with a space in some versions: that window is preferred.
        .exeName = L"ZDSPC.EXE",
        .description = {},
        .shownName = L"ZD-SPC",
        .runningCaption = L"[Running ZD-SPC]",
        .windowClass = {},
        .searches = {{L" ZDSpc", TitleStarts}, {L"ZDSpc", TitleContains}},
        .show = ShowStyle::MinimizedNoActivate,
        .start = StartForm::ShortPaths,
        .switches = false,
        .hidesWindow = false,
        .silentIfMissing = false,
        .whileRunning = WhileRunning::Replace,
        .stop = StopMethod::CloseWindow,
    },
};

}  // namespace

std::span<const PlayerRow> PlayerTable() { return kPlayers; }

bool NeedsDescription(std::wstring_view playerPath) {
    for (const PlayerRow& row : kPlayers) {
        if (!row.description.empty() && EndsWithNoCase(playerPath, row.exeName)) return true;
    }
    return false;
}

const PlayerRow* ResolvePlayerRow(std::wstring_view playerPath, std::wstring_view fileDescription) {
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

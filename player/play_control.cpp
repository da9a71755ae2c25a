#include "player/play_control.h"

#include <utility>

#include "player/player_kind.h"
#include "base/paths.h"
#include "player/title_match.h"

namespace velmoria {
namespace {

// The title searches for each player. The comparison ignores case, so the
// different spellings find the same windows.
constexpr std::wstring_view kSpcPlaySearch = L"spcplay";
constexpr std::wstring_view kWinSpcPlaySearch = L"winspc";
constexpr std::wstring_view kWinSpcStopSearch = L"WinSPC";
constexpr std::wstring_view kZdSpcFirstSearch = L" ZDSpc";
constexpr std::wstring_view kZdSpcSecondSearch = L"ZDSpc";

}  // namespace

PlayerProtocol ProtocolOf(std::wstring_view playerPath, std::wstring_view fileDescription) {
    return IsSpcPlay(playerPath) && fileDescription == kCurrentSpcPlayDescription ? PlayerProtocol::CurrentSpcPlay
                                                                                  : PlayerProtocol::Classic;
}

PlayControl::PlayControl(PlayerView& view, PlayerSystem& system, std::wstring playerPath, PlayerProtocol protocol)
    : view_(view),
      system_(system),
      playerPath_(std::move(playerPath)),
      protocol_(protocol),
      exeName_(FileNameOf(playerPath_)) {}

void PlayControl::cmdPlay_Click() {
    try {
        Play();
    } catch (...) {
        view_.ShowMessage(kErrorMessage, MessageIcon::Stop);
    }
}

void PlayControl::cmdStop_Click() {
    try {
        Stop();
    } catch (...) {
        view_.ShowMessage(kErrorMessage, MessageIcon::Stop);
    }
}

void PlayControl::Play() {
    const std::wstring file = view_.SelectedSpcFile();
    if (file.empty()) {
        view_.ShowMessage(kSelectSpcMessage, MessageIcon::None);
        return;
    }
    if (protocol_ == PlayerProtocol::CurrentSpcPlay) {
        PlayCurrentSpcPlay(JoinPath(view_.SpcFolder(), file));
        return;
    }
    // The path goes to the short-path routine with one trailing space, which
    // that routine drops along with any others.
    const std::wstring spcPath = JoinPath(view_.SpcFolder(), file) + L' ';
    const std::wstring spcArgument = system_.ShortPathName(spcPath);
    const std::wstring playerArgument = system_.ShortPathName(playerPath_);
    std::wstring commandLine = BuildCommandLine(playerArgument, spcArgument);

    // SPCPlay is recognised from the short form, WinSPC and ZD-SPC from the
    // stored path: a missing SPCPlay therefore starts nothing, while a missing
    // WinSPC or ZD-SPC fails to start and says so.
    if (IsSpcPlay(playerArgument)) {
        if (Find(kSpcPlaySearch, TitleStarts) != 0) {
            view_.ShowMessage(kStopFirstMessage, MessageIcon::None);
            return;
        }
        commandLine += SpcPlaySwitches(view_.Options());
        spcPlayTaskId_ = system_.StartProcess(commandLine, ShowStyle::NormalActivated);
        view_.SetCaption(kRunningSpcPlay);
        // SPCPlay shows itself and takes the keyboard, where the next "a"
        // typed would end it. Its window comes a moment after the start, so
        // the launcher waits for that very window, hides it and takes the
        // foreground back.
        if (const WindowId window = system_.WaitForWindow(kSpcPlaySearch, TitleStarts, spcPlayTaskId_, exeName_,
                                                          kPlayerWindowWaitMs)) {
            system_.HideWindow(window);
        }
        view_.TakeForeground();
    } else if (IsWinSpc(playerPath_)) {
        if (Find(kWinSpcPlaySearch, TitleEnds) != 0) Stop();
        system_.StartProcess(commandLine, ShowStyle::MinimizedNoActivate);
        view_.SetCaption(kRunningWinSpc);
    } else if (IsZdSpc(playerPath_)) {
        if (FindZdSpc() != 0) Stop();
        system_.StartProcess(commandLine, ShowStyle::MinimizedNoActivate);
        view_.SetCaption(kRunningZdSpc);
    }
}

void PlayControl::Stop() {
    const std::wstring caption = view_.Caption();
    if (caption.empty() || caption.back() != L']') return;
    view_.SetCaption(kIdleCaption);

    if (IsWinSpc(playerPath_)) {
        if (const WindowId window = Find(kWinSpcStopSearch, TitleEnds)) system_.PostClose(window);
        return;
    }
    if (protocol_ == PlayerProtocol::CurrentSpcPlay) {
        StopCurrentSpcPlay();
        return;
    }
    if (IsSpcPlay(playerPath_)) StopSpcPlay();
    if (IsZdSpc(playerPath_)) KillZDSpc();
}

// It takes one argument, a whole quoted path, long names and all; a running
// copy hands the song to itself, so a play while one runs is no conflict.
void PlayControl::PlayCurrentSpcPlay(const std::wstring& spcPath) {
    system_.StartProcess(QuotedCommandLine(playerPath_, spcPath), ShowStyle::MinimizedNoActivate);
    view_.SetCaption(kRunningSpcPlay);
}

// "-q" reaches the running copy and ends it. With none running there is
// nothing to end, and no reason to start the player at all.
void PlayControl::StopCurrentSpcPlay() {
    if (FindCurrentSpcPlay() == 0) return;
    system_.StartProcess(QuotedCommandLine(playerPath_, L"-q"), ShowStyle::MinimizedNoActivate);
}

// SPCPlay ends on the key "a", which goes to whatever window is active. So the
// key is typed only into the window of the SPCPlay this program started, and
// only once that window really is in the foreground.
void PlayControl::StopSpcPlay() {
    if (spcPlayTaskId_ == 0) return;  // 0 would mean "any process"
    const WindowId window = Find(kSpcPlaySearch, TitleStarts, spcPlayTaskId_);
    if (window == 0) return;
    system_.RestoreWindow(window);
    if (system_.BringToForeground(window, kForegroundWaitMs)) system_.SendKeyA();
}

void PlayControl::KillZDSpc() {
    if (const WindowId window = FindZdSpc()) system_.PostClose(window);
}

WindowId PlayControl::FindZdSpc() {
    if (const WindowId window = Find(kZdSpcFirstSearch, TitleStarts)) return window;
    return Find(kZdSpcSecondSearch, TitleContains);
}

WindowId PlayControl::FindCurrentSpcPlay() { return system_.FindClassWindow(kCurrentSpcPlayClass, exeName_); }

WindowId PlayControl::Find(std::wstring_view search, std::int32_t mode, ProcessId process) {
    return system_.FindTitledWindow(search, mode, process, exeName_);
}

// The kinds are tested in the stop request's order, on the stored path.
void PlayControl::AdoptRunningPlayer() {
    try {
        if (protocol_ == PlayerProtocol::CurrentSpcPlay) {
            if (FindCurrentSpcPlay()) view_.SetCaption(kRunningSpcPlay);
        } else if (IsWinSpc(playerPath_)) {
            if (Find(kWinSpcStopSearch, TitleEnds)) view_.SetCaption(kRunningWinSpc);
        } else if (IsSpcPlay(playerPath_)) {
            if (const WindowId window = Find(kSpcPlaySearch, TitleStarts)) {
                const ProcessId process = system_.WindowProcess(window);
                if (process == 0) return;
                spcPlayTaskId_ = process;
                view_.SetCaption(kRunningSpcPlay);
            }
        } else if (IsZdSpc(playerPath_)) {
            if (FindZdSpc()) view_.SetCaption(kRunningZdSpc);
        }
    } catch (...) {
        // A player that cannot be looked at is simply not adopted.
    }
}

}  // namespace velmoria

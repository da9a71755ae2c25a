#include "player/play_control.h"

#include <utility>

#include "app/player_kind.h"
#include "player/paths.h"
#include "player/title_match.h"

namespace velmoria {
namespace {

// The searches are part of how the players have always been found; the
// different spellings are deliberate (the comparison ignores case anyway).
constexpr std::wstring_view kSpcPlaySearch = L"spcplay";
constexpr std::wstring_view kWinSpcPlaySearch = L"winspc";
constexpr std::wstring_view kWinSpcStopSearch = L"WinSPC";
constexpr std::wstring_view kZdSpcFirstSearch = L" ZDSpc";
constexpr std::wstring_view kZdSpcSecondSearch = L"ZDSpc";

}  // namespace

PlayControl::PlayControl(PlayerView& view, PlayerSystem& system, std::wstring playerPath)
    : view_(view), system_(system), playerPath_(std::move(playerPath)) {}

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
    // The trailing space is how the path has always been handed over; the
    // short-path routine ignores it.
    const std::wstring spcPath = JoinPath(view_.SpcFolder(), file) + L' ';
    const std::wstring spcArgument = system_.ShortPathName(spcPath);
    const std::wstring playerArgument = system_.ShortPathName(playerPath_);
    std::wstring commandLine = BuildCommandLine(playerArgument, spcArgument);

    // SPCPlay is recognised from the short form, WinSPC and ZD-SPC from the
    // stored path: a missing SPCPlay therefore starts nothing, while a missing
    // WinSPC or ZD-SPC fails to start and says so.
    if (IsSpcPlay(playerArgument)) {
        if (system_.FindTitledWindow(kSpcPlaySearch, TitleStarts, 0) != 0) {
            view_.ShowMessage(kStopFirstMessage, MessageIcon::None);
            return;
        }
        commandLine += SpcPlaySwitches(view_.Options());
        spcPlayTaskId_ = system_.StartProcess(commandLine, ShowStyle::NormalActivated);
        if (const WindowId window = system_.FindTitledWindow(kSpcPlaySearch, TitleStarts, 0)) {
            system_.HideWindow(window);
        }
        view_.SetCaption(kRunningSpcPlay);
    } else if (IsWinSpc(playerPath_)) {
        if (system_.FindTitledWindow(kWinSpcPlaySearch, TitleEnds, 0) != 0) Stop();
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
        if (const WindowId window = system_.FindTitledWindow(kWinSpcStopSearch, TitleEnds, 0)) {
            system_.PostClose(window);
        }
        return;
    }
    if (IsSpcPlay(playerPath_)) StopSpcPlay();
    if (IsZdSpc(playerPath_)) KillZDSpc();
}

// SPCPlay ends on the key "a", which goes to whatever window is active. So the
// key is typed only into the window of the SPCPlay this program started, and
// only once that window really is in the foreground.
void PlayControl::StopSpcPlay() {
    if (spcPlayTaskId_ == 0) return;  // 0 would mean "any process"
    const WindowId window = system_.FindTitledWindow(kSpcPlaySearch, TitleStarts, spcPlayTaskId_);
    if (window == 0) return;
    system_.RestoreWindow(window);
    if (system_.BringToForeground(window, kForegroundWaitMs)) system_.SendKeyA();
}

void PlayControl::KillZDSpc() {
    if (const WindowId window = FindZdSpc()) system_.PostClose(window);
}

WindowId PlayControl::FindZdSpc() {
    if (const WindowId window = system_.FindTitledWindow(kZdSpcFirstSearch, TitleStarts, 0)) return window;
    return system_.FindTitledWindow(kZdSpcSecondSearch, TitleContains, 0);
}

}  // namespace velmoria

#include "player/play_control.h"

#include <utility>

#include "base/paths.h"
#include "base/trace.h"

namespace velmoria {

PlayControl::PlayControl(PlayerSystem& system, Player player)
    : system_(system),
      player_(std::move(player)),
      exeName_(FileNameOf(TrimTrailingSpaces(player_.path))),
      folder_(ParentFolder(TrimTrailingSpaces(player_.path))) {}

namespace {

// Runs a request; a failure becomes the catch-all message "Error!".
template <typename Request>
PlayOutcome Reported(const char* where, Request request) noexcept {
    PlayOutcome outcome;
    try {
        request(outcome);
    } catch (const SongError&) {
        TraceSwallowed(where);
        outcome.message = kErrorMessage;
        outcome.icon = MessageIcon::Stop;
        outcome.songFailed = true;
    } catch (...) {
        TraceSwallowed(where);
        outcome.message = kErrorMessage;
        outcome.icon = MessageIcon::Stop;
    }
    return outcome;
}

}  // namespace

PlayOutcome PlayControl::Play(const PlayRequest& request) {
    return Reported("play", [&](PlayOutcome& outcome) { DoPlay(request, outcome); });
}

PlayOutcome PlayControl::Stop(bool running) {
    return Reported("stop", [&](PlayOutcome& outcome) { DoStop(running, outcome); });
}

void PlayControl::DoPlay(const PlayRequest& request, PlayOutcome& outcome) {
    if (request.song.empty()) {
        outcome.message = kSelectSpcMessage;
        return;
    }
    const PlayerRow* row = player_.row;
    if (!row) return;  // a program that is none of the players is never started
    const std::wstring spcPath = JoinPath(request.folder, request.song);
    if (!system_.SongExists(spcPath)) {
        // Deleted since the list was filled: a player would start with no song.
        outcome.refreshList = true;
        outcome.songFailed = true;
        return;
    }
    // A song named like a device (COM1.spc) would make the player open the
    // device: it gets a plain copy instead.
    const bool deviceName = IsDeviceName(FileNameOf(spcPath));
    if (row->start == StartForm::QuotedLongPath) {
        // A running copy takes the song from the one started, which then
        // ends: the running copy is the player to watch.
        const WindowId running = FindPlayerWindow();
        Start(QuotedCommandLine(player_.path, deviceName ? system_.PlainCopy(spcPath) : spcPath), outcome);
        if (running != 0) outcome.player = system_.WindowProcess(running);
        return;
    }
    // The path goes to the short-path routine with one trailing space, which
    // that routine drops along with any others.
    std::wstring spcArgument = system_.ShortPathName(spcPath + L' ');
    // A volume without 8.3 names gives the long path back: with a space or
    // a character outside its code page, a classic player cannot open it.
    if (deviceName || spcArgument.find(L' ') != std::wstring::npos || !system_.FitsCodePage(spcArgument)) {
        spcArgument = system_.PlainCopy(spcPath);
    }
    const std::wstring playerArgument = system_.ShortPathName(player_.path);
    // A missing player has no short path; a line that began with the song
    // would leave the choice of program to the command-line parser.
    if (playerArgument.empty()) throw PlayerError("the player is not there", 2);
    std::wstring commandLine = BuildCommandLine(playerArgument, spcArgument);

    const bool found = FindPlayerWindow() != 0;
    if (found && row->whileRunning == WhileRunning::Refuse) {
        outcome.message = kStopFirstMessage;
        return;
    }
    // The player started a moment ago may not show its window yet (Next
    // pressed quickly): it is replaced all the same, not left playing on.
    if (row->whileRunning == WhileRunning::Replace && (found || started_ != 0)) DoStop(request.running, outcome);
    if (row->switches) commandLine += SpcPlaySwitches(request.options);
    const ProcessId process = Start(commandLine, outcome);
    if (row->stop == StopMethod::KeyA) spcPlayTaskId_ = process;
    if (!row->hidesWindow) return;
    // Its window comes a moment after the start, so the launcher waits for
    // that very window, hides it and takes the foreground back.
    const TitleSearch& search = row->searches[0];
    if (const WindowId window =
            system_.WaitForWindow(search.text, search.mode, process, exeName_, kPlayerWindowWaitMs)) {
        system_.HideWindow(window);
    }
    outcome.takeForeground = true;
}

ProcessId PlayControl::Start(std::wstring_view commandLine, PlayOutcome& outcome) {
    const ProcessId process = system_.StartProcess(commandLine, player_.row->show, folder_);
    started_ = process;
    outcome.caption = std::wstring(player_.row->runningCaption);
    outcome.player = process;
    return process;
}

void PlayControl::DoStop(bool running, PlayOutcome& outcome) {
    if (!running) return;
    outcome.caption = std::wstring(kIdleCaption);
    const PlayerRow* row = player_.row;
    if (!row) return;
    switch (row->stop) {
    case StopMethod::CloseWindow: {
        // The player this run started is the one to close. One it asked to
        // close a moment ago (the one a play replaced) may still show its
        // window: closing that again would leave the new one playing on.
        WindowId window = started_ != 0 ? FindPlayerWindow(started_) : 0;
        if (window == 0) window = FindPlayerWindow();
        if (window != 0 && closing_ != 0 && system_.WindowProcess(window) == closing_) window = 0;
        // Stop pressed a moment after a start: the player's window is still
        // to come, and the player would play on under an idle caption.
        if (window == 0 && started_ != 0) {
            const TitleSearch& search = row->searches[0];
            window = system_.WaitForWindow(search.text, search.mode, started_, exeName_, kPlayerWindowWaitMs);
        }
        if (window != 0) {
            system_.PostClose(window);
            closing_ = system_.WindowProcess(window);
        }
        break;
    }
    case StopMethod::QuitCommand:
        // "-q" reaches the running copy and ends it. With none running there
        // is nothing to end, and no reason to start the player at all.
        if (FindPlayerWindow() != 0) {
            system_.StartProcess(QuotedCommandLine(player_.path, L"-q"), row->show, folder_);
        }
        break;
    case StopMethod::KeyA:
        // A key withheld leaves the player playing: the caption stays, so
        // that Stop can be pressed again.
        if (!StopWithKeyA()) outcome.caption.reset();
        break;
    }
}

// The key "a" goes to whatever window is active. So it is typed only into
// the window of the player this program started, and only once that window
// really is in the foreground. False when the key was withheld.
bool PlayControl::StopWithKeyA() {
    if (spcPlayTaskId_ == 0) return true;  // 0 would mean "any process"
    const WindowId window = FindPlayerWindow(spcPlayTaskId_);
    if (window == 0) return true;  // nothing of ours is playing
    system_.RestoreWindow(window);
    if (!system_.BringToForeground(window, kForegroundWaitMs)) return false;
    system_.SendKeyA();
    return true;
}

WindowId PlayControl::FindPlayerWindow(ProcessId process) {
    const PlayerRow& row = *player_.row;
    if (!row.windowClass.empty()) return system_.FindClassWindow(row.windowClass, exeName_);
    for (const TitleSearch& search : row.searches) {
        if (search.text.empty()) break;
        if (const WindowId window = system_.FindTitledWindow(search.text, search.mode, process, exeName_)) {
            return window;
        }
    }
    return 0;
}

PlayOutcome PlayControl::AdoptRunningPlayer() {
    PlayOutcome outcome;
    if (!player_.row) return outcome;
    try {
        const WindowId window = FindPlayerWindow();
        if (window == 0) return outcome;
        const ProcessId process = system_.WindowProcess(window);
        if (player_.row->stop == StopMethod::KeyA) {
            if (process == 0) return outcome;
            spcPlayTaskId_ = process;
        }
        outcome.caption = std::wstring(player_.row->runningCaption);
        outcome.player = process;
    } catch (...) {
        // A player that cannot be looked at is simply not adopted.
        TraceSwallowed("adopting a running player");
    }
    return outcome;
}

}  // namespace velmoria

// Starting and stopping the players. The decisions live here, apart from any
// window: the window hands in one request and carries out the outcome it
// gets back; the operating system is reached through PlayerSystem, which the
// program implements over Win32 and the native tests with a fake. What each
// player needs comes from its row in the player table.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/message_icon.h"
#include "player/command_line.h"
#include "player/player_table.h"

namespace velmoria {

using ProcessId = std::uint32_t;
using WindowId = std::uintptr_t;  // an HWND's value; 0 is no window

// A failure the play request reports as "Error!", with the system's error
// code when a system call failed (0 otherwise).
class PlayerError : public std::runtime_error {
public:
    // The code goes into the text too, for the trace of what was swallowed.
    explicit PlayerError(const char* what, unsigned long systemError = 0)
        : std::runtime_error(systemError ? std::string(what) + " (system error " + std::to_string(systemError) + ")"
                                         : std::string(what)),
          systemError_(systemError) {}
    unsigned long systemError() const { return systemError_; }

private:
    unsigned long systemError_;
};

// A failure of the song rather than of the player: it cannot be read or
// handed over. A play-through passes over such a song.
class SongError : public PlayerError {
public:
    using PlayerError::PlayerError;
};

// The operating system services the requests use.
class PlayerSystem {
public:
    virtual ~PlayerSystem() = default;
    virtual std::wstring ShortPathName(std::wstring_view path) = 0;
    // The first top-level window whose title matches, of the given process
    // (0: any) and whose process runs an exe named exeName (from any folder;
    // empty: any exe). Windows of other programs are passed over.
    virtual WindowId FindTitledWindow(std::wstring_view search, std::int32_t mode, ProcessId process,
                                      std::wstring_view exeName) = 0;
    // The same search for a process that was just started: waits until it is
    // ready for input and then at most timeoutMs for a matching window. 0
    // when none came. The requests that call it run on a pool thread.
    virtual WindowId WaitForWindow(std::wstring_view search, std::int32_t mode, ProcessId process,
                                   std::wstring_view exeName, int timeoutMs) = 0;
    // The first top-level window of a class whose process runs exeName.
    virtual WindowId FindClassWindow(std::wstring_view className, std::wstring_view exeName) = 0;
    virtual ProcessId WindowProcess(WindowId window) = 0;
    // The FileDescription in an exe's version resource; empty when it has none.
    virtual std::wstring FileDescription(std::wstring_view exePath) = 0;
    // Whether a song file is still there.
    virtual bool SongExists(std::wstring_view path) = 0;
    // Whether every character of text has its form in the ANSI code page,
    // which classic players read their command line in.
    virtual bool FitsCodePage(std::wstring_view text) = 0;
    // A copy of a song under a plain ASCII name in this run's own temporary
    // folder, as a short path; throws SongError when none can be made (a
    // file past kSongCopyMaxBytes is no song and is not copied).
    virtual std::wstring PlainCopy(std::wstring_view songPath) = 0;
    // Starts a process in a working folder without waiting for it; throws
    // PlayerError when it cannot.
    virtual ProcessId StartProcess(std::wstring_view commandLine, ShowStyle style, std::wstring_view folder) = 0;
    virtual void HideWindow(WindowId window) = 0;
    virtual void RestoreWindow(WindowId window) = 0;
    virtual void PostClose(WindowId window) = 0;
    // Asks for window to become the foreground window and waits at most
    // timeoutMs for it; true once it is.
    virtual bool BringToForeground(WindowId window, int timeoutMs) = 0;
    virtual void SendKeyA() = 0;
    // Tells the window notify when process ends, by posting it message with
    // the process id as wParam; the process watched before is let go. A
    // process this system started is watched from its start, so its id can
    // never stand for another. 0 watches nothing.
    virtual void WatchPlayer(ProcessId process, WindowId notify, unsigned message) = 0;
};

inline constexpr std::wstring_view kIdleCaption = L"Velmoria";

inline constexpr std::wstring_view kSelectSpcMessage = L"Please select an SPC to play.";
inline constexpr std::wstring_view kStopFirstMessage = L"Hit that little stop button\nbefore playing the next song!";
inline constexpr std::wstring_view kErrorMessage = L"Error!";

// How long a stop waits for SPCPlay's window to take the foreground before it
// gives up rather than type into another program. It returns as soon as the
// window is in front; the bound only matters on a machine under load.
inline constexpr int kForegroundWaitMs = 2000;
// The largest file copied as a song: an SPC file is under 128 KiB.
inline constexpr unsigned long kSongCopyMaxBytes = 128 * 1024;
// How long a play waits for a new SPCPlay's window, to hide it.
inline constexpr int kPlayerWindowWaitMs = 2000;

// Everything a play needs to know of the window, taken at once.
struct PlayRequest {
    std::wstring song;  // the selected file's name; empty when none is selected
    std::wstring folder;
    SpcPlayOptions options;
    bool running = false;  // a player this program started or adopted runs now
};

// What the window is to do after a request.
struct PlayOutcome {
    std::optional<std::wstring> caption;  // the new caption, when it changed
    std::wstring message;                 // a message to show; empty for none
    MessageIcon icon = MessageIcon::None;
    ProcessId player = 0;         // a player process now running, to be watched; 0 for none
    bool takeForeground = false;  // a player took the foreground: the window takes it back
    bool refreshList = false;     // the song has gone since the list was filled
    bool songFailed = false;      // the song, not the player, failed: gone, unreadable or not to be copied
};

class PlayControl {
public:
    PlayControl(PlayerSystem& system, Player player);

    // The play request; never throws: failures end in a message.
    PlayOutcome Play(const PlayRequest& request);
    // The stop request, given whether a player runs; never throws.
    PlayOutcome Stop(bool running);
    // At start-up: a player of the chosen kind that an earlier run left
    // playing becomes this run's player, so that Stop reaches it.
    PlayOutcome AdoptRunningPlayer();

    ProcessId spcPlayTaskId() const { return spcPlayTaskId_; }
    const Player& player() const { return player_; }

private:
    void DoPlay(const PlayRequest& request, PlayOutcome& outcome);
    void DoStop(bool running, PlayOutcome& outcome);
    ProcessId Start(std::wstring_view commandLine, PlayOutcome& outcome);
    bool StopWithKeyA();
    WindowId FindPlayerWindow(ProcessId process = 0);

    PlayerSystem& system_;
    Player player_;
    std::wstring exeName_;  // the player's file name, which its windows' process must run
    std::wstring folder_;   // the player's own folder, where it is started
    ProcessId spcPlayTaskId_ = 0;
    ProcessId started_ = 0;  // the player process started last
    ProcessId closing_ = 0;  // the player process last asked to close
};

}  // namespace velmoria

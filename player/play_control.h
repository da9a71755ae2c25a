// Starting and stopping the players. The decisions live here, apart from any
// window: the main window and the operating system are reached through the two
// small interfaces below, which the program implements over Win32 and the
// native tests implement with fakes.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/message_icon.h"
#include "player/command_line.h"

namespace velmoria {

using ProcessId = std::uint32_t;
using WindowId = std::uintptr_t;  // an HWND's value; 0 is no window

// The values are Win32's SW_ codes, handed to the new process as they are.
enum class ShowStyle : int {
    NormalActivated = 1,      // SW_SHOWNORMAL
    MinimizedNoActivate = 7,  // SW_SHOWMINNOACTIVE: Velmoria keeps the foreground
};

// How a player is driven. A file named SPCPLAY.EXE is one of two programs:
// the classic SPCPlay, or today's SNES SPC700 Player, a single-instance
// program that takes one quoted path and ends on "-q".
enum class PlayerProtocol {
    Classic,
    CurrentSpcPlay,
};

// The version resource's FileDescription that marks today's SPCPLAY.EXE.
inline constexpr std::wstring_view kCurrentSpcPlayDescription = L"SNES SPC700 Player";
// The class of its main window; its title says nothing the classic search finds.
inline constexpr std::wstring_view kCurrentSpcPlayClass = L"SSDLabo_SPCPLAY";

// The protocol of a stored player, from its path and its exe's FileDescription.
PlayerProtocol ProtocolOf(std::wstring_view playerPath, std::wstring_view fileDescription);

// A failure the play request reports as "Error!".
class PlayerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The main window as the play and stop requests see it.
class PlayerView {
public:
    virtual ~PlayerView() = default;
    virtual std::wstring Caption() const = 0;
    virtual void SetCaption(std::wstring_view caption) = 0;
    virtual std::wstring SelectedSpcFile() const = 0;  // empty when none is selected
    virtual std::wstring SpcFolder() const = 0;
    virtual SpcPlayOptions Options() const = 0;
    virtual void ShowMessage(std::wstring_view text, MessageIcon icon) = 0;
    // Puts the main window back in front after a player took the foreground.
    virtual void TakeForeground() = 0;
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
    // ready for input and has made a matching window, at most timeoutMs,
    // keeping this program's windows painted meanwhile. 0 when none came.
    virtual WindowId WaitForWindow(std::wstring_view search, std::int32_t mode, ProcessId process,
                                   std::wstring_view exeName, int timeoutMs) = 0;
    // The first top-level window of a class whose process runs exeName.
    virtual WindowId FindClassWindow(std::wstring_view className, std::wstring_view exeName) = 0;
    virtual ProcessId WindowProcess(WindowId window) = 0;
    // The FileDescription in an exe's version resource; empty when it has none.
    virtual std::wstring FileDescription(std::wstring_view exePath) = 0;
    // Starts a process without waiting for it; throws PlayerError when it cannot.
    virtual ProcessId StartProcess(std::wstring_view commandLine, ShowStyle style) = 0;
    virtual void HideWindow(WindowId window) = 0;
    virtual void RestoreWindow(WindowId window) = 0;
    virtual void PostClose(WindowId window) = 0;
    // Asks for window to become the foreground window and waits at most
    // timeoutMs for it; true once it is.
    virtual bool BringToForeground(WindowId window, int timeoutMs) = 0;
    virtual void SendKeyA() = 0;
};

inline constexpr std::wstring_view kIdleCaption = L"Velmoria";
inline constexpr std::wstring_view kRunningSpcPlay = L"[Running SPCPlay]";
inline constexpr std::wstring_view kRunningWinSpc = L"[Running WinSPC]";
inline constexpr std::wstring_view kRunningZdSpc = L"[Running ZD-SPC]";

inline constexpr std::wstring_view kSelectSpcMessage = L"Please select an SPC to play.";
inline constexpr std::wstring_view kStopFirstMessage = L"Hit that little stop button\nbefore playing the next song!";
inline constexpr std::wstring_view kErrorMessage = L"Error!";

// How long a stop waits for SPCPlay's window to take the foreground before it
// gives up rather than type into another program. It returns as soon as the
// window is in front; the bound only matters on a machine under load.
inline constexpr int kForegroundWaitMs = 2000;
// How long a play waits for a new SPCPlay's window, to hide it.
inline constexpr int kPlayerWindowWaitMs = 2000;

class PlayControl {
public:
    PlayControl(PlayerView& view, PlayerSystem& system, std::wstring playerPath,
                PlayerProtocol protocol = PlayerProtocol::Classic);

    // The play request: never throws; failures end in a message.
    void cmdPlay_Click();
    // The stop request as the user makes it: never throws.
    void cmdStop_Click();
    // At start-up: a player of the chosen kind that an earlier run left
    // playing becomes this run's player, so that Stop reaches it.
    void AdoptRunningPlayer();

    ProcessId spcPlayTaskId() const { return spcPlayTaskId_; }
    const std::wstring& playerPath() const { return playerPath_; }

private:
    void Play();
    void Stop();  // may throw; the launcher's caller reports it
    void StopSpcPlay();
    void PlayCurrentSpcPlay(const std::wstring& spcPath);
    void StopCurrentSpcPlay();
    void KillZDSpc();
    WindowId FindZdSpc();
    WindowId FindCurrentSpcPlay();
    WindowId Find(std::wstring_view search, std::int32_t mode, ProcessId process = 0);

    PlayerView& view_;
    PlayerSystem& system_;
    std::wstring playerPath_;
    PlayerProtocol protocol_;
    std::wstring exeName_;  // the player's file name, which its windows' process must run
    ProcessId spcPlayTaskId_ = 0;
};

}  // namespace velmoria

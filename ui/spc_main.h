// SpcMain, the main window: the SPC browsing lists on the left; the SPCPlay
// options, the play picture and the Stop button on the right. A handler
// hands the play session one event and carries out the step it answers
// with; the play control's requests run on a pool thread meanwhile. Handlers
// are named after their control and event (cmdPlay_Click).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/program.h"
#include "app/startup.h"
#include "browse/browse_lists.h"
#include "player/play_control.h"
#include "player/play_session.h"
#include "wintk/dialog_window.h"
#include "wintk/foreground_watch.h"
#include "wintk/picture.h"
#include "wintk/pool_job.h"
#include "wintk/win_handles.h"

namespace velmoria {

// Client widths of the two modes, in twips: the whole layout, or only the
// "SPC Select" frame (which ends at 1875).
inline constexpr int kNormalClientWidthTwips = 3615;
inline constexpr int kCompactClientWidthTwips = 1880;
inline constexpr int kClientHeightTwips = 3750;

inline constexpr std::wstring_view kCompressedCaption = L"Compressed &Mode";
inline constexpr std::wstring_view kNothingThereMessage = L"There is no folder or SPC file at\n";
inline constexpr std::wstring_view kNormalCaption = L"Normal &Mode";

class SpcMain final : public DialogWindow, private BrowseEvents {
public:
    explicit SpcMain(Program& program);
    ~SpcMain() override;

    // Creates the window, hidden, with every control and the browsing lists
    // at the working folder.
    bool Create();
    // The start-up sequence, before the window is first shown. False when the
    // program must end without showing it.
    bool Form_Load();
    // Opens a folder, or an SPC file's folder with the file selected, given
    // from outside (the last folder, a test); a file is played too when play
    // is set. Looked at on a pool thread: nothing changes for a path that is
    // neither, nor until the lookup is back.
    void OpenPath(std::wstring_view path, bool play);
    // The folder or song a command line names ("Open with", a shortcut, or
    // another start of Velmoria): opened, and a song played. A path that
    // names nothing is said so.
    void OpenCommandLine(std::wstring_view commandLine);
    // Reads the current folder again on a pool thread, for both lists: a
    // song has gone or come since they were filled.
    void RereadFolder();
    // Shows the window and runs the program until it closes.
    void Show();
    int Run();

    // Event handlers.
    void cmdPlay_Click();
    void cmdStop_Click();
    void spcDrive_Change();
    void spcDirectory_Change();
    void spcFile_DblClick();
    void spcFile_KeyPress(short& keyAscii);
    void spcFile_MouseDown(short button, short shift, float x, float y);
    void mnuChoose_Click();
    void mnuCompressed_Click();
    void mnuTitles_Click();
    void mnuOpenWith_Click();  // Velmoria offered in Explorer's Open With, or no longer
    void mnuPlayAll_Click();
    void mnuNext_Click();
    void mnuPrevious_Click();
    void mnuShuffle_Click();
    void mnuRepeat_Click();
    bool PlaysThrough() const { return session_ && session_->PlaysThrough(); }
    // Started from its own folder without a folder or song (as from the
    // Start menu, where no songs are): the lists open where the user left off.
    void OpenLastFolder();
    void mnuExit_Click();
    void mnuAbout_Click();
    void mnuCredits_Click();
    void mnuPlay_Click();
    void mnuStop_Click();

    // State that tests and the start-up sequence look at.
    const DriveList& spcDrive() const { return spcDrive_; }
    const FolderList& spcDirectory() const { return spcDirectory_; }
    const FileList& spcFile() const { return spcFile_; }
    FileList& spcFile() { return spcFile_; }
    HMENU mnuSPC() const;
    HACCEL accelerators() const { return accelerators_; }
    std::wstring MenuCaption(int id) const;
    ProcessId spcPlayTaskId() const { return play_ ? play_->spcPlayTaskId() : 0; }
    // The player process last started or adopted, until the window hears
    // that it has ended; 0 for none.
    ProcessId runningPlayer() const { return session_ ? session_->player() : 0; }
    // Whether a request of the play control is out on the pool.
    bool PlayPending() const { return session_ && session_->busy(); }

private:
    void OnCreate() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnDrawItem(const DRAWITEMSTRUCT& item) override;  // the play picture
    void OnClose() override { mnuExit_Click(); }
    void OnDropFiles(const std::vector<std::wstring>& paths) override;
    void OnDestroyed() override;
    void OnLayout() override;
    bool OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCopyData(HWND from, const COPYDATASTRUCT& data) override;
    void OnHotKey(int id) override;
    void OnActivateApp(bool active) override;
    void OnEndSession() override { StoreChoices(false); }

    // BrowseEvents
    void OnDriveChange() override { spcDrive_Change(); }
    void OnFolderChange() override { spcDirectory_Change(); }
    void OnFileKeyPress(short& keyAscii) override { spcFile_KeyPress(keyAscii); }
    void OnFileMouseDown(short button, short shift, float x, float y) override {
        spcFile_MouseDown(button, shift, x, y);
    }
    void OnFileMenuKey(POINT at) override;
    void OnUnreadableSet(const std::wstring& message) override { ShowOneMessage(message, MessageIcon::Stop); }
    // The file list's popup for the selected song, at a point on the screen.
    void ShowSpcPopup(POINT at);

    bool GoTo(const BrowseTarget& target, bool play);
    void OnLookedAt();
    // Looks at paths from outside on a pool thread (a path on an unreachable
    // share waits out the network's timeout) and goes to the first that is a
    // folder or a song, as then says.
    struct LookedAt;
    void LookUp(std::vector<std::wstring> paths, LookedAt then);
    // Posted by the player watch when the player's process has ended.
    static constexpr UINT kPlayerEnded = WM_APP + 1;
    // Posted from pool threads and watches; what they found waits in the inbox.
    static constexpr UINT kLookedAt = WM_APP + 2;
    static constexpr UINT kForegroundNews = WM_APP + 3;  // who is in front changed
    static constexpr UINT kThroughTick = WM_APP + 4;
    static constexpr UINT kSongRead = WM_APP + 5;
    static constexpr UINT kPlayDone = WM_APP + 6;  // the play control's request is done
    static constexpr UINT_PTR kThroughTimer = 2, kForegroundTimer = 3;
    // A tick of the play-through; how long the foreground is watched after a player let it go, and looked at.
    static constexpr UINT kThroughTickMs = 250, kForegroundWatchMs = 8000, kForegroundLookMs = 100;

    void Carry(SessionStep step);
    void RunPlayJob(std::function<PlayOutcome()> request);
    void ReadSong(unsigned number, std::wstring path);
    void ShowNowPlaying();
    void ShowOneMessage(std::wstring_view text, MessageIcon icon);
    void HoldMediaKeys(bool hold);
    void WatchForeground();
    void TakeKeyboardBack();
    void OnPlayDone();
    void ToggleChoice(bool& choice, int id);

    void CreateControls();
    HMENU MenuOf(int id) const;
    std::wstring MenuText(int id) const;  // with the shortcut after its tab
    void SetMenuCaption(int id, std::wstring_view caption);
    // The compact-mode toggle; a failed write reaches the caller as SettingsWriteError.
    void ToggleCompact();
    void ApplyStartOptions(bool spcPlayOptions);
    void ShowTitles(bool on);
    // Writes the choices file; a failure is told when tell is set, traced otherwise.
    void StoreChoices(bool tell);

    PlayRequest Request() const;

    Program& program_;
    DriveList spcDrive_{*this};
    FolderList spcDirectory_{*this};
    FileList spcFile_{*this};
    std::optional<PlayControl> play_;
    std::optional<PlaySession> session_;
    // A path from outside looked at, and what to do with it.
    struct LookedAt {
        std::optional<BrowseTarget> target;  // none: nothing there
        bool play = false;
        bool toFront = false;  // a drop: Explorer kept the foreground
        std::wstring missing;  // what to say when there was nothing there; empty for nothing
    };
    // What pool threads hand back: the play control's outcome, songs' tags, paths from outside looked at.
    struct Inbox {
        std::mutex mutex;
        std::optional<PlayOutcome> outcome;
        std::vector<LookedAt> lookedAt;  // paths from outside, in the order the lookups ended
        std::vector<std::tuple<unsigned, std::wstring, int>> songs;  // number, title, length in ms
    };
    std::shared_ptr<Inbox> inbox_ = std::make_shared<Inbox>();
    HWND focusBeforePlay_ = nullptr;  // where the keyboard goes back to after a player took it
    std::optional<ForegroundWatch> foregroundWatch_;
    std::uint64_t watchEndsAt_ = 0;
    bool messageOpen_ = false;  // a message of the play is up: no second one on top of it
    bool closeAfterStop_ = false;  // Exit waits for the play-through's player to be stopped
    bool keysHeld_ = false;  // the media keys are registered
    int resumeWith_ = 0;  // after Play/Pause stopped a play: the command it plays on with (IDC_cmdPlay, ID_mnuPlayAll)
    UniqueMenu popupMenus_;
    HACCEL accelerators_ = nullptr;  // resource accelerators need no freeing
    ScaledPicture pip_;
    PoolJob playJob_;  // last: it waits for a request under way before the members it uses go
};

}  // namespace velmoria

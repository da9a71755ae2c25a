// The operating system as the play and stop requests use it, over Win32.
#pragma once

#include <memory>

#include "player/play_control.h"
#include "wintk/process_watch.h"
#include "wintk/run_folder.h"
#include "wintk/win_handles.h"

namespace velmoria {

class Win32PlayerSystem : public PlayerSystem {
public:
    // tempBase: where this run's folder of song copies goes; empty for the
    // user's temporary folder.
    explicit Win32PlayerSystem(std::wstring_view tempBase = {});
    std::wstring ShortPathName(std::wstring_view path) override;
    WindowId FindTitledWindow(std::wstring_view search, std::int32_t mode, ProcessId process,
                              std::wstring_view exeName) override;
    WindowId WaitForWindow(std::wstring_view search, std::int32_t mode, ProcessId process, std::wstring_view exeName,
                           int timeoutMs) override;
    WindowId FindClassWindow(std::wstring_view className, std::wstring_view exeName) override;
    ProcessId WindowProcess(WindowId window) override;
    std::wstring FileDescription(std::wstring_view exePath) override;
    bool SongExists(std::wstring_view path) override;
    bool FitsCodePage(std::wstring_view text) override;
    std::wstring PlainCopy(std::wstring_view songPath) override;
    // Removes the copies earlier runs left that no player holds open now,
    // and nothing else.
    static void ClearOldSongCopies(std::wstring_view tempBase = {});
    ProcessId StartProcess(std::wstring_view commandLine, ShowStyle style, std::wstring_view folder) override;
    void HideWindow(WindowId window) override;
    void RestoreWindow(WindowId window) override;
    void PostClose(WindowId window) override;
    bool BringToForeground(WindowId window, int timeoutMs) override;
    void SendKeyA() override;
    void WatchPlayer(ProcessId process, WindowId notify, unsigned message) override;

private:
    // The process started last, kept open until the next start or watch.
    UniqueKernelHandle lastStarted_;
    ProcessId lastStartedId_ = 0;
    std::unique_ptr<ProcessWatch> watch_;
    RunFolder copies_;  // this run's song copies, removed at exit
};

}  // namespace velmoria

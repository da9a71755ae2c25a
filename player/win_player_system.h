// The operating system as the play and stop requests use it, over Win32.
#pragma once

#include "player/play_control.h"

namespace velmoria {

class Win32PlayerSystem : public PlayerSystem {
public:
    std::wstring ShortPathName(std::wstring_view path) override;
    WindowId FindTitledWindow(std::wstring_view search, std::int32_t mode, ProcessId process,
                              std::wstring_view exeName) override;
    WindowId WaitForWindow(std::wstring_view search, std::int32_t mode, ProcessId process, std::wstring_view exeName,
                           int timeoutMs) override;
    WindowId FindClassWindow(std::wstring_view className, std::wstring_view exeName) override;
    ProcessId WindowProcess(WindowId window) override;
    std::wstring FileDescription(std::wstring_view exePath) override;
    ProcessId StartProcess(std::wstring_view commandLine, ShowStyle style) override;
    void HideWindow(WindowId window) override;
    void RestoreWindow(WindowId window) override;
    void PostClose(WindowId window) override;
    bool BringToForeground(WindowId window, int timeoutMs) override;
    void SendKeyA() override;
};

}  // namespace velmoria

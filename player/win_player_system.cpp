#include "player/win_player_system.h"

#include <windows.h>

#include <string>

#include "app/win_handles.h"
#include "player/win_routines.h"

namespace velmoria {
namespace {

HWND ToHwnd(WindowId window) { return reinterpret_cast<HWND>(window); }

}  // namespace

std::wstring Win32PlayerSystem::ShortPathName(std::wstring_view path) { return velmoria::ShortPathName(path); }

WindowId Win32PlayerSystem::FindTitledWindow(std::wstring_view search, std::int32_t mode, ProcessId process) {
    return reinterpret_cast<WindowId>(velmoria::FindTitledWindow(search, mode, process));
}

ProcessId Win32PlayerSystem::StartProcess(std::wstring_view commandLine, ShowStyle style) {
    std::wstring line(commandLine);  // CreateProcessW may write into the command line
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(style);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        throw PlayerError("the player could not be started");
    }
    // The player is not ours to wait for or watch: only its identifier is kept.
    UniqueKernelHandle thread(process.hThread);
    UniqueKernelHandle handle(process.hProcess);
    return process.dwProcessId;
}

void Win32PlayerSystem::HideWindow(WindowId window) { ::ShowWindow(ToHwnd(window), SW_HIDE); }

void Win32PlayerSystem::RestoreWindow(WindowId window) { ::ShowWindow(ToHwnd(window), SW_RESTORE); }

void Win32PlayerSystem::PostClose(WindowId window) { ::PostMessageW(ToHwnd(window), WM_CLOSE, 0, 0); }

bool Win32PlayerSystem::BringToForeground(WindowId window, int timeoutMs) {
    const HWND hwnd = ToHwnd(window);
    ::SetForegroundWindow(hwnd);
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (::GetForegroundWindow() != hwnd) {
        if (!::IsWindow(hwnd) || ::GetTickCount64() >= deadline) return false;
        ::Sleep(10);
    }
    return true;
}

void Win32PlayerSystem::SendKeyA() {
    INPUT keys[2]{};
    keys[0].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = 'A';
    keys[1] = keys[0];
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
}

}  // namespace velmoria

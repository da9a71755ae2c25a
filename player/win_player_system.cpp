#include "player/win_player_system.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "base/paths.h"
#include "wintk/win_handles.h"
#include "player/win_routines.h"
#include "wintk/win_text.h"

namespace velmoria {
namespace {

HWND ToHwnd(WindowId window) { return reinterpret_cast<HWND>(window); }

// How long a started player may take to be ready for input.
constexpr ULONGLONG kReadyWaitMs = 5000;

// Failures of a start that another try cannot mend: the program is not
// there, not to be run by this user, or no program of this system.
bool IsLastingStartError(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
    case 740:  // ERROR_ELEVATION_REQUIRED, which not every SDK names
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
        return true;
    default:
        return false;
    }
}

}  // namespace

std::wstring Win32PlayerSystem::ShortPathName(std::wstring_view path) { return velmoria::ShortPathName(path); }

WindowId Win32PlayerSystem::FindTitledWindow(std::wstring_view search, std::int32_t mode, ProcessId process,
                                             std::wstring_view exeName) {
    return reinterpret_cast<WindowId>(velmoria::FindTitledWindow(search, mode, process, exeName));
}

WindowId Win32PlayerSystem::WaitForWindow(std::wstring_view search, std::int32_t mode, ProcessId process,
                                          std::wstring_view exeName, int timeoutMs) {
    const UniqueKernelHandle handle(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (!handle) return 0;
    // On a loaded machine the player's own start-up can take longer than the
    // wait for its window: that wait counts from when it is ready for input,
    // which is itself waited for at most kReadyWaitMs.
    ULONGLONG deadline = ::GetTickCount64() + kReadyWaitMs + static_cast<ULONGLONG>(timeoutMs);
    auto remaining = [&deadline] {
        const ULONGLONG now = ::GetTickCount64();
        return now >= deadline ? 0u : static_cast<DWORD>(deadline - now);
    };
    bool idle = false;
    // This runs on a pool thread: it may simply wait, on the player's end
    // or on a short while before it looks again.
    HWND found = nullptr;
    while (true) {
        // A window is taken once its player has shown it: hidden before
        // that, the player's own ShowWindow would show it again.
        if ((found = velmoria::FindTitledWindow(search, mode, process, exeName)) && ::IsWindowVisible(found)) {
            return reinterpret_cast<WindowId>(found);
        }
        if (remaining() == 0) return reinterpret_cast<WindowId>(found);
        // Ready for input usually means its main window exists.
        if (!idle && ::WaitForInputIdle(handle.get(), std::min<DWORD>(remaining(), 50)) != WAIT_TIMEOUT) {
            idle = true;
            deadline = std::min(deadline, ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs));
        }
        if (::WaitForSingleObject(handle.get(), std::min<DWORD>(remaining(), 20)) == WAIT_OBJECT_0) return 0;  // ended
    }
}

WindowId Win32PlayerSystem::FindClassWindow(std::wstring_view className, std::wstring_view exeName) {
    return reinterpret_cast<WindowId>(velmoria::FindClassWindow(className, exeName));
}

std::wstring Win32PlayerSystem::FileDescription(std::wstring_view exePath) {
    return velmoria::FileDescription(exePath);
}

ProcessId Win32PlayerSystem::WindowProcess(WindowId window) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(ToHwnd(window), &process);
    return process;
}

bool Win32PlayerSystem::SongExists(std::wstring_view path) {
    const DWORD attributes = ::GetFileAttributesW(VerbatimPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32PlayerSystem::FitsCodePage(std::wstring_view text) { return ToAnsi(text).has_value(); }

namespace {

constexpr std::wstring_view kSongCopyPrefix = L"Velmoria-songs-";

// "song" and eight lower-case hex digits, ".spc": the copies' names, which
// alone are ever deleted.
bool IsSongCopyName(std::wstring_view name) {
    constexpr std::wstring_view head = L"song", tail = L".spc";
    if (name.size() != head.size() + 8 + tail.size() || !name.starts_with(head) || !name.ends_with(tail)) return false;
    for (const wchar_t c : name.substr(head.size(), 8)) {
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
    }
    return true;
}

// The song's bytes, refused past kSongCopyMaxBytes: what claims to be a
// song but is far larger is none, and is not copied.
std::string ReadSongForCopy(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(VerbatimPath(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size)) throw SongError("the song cannot be read", ::GetLastError());
    if (size.QuadPart > static_cast<LONGLONG>(kSongCopyMaxBytes)) throw SongError("too large for a song");
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size()) {
        throw SongError("the song cannot be read", ::GetLastError());
    }
    return bytes;
}

}  // namespace

Win32PlayerSystem::Win32PlayerSystem(std::wstring_view tempBase) : copies_(kSongCopyPrefix, IsSongCopyName, tempBase) {}

std::wstring Win32PlayerSystem::PlainCopy(std::wstring_view songPath) {
    const std::string bytes = ReadSongForCopy(std::wstring(songPath));
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[32];
        ::wsprintfW(name, L"song%08x.spc", static_cast<unsigned>(::GetTickCount()) + attempt);
        if (copies_.WriteNew(name, bytes)) {
            const std::wstring shortPath = velmoria::ShortPathName(JoinPath(copies_.Path(), name));
            if (!shortPath.empty() && shortPath.find(L' ') == std::wstring::npos && FitsCodePage(shortPath)) return shortPath;
            break;  // a temporary folder no classic player can reach: cleared at exit
        }
        if (copies_.Path().empty() || ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    throw SongError("no plain copy of the song", ::GetLastError());
}

void Win32PlayerSystem::ClearOldSongCopies(std::wstring_view tempBase) {
    ClearEarlierRunFolders(kSongCopyPrefix, IsSongCopyName, tempBase);
}

ProcessId Win32PlayerSystem::StartProcess(std::wstring_view commandLine, ShowStyle style, std::wstring_view folder) {
    std::wstring line(commandLine);  // CreateProcessW may write into the command line
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(style);
    PROCESS_INFORMATION process{};
    // In its own folder, as a double-click on it would: an old player looks
    // for its DLLs and files there.
    const std::wstring workingFolder(folder);
    // A start can fail for a moment (a machine short of memory, a loader
    // that lost a race), and a play-through would end on it: such a failure
    // is tried again after a short while. One that lasts is not.
    for (int attempt = 0;; ++attempt) {
        if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &process)) {
            break;
        }
        const DWORD error = ::GetLastError();
        if (attempt == 2 || IsLastingStartError(error)) throw PlayerError("the player could not be started", error);
        ::Sleep(100);
        line = commandLine;
    }
    UniqueKernelHandle thread(process.hThread);
    // Kept, so that a watch of it cannot meet another process with its id.
    lastStarted_.reset(process.hProcess);
    lastStartedId_ = process.dwProcessId;
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

void Win32PlayerSystem::WatchPlayer(ProcessId process, WindowId notify, unsigned message) {
    watch_.reset();
    if (process == 0) return;
    UniqueKernelHandle handle;
    if (process == lastStartedId_ && lastStarted_) {
        handle = std::move(lastStarted_);
        lastStartedId_ = 0;
    } else {
        handle.reset(::OpenProcess(SYNCHRONIZE, FALSE, process));
    }
    if (!handle) return;
    watch_ = std::make_unique<ProcessWatch>(std::move(handle), process, ToHwnd(notify), message);
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

// Helpers for the tests that run under Wine (or on Windows): real folders and
// files, the message loop, real input, message boxes and the stand-in players.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmoria::test {

using namespace std::chrono_literals;

// A fresh folder under C:\velmoria-tests, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(std::wstring_view name);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring operator/(std::wstring_view name) const;

private:
    void Clear() const;
    std::wstring path_;
};

void MakeFolder(const std::wstring& path);
void WriteBytes(const std::wstring& path, std::string_view bytes);
std::string ReadBytes(const std::wstring& path);  // "<missing>" when absent
std::vector<std::wstring> FilesMatching(const std::wstring& folder, std::wstring_view pattern = L"*");  // sorted, no folders
std::string Ascii(std::wstring_view text);
std::wstring ShortForm(const std::wstring& path);
// A minimal SPC file with an ID666 tag naming the song and the game.
std::string SpcFileBytes(std::string_view song, std::string_view game);

// Runs this thread's message loop, as the program's loop does, until done().
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s,
               HWND acceleratorWindow = nullptr, HACCEL accelerators = nullptr);
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s);  // without pumping

void ClickAt(POINT screen, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP);
void DoubleClickAt(POINT screen);
void MoveMouseTo(POINT screen);
void PressKey(WORD virtualKey, bool ctrl = false, bool shift = false);
POINT CentreOf(HWND window);
HWND FocusOf(HWND window);   // the focus in the window's thread
RECT ChildRect(HWND child);  // in the parent's client coordinates
std::wstring WindowText(HWND window);
// A visible top-level window of a process, by title (any when empty).
HWND FindProcessWindow(DWORD process, std::wstring_view title = {});
bool ProcessRunning(DWORD process);
// Starts a program from a command line in a working folder (empty: this
// process's); the process handle, null when it could not start.
HANDLE StartProgram(std::wstring commandLine, const std::wstring& folder = {}, DWORD* id = nullptr);

struct CaughtBox {
    std::wstring title;
    std::wstring text;
    enum class Icon { None, Question, Stop } icon = Icon::None;
};

// Reads and answers every message box of this process while it lives.
class MessageBoxCatcher {
public:
    MessageBoxCatcher();
    ~MessageBoxCatcher();
    std::vector<CaughtBox> boxes() const;
    std::vector<std::wstring> texts() const;
    void Clear();

private:
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<CaughtBox> boxes_;
    std::thread thread_;
};

// The stand-in players copied into a folder, what each logged beside itself,
// and their windows. The destructor ends those still running.
class StandIns {
public:
    explicit StandIns(std::wstring folder);
    ~StandIns();
    std::wstring Path(std::wstring_view name) const;  // "SPCPLAY" -> <folder>\SPCPLAY.EXE
    std::wstring Log(std::wstring_view name) const;
    std::vector<std::wstring> CommandLines(std::wstring_view name) const;
    std::vector<int> ShowStates(std::wstring_view name) const;
    std::vector<DWORD> ProcessIds(std::wstring_view name) const;
    bool WaitForLog(std::wstring_view name, std::wstring_view text) const;
    // The player window (shown or hidden) of the last start of name, once it has one.
    HWND WindowOfLast(std::wstring_view name) const;
    // Another program with a player's title: the stand-in `like` under another exe name.
    HWND StartBystander(std::wstring_view like, std::wstring_view name, std::wstring_view title);
    void EndAll() const;

private:
    std::wstring folder_;
    // Today's SPCPLAY.EXE is current\SPCPLAY.
    std::vector<std::wstring> names_{L"SPCPLAY", L"WINSPC", L"ZDSPC", L"current\\SPCPLAY"};
};

// Runs an action on a helper thread while the test thread waits in a modal window.
class Background {
public:
    explicit Background(std::function<void()> action) : thread_(std::move(action)) {}
    ~Background() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::thread thread_;
};

}  // namespace velmoria::test

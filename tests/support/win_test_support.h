// Helpers for the tests that run under Wine (or on Windows): real folders and
// files, the message loop, real mouse and keyboard input, the program's
// message boxes, and the stand-in players.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace velmoria::test {

using namespace std::chrono_literals;

// A fresh folder under C:\velmoria-tests (or another parent), removed with
// everything in it.
class TempFolder {
public:
    explicit TempFolder(std::wstring_view name = L"t", std::wstring_view parent = L"C:\\velmoria-tests");
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    const std::wstring& path() const { return path_; }
    std::wstring operator/(std::wstring_view name) const;

private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& path);
void MakeFolder(const std::wstring& path);
void WriteBytes(const std::wstring& path, std::string_view bytes);
std::string ReadBytes(const std::wstring& path);  // "<missing>" when absent
bool Exists(const std::wstring& path);
std::vector<std::wstring> FilesMatching(const std::wstring& pattern);  // names, folders left out
std::string Ascii(std::wstring_view text);
std::wstring ShortForm(const std::wstring& path);
// A minimal SPC file with an ID666 tag naming the song and the game.
std::string SpcFileBytes(std::string_view song, std::string_view game);

// Runs this thread's message loop (accelerators and dialog keys included, as
// the program's loop does) until done() or the timeout.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s,
               HWND acceleratorWindow = nullptr, HACCEL accelerators = nullptr);
void PumpFor(std::chrono::milliseconds duration);
// Waits without pumping until done() or the timeout.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s);

// Real input, as a user's hand gives it.
void ClickAt(POINT screen, DWORD downFlag = MOUSEEVENTF_LEFTDOWN, DWORD upFlag = MOUSEEVENTF_LEFTUP);
void DoubleClickAt(POINT screen);
void PressKey(WORD virtualKey, bool ctrl = false);
POINT CentreOf(HWND window);
HWND FocusOf(HWND window);  // the focus in the window's thread
RECT ChildRect(HWND child);  // in the parent's client coordinates
std::wstring WindowText(HWND window);

// A message box this process showed.
struct CaughtBox {
    std::wstring title;
    std::wstring text;
    enum class Icon { None, Question, Stop } icon = Icon::None;
    HWND owner = nullptr;
};

// Reads and answers (OK) every message box of this process until destroyed,
// so that a test never waits on one.
class MessageBoxCatcher {
public:
    MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;
    ~MessageBoxCatcher();
    std::vector<CaughtBox> boxes() const;
    std::vector<std::wstring> texts() const;
    bool WaitFor(std::size_t count, std::chrono::milliseconds timeout = 10s) const;
    void Clear();

private:
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<CaughtBox> boxes_;
    std::thread thread_;
};

// A visible top-level window of a process whose title is title (any title
// when empty) and, when given, whose class is className.
HWND FindProcessWindow(DWORD process, std::wstring_view title = {}, std::wstring_view className = {});
bool ProcessRunning(DWORD process);

// The stand-in players, copied into a folder: what each logged (beside
// itself) and its windows. EndAll ends those still running.
class StandIns {
public:
    explicit StandIns(std::wstring folder);
    StandIns(const StandIns&) = delete;
    StandIns& operator=(const StandIns&) = delete;
    ~StandIns() { EndAll(); }

    std::wstring Path(std::wstring_view name) const;  // "SPCPLAY" -> <folder>\SPCPLAY.EXE
    std::wstring Log(std::wstring_view name) const;
    std::vector<std::wstring> CommandLines(std::wstring_view name) const;
    std::vector<int> ShowStates(std::wstring_view name) const;
    std::vector<DWORD> ProcessIds(std::wstring_view name) const;
    bool WaitForLog(std::wstring_view name, std::wstring_view text, std::chrono::milliseconds timeout = 10s) const;
    // The player window (its own class, shown or hidden) of the last start of
    // name, once it has one; null after the timeout.
    HWND WindowOfLast(std::wstring_view name, std::chrono::milliseconds timeout = 10s) const;
    // Another program carrying a player's title: a copy of the stand-in
    // `like` under the exe name `name`. Returns its window once shown.
    HWND StartBystander(std::wstring_view like, std::wstring_view name, std::wstring_view title);
    void EndAll() const;

private:
    std::wstring folder_;
    std::vector<std::wstring> names_{L"SPCPLAY", L"WINSPC", L"ZDSPC"};
};

// Runs an action on a helper thread while the test thread waits in a modal
// window.
class Background {
public:
    explicit Background(std::function<void()> action) : thread_(std::move(action)) {}
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;
    ~Background() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::thread thread_;
};

}  // namespace velmoria::test

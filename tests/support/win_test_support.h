// Helpers for the tests that run under Wine (or on Windows): real folders and
// files, the message loop, real mouse and keyboard input, and a catcher that
// reads and answers the program's message boxes while a handler waits in one.
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

// A fresh folder (under C:\velmoria-tests unless another parent is given),
// removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(std::wstring_view name = L"t");
    TempFolder(std::wstring_view parent, std::wstring_view name);
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    const std::wstring& path() const { return path_; }
    std::wstring operator/(std::wstring_view name) const;

private:
    std::wstring path_;
};

// "V:\" when the test command prepared the spare drive V: (a drive whose
// root is a folder of the tests' own), otherwise empty.
std::wstring SpareDriveRoot();

void RemoveTree(const std::wstring& path);
void WriteBytes(const std::wstring& path, std::string_view bytes);
std::string ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);
// The names of the files a wildcard pattern matches.
std::vector<std::wstring> FilesMatching(const std::wstring& pattern);
// Text of plain ASCII as the bytes a settings file holds.
std::string Ascii(std::wstring_view text);
void MakeFolder(const std::wstring& path);
// A minimal SPC file with an ID666 tag naming the song and the game.
std::string SpcFileBytes(std::string_view song, std::string_view game);

// Runs the message loop of this thread (accelerators and dialog keys
// included, as the program's own loop does) until done() or the timeout.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(5),
               HWND acceleratorWindow = nullptr, HACCEL accelerators = nullptr);
void PumpFor(std::chrono::milliseconds duration);

// Waits (without pumping this thread's messages) until done() or the timeout.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Real input, as a user's hand would give it.
void ClickAt(POINT screen, DWORD downFlag = MOUSEEVENTF_LEFTDOWN, DWORD upFlag = MOUSEEVENTF_LEFTUP);
void ClickWindow(HWND window, DWORD downFlag = MOUSEEVENTF_LEFTDOWN, DWORD upFlag = MOUSEEVENTF_LEFTUP);
void DoubleClickAt(POINT screen);
void PressKey(WORD virtualKey, bool ctrl = false, bool shift = false);
void KeyDown(WORD virtualKey);
void KeyUp(WORD virtualKey);
POINT CentreOf(HWND window);
// The window that has the keyboard focus in the thread of window (any process).
HWND FocusOf(HWND window);

// Saves the whole screen as a 24-bit bitmap file, for looking at later.
void SaveScreenshot(const std::wstring& path);

// The rectangle of a child window in its parent's client coordinates.
RECT ChildRect(HWND child);
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

// A message box as the program showed it.
struct CaughtBox {
    std::wstring title;
    std::wstring text;
    enum class Icon { None, Question, Stop, Other } icon = Icon::None;
    HWND owner = nullptr;
    DWORD process = 0;
};

// Watches for message boxes of one process (this one by default), records
// them and presses their OK button, until destroyed.
class MessageBoxCatcher {
public:
    explicit MessageBoxCatcher(DWORD process = ::GetCurrentProcessId());
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;
    ~MessageBoxCatcher();

    std::vector<CaughtBox> boxes() const;
    std::vector<std::wstring> texts() const;
    // Waits until at least count boxes were caught.
    bool WaitFor(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // While false, boxes stay open (to be looked at) instead of being answered.
    void SetAnswering(bool answer) { answering_ = answer; }

private:
    void Watch();

    DWORD process_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> answering_{true};
    mutable std::mutex mutex_;
    std::vector<CaughtBox> boxes_;
    std::thread thread_;
};

// The message box currently shown by a process, if any.
HWND FindMessageBox(DWORD process);
CaughtBox ReadMessageBox(HWND box);

// A top-level window of a process with the given title (empty: any title).
HWND FindProcessWindow(DWORD process, std::wstring_view title, std::wstring_view className = {});

// The stand-in players of one folder: copies them in, reads what they logged
// (beside themselves), and ends those still running.
class StandIns {
public:
    explicit StandIns(std::wstring folder);
    StandIns(const StandIns&) = delete;
    StandIns& operator=(const StandIns&) = delete;
    ~StandIns() { EndAll(); }

    const std::wstring& folder() const { return folder_; }
    std::wstring Path(std::wstring_view name) const;  // "SPCPLAY" -> <folder>\SPCPLAY.EXE
    std::wstring Log(std::wstring_view name) const;   // whole log, empty when none
    // The command lines of the starts logged, in order.
    std::vector<std::wstring> CommandLines(std::wstring_view name) const;
    std::vector<int> ShowStates(std::wstring_view name) const;
    std::vector<DWORD> ProcessIds(std::wstring_view name) const;
    bool WaitForLog(std::wstring_view name, std::wstring_view text,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Ends every stand-in process these logs name that is still running.
    void EndAll() const;
    // Starts another program that carries a player's title: a copy of the
    // stand-in `like` under the exe name `name`. Returns its window, once shown.
    HWND StartBystander(std::wstring_view like, std::wstring_view name, std::wstring_view title);

private:
    std::wstring folder_;
    std::vector<std::wstring> names_{L"SPCPLAY", L"WINSPC", L"ZDSPC"};
};

// The window of a running process (its first visible or hidden top-level window).
HWND WindowOfProcess(DWORD process, bool visibleOnly = false);
bool ProcessRunning(DWORD process);

// Runs an action on a helper thread while the test thread stays in a
// blocking call (a modal window): the action waits for what it needs.
class Background {
public:
    explicit Background(std::function<void()> action);
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;
    ~Background();
    void Join();

private:
    std::thread thread_;
};

}  // namespace velmoria::test

#include "tests/support/win_test_support.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "wintk/dialog_window.h"
#include "base/paths.h"
#include "wintk/win_handles.h"
#include "wintk/win_text.h"
#include "player/win_routines.h"

namespace velmoria::test {
namespace {

void SendInputs(std::vector<INPUT> inputs) {
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// A mouse event that carries its own position, so that it lands where it is
// meant to however far the pointer's last move has got.
INPUT MouseAt(POINT screen, DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi = {::MulDiv(screen.x, 65536, ::GetSystemMetrics(SM_CXSCREEN)) + 1,
                ::MulDiv(screen.y, 65536, ::GetSystemMetrics(SM_CYSCREEN)) + 1, 0,
                flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0};
    return input;
}

INPUT KeyInput(WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki = {key, 0, flags, 0, 0};
    return input;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = L"";
    ::GetClassNameW(window, name, ARRAYSIZE(name));
    return name;
}

// The first top-level window of a process for which take() is true.
HWND WindowOf(DWORD process, const std::function<bool(HWND)>& take) {
    for (HWND window = ::GetTopWindow(nullptr); window; window = ::GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == process && take(window)) return window;
    }
    return nullptr;
}

}  // namespace

// Wine hands out process ids again from one test process to the next: a
// folder an earlier test could not remove is cleared before it is used.
TempFolder::TempFolder(std::wstring_view name) {
    static std::atomic<int> counter{0};
    path_ = L"C:\\velmoria-tests\\" + std::wstring(name) + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    Clear();
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() { Clear(); }

void TempFolder::Clear() const {
    std::error_code ignored;
    const std::filesystem::path root(L"\\\\?\\" + path_);  // folders past 260 characters too
    for (std::filesystem::recursive_directory_iterator entry(root, ignored), end; entry != end; entry.increment(ignored)) {
        ::SetFileAttributesW(entry->path().c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only files too
    }
    std::filesystem::remove_all(root, ignored);
}

std::wstring TempFolder::operator/(std::wstring_view name) const { return JoinPath(path_, name); }

void MakeFolder(const std::wstring& path) { ::CreateDirectoryW(path.c_str(), nullptr); }

void WriteBytes(const std::wstring& path, std::string_view bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}

std::vector<std::wstring> FilesMatching(const std::wstring& folder, std::wstring_view pattern) {
    std::vector<std::wstring> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        const std::wstring name = entry.path().filename().wstring();
        if (!entry.is_directory() && MatchesFilePattern(name, pattern)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Ascii(std::wstring_view text) { return std::string(text.begin(), text.end()); }

std::wstring ShortForm(const std::wstring& path) {
    wchar_t shortPath[MAX_PATH] = L"";
    ::GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    return shortPath;
}

std::string SpcFileBytes(std::string_view song, std::string_view game) {
    std::string bytes(0x10200, '\0');
    const std::string_view header = "SNES-SPC700 Sound File Data v0.30\x1A\x1A\x1A\x1E";
    std::memcpy(bytes.data(), header.data(), header.size());
    std::memcpy(bytes.data() + 0x2E, song.data(), std::min<std::size_t>(song.size(), 32));
    std::memcpy(bytes.data() + 0x4E, game.data(), std::min<std::size_t>(game.size(), 32));
    return bytes;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout, HWND acceleratorWindow,
               HACCEL accelerators) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;  // the window under test has gone; keep going
            if (!PreTranslate(message, acceleratorWindow, accelerators)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        ::Sleep(10);
    }
    return true;
}

void ClickAt(POINT screen, DWORD down, DWORD up) {
    SendInputs({MouseAt(screen, 0), MouseAt(screen, down), MouseAt(screen, up)});
}

void DoubleClickAt(POINT screen) {
    SendInputs({MouseAt(screen, 0), MouseAt(screen, MOUSEEVENTF_LEFTDOWN), MouseAt(screen, MOUSEEVENTF_LEFTUP),
                MouseAt(screen, MOUSEEVENTF_LEFTDOWN), MouseAt(screen, MOUSEEVENTF_LEFTUP)});
}

void MoveMouseTo(POINT screen) { SendInputs({MouseAt(screen, 0)}); }

void PressKey(WORD virtualKey, bool ctrl, bool shift) {
    std::vector<INPUT> keys{KeyInput(virtualKey, 0), KeyInput(virtualKey, KEYEVENTF_KEYUP)};
    for (const auto& [held, key] : {std::pair{ctrl, VK_CONTROL}, std::pair{shift, VK_SHIFT}}) {
        if (!held) continue;
        keys.insert(keys.begin(), KeyInput(static_cast<WORD>(key), 0));
        keys.push_back(KeyInput(static_cast<WORD>(key), KEYEVENTF_KEYUP));
    }
    SendInputs(keys);
}

POINT CentreOf(HWND window) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

RECT ChildRect(HWND child) {
    RECT rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = L"";
    ::GetWindowTextW(window, text, ARRAYSIZE(text));
    return text;
}

HWND FindProcessWindow(DWORD process, std::wstring_view title) {
    return WindowOf(process, [title](HWND window) {
        return ::IsWindowVisible(window) && !::GetParent(window) && (title.empty() || WindowText(window) == title);
    });
}

bool ProcessRunning(DWORD process) {
    const UniqueKernelHandle handle(::OpenProcess(SYNCHRONIZE, FALSE, process));
    return handle && ::WaitForSingleObject(handle.get(), 0) == WAIT_TIMEOUT;
}

HANDLE StartProgram(std::wstring commandLine, const std::wstring& folder, DWORD* id) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        return nullptr;
    }
    ::CloseHandle(info.hThread);
    if (id) *id = info.dwProcessId;
    return info.hProcess;
}

MessageBoxCatcher::MessageBoxCatcher()
    : thread_([this] {
          constexpr int kTextId = 0xFFFF;
          constexpr int kIconId = 0x0440;
          while (!stop_) {
              const HWND box = WindowOf(::GetCurrentProcessId(), [](HWND window) {
                  return ::IsWindowVisible(window) && ClassName(window) == L"#32770" && ::GetDlgItem(window, kTextId);
              });
              if (box) {
                  CaughtBox caught{WindowText(box), WindowText(::GetDlgItem(box, kTextId))};
                  // The system's icons are shared: the box shows the very handle LoadIcon gives.
                  const HWND icon = ::GetDlgItem(box, kIconId);
                  const auto shown = ::IsWindowVisible(icon) ? ::SendMessageW(icon, STM_GETICON, 0, 0) : 0;
                  if (shown == reinterpret_cast<LRESULT>(::LoadIconW(nullptr, IDI_QUESTION))) caught.icon = CaughtBox::Icon::Question;
                  if (shown == reinterpret_cast<LRESULT>(::LoadIconW(nullptr, IDI_HAND))) caught.icon = CaughtBox::Icon::Stop;
                  {
                      const std::lock_guard lock(mutex_);
                      boxes_.push_back(caught);
                  }
                  ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
                  // Handles are reused: the next box may come under the same one.
                  WaitUntil([box] { return !::IsWindow(box) || !::IsWindowVisible(box); }, 2s);
              }
              ::Sleep(15);
          }
      }) {}

MessageBoxCatcher::~MessageBoxCatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<CaughtBox> MessageBoxCatcher::boxes() const {
    const std::lock_guard lock(mutex_);
    return boxes_;
}

std::vector<std::wstring> MessageBoxCatcher::texts() const {
    std::vector<std::wstring> texts;
    for (const CaughtBox& box : boxes()) texts.push_back(box.text);
    return texts;
}

void MessageBoxCatcher::Clear() {
    const std::lock_guard lock(mutex_);
    boxes_.clear();
}

StandIns::StandIns(std::wstring folder) : folder_(std::move(folder)) {
    const std::wstring built = ParentFolder(ModuleFilePath()) + L"\\standins\\";
    MakeFolder(JoinPath(folder_, L"current"));
    for (const std::wstring& name : names_) ::CopyFileW((built + name + L".EXE").c_str(), Path(name).c_str(), FALSE);
}

StandIns::~StandIns() { EndAll(); }

std::wstring StandIns::Path(std::wstring_view name) const { return JoinPath(folder_, std::wstring(name) + L".EXE"); }

std::wstring StandIns::Log(std::wstring_view name) const {
    const std::string bytes = ReadBytes(JoinPath(folder_, std::wstring(name) + L".log"));
    return bytes == "<missing>" ? std::wstring() : FromAnsi(bytes, CP_UTF8);
}

namespace {

// The text after each occurrence of key in a log, read by value.
template <typename Read>
auto EachValue(const std::wstring& log, std::wstring_view key, Read read) {
    std::vector<decltype(read(std::wstring()))> values;
    for (std::size_t at = log.find(key); at != std::wstring::npos; at = log.find(key, at + 1)) {
        const std::size_t from = at + key.size();
        values.push_back(read(log.substr(from, log.find_first_of(L"]\n", from) - from)));
    }
    return values;
}

}  // namespace

std::vector<std::wstring> StandIns::CommandLines(std::wstring_view name) const {
    return EachValue(Log(name), L"cmdline=[", [](const std::wstring& value) { return value; });
}

std::vector<int> StandIns::ShowStates(std::wstring_view name) const {
    return EachValue(Log(name), L" show=", [](const std::wstring& value) { return std::stoi(value); });
}

std::vector<DWORD> StandIns::ProcessIds(std::wstring_view name) const {
    return EachValue(Log(name), L"start pid=",
                     [](const std::wstring& value) { return static_cast<DWORD>(std::stoul(value)); });
}

bool StandIns::WaitForLog(std::wstring_view name, std::wstring_view text) const {
    return WaitUntil([&] { return Log(name).find(text) != std::wstring::npos; }, 10s);
}

HWND StandIns::WindowOfLast(std::wstring_view name) const {
    HWND window = nullptr;
    WaitUntil(
        [&] {
            const std::vector<DWORD> ids = ProcessIds(name);
            window = ids.empty() ? nullptr : WindowOf(ids.back(), [](HWND w) {
                return ClassName(w) == L"VelmoriaStandInPlayer" || ClassName(w) == L"SSDLabo_SPCPLAY";
            });
            return window != nullptr;
        },
        10s);
    return window;
}

HWND StandIns::StartBystander(std::wstring_view like, std::wstring_view name, std::wstring_view title) {
    ::CopyFileW(Path(like).c_str(), Path(name).c_str(), FALSE);
    names_.emplace_back(name);
    ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", (L"title=" + std::wstring(title)).c_str());
    const UniqueKernelHandle process(StartProgram(L"\"" + Path(name) + L"\""));
    ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", nullptr);
    if (!process) return nullptr;
    return WindowOfLast(name);
}

void StandIns::EndAll() const {
    for (const std::wstring& name : names_) {
        for (const DWORD id : ProcessIds(name)) {
            // The identifier may belong to another program by now.
            if (!EqualsNoCase(FileNameOf(ProcessImagePath(id)), FileNameOf(name) + L".EXE")) continue;
            const UniqueKernelHandle player(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
            if (player) {
                ::TerminateProcess(player.get(), 0);
                ::WaitForSingleObject(player.get(), 2000);
            }
        }
    }
}

}  // namespace velmoria::test

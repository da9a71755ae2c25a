#include "tests/support/win_test_support.h"

#include <cstring>
#include <fstream>

#include "app/win_handles.h"
#include "app/win_text.h"
#include "player/paths.h"
#include "ui/dialog_window.h"

namespace velmoria::test {
namespace {

constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconId = 0x0440;

void SendInputs(std::initializer_list<INPUT> inputs) {
    std::vector<INPUT> list(inputs);
    ::SendInput(static_cast<UINT>(list.size()), list.data(), sizeof(INPUT));
}

INPUT MouseInput(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

INPUT KeyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// The pixels of a window's area as the screen shows it.
std::vector<COLORREF> ScreenPixels(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const WindowDc screen(nullptr);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(::GetPixel(screen.get(), area.left + x, area.top + y));
    }
    return pixels;
}

// How an icon looks drawn over a background colour at a size.
std::vector<COLORREF> IconPixels(HICON icon, int width, int height, COLORREF background) {
    const WindowDc screen(nullptr);
    const MemoryDc memory(screen.get());
    const UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    const SelectedObject selected(memory.get(), bitmap.get());
    const UniqueBrush brush(::CreateSolidBrush(background));
    const RECT all{0, 0, width, height};
    ::FillRect(memory.get(), &all, brush.get());
    ::DrawIconEx(memory.get(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(::GetPixel(memory.get(), x, y));
    }
    return pixels;
}

// Which of the message box icons a box shows. Icons of another process have
// handles of their own, so what counts is the picture on the screen.
CaughtBox::Icon ShownIcon(HWND iconControl) {
    const auto shown = reinterpret_cast<HICON>(::SendMessageW(iconControl, STM_GETICON, 0, 0));
    if (!shown) return CaughtBox::Icon::None;
    const std::pair<LPCWSTR, CaughtBox::Icon> candidates[] = {{IDI_QUESTION, CaughtBox::Icon::Question},
                                                              {IDI_HAND, CaughtBox::Icon::Stop}};
    for (const auto& [id, icon] : candidates) {
        if (shown == ::LoadIconW(nullptr, id)) return icon;
    }
    RECT area;
    ::GetWindowRect(iconControl, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    CaughtBox::Icon found = CaughtBox::Icon::Other;
    WaitUntil(
        [&] {
            const std::vector<COLORREF> onScreen = ScreenPixels(area);
            for (const auto& [id, icon] : candidates) {
                if (onScreen == IconPixels(::LoadIconW(nullptr, id), width, height, onScreen.front())) {
                    found = icon;
                    return true;
                }
            }
            return false;
        },
        std::chrono::seconds(2));
    return found;
}

}  // namespace

TempFolder::TempFolder(std::wstring_view name) : TempFolder(L"C:\\velmoria-tests", name) {}

TempFolder::TempFolder(std::wstring_view parent, std::wstring_view name) {
    static std::atomic<int> counter{0};
    MakeFolder(std::wstring(parent));
    path_ = JoinPath(parent, std::wstring(name) + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(++counter));
    RemoveTree(path_);
    MakeFolder(path_);
}

std::wstring SpareDriveRoot() {
    const DWORD attributes = ::GetFileAttributesW(L"V:\\");
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? L"V:\\" : L"";
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::wstring TempFolder::operator/(std::wstring_view name) const { return JoinPath(path_, name); }

void RemoveTree(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        WIN32_FIND_DATAW entry;
        UniqueFind find(::FindFirstFileW(JoinPath(path, L"*").c_str(), &entry));
        if (find) {
            do {
                const std::wstring_view name(entry.cFileName);
                if (name != L"." && name != L"..") RemoveTree(JoinPath(path, name));
            } while (::FindNextFileW(find.get(), &entry));
        }
        find.reset();
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::RemoveDirectoryW(path.c_str());
    } else {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
    }
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    DWORD written = 0;
    if (file) ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string ReadBytes(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return "<missing>";
    std::string bytes(1 << 20, '\0');
    DWORD read = 0;
    ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

std::vector<std::wstring> FilesMatching(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    const HANDLE find = ::FindFirstFileW(pattern.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(entry.cFileName);
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return names;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Ascii(std::wstring_view text) {
    std::string bytes;
    for (wchar_t c : text) bytes += static_cast<char>(c);
    return bytes;
}

void MakeFolder(const std::wstring& path) { ::CreateDirectoryW(path.c_str(), nullptr); }

std::string SpcFileBytes(std::string_view song, std::string_view game) {
    std::string bytes(0x10200, '\0');
    const std::string_view signature = "SNES-SPC700 Sound File Data v0.30";
    std::memcpy(bytes.data(), signature.data(), signature.size());
    bytes[0x21] = 26;
    bytes[0x22] = 26;
    bytes[0x23] = 26;  // the file has an ID666 tag
    bytes[0x24] = 30;
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

void PumpFor(std::chrono::milliseconds duration) {
    const auto until = std::chrono::steady_clock::now() + duration;
    PumpUntil([until] { return std::chrono::steady_clock::now() >= until; }, duration + std::chrono::seconds(1));
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        ::Sleep(10);
    }
    return true;
}

POINT CentreOf(HWND window) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A mouse event that carries its own position, so that it lands where it is
// meant to however far the pointer's last move has got.
INPUT MouseAt(POINT screen, DWORD flags) {
    INPUT input = MouseInput(flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE);
    input.mi.dx = ::MulDiv(screen.x, 65536, ::GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = ::MulDiv(screen.y, 65536, ::GetSystemMetrics(SM_CYSCREEN)) + 1;
    return input;
}

void ClickAt(POINT screen, DWORD downFlag, DWORD upFlag) {
    SendInputs({MouseAt(screen, 0), MouseAt(screen, downFlag), MouseAt(screen, upFlag)});
}

void ClickWindow(HWND window, DWORD downFlag, DWORD upFlag) { ClickAt(CentreOf(window), downFlag, upFlag); }

void DoubleClickAt(POINT screen) {
    SendInputs({MouseAt(screen, 0), MouseAt(screen, MOUSEEVENTF_LEFTDOWN), MouseAt(screen, MOUSEEVENTF_LEFTUP),
                MouseAt(screen, MOUSEEVENTF_LEFTDOWN), MouseAt(screen, MOUSEEVENTF_LEFTUP)});
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void KeyDown(WORD virtualKey) { SendInputs({KeyInput(virtualKey, false)}); }
void KeyUp(WORD virtualKey) { SendInputs({KeyInput(virtualKey, true)}); }

void PressKey(WORD virtualKey, bool ctrl, bool shift) {
    if (ctrl) KeyDown(VK_CONTROL);
    if (shift) KeyDown(VK_SHIFT);
    SendInputs({KeyInput(virtualKey, false), KeyInput(virtualKey, true)});
    if (shift) KeyUp(VK_SHIFT);
    if (ctrl) KeyUp(VK_CONTROL);
}

void SaveScreenshot(const std::wstring& path) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const WindowDc screen(nullptr);
    const MemoryDc memory(screen.get());
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    const UniqueBitmap bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        const SelectedObject selected(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
    }
    const DWORD imageSize = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    bytes.append(static_cast<const char*>(bits), imageSize);
    WriteBytes(path, bytes);
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

std::wstring ClassName(HWND window) {
    wchar_t name[256] = L"";
    ::GetClassNameW(window, name, ARRAYSIZE(name));
    return name;
}

HWND FindMessageBox(DWORD process) {
    struct Search {
        DWORD process;
        HWND found;
    } search{process, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner != s->process || !::IsWindowVisible(window) || ClassName(window) != L"#32770") return TRUE;
            const HWND text = ::GetDlgItem(window, kMessageBoxTextId);
            if (!text || ClassName(text) != L"Static") return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

CaughtBox ReadMessageBox(HWND box) {
    CaughtBox caught;
    caught.title = WindowText(box);
    caught.text = WindowText(::GetDlgItem(box, kMessageBoxTextId));
    caught.owner = ::GetWindow(box, GW_OWNER);
    ::GetWindowThreadProcessId(box, &caught.process);
    const HWND icon = ::GetDlgItem(box, kMessageBoxIconId);
    if (icon && ::IsWindowVisible(icon)) caught.icon = ShownIcon(icon);
    return caught;
}

MessageBoxCatcher::MessageBoxCatcher(DWORD process) : process_(process), thread_([this] { Watch(); }) {}

MessageBoxCatcher::~MessageBoxCatcher() {
    stop_ = true;
    thread_.join();
}

void MessageBoxCatcher::Watch() {
    HWND held = nullptr;  // recorded while answering was off, not yet answered
    while (!stop_) {
        if (const HWND box = FindMessageBox(process_)) {
            if (box != held) {
                std::lock_guard lock(mutex_);
                boxes_.push_back(ReadMessageBox(box));
            }
            held = box;
            if (answering_) {
                ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
                // Handles are reused: the next box may come under the same one.
                WaitUntil([box] { return !::IsWindow(box) || !::IsWindowVisible(box); }, std::chrono::seconds(2));
                held = nullptr;
            }
        }
        ::Sleep(15);
    }
}

std::vector<CaughtBox> MessageBoxCatcher::boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

std::vector<std::wstring> MessageBoxCatcher::texts() const {
    std::vector<std::wstring> texts;
    for (const CaughtBox& box : boxes()) texts.push_back(box.text);
    return texts;
}

bool MessageBoxCatcher::WaitFor(std::size_t count, std::chrono::milliseconds timeout) const {
    return WaitUntil([this, count] { return boxes().size() >= count; }, timeout);
}

HWND FindProcessWindow(DWORD process, std::wstring_view title, std::wstring_view className) {
    struct Search {
        DWORD process;
        std::wstring_view title;
        std::wstring_view className;
        HWND found;
    } search{process, title, className, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner != s->process || !::IsWindowVisible(window)) return TRUE;
            if (!s->title.empty() && WindowText(window) != s->title) return TRUE;
            if (!s->className.empty() && ClassName(window) != s->className) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

StandIns::StandIns(std::wstring folder) : folder_(std::move(folder)) {
    const std::wstring build = ParentFolder(ModuleFilePath());
    for (const wchar_t* name : {L"SPCPLAY", L"WINSPC", L"ZDSPC"}) {
        ::CopyFileW((build + L"\\standins\\" + name + L".EXE").c_str(), Path(name).c_str(), FALSE);
    }
}

std::wstring StandIns::Path(std::wstring_view name) const { return JoinPath(folder_, std::wstring(name) + L".EXE"); }

std::wstring StandIns::Log(std::wstring_view name) const {
    const std::string bytes = ReadBytes(JoinPath(folder_, std::wstring(name) + L".log"));
    if (bytes == "<missing>") return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

// The text after each occurrence of key in a log, read by value.
template <typename Read>
auto EachValue(const std::wstring& log, std::wstring_view key, Read read) {
    std::vector<decltype(read(std::wstring_view{}))> values;
    for (std::size_t at = log.find(key); at != std::wstring::npos; at = log.find(key, at + 1)) {
        values.push_back(read(std::wstring_view(log).substr(at + key.size())));
    }
    return values;
}

std::vector<std::wstring> StandIns::CommandLines(std::wstring_view name) const {
    return EachValue(Log(name), L"cmdline=[", [](std::wstring_view rest) {
        return std::wstring(rest.substr(0, rest.find(L"]\n")));
    });
}

std::vector<int> StandIns::ShowStates(std::wstring_view name) const {
    return EachValue(Log(name), L" show=", [](std::wstring_view rest) {
        return static_cast<int>(std::wcstol(std::wstring(rest.substr(0, 8)).c_str(), nullptr, 10));
    });
}

std::vector<DWORD> StandIns::ProcessIds(std::wstring_view name) const {
    return EachValue(Log(name), L"start pid=", [](std::wstring_view rest) {
        return static_cast<DWORD>(std::wcstoul(std::wstring(rest.substr(0, 12)).c_str(), nullptr, 10));
    });
}

bool StandIns::WaitForLog(std::wstring_view name, std::wstring_view text, std::chrono::milliseconds timeout) const {
    return WaitUntil([&] { return Log(name).find(text) != std::wstring::npos; }, timeout);
}

HWND StandIns::StartBystander(std::wstring_view like, std::wstring_view name, std::wstring_view title) {
    const std::wstring exe = Path(name);
    ::CopyFileW(Path(like).c_str(), exe.c_str(), FALSE);
    names_.emplace_back(name);
    const std::wstring option = L"title=" + std::wstring(title);
    ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", option.c_str());
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const bool started =
        ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
    ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", nullptr);
    if (!started) return nullptr;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindProcessWindow(info.dwProcessId, title)) != nullptr; });
    return window;
}

void StandIns::EndAll() const {
    for (const std::wstring& name : names_) {
        for (const DWORD id : ProcessIds(name)) {
            UniqueKernelHandle player(
                ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
            // The identifier may belong to another program by now.
            wchar_t image[MAX_PATH * 2] = L"";
            DWORD size = ARRAYSIZE(image);
            if (player && ::QueryFullProcessImageNameW(player.get(), 0, image, &size) &&
                EndsWithNoCase(std::wstring_view(image, size), std::wstring(name) + L".EXE")) {
                ::TerminateProcess(player.get(), 0);
                ::WaitForSingleObject(player.get(), 2000);
            }
        }
    }
}

HWND WindowOfProcess(DWORD process, bool visibleOnly) {
    struct Search {
        DWORD process;
        bool visibleOnly;
        HWND found;
    } search{process, visibleOnly, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner != s->process || ::GetWindowTextLengthW(window) == 0) return TRUE;
            if (s->visibleOnly && !::IsWindowVisible(window)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool ProcessRunning(DWORD process) {
    UniqueKernelHandle handle(::OpenProcess(SYNCHRONIZE, FALSE, process));
    return handle && ::WaitForSingleObject(handle.get(), 0) == WAIT_TIMEOUT;
}

Background::Background(std::function<void()> action) : thread_(std::move(action)) {}

Background::~Background() { Join(); }

void Background::Join() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace velmoria::test

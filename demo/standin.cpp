// A stand-in for one of the players Velmoria drives (the classic SPCPlay,
// WinSPC, ZD-SPC or today's SNES SPC700 Player, chosen when it is built). It plays nothing: it shows what it was
// asked to play, carries the window title by which Velmoria finds the real
// player, ends the way that player ends, and writes everything it received to
// a log beside itself (<exe folder>\<NAME>.log) for the tests to read.
//
// The variable VELMORIA_STANDIN may hold, separated by commas:
//   title-inside   (ZD-SPC) "ZDSpc" inside the title rather than " ZDSpc" first
//   no-window      never shows a window
//   exit-at-once   ends as soon as it has logged its start
//   late-window=N  shows its window only after N milliseconds
//   title=TEXT     carries TEXT as its title (last in the list: a bystander
//                  program whose title looks like a player's)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#ifndef STANDIN_KIND
#define STANDIN_KIND 1
#endif

namespace {

// Current: today's SPCPLAY.EXE. Its window class and version resource name
// it; one copy runs, and a second start hands its one argument (a path, or
// "-q" to quit) to the first and ends; "-q" with none running ends at once.
enum class Kind { SpcPlay = 1, WinSpc = 2, ZdSpc = 3, Current = 4 };
constexpr wchar_t kCurrentClass[] = L"SSDLabo_SPCPLAY";
constexpr Kind kKind = static_cast<Kind>(STANDIN_KIND);

struct Options {
    bool titleInside = false;
    bool noWindow = false;
    bool exitAtOnce = false;
    DWORD lateWindowMs = 0;
    std::wstring title;
};

struct Request {
    std::wstring spcPath;
    std::wstring switches;
    std::wstring song;
    std::wstring game;
};

std::wstring g_logPath;
Request g_request;
std::wstring g_title;

std::string Utf8(std::wstring_view text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

void Log(std::wstring_view line) {
    const std::string text = std::to_string(::GetTickCount64()) + " " + Utf8(line) + "\n";
    // Copies of a player write the same log at the same moment (the running
    // one as it ends, the one that handed it "-q"). Wine's appends do not
    // keep both lines then, and an open may fail for an instant, so the
    // writers take turns by a mutex named after the log, and an open is
    // tried again.
    std::wstring name = L"Local\\velmoria-standin-log-";
    for (const wchar_t c : g_logPath) name += c == L'\\' ? L'/' : c;
    const HANDLE turn = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (turn) ::WaitForSingleObject(turn, 5000);
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        if (attempt > 0) ::Sleep(10);
        file = ::CreateFileW(g_logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::SetFilePointer(file, 0, nullptr, FILE_END);
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(file);
    }
    if (turn) {
        ::ReleaseMutex(turn);
        ::CloseHandle(turn);
    }
}

Options ReadOptions() {
    Options options;
    wchar_t value[256] = L"";
    if (!::GetEnvironmentVariableW(L"VELMORIA_STANDIN", value, ARRAYSIZE(value))) return options;
    const std::wstring_view text(value);
    options.titleInside = text.find(L"title-inside") != std::wstring_view::npos;
    options.noWindow = text.find(L"no-window") != std::wstring_view::npos;
    options.exitAtOnce = text.find(L"exit-at-once") != std::wstring_view::npos;
    if (const std::size_t late = text.find(L"late-window="); late != std::wstring_view::npos) {
        options.lateWindowMs = static_cast<DWORD>(std::wcstoul(value + late + 12, nullptr, 10));
    }
    if (const std::size_t title = text.find(L"title="); title != std::wstring_view::npos) {
        options.title = text.substr(title + 6);
    }
    return options;
}

// The arguments after the program's own name: the SPC file (quoted or not),
// then the switches.
Request ParseCommandLine(std::wstring_view line) {
    auto skipSpaces = [&line] {
        while (!line.empty() && line.front() == L' ') line.remove_prefix(1);
    };
    auto takeArgument = [&line]() -> std::wstring {
        if (!line.empty() && line.front() == L'"') {
            const std::size_t close = line.find(L'"', 1);
            std::wstring argument(line.substr(1, close == std::wstring_view::npos ? line.npos : close - 1));
            line.remove_prefix(close == std::wstring_view::npos ? line.size() : close + 1);
            return argument;
        }
        const std::size_t space = line.find(L' ');
        std::wstring argument(line.substr(0, space));
        line.remove_prefix(space == std::wstring_view::npos ? line.size() : space);
        return argument;
    };
    Request request;
    skipSpaces();
    takeArgument();  // the player itself
    skipSpaces();
    if (kKind == Kind::Current) {
        // One argument: up to its closing quote, or the whole rest of the line.
        request.spcPath = !line.empty() && line.front() == L'"' ? takeArgument() : std::wstring(line);
        while (!request.spcPath.empty() && request.spcPath.back() == L' ') request.spcPath.pop_back();
        return request;
    }
    if (!line.empty() && line.front() != L'-') request.spcPath = takeArgument();
    skipSpaces();
    request.switches = std::wstring(line);
    while (!request.switches.empty() && request.switches.back() == L' ') request.switches.pop_back();
    return request;
}

std::wstring TagText(const char* field) {
    std::string text(field, strnlen(field, 32));
    return std::wstring(text.begin(), text.end());
}

// The song and game titles of the SPC file's ID666 tag, when it has one.
void ReadTag(Request& request) {
    const HANDLE file = ::CreateFileW(request.spcPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char header[0x100] = {};
    DWORD read = 0;
    ::ReadFile(file, header, sizeof header, &read, nullptr);
    ::CloseHandle(file);
    if (read < 0x6E || std::memcmp(header, "SNES-SPC700 Sound File Data", 27) != 0 || header[0x23] != 26) return;
    request.song = TagText(header + 0x2E);
    request.game = TagText(header + 0x4E);
}

std::wstring Title(const Options& options) {
    if (!options.title.empty()) return options.title;
    const std::wstring song = g_request.song.empty() ? L"(no tag)" : g_request.song;
    switch (kKind) {
    case Kind::SpcPlay:
        return L"SPCPlay - " + song;
    case Kind::WinSpc:
        return song + L" - WinSPC";
    case Kind::Current:
        return L"SNES SPC700 Player";
    case Kind::ZdSpc:
    default:
        return options.titleInside ? L"Now playing in ZDSpc: " + song : L" ZDSpc - " + song;
    }
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(window, &paint);
    RECT client;
    ::GetClientRect(window, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
    ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    const std::wstring lines[] = {
        L"Stand-in player (plays no sound)",
        L"Song: " + (g_request.song.empty() ? std::wstring(L"-") : g_request.song),
        L"Game: " + (g_request.game.empty() ? std::wstring(L"-") : g_request.game),
        L"File: " + (g_request.spcPath.empty() ? std::wstring(L"(none)") : g_request.spcPath),
        L"Switches: " + (g_request.switches.empty() ? std::wstring(L"(none)") : g_request.switches),
        kKind == Kind::SpcPlay ? L"Press A to stop."
        : kKind == Kind::Current ? L"Ends on \"-q\" or its close box."
                                 : L"Close the window to stop.",
    };
    int y = 10;
    for (const std::wstring& line : lines) {
        ::TextOutW(dc, 12, y, line.c_str(), static_cast<int>(line.size()));
        y += 20;
    }
    ::EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_KEYDOWN:
        Log(L"key " + std::to_wstring(wParam));
        if (kKind == Kind::SpcPlay && wParam == 'A') ::DestroyWindow(window);
        return 0;
    case WM_COPYDATA: {
        // A second start handed over its argument.
        const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const std::wstring argument(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t));
        Log(L"received [" + argument + L"]");
        if (argument == L"-q" || argument == L"-quit") {
            ::DestroyWindow(window);
        } else {
            g_request = Request{argument, {}, {}, {}};
            ReadTag(g_request);
            ::InvalidateRect(window, nullptr, TRUE);
        }
        return TRUE;
    }
    case WM_CLOSE:
        Log(L"close");
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    wchar_t self[MAX_PATH * 4] = L"";
    ::GetModuleFileNameW(nullptr, self, ARRAYSIZE(self));
    g_logPath = self;
    g_logPath = g_logPath.substr(0, g_logPath.find_last_of(L'.')) + L".log";

    const Options options = ReadOptions();
    const std::wstring commandLine = ::GetCommandLineW();
    g_request = ParseCommandLine(commandLine);
    ReadTag(g_request);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoW(&startup);
    const int startupShow = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    wchar_t folder[MAX_PATH] = L"";
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    Log(L"start pid=" + std::to_wstring(::GetCurrentProcessId()) + L" show=" + std::to_wstring(startupShow) +
        L" cmdline=[" + commandLine + L"] cwd=[" + folder + L"]");
    Log(L"file=[" + g_request.spcPath + L"] song=[" + g_request.song + L"] game=[" + g_request.game +
        L"] switches=[" + g_request.switches + L"]");
    if (kKind == Kind::Current) {
        if (const HWND running = ::FindWindowW(kCurrentClass, nullptr)) {
            COPYDATASTRUCT data{0, static_cast<DWORD>(g_request.spcPath.size() * sizeof(wchar_t)),
                                g_request.spcPath.data()};
            ::SendMessageW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
            Log(L"handed over");
            return 0;
        }
        if (g_request.spcPath.starts_with(L'-') && g_request.spcPath.find(L'.') == std::wstring::npos) {
            Log(L"nothing to command");
            return 99;
        }
    }
    if (options.exitAtOnce) {
        Log(L"end");
        return 0;
    }
    if (options.noWindow) {
        ::Sleep(INFINITE);
        return 0;
    }
    if (options.lateWindowMs) ::Sleep(options.lateWindowMs);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kKind == Kind::Current ? kCurrentClass : L"VelmoriaStandInPlayer";
    ::RegisterClassW(&windowClass);
    g_title = Title(options);
    const HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, g_title.c_str(),
                                          WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                                          CW_USEDEFAULT, 420, 170, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, showCommand);
    ::UpdateWindow(window);
    Log(std::wstring(L"shown") + (::IsIconic(window) ? L" minimised" : L""));
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    Log(L"end");
    return 0;
}

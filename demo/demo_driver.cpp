// Drives a running Velmoria from outside, step by step, for the run command on
// a machine without a display (first run, then a screenshot) and for taking
// screenshots of the program's windows. Each argument is one step:
//
//   first-run           answers a first run if one is shown: OK, Save, OK
//   wait:<title>        waits for a visible window with that title
//   click:<title>:<id>  clicks the control with that id in that window
//   command:<title>:<id> sends a menu command to that window
//   select:<title>:<id>:<index>  selects an entry of a list in that window
//   point:<title>:<id>:<index>   rests the mouse pointer on an entry of a list
//                                (index -1: moves it off, to the screen's corner)
//   box                 waits for a message box (and leaves it open)
//   ok                  presses OK in the message box that is open
//   rect:<title>        prints "left top width height" of that window
//   sleep:<ms>          waits
//
// It exits with 1 as soon as a step times out.
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr DWORD kTimeoutMs = 20000;

struct Search {
    std::wstring_view title;
    HWND found;
};

HWND FindVisible(std::wstring_view title) {
    Search search{title, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t text[256] = L"";
            ::GetWindowTextW(window, text, ARRAYSIZE(text));
            // A title that ends in "*" stands for any title that begins so.
            const std::wstring_view shown(text);
            const bool match = s->title.ends_with(L'*') ? shown.starts_with(s->title.substr(0, s->title.size() - 1))
                                                        : s->title == shown;
            if (!::IsWindowVisible(window) || !match) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A message box: a dialog with the static text control message boxes have.
HWND FindMessageBox() {
    HWND box = nullptr;
    while ((box = ::FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
        if (::IsWindowVisible(box) && ::GetDlgItem(box, 0xFFFF)) return box;
    }
    return nullptr;
}

template <typename Find>
HWND WaitFor(Find find) {
    const ULONGLONG deadline = ::GetTickCount64() + kTimeoutMs;
    while (::GetTickCount64() < deadline) {
        if (const HWND window = find()) return window;
        ::Sleep(50);
    }
    return nullptr;
}

std::wstring Field(std::wstring_view step, int index) {
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = step.find(L':', start);
        if (start == std::wstring_view::npos) return {};
        ++start;
    }
    const std::size_t end = step.find(L':', start);
    return std::wstring(step.substr(start, end == std::wstring_view::npos ? step.npos : end - start));
}

void PressOk(HWND box) {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
}

bool FirstRun() {
    // Either the main window comes up (the program has its settings), or the
    // first-run message does.
    const HWND first = WaitFor([] { return FindMessageBox() ? FindMessageBox() : FindVisible(L"Velmoria"); });
    if (!first) return false;
    if (!::GetDlgItem(first, 0xFFFF)) return true;
    PressOk(first);
    const HWND dialog = WaitFor([] { return FindVisible(L"Locate SPC Player"); });
    if (!dialog) return false;
    // Its lists fill from a read in the background: Save once they show.
    WaitFor([dialog] { return ::SendMessageW(::GetDlgItem(dialog, 2102), LB_GETCOUNT, 0, 0) > 0 ? dialog : nullptr; });
    ::SendMessageW(::GetDlgItem(dialog, 2104), BM_CLICK, 0, 0);  // Save
    const HWND restart = WaitFor([] { return FindMessageBox(); });
    if (!restart) return false;
    PressOk(restart);
    return WaitFor([] { return FindVisible(L"Velmoria"); }) != nullptr;
}

bool RunStep(std::wstring_view step) {
    const std::wstring verb = Field(step, 0);
    if (verb == L"first-run") return FirstRun();
    if (verb == L"box") return WaitFor([] { return FindMessageBox(); }) != nullptr;
    if (verb == L"ok") {
        const HWND box = WaitFor([] { return FindMessageBox(); });
        if (box) PressOk(box);
        return box != nullptr;
    }
    if (verb == L"sleep") {
        ::Sleep(static_cast<DWORD>(std::stoul(Field(step, 1))));
        return true;
    }
    const std::wstring title = Field(step, 1);
    const HWND window = WaitFor([&title] { return FindVisible(title); });
    if (!window) return false;
    if (verb == L"wait") return true;
    if (verb == L"rect") {
        RECT rect;
        ::GetWindowRect(window, &rect);
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        return true;
    }
    const int id = std::stoi(Field(step, 2));
    if (verb == L"click") {
        ::SendMessageW(::GetDlgItem(window, id), BM_CLICK, 0, 0);
        return true;
    }
    if (verb == L"command") {
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return true;
    }
    const HWND list = ::GetDlgItem(window, id);
    const int entry = std::stoi(Field(step, 3));
    const auto index = static_cast<WPARAM>(entry);
    if (verb == L"select") {
        ::SendMessageW(list, LB_SETCURSEL, index, 0);
        return true;
    }
    if (verb == L"point" && entry < 0) return ::SetCursorPos(0, 0) != FALSE;
    if (verb == L"point") {
        RECT item;
        ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        POINT point{item.left + (item.right - item.left) / 3, (item.top + item.bottom) / 2};
        ::ClientToScreen(list, &point);
        ::SetCursorPos(point.x, point.y);
        return true;
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        if (!RunStep(argv[i])) {
            std::fprintf(stderr, "demo_driver: step %d timed out or is unknown: %ls\n", i, argv[i]);
            return 1;
        }
    }
    return 0;
}

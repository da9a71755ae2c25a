// The operating system as the play decisions see it, faked: windows in
// their top-level order, short forms by path, and a log of what was done.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/paths.h"
#include "player/play_control.h"
#include "player/title_match.h"

namespace velmoria {

// Windows in their top-level order, and a log of what was done to them.
struct FakeSystem : PlayerSystem {
    struct Window {
        WindowId id;
        std::wstring title;
        ProcessId process;
        std::wstring exe{};  // empty: the player's own exe
        std::wstring className{};
    };
    std::vector<Window> windows;
    std::map<std::wstring, std::wstring> shortForms;  // missing: no short form
    std::vector<std::wstring> log;
    std::wstring playerExe;
    std::wstring windowOnStart;  // the title of the window a started program makes
    bool startFails = false;
    bool foregroundWorks = true;
    ProcessId nextProcess = 100;
    std::wstring startFolder;

    WindowId Find(const std::function<bool(const Window&)>& wanted, std::wstring_view exe) const {
        for (const Window& w : windows) {
            if (wanted(w) && (exe.empty() || EqualsNoCase(w.exe.empty() ? playerExe : w.exe, exe))) return w.id;
        }
        return 0;
    }
    void Log(const wchar_t* what, std::uintptr_t a, int b = -1) {
        log.push_back(what + std::to_wstring(a) + (b < 0 ? L"" : L" " + std::to_wstring(b)));
    }
    std::wstring ShortPathName(std::wstring_view path) override {
        const auto it = shortForms.find(std::wstring(TrimTrailingSpaces(path)));
        return it == shortForms.end() ? L"" : it->second;
    }
    WindowId FindTitledWindow(std::wstring_view search, std::int32_t mode, ProcessId process,
                              std::wstring_view exe) override {
        return Find([&](const Window& w) {
            return TitleMatches(w.title, search, mode) && (process == 0 || process == w.process);
        }, exe);
    }
    WindowId WaitForWindow(std::wstring_view search, std::int32_t mode, ProcessId process, std::wstring_view exe,
                           int timeoutMs) override {
        Log(L"wait ", process, timeoutMs);
        return FindTitledWindow(search, mode, process, exe);
    }
    WindowId FindClassWindow(std::wstring_view className, std::wstring_view exe) override {
        return Find([&](const Window& w) { return w.className == className; }, exe);
    }
    std::wstring FileDescription(std::wstring_view) override { return {}; }
    ProcessId WindowProcess(WindowId window) override {
        for (const Window& w : windows) {
            if (w.id == window) return w.process;
        }
        return 0;
    }
    bool SongExists(std::wstring_view path) override { return shortForms.contains(std::wstring(path)); }
    bool FitsCodePage(std::wstring_view text) override { return text.find(L'\u66F2') == std::wstring_view::npos; }
    std::wstring PlainCopy(std::wstring_view path) override { return L"C:\\TEMP\\COPY-OF-" + FileNameOf(path).substr(0, 1); }
    ProcessId StartProcess(std::wstring_view commandLine, ShowStyle style, std::wstring_view folder) override {
        if (startFails) throw PlayerError("cannot start", 2);
        startFolder = folder;
        log.push_back(L"start " + std::to_wstring(static_cast<int>(style)) + L" [" + std::wstring(commandLine) + L"]");
        if (!windowOnStart.empty()) windows.push_back({windows.size() + 1, windowOnStart, nextProcess});
        return nextProcess++;
    }
    void HideWindow(WindowId w) override { Log(L"hide ", w); }
    void RestoreWindow(WindowId w) override { Log(L"restore ", w); }
    void PostClose(WindowId w) override { Log(L"close ", w); }
    bool BringToForeground(WindowId w, int timeoutMs) override {
        Log(L"foreground ", w, timeoutMs);
        return foregroundWorks;
    }
    void SendKeyA() override { log.push_back(L"key a"); }
    void WatchPlayer(ProcessId, WindowId, unsigned) override {}
};

}  // namespace velmoria

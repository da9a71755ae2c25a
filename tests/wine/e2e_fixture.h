// Velmoria.exe as a user meets it: installed in a program folder of its own,
// started as a process in a working folder that holds the stand-in players,
// and driven with the real mouse and keyboard.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/win_handles.h"
#include "app/win_text.h"
#include "player/paths.h"
#include "tests/support/win_test_support.h"
#include "ui/resource.h"

namespace velmoria::test {

class VelmoriaProcessFixture : public testing::Test {
protected:
    void SetUp() override {
        const std::wstring build = ParentFolder(ModuleFilePath());
        ::CopyFileW((build + L"\\Velmoria.exe").c_str(), (programFolder / L"Velmoria.exe").c_str(), FALSE);
        for (const wchar_t* player : {L"SPCPLAY.EXE", L"WINSPC.EXE", L"ZDSPC.EXE"}) {
            ::CopyFileW((build + L"\\standins\\" + player).c_str(), (work / player).c_str(), FALSE);
        }
    }

    void TearDown() override {
        if (process_) {
            ::TerminateProcess(process_.get(), 99);
            ::WaitForSingleObject(process_.get(), 5000);
        }
        EndStandIns();
    }

    void StoreSettings(std::string_view bytes) { WriteBytes(programFolder / L"Velmoria.ini", bytes); }
    std::string StoredSettings() { return ReadBytes(programFolder / L"Velmoria.ini"); }

    // Starts Velmoria.exe in the working folder.
    void Start() {
        std::wstring line = L"\"" + (programFolder / L"Velmoria.exe") + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, work.path().c_str(),
                                     &startup, &info));
        process_.reset(info.hProcess);
        ::CloseHandle(info.hThread);
        pid_ = info.dwProcessId;
    }

    DWORD pid() const { return pid_; }
    HANDLE process() const { return process_.get(); }

    // The main window once it is visible.
    HWND WaitForMain() {
        HWND window = nullptr;
        WaitUntil([&] { return (window = FindMainWindow()) != nullptr; }, std::chrono::seconds(15));
        return window;
    }
    HWND FindMainWindow() const {
        HWND window = FindProcessWindow(pid_, {}, L"#32770");
        return window && ::GetMenu(window) ? window : nullptr;
    }
    HWND WaitForWindow(std::wstring_view title) {
        HWND window = nullptr;
        WaitUntil([&] { return (window = FindProcessWindow(pid_, title)) != nullptr; }, std::chrono::seconds(15));
        return window;
    }
    HWND WaitForBox() {
        HWND box = nullptr;
        WaitUntil([&] { return (box = FindMessageBox(pid_)) != nullptr; }, std::chrono::seconds(15));
        return box;
    }
    // Brings a window of the program to the front, as a click on it would.
    static void Front(HWND window) {
        ::SetForegroundWindow(window);
        WaitUntil([window] { return ::GetForegroundWindow() == window; }, std::chrono::seconds(2));
    }
    DWORD WaitForExit() {
        ::WaitForSingleObject(process_.get(), 15000);
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process_.get(), &code);
        return code;
    }

    // What a stand-in player logged, one line each.
    std::wstring StandInLog(const wchar_t* name) const {
        const std::string bytes = ReadBytes(work / (std::wstring(name) + L".log"));
        if (bytes == "<missing>") return {};
        const int size = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        std::wstring text(static_cast<std::size_t>(size), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
        return text;
    }

    // Ends every stand-in still running, by its logged process identifier.
    void EndStandIns() const {
        for (const wchar_t* name : {L"SPCPLAY", L"WINSPC", L"ZDSPC"}) {
            const std::wstring log = StandInLog(name);
            for (std::size_t at = log.find(L"pid="); at != std::wstring::npos; at = log.find(L"pid=", at + 1)) {
                const DWORD id = static_cast<DWORD>(std::wcstoul(log.c_str() + at + 4, nullptr, 10));
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

    TempFolder programFolder{L"installed"};
    TempFolder work{L"songs"};

private:
    UniqueKernelHandle process_;
    DWORD pid_ = 0;
};

}  // namespace velmoria::test

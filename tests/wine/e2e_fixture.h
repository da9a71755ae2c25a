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
    }

    void TearDown() override {
        if (process_) {
            ::TerminateProcess(process_.get(), 99);
            ::WaitForSingleObject(process_.get(), 5000);
        }
        players.EndAll();
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

    TempFolder programFolder{L"installed"};
    TempFolder work{L"songs"};
    StandIns players{work.path()};

private:
    UniqueKernelHandle process_;
    DWORD pid_ = 0;
};

}  // namespace velmoria::test

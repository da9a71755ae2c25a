// A main window over real folders: a program folder (where Velmoria.ini
// lives) and a working folder (where the browsing lists start), both fresh.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "app/program.h"
#include "player/win_player_system.h"
#include "tests/support/win_test_support.h"
#include "ui/resource.h"
#include "ui/spc_main.h"

namespace velmoria::test {

class MainWindowFixture : public testing::Test {
protected:
    void SetUp() override {
        ::GetCurrentDirectoryW(MAX_PATH, previousDirectory_);
        ::SetCurrentDirectoryW(work.path().c_str());
        program.emplace(programFolder.path(), system);
    }

    void TearDown() override {
        main.reset();
        ::SetCurrentDirectoryW(previousDirectory_);
    }

    // The settings file as a later start would find it.
    void StoreSettings(std::string_view bytes) { WriteBytes(programFolder / L"Velmoria.ini", bytes); }
    std::string StoredSettings() { return ReadBytes(programFolder / L"Velmoria.ini"); }

    SpcMain& CreateMain() {
        main.emplace(*program);
        EXPECT_TRUE(main->Create());
        return *main;
    }

    // Creates the window and runs start-up with a stored player.
    SpcMain& StartWith(std::string_view settings) {
        StoreSettings(settings);
        CreateMain();
        EXPECT_TRUE(main->Form_Load());
        return *main;
    }

    HWND Item(int id) const { return ::GetDlgItem(main->hwnd(), id); }

    TempFolder programFolder{L"program"};
    TempFolder work{L"work"};
    Win32PlayerSystem system;
    std::optional<Program> program;
    std::optional<SpcMain> main;

private:
    wchar_t previousDirectory_[MAX_PATH] = L"C:\\";
};

}  // namespace velmoria::test

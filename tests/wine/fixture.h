// A main window over a fresh program folder (for Velmoria.ini) and working
// folder (where the lists start), with the stand-in players at hand. Every
// message box is read and answered; one a test did not expect fails it.
#pragma once

#include <gmock/gmock.h>

#include <optional>
#include <string>

#include "app/program.h"
#include "app/player_dialog_ids.h"
#include "ui/about_ids.h"
#include "ui/spc_main_ids.h"
#include "player/win_player_system.h"
#include "tests/support/win_test_support.h"
#include "ui/spc_main.h"

namespace velmoria::test {

class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        ::GetCurrentDirectoryW(MAX_PATH, previousDirectory_);
        ::SetCurrentDirectoryW(work.path().c_str());
        program.emplace(programFolder.path(), system, appData.path());
    }
    void TearDown() override {
        main.reset();
        ::SetCurrentDirectoryW(previousDirectory_);
        if (!boxesExpected) {
            for (const std::wstring& text : boxes.texts()) ADD_FAILURE() << "unexpected message box: " << text;
        }
    }

    void StoreSettings(std::string_view bytes) { WriteBytes(programFolder / L"Velmoria.ini", bytes); }
    std::string StoredSettings() const { return ReadBytes(programFolder / L"Velmoria.ini"); }

    void CreateMain() {
        main.emplace(*program);
        EXPECT_TRUE(main->Create());
    }
    // Creates the window and runs start-up with a stored player.
    void StartWith(const std::wstring& player, bool show = true) {
        StoreSettings(Ascii(player) + "\r\n 0 \r\n");
        CreateMain();
        EXPECT_TRUE(main->Form_Load());
        EXPECT_TRUE(ListsShown());
        if (!show) return;
        main->Show();
        EXPECT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == main->hwnd(); }));
    }
    // Waits until the folder the lists read on the pool is shown.
    bool ListsShown() {
        return PumpUntil([&] { return !main->spcDirectory().Reading(); }, 10s, main->hwnd(), main->accelerators());
    }
    // Reads the folder again for both lists, as after a song was written or
    // deleted, and waits until it shows.
    void Reread() {
        main->RereadFolder();
        EXPECT_TRUE(ListsShown());
    }
    HWND Item(int id) const { return ::GetDlgItem(main->hwnd(), id); }
    static std::vector<std::wstring> Entries(const BrowseListBox& list) {
        std::vector<std::wstring> names(static_cast<std::size_t>(list.Count()));
        for (int i = 0; i < list.Count(); ++i) names[static_cast<std::size_t>(i)] = list.Entry(i);
        return names;
    }
    std::wstring Caption() const { return WindowText(main->hwnd()); }
    bool Pump(const std::function<bool()>& done) { return PumpUntil(done, 10s, main->hwnd(), main->accelerators()); }

    std::wstring Song(const std::wstring& name, std::string_view title = "A Song") {
        WriteBytes(work / name, SpcFileBytes(title, "A Game"));
        return work / name;
    }
    // Refills the file list, selects a song in it and presses play; returns
    // once the play's request on the pool is done.
    void Play(const std::wstring& name) {
        Reread();
        for (int i = 0; i < main->spcFile().Count(); ++i) {
            if (main->spcFile().Entry(i) == name) ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, i, 0);
        }
        Settled([&] { main->cmdPlay_Click(); });
    }
    void Stop() { Settled([&] { main->cmdStop_Click(); }); }
    // Runs a command and waits, answering messages, until its requests are done.
    void Settled(const std::function<void()>& command) {
        command();
        EXPECT_TRUE(Pump([&] { return !main->PlayPending(); }));
    }
    // Runs action on a window of this program (by caption) from a helper
    // thread while this thread waits in open(), a modal window's loop. The
    // action must end by closing the window; one left open fails the test
    // and is closed, so that a broken behaviour never holds the run.
    void WithWindow(const wchar_t* caption, const std::function<void(HWND)>& action, const std::function<void()>& open) {
        Background driver([&] {
            HWND window = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (window = FindProcessWindow(::GetCurrentProcessId(), caption)); }));
            action(window);
            if (!WaitUntil([&] { return !::IsWindow(window); }, 10s)) {
                ADD_FAILURE() << Ascii(caption) << " was left open";
                CloseBox(window);
            }
        });
        open();
    }
    static void CloseBox(HWND window) { ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }
    // The player dialog's lists fill from a read on the pool: a click comes
    // once they show, as a user's would. (The count is asked across threads,
    // so it is answered only after both lists took the read.)
    static void WhenListed(HWND dialog) {
        WaitUntil([&] { return ::SendMessageW(::GetDlgItem(dialog, IDC_exeDir), LB_GETCOUNT, 0, 0) > 0; });
    }
    POINT EntryPoint(int listId, int index) const {  // on the screen
        RECT item;
        ::SendMessageW(Item(listId), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        POINT point{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        ::ClientToScreen(Item(listId), &point);
        return point;
    }

    MessageBoxCatcher boxes;
    bool boxesExpected = false;  // a test that expects boxes checks them itself
    TempFolder programFolder{L"program"};
    TempFolder appData{L"appdata"};  // stands in for %APPDATA%
    TempFolder work{L"work"};
    TempFolder playerFolder{L"player folder"};
    StandIns players{playerFolder.path()};
    Win32PlayerSystem system;
    std::optional<Program> program;
    std::optional<SpcMain> main;

private:
    wchar_t previousDirectory_[MAX_PATH] = L"C:\\";
};

}  // namespace velmoria::test

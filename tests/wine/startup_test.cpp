// Start-up: the first run with its message and dialog, the settings read at
// start, compact mode restored, and the SPCPlay options given their values.
#include <gmock/gmock.h>

#include "app/player_dialog.h"
#include "tests/wine/main_window_fixture.h"

namespace velmoria::test {
namespace {

using testing::ElementsAre;
using Icon = CaughtBox::Icon;

constexpr int kOptionControls[] = {IDC_frmSampling, IDC_frmOptions, IDC_listSampling, IDC_chk8bit,
                                   IDC_chkBuffering, IDC_chkADSR,   IDC_chkStereo};

class StartupTest : public MainWindowFixture {
protected:
    HWND WaitForDialog() {
        HWND dialog = nullptr;
        WaitUntil([&] {
            dialog = FindProcessWindow(::GetCurrentProcessId(), L"Locate SPC Player");
            return dialog != nullptr;
        });
        return dialog;
    }
    bool OptionsEnabled() {
        for (int id : kOptionControls) {
            if (!::IsWindowEnabled(Item(id))) return false;
        }
        return true;
    }
    bool OptionsDisabled() {
        for (int id : kOptionControls) {
            if (::IsWindowEnabled(Item(id))) return false;
        }
        return true;
    }
    int Rate() { return static_cast<int>(::SendMessageW(Item(IDC_listSampling), CB_GETCURSEL, 0, 0)); }
    bool Stereo() { return ::IsDlgButtonChecked(main->hwnd(), IDC_chkStereo) == BST_CHECKED; }
};

TEST_F(StartupTest, FirstRunSaveRestartMessageThenTheMainWindowWithTheNewPlayer) {
    WriteBytes(work / L"WINSPC.EXE", "MZ");
    MessageBoxCatcher boxes;
    SpcMain& window = CreateMain();
    Background saver([&] {
        const HWND dialog = WaitForDialog();
        ASSERT_NE(dialog, nullptr);
        // The main window is not shown yet, and the dialog has no owner.
        EXPECT_FALSE(::IsWindowVisible(window.hwnd()));
        EXPECT_EQ(::GetWindow(dialog, GW_OWNER), nullptr);
        ::SendMessageW(::GetDlgItem(dialog, IDC_cmdSave), BM_CLICK, 0, 0);
    });
    ASSERT_TRUE(window.Form_Load());
    saver.Join();

    const auto caught = boxes.boxes();
    ASSERT_EQ(caught.size(), 2u);
    EXPECT_EQ(caught[0].text, L"This is your first time running this program!\nTake the time to locate an SPCPlayer.");
    EXPECT_EQ(caught[0].icon, Icon::Question);
    EXPECT_EQ(caught[0].owner, nullptr);
    EXPECT_EQ(caught[1].text, L"Please restart this program for changes to take effect!");
    EXPECT_EQ(caught[1].icon, Icon::None);
    for (const CaughtBox& box : caught) EXPECT_EQ(box.title, L"Velmoria");

    EXPECT_EQ(StoredSettings(), Ascii(work / L"WINSPC.EXE") + "\r\n 0 \r\n");
    EXPECT_EQ(program->settings.playerPath, work / L"WINSPC.EXE");  // no restart needed
    EXPECT_TRUE(OptionsDisabled());
    EXPECT_FALSE(::IsWindowVisible(window.hwnd()));  // shown only once start-up has ended
}

TEST_F(StartupTest, FirstRunClosedWithoutSavingEndsWithTheErrorMessage) {
    MessageBoxCatcher boxes;
    SpcMain& window = CreateMain();
    Background closer([&] {
        const HWND dialog = WaitForDialog();
        ASSERT_NE(dialog, nullptr);
        ::SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_FALSE(window.Form_Load());
    closer.Join();
    EXPECT_THAT(boxes.texts(), ElementsAre(L"This is your first time running this program!\nTake the time to locate "
                                           L"an SPCPlayer.",
                                           L"Error! Please delete Velmoria.ini and re-run!"));
    EXPECT_EQ(boxes.boxes()[1].icon, Icon::Stop);
    EXPECT_FALSE(::IsWindowVisible(window.hwnd()));
    EXPECT_FALSE(Exists(programFolder / L"Velmoria.ini"));
}

TEST_F(StartupTest, AnEmptyFileOrFirstLineEndsWithTheErrorAndLeavesTheFileAlone) {
    for (const char* content : {"", "\r\n 1 \r\n", "   \r\n"}) {
        StoreSettings(content);
        MessageBoxCatcher boxes;
        CreateMain();
        EXPECT_FALSE(main->Form_Load());
        EXPECT_THAT(boxes.texts(), ElementsAre(L"Error! Please delete Velmoria.ini and re-run!"));
        EXPECT_EQ(StoredSettings(), content);
        main.reset();
    }
}

TEST_F(StartupTest, ANonZeroFlagOpensCompactAndRewritesTheFileWithOne) {
    for (const char* flag : {" 1 ", "-1", "5"}) {
        StoreSettings("C:\\P\\SPCPLAY.EXE\r\n" + std::string(flag) + "\r\n");
        SpcMain& window = CreateMain();
        ASSERT_TRUE(window.Form_Load());
        EXPECT_EQ(window.MenuCaption(ID_mnuCompressed), L"Normal &Mode") << flag;
        EXPECT_EQ(program->settings.compactFlag, 1);
        EXPECT_EQ(StoredSettings(), "C:\\P\\SPCPLAY.EXE\r\n 1 \r\n") << flag;
        main.reset();
    }
}

TEST_F(StartupTest, AZeroFlagOpensNormalAndLeavesTheFileUnwritten) {
    StoreSettings("C:\\P\\SPCPLAY.EXE\r\n0\r\n");  // as no writer would write it
    SpcMain& window = CreateMain();
    ASSERT_TRUE(window.Form_Load());
    EXPECT_EQ(window.MenuCaption(ID_mnuCompressed), L"Compressed &Mode");
    EXPECT_EQ(StoredSettings(), "C:\\P\\SPCPLAY.EXE\r\n0\r\n");
}

TEST_F(StartupTest, AnUnwritableFileStillOpensCompactWithoutAWord) {
    StoreSettings("C:\\P\\SPCPLAY.EXE\r\n 1 \r\n");
    ::SetFileAttributesW((programFolder / L"Velmoria.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    MessageBoxCatcher boxes;
    SpcMain& window = CreateMain();
    ASSERT_TRUE(window.Form_Load());
    EXPECT_EQ(window.MenuCaption(ID_mnuCompressed), L"Normal &Mode");
    EXPECT_EQ(program->settings.compactFlag, 1);
    EXPECT_TRUE(boxes.boxes().empty());
    ::SetFileAttributesW((programFolder / L"Velmoria.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(StartupTest, SpcPlayInAnyCaseKeepsTheOptionsAndTicksStereo) {
    StartWith("c:\\spc\\spcplay.exe\r\n 0 \r\n");
    EXPECT_TRUE(OptionsEnabled());
    EXPECT_TRUE(Stereo());
    EXPECT_EQ(Rate(), 2);
    for (int id : {IDC_chk8bit, IDC_chkBuffering, IDC_chkADSR}) {
        EXPECT_EQ(::IsDlgButtonChecked(main->hwnd(), id), BST_UNCHECKED);
    }
}

TEST_F(StartupTest, AnyOtherPlayerGreysTheOptionsSilently) {
    for (const char* player : {"C:\\P\\ZDSPC.EXE", "C:\\P\\WINSPC.EXE", "C:\\P\\NOTEPAD.EXE"}) {
        MessageBoxCatcher boxes;
        StartWith(std::string(player) + "\r\n 0 \r\n");
        EXPECT_TRUE(OptionsDisabled()) << player;
        EXPECT_EQ(Rate(), 2);
        EXPECT_FALSE(Stereo());
        EXPECT_TRUE(boxes.boxes().empty());
        main.reset();
    }
}

}  // namespace
}  // namespace velmoria::test

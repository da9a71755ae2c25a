// The player selection dialog, opened from the File menu of a running main
// window and driven from a helper thread while the menu command waits in it.
#include <gmock/gmock.h>

#include "app/player_dialog.h"
#include "tests/wine/main_window_fixture.h"

namespace velmoria::test {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

class PlayerDialogTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        StartWith("C:\\OLD\\SPCPLAY.EXE\r\n 0 \r\n");
        main->Show();
    }

    // Opens the dialog from the menu and runs action on it from a helper
    // thread; returns when the dialog (and anything after it) is done.
    void WithDialog(const std::function<void(HWND)>& action) {
        Background driver([&] {
            HWND dialog = nullptr;
            ASSERT_TRUE(WaitUntil([&] {
                return (dialog = FindProcessWindow(::GetCurrentProcessId(), L"Locate SPC Player")) != nullptr;
            }));
            action(dialog);
        });
        main->mnuChoose_Click();
    }

    static std::vector<std::wstring> Entries(HWND dialog) {
        // The dialog's file list is data-less: read it through the window object.
        auto* self = reinterpret_cast<PlayerDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        std::vector<std::wstring> names;
        for (int i = 0; i < self->exeFile().Count(); ++i) names.push_back(self->exeFile().Entry(i));
        return names;
    }
    static void Save(HWND dialog) { ::SendMessageW(::GetDlgItem(dialog, IDC_cmdSave), BM_CLICK, 0, 0); }
    static void CloseBox(HWND dialog) { ::SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }
    // Presses Save where it must refuse: a message comes, the dialog stays.
    void SaveRefused(const MessageBoxCatcher& boxes) {
        WithDialog([&](HWND dialog) {
            Save(dialog);
            ASSERT_TRUE(boxes.WaitFor(1));
            EXPECT_TRUE(::IsWindow(dialog));
            CloseBox(dialog);
        });
    }
    static void Select(HWND dialog, int index) {
        ::SendMessageW(::GetDlgItem(dialog, IDC_exeFile), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
};

TEST_F(PlayerDialogTest, LaidOutCentredModalAndWithoutOwnerOrSizeBoxes) {
    WithDialog([&](HWND dialog) {
        RECT client;
        ::GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, 153);
        EXPECT_EQ(client.bottom, 254);
        const std::pair<int, RECT> layout[] = {{IDC_frmBlegh, {0, 0, 153, 217}},
                                               {IDC_exeDrive, {4, 12, 149, 33}},
                                               {IDC_exeDir, {4, 36, 149, 192}},
                                               {IDC_exeFile, {4, 192, 149, 211}},
                                               {IDC_cmdSave, {40, 224, 109, 249}}};
        for (const auto& [id, expected] : layout) {
            const RECT actual = ChildRect(::GetDlgItem(dialog, id));
            EXPECT_TRUE(::EqualRect(&actual, &expected)) << id << ": " << actual.left << "," << actual.top << ","
                                                         << actual.right << "," << actual.bottom;
        }
        EXPECT_EQ(WindowText(::GetDlgItem(dialog, IDC_cmdSave)), L"Save");
        const auto style = static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE));
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
        EXPECT_EQ(::GetWindow(dialog, GW_OWNER), nullptr);
        EXPECT_FALSE(::IsWindowEnabled(main->hwnd()));
        RECT outer;
        ::GetWindowRect(dialog, &outer);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        ::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
        EXPECT_NEAR((outer.left + outer.right) / 2, (monitor.rcWork.left + monitor.rcWork.right) / 2, 1);
        CloseBox(dialog);
    });
    EXPECT_TRUE(::IsWindowEnabled(main->hwnd()));
    EXPECT_EQ(StoredSettings(), "C:\\OLD\\SPCPLAY.EXE\r\n 0 \r\n");  // closing writes nothing
}

TEST_F(PlayerDialogTest, ListsOnlyThePlayersSortedAndSavesTheFirstWhenNoneIsSelected) {
    for (const wchar_t* name : {L"WINSPC.EXE", L"spcplay.exe", L"ZDSPC.EXE.bak", L"other.exe", L"song.spc"}) {
        WriteBytes(work / name, "MZ");
    }
    MessageBoxCatcher boxes;
    WithDialog([&](HWND dialog) {
        EXPECT_THAT(Entries(dialog), ElementsAre(L"spcplay.exe", L"WINSPC.EXE"));
        Save(dialog);
    });
    EXPECT_EQ(StoredSettings(), Ascii(work / L"spcplay.exe") + "\r\n 0 \r\n");
    ASSERT_THAT(boxes.texts(), ElementsAre(L"Please restart this program for changes to take effect!"));
    EXPECT_EQ(boxes.boxes()[0].owner, main->hwnd());
    EXPECT_EQ(program->settings.playerPath, L"C:\\OLD\\SPCPLAY.EXE");  // until the next start
}

TEST_F(PlayerDialogTest, SavesTheSelectedEntry) {
    WriteBytes(work / L"SPCPLAY.EXE", "MZ");
    WriteBytes(work / L"WINSPC.EXE", "MZ");
    MessageBoxCatcher boxes;
    WithDialog([&](HWND dialog) {
        Select(dialog, 1);
        Save(dialog);
    });
    EXPECT_THAT(StoredSettings(), HasSubstr("\\WINSPC.EXE\r\n 0 \r\n"));
}

TEST_F(PlayerDialogTest, APlayerInADriveRootGetsOneBackslash) {
    if (SpareDriveRoot().empty()) GTEST_SKIP() << "no spare drive V: prepared";
    WriteBytes(L"V:\\ZDSPC.EXE", "MZ");
    ::SetCurrentDirectoryW(L"V:\\");
    MessageBoxCatcher boxes;
    WithDialog([&](HWND dialog) { Save(dialog); });
    ::SetCurrentDirectoryW(work.path().c_str());
    ::DeleteFileW(L"V:\\ZDSPC.EXE");
    EXPECT_EQ(StoredSettings(), "V:\\ZDSPC.EXE\r\n 0 \r\n");
}

TEST_F(PlayerDialogTest, AFolderWithoutPlayersAsksForOneAndStaysOpen) {
    MessageBoxCatcher boxes;
    SaveRefused(boxes);
    ASSERT_THAT(boxes.texts(), ElementsAre(L"Please locate an SPCPlayer!"));
    EXPECT_EQ(boxes.boxes()[0].icon, CaughtBox::Icon::None);
    EXPECT_EQ(StoredSettings(), "C:\\OLD\\SPCPLAY.EXE\r\n 0 \r\n");
}

TEST_F(PlayerDialogTest, SaveWhileCompactStoresNormalAndALaterToggleKeepsTheNewPlayer) {
    main->mnuCompressed_Click();
    ASSERT_EQ(StoredSettings(), "C:\\OLD\\SPCPLAY.EXE\r\n 1 \r\n");
    WriteBytes(work / L"ZDSPC.EXE", "MZ");
    MessageBoxCatcher boxes;
    WithDialog([&](HWND dialog) { Save(dialog); });
    const std::string saved = Ascii(work / L"ZDSPC.EXE");
    EXPECT_EQ(StoredSettings(), saved + "\r\n 0 \r\n");
    EXPECT_EQ(main->MenuCaption(ID_mnuCompressed), L"Normal &Mode");  // the window itself stays compact

    main->mnuCompressed_Click();
    EXPECT_EQ(StoredSettings(), saved + "\r\n 0 \r\n");
    main->mnuCompressed_Click();
    EXPECT_EQ(StoredSettings(), saved + "\r\n 1 \r\n");
}

TEST_F(PlayerDialogTest, AnUnwritableSettingsFileIsReportedAndTheDialogStays) {
    WriteBytes(work / L"WINSPC.EXE", "MZ");
    const std::wstring file = programFolder / L"Velmoria.ini";
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    MessageBoxCatcher boxes;
    SaveRefused(boxes);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].icon, CaughtBox::Icon::Stop);
    EXPECT_THAT(boxes.boxes()[0].text, HasSubstr(file));
    EXPECT_EQ(StoredSettings(), "C:\\OLD\\SPCPLAY.EXE\r\n 0 \r\n");
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(PlayerDialogTest, EachShowingStartsAfreshAtTheWorkingFolder) {
    MakeFolder(work / L"players");
    WithDialog([&](HWND dialog) {
        const HWND folders = ::GetDlgItem(dialog, IDC_exeDir);
        ::SendMessageW(folders, LB_SETCURSEL, 3, 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_exeDir, LBN_DBLCLK), reinterpret_cast<LPARAM>(folders));
        auto* self = reinterpret_cast<PlayerDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        EXPECT_EQ(self->exeDir().Path(), work / L"players");
        CloseBox(dialog);
    });
    WithDialog([&](HWND dialog) {
        auto* self = reinterpret_cast<PlayerDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        EXPECT_EQ(self->exeDir().Path(), work.path());
        EXPECT_EQ(self->exeFile().Path(), work.path());
        CloseBox(dialog);
    });
}

TEST_F(PlayerDialogTest, AnUnreadableDriveMovesTheFolderListToTheProgramFolder) {
    ::DefineDosDeviceW(0, L"R:", L"C:\\velmoria-no-such-folder");
    WriteBytes(programFolder / L"SPCPLAY.EXE", "MZ");
    MessageBoxCatcher boxes;
    WithDialog([&](HWND dialog) {
        const HWND drives = ::GetDlgItem(dialog, IDC_exeDrive);
        const auto entry = ::SendMessageW(drives, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                          reinterpret_cast<LPARAM>(L"r:"));
        ASSERT_GE(entry, 0);
        ::SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_exeDrive, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drives));
        EXPECT_THAT(Entries(dialog), ElementsAre(L"SPCPLAY.EXE"));
        EXPECT_EQ(::SendMessageW(drives, CB_GETCURSEL, 0, 0), entry);
        CloseBox(dialog);
    });
    EXPECT_TRUE(boxes.boxes().empty());
    ::DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, L"R:", L"C:\\velmoria-no-such-folder");
}

}  // namespace
}  // namespace velmoria::test

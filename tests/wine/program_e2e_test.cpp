// The installed program across runs: a player left playing at Exit, and
// compact mode remembered from one start to the next.
#include <gmock/gmock.h>

#include "tests/wine/e2e_fixture.h"

namespace velmoria::test {
namespace {

class ProgramTest : public VelmoriaProcessFixture {
protected:
    HWND StartAndWaitForMain() {
        Start();
        const HWND main = WaitForMain();
        if (main) Front(main);
        return main;
    }
    static int ClientWidth(HWND window) {
        RECT client;
        ::GetClientRect(window, &client);
        return client.right;
    }
    static void AltKeys(WORD menuKey, WORD itemKey) {
        KeyDown(VK_MENU);
        PressKey(menuKey);
        KeyUp(VK_MENU);
        PressKey(itemKey);
    }
};

TEST_F(ProgramTest, ExitLeavesAPlayingPlayerPlayingAndWritesNothing) {
    StoreSettings(Ascii(work / L"WINSPC.EXE") + "\r\n 0 \r\n");
    WriteBytes(work / L"Tune.spc", SpcFileBytes("Tune", "Game"));
    const HWND main = StartAndWaitForMain();
    ASSERT_NE(main, nullptr);
    const HWND files = ::GetDlgItem(main, IDC_spcFile);
    RECT item;
    ::SendMessageW(files, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    POINT song{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ::ClientToScreen(files, &song);
    DoubleClickAt(song);
    ASSERT_TRUE(players.WaitForLog(L"WINSPC", L"shown"));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(main) == L"[Running WinSPC]"; }));

    Front(main);
    AltKeys('F', 'X');  // File, Exit
    EXPECT_EQ(WaitForExit(), 0u);
    ::Sleep(300);
    EXPECT_TRUE(ProcessRunning(players.ProcessIds(L"WINSPC").front()));
    EXPECT_EQ(players.Log(L"WINSPC").find(L"close"), std::wstring::npos);
    EXPECT_EQ(StoredSettings(), Ascii(work / L"WINSPC.EXE") + "\r\n 0 \r\n");
}

TEST_F(ProgramTest, CompactModeIsRememberedAcrossARestart) {
    StoreSettings(Ascii(work / L"SPCPLAY.EXE") + "\r\n 0 \r\n");
    HWND main = StartAndWaitForMain();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ClientWidth(main), 241);
    PressKey('M', true);
    ASSERT_TRUE(WaitUntil([&] { return ClientWidth(main) == 125; }));
    ::PostMessageW(main, WM_CLOSE, 0, 0);  // the close box
    ASSERT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(StoredSettings(), Ascii(work / L"SPCPLAY.EXE") + "\r\n 1 \r\n");

    main = StartAndWaitForMain();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ClientWidth(main), 125);
    AltKeys('F', 'M');  // File, Normal Mode
    ASSERT_TRUE(WaitUntil([&] { return ClientWidth(main) == 241; }));
    // The file follows the window, a moment later.
    EXPECT_TRUE(WaitUntil([&] { return StoredSettings() == Ascii(work / L"SPCPLAY.EXE") + "\r\n 0 \r\n"; }));
    EXPECT_EQ(FindMessageBox(pid()), nullptr);
}

}  // namespace
}  // namespace velmoria::test

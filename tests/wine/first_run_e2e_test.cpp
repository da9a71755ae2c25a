// The first run, end to end: Velmoria.exe started as a process and answered
// with the real keyboard and mouse.
#include <gmock/gmock.h>

#include "tests/wine/e2e_fixture.h"

namespace velmoria::test {
namespace {

using testing::EndsWith;

class FirstRunTest : public VelmoriaProcessFixture {
protected:
    // Starts a first run and answers its greeting with Enter; the greeting
    // as it was, and the dialog that follows it (null when none came).
    HWND AnswerGreeting(CaughtBox& greeting) {
        Start();
        const HWND box = WaitForBox();
        if (!box) return nullptr;
        greeting = ReadMessageBox(box);
        EXPECT_EQ(FindMainWindow(), nullptr);
        Front(box);
        PressKey(VK_RETURN);
        const HWND dialog = WaitForWindow(L"Locate SPC Player");
        if (dialog) Front(dialog);
        return dialog;
    }
};

// The middle of the close box of a window's title bar.
POINT CloseBoxOf(HWND window) {
    RECT outer;
    ::GetWindowRect(window, &outer);
    const int frame = ::GetSystemMetrics(SM_CXFIXEDFRAME);
    const int caption = ::GetSystemMetrics(SM_CYCAPTION);
    return {outer.right - frame - ::GetSystemMetrics(SM_CXSIZE) / 2, outer.top + frame + caption / 2};
}

TEST_F(FirstRunTest, MessageDialogSaveRestartThenTheMainWindowWithThePlayer) {
    CaughtBox greeting;
    const HWND dialog = AnswerGreeting(greeting);
    EXPECT_EQ(greeting.text, L"This is your first time running this program!\nTake the time to locate an SPCPlayer.");
    EXPECT_EQ(greeting.icon, CaughtBox::Icon::Question);
    ASSERT_NE(dialog, nullptr);
    // The one-line file list shows the first player; Down moves to the next.
    const HWND files = ::GetDlgItem(dialog, IDC_exeFile);
    ClickWindow(files);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(dialog) == files; }));
    PressKey(VK_DOWN);
    WaitUntil([&] { return ::SendMessageW(::GetDlgItem(dialog, IDC_exeFile), LB_GETCURSEL, 0, 0) == 1; });
    ClickWindow(::GetDlgItem(dialog, IDC_cmdSave));

    const HWND restart = WaitForBox();
    ASSERT_NE(restart, nullptr);
    EXPECT_EQ(ReadMessageBox(restart).text, L"Please restart this program for changes to take effect!");
    Front(restart);
    PressKey(VK_RETURN);

    const HWND main = WaitForMain();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowText(main), L"Velmoria");
    EXPECT_EQ(StoredSettings(), Ascii(work / L"WINSPC.EXE") + "\r\n 0 \r\n");
    EXPECT_FALSE(Exists(work / L"Velmoria.ini"));  // the program's folder, not the working folder
    // WinSPC takes none of SPCPlay's options.
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main, IDC_chkStereo)));

    Front(main);
    KeyDown(VK_MENU);
    PressKey(VK_F4);
    KeyUp(VK_MENU);

    EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(FirstRunTest, ClosingTheDialogEndsTheProgramWithoutAMainWindow) {
    CaughtBox greeting;
    const HWND dialog = AnswerGreeting(greeting);
    ASSERT_NE(dialog, nullptr);
    ClickAt(CloseBoxOf(dialog));

    const HWND error = WaitForBox();
    ASSERT_NE(error, nullptr);
    const CaughtBox box = ReadMessageBox(error);
    EXPECT_EQ(box.text, L"Error! Please delete Velmoria.ini and re-run!");
    EXPECT_EQ(box.icon, CaughtBox::Icon::Stop);
    EXPECT_EQ(FindMainWindow(), nullptr);
    Front(error);
    PressKey(VK_RETURN);
    EXPECT_EQ(WaitForExit(), 1u);
    EXPECT_FALSE(Exists(programFolder / L"Velmoria.ini"));
}

}  // namespace
}  // namespace velmoria::test

// Compact mode: the narrow window, its caption and flag, and the settings
// file the toggle rewrites.
#include <gmock/gmock.h>

#include "tests/wine/main_window_fixture.h"
#include "ui/twips.h"

namespace velmoria::test {
namespace {

using testing::HasSubstr;

class CompactTest : public MainWindowFixture {
protected:
    RECT Outer() const {
        RECT rect;
        ::GetWindowRect(main->hwnd(), &rect);
        return rect;
    }
    int ClientWidth() const {
        RECT client;
        ::GetClientRect(main->hwnd(), &client);
        return client.right;
    }
};

TEST_F(CompactTest, TwoTogglesBringBackWidthCaptionFlagAndFile) {
    SpcMain& window = StartWith("C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
    window.Show();
    const RECT normal = Outer();
    EXPECT_EQ(ClientWidth(), 241);

    window.mnuCompressed_Click();
    const RECT compact = Outer();
    EXPECT_EQ(window.MenuCaption(ID_mnuCompressed), L"Normal &Mode");
    EXPECT_EQ(ClientWidth(), TwipsToPixels(1880, 96));
    EXPECT_EQ(compact.right - compact.left, TwipsToPixels(1880, 96) + (normal.right - normal.left) - 241);
    EXPECT_EQ(compact.left, normal.left);
    EXPECT_EQ(compact.top, normal.top);
    EXPECT_EQ(compact.bottom, normal.bottom);
    EXPECT_EQ(program->settings.compactFlag, 1);
    EXPECT_EQ(StoredSettings(), "C:\\P\\SPCPLAY.EXE\r\n 1 \r\n");

    window.mnuCompressed_Click();
    const RECT back = Outer();
    EXPECT_EQ(window.MenuCaption(ID_mnuCompressed), L"Compressed &Mode");
    EXPECT_TRUE(::EqualRect(&back, &normal));
    EXPECT_EQ(program->settings.compactFlag, 0);
    EXPECT_EQ(StoredSettings(), "C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
}

TEST_F(CompactTest, TheCompactWindowShowsTheWholeSpcSelectFrameAndNothingRightOfIt) {
    SpcMain& window = StartWith("C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
    window.mnuCompressed_Click();
    const RECT frame = ChildRect(Item(IDC_spcFrame));
    EXPECT_LE(frame.right, ClientWidth());
    for (int id : {IDC_frmOptions, IDC_cmdPlay, IDC_Label1, IDC_cmdStop}) {
        EXPECT_GE(ChildRect(Item(id)).left, ClientWidth()) << id;
    }
}

TEST_F(CompactTest, CtrlMTogglesInBothModes) {
    SpcMain& window = StartWith("C:\\P\\ZDSPC.EXE\r\n 0 \r\n");
    window.Show();
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == window.hwnd(); }));
    PressKey('M', true);
    EXPECT_TRUE(PumpUntil([&] { return program->settings.compactFlag == 1; }, std::chrono::seconds(5),
                          window.hwnd(), window.accelerators()));
    EXPECT_EQ(ClientWidth(), TwipsToPixels(1880, 96));
    PressKey('M', true);
    EXPECT_TRUE(PumpUntil([&] { return program->settings.compactFlag == 0; }, std::chrono::seconds(5),
                          window.hwnd(), window.accelerators()));
    EXPECT_EQ(ClientWidth(), 241);
    EXPECT_EQ(StoredSettings(), "C:\\P\\ZDSPC.EXE\r\n 0 \r\n");
}

// Compacting must not leave the keyboard on a control it hides, where the
// next Enter or Space would act unseen.
TEST_F(CompactTest, CompactingMovesTheFocusFromAHiddenControlToTheFileList) {
    SpcMain& window = StartWith("C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
    window.Show();
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == window.hwnd(); }));
    for (int id : {IDC_cmdStop, IDC_chkStereo, IDC_spcDirectory}) {
        ::SendMessageW(window.hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
        PressKey('M', true);
        ASSERT_TRUE(PumpUntil([&] { return program->settings.compactFlag == 1; }, std::chrono::seconds(5),
                              window.hwnd(), window.accelerators()));
        EXPECT_EQ(FocusOf(window.hwnd()), Item(id == IDC_spcDirectory ? id : IDC_spcFile)) << id;
        window.mnuCompressed_Click();
    }
}

TEST_F(CompactTest, AFailedWriteSaysSoAndTheWindowStaysToggled) {
    SpcMain& window = StartWith("C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
    window.Show();
    const std::wstring file = programFolder / L"Velmoria.ini";
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    MessageBoxCatcher boxes;
    window.mnuCompressed_Click();
    ASSERT_TRUE(boxes.WaitFor(1));
    const CaughtBox box = boxes.boxes()[0];
    EXPECT_EQ(box.title, L"Velmoria");
    EXPECT_EQ(box.icon, CaughtBox::Icon::Stop);
    EXPECT_EQ(box.owner, window.hwnd());
    EXPECT_THAT(box.text, HasSubstr(file));
    EXPECT_THAT(box.text, HasSubstr(L"denied"));
    EXPECT_EQ(window.MenuCaption(ID_mnuCompressed), L"Normal &Mode");
    EXPECT_EQ(program->settings.compactFlag, 1);
    EXPECT_TRUE(window.IsOpen());
    EXPECT_EQ(StoredSettings(), "C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CompactTest, AProgramInADriveRootWritesItsFileThere) {
    const std::wstring root = SpareDriveRoot();
    if (root.empty()) GTEST_SKIP() << "no spare drive V: prepared";
    program.emplace(root, system);
    WriteBytes(L"V:\\Velmoria.ini", "V:\\WINSPC.EXE\r\n 0 \r\n");
    CreateMain();
    ASSERT_TRUE(main->Form_Load());
    main->mnuCompressed_Click();
    EXPECT_EQ(ReadBytes(L"V:\\Velmoria.ini"), "V:\\WINSPC.EXE\r\n 1 \r\n");
    ::DeleteFileW(L"V:\\Velmoria.ini");
}

}  // namespace
}  // namespace velmoria::test

// Where every control of the four windows sits at 96 DPI, as pixel
// rectangles in the window's client area, and the order Tab takes.
#include "tests/wine/fixture.h"

namespace velmoria::test {
namespace {

struct Place {
    const wchar_t* window;  // the window's caption
    int id;                 // 0: the client area itself
    RECT pixels;            // left, top, right, bottom
};

const Place kLayout96[] = {
    {L"Velmoria", 0, {0, 0, 241, 250}},
    {L"Velmoria", IDC_spcFrame, {0, 0, 125, 249}},
    {L"Velmoria", IDC_spcDrive, {4, 12, 121, 33}},
    {L"Velmoria", IDC_spcDirectory, {4, 36, 121, 117}},
    {L"Velmoria", IDC_spcFile, {4, 120, 121, 243}},
    {L"Velmoria", IDC_frmOptions, {128, 0, 241, 137}},
    {L"Velmoria", IDC_frmSampling, {136, 16, 221, 57}},
    {L"Velmoria", IDC_listSampling, {140, 32, 217, 53}},
    {L"Velmoria", IDC_chkStereo, {132, 60, 221, 77}},
    {L"Velmoria", IDC_chkBuffering, {132, 76, 229, 93}},
    {L"Velmoria", IDC_chk8bit, {132, 92, 209, 109}},
    {L"Velmoria", IDC_chkADSR, {132, 108, 233, 133}},
    {L"Velmoria", IDC_cmdPlay, {128, 140, 181, 249}},
    {L"Velmoria", IDC_Label1, {184, 144, 232, 217}},
    {L"Velmoria", IDC_cmdStop, {188, 224, 233, 249}},
    {L"Locate SPC Player", 0, {0, 0, 153, 254}},
    {L"Locate SPC Player", IDC_frmBlegh, {0, 0, 153, 217}},
    {L"Locate SPC Player", IDC_exeDrive, {4, 12, 149, 33}},
    {L"Locate SPC Player", IDC_exeDir, {4, 36, 149, 192}},
    {L"Locate SPC Player", IDC_exeFile, {4, 192, 149, 211}},
    {L"Locate SPC Player", IDC_cmdSave, {40, 224, 109, 249}},
    {L"About", 0, {0, 0, 362, 287}},
    {L"About", IDC_cmdClose, {256, 104, 313, 129}},
    {L"About", IDC_AboutLabel5, {280, 244, 365, 289}},
    {L"About", IDC_AboutLabel4, {212, 56, 357, 85}},
    {L"About", IDC_AboutLabel2, {208, 24, 353, 53}},
    {L"About", IDC_AboutLabel1, {208, 4, 357, 21}},
    {L"Credits", 0, {0, 0, 98, 151}},
    {L"Credits", IDC_CreditsLabel4, {24, 84, 73, 149}},
    {L"Credits", IDC_CreditsLabel3, {20, 48, 77, 73}},
};

class LayoutTest : public WindowTest {
protected:
    // Opens a window from the menus and checks its rows of the table while
    // the menu command waits in it.
    void CheckWindow(const wchar_t* caption, void (SpcMain::*open)()) {
        Background checker([&] {
            HWND window = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (window = FindProcessWindow(::GetCurrentProcessId(), caption)); }));
            Check(window, caption);
            ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        ((*main).*open)();
    }
    static void Check(HWND window, const wchar_t* caption) {
        for (const Place& place : kLayout96) {
            if (std::wstring_view(place.window) != caption) continue;
            RECT actual;
            if (place.id == 0) {
                ::GetClientRect(window, &actual);
            } else {
                actual = ChildRect(::GetDlgItem(window, place.id));
            }
            EXPECT_TRUE(::EqualRect(&actual, &place.pixels))
                << WindowText(window) << " control " << place.id << ": " << actual.left << "," << actual.top << ","
                << actual.right << "," << actual.bottom;
        }
    }
};

TEST_F(LayoutTest, EveryWindowIsLaidOutInItsPixelsAt96Dpi) {
    StartWith(L"C:\\P\\SPCPLAY.EXE");
    ASSERT_EQ(main->dpi(), 96);
    Check(main->hwnd(), L"Velmoria");
    CheckWindow(L"Locate SPC Player", &SpcMain::mnuChoose_Click);
    CheckWindow(L"About", &SpcMain::mnuAbout_Click);
    CheckWindow(L"Credits", &SpcMain::mnuCredits_Click);
}

TEST_F(LayoutTest, CompactModeShowsTheSpcSelectFrameAndNothingRightOfIt) {
    StartWith(L"C:\\P\\SPCPLAY.EXE");
    RECT normal;
    ::GetWindowRect(main->hwnd(), &normal);
    main->mnuCompressed_Click();
    RECT client, compact;
    ::GetClientRect(main->hwnd(), &client);
    ::GetWindowRect(main->hwnd(), &compact);
    EXPECT_EQ(client.right, TwipsToPixels(1880, 96));
    EXPECT_EQ(compact.left, normal.left);
    EXPECT_EQ(compact.bottom, normal.bottom);
    EXPECT_EQ(main->MenuCaption(ID_mnuCompressed), L"Normal &Mode");
    EXPECT_EQ(StoredSettings(), "C:\\P\\SPCPLAY.EXE\r\n 1 \r\n");
    main->mnuCompressed_Click();
    RECT back;
    ::GetWindowRect(main->hwnd(), &back);
    EXPECT_TRUE(::EqualRect(&back, &normal));
    EXPECT_EQ(StoredSettings(), "C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
}

TEST_F(LayoutTest, TabTakesTheControlsInOrderAndSkipsGreyedOptions) {
    const std::pair<const wchar_t*, std::vector<int>> cases[] = {
        {L"C:\\P\\SPCPLAY.EXE",
         {IDC_spcDirectory, IDC_spcFile, IDC_listSampling, IDC_chkStereo, IDC_chkBuffering, IDC_chk8bit,
          IDC_chkADSR, IDC_cmdPlay, IDC_cmdStop, IDC_spcDrive}},
        {L"C:\\P\\WINSPC.EXE", {IDC_spcDirectory, IDC_spcFile, IDC_cmdPlay, IDC_cmdStop, IDC_spcDrive}}};
    for (const auto& [player, order] : cases) {
        StartWith(player);
        ASSERT_TRUE(Pump([&] { return FocusOf(main->hwnd()) == Item(IDC_spcDrive); }));
        for (int expected : order) {
            PressKey(VK_TAB);
            EXPECT_TRUE(Pump([&] { return FocusOf(main->hwnd()) == Item(expected); })) << expected;
        }
        main.reset();
    }
}

}  // namespace
}  // namespace velmoria::test

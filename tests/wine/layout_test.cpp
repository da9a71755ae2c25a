// Where every control of the four windows sits at 96 DPI, as pixel
// rectangles in the window's client area.
#include "tests/wine/fixture.h"

namespace velmoria::test {
namespace {

struct Place {
    std::wstring_view window;  // the window's caption
    int id;                 // 0: the client area itself
    RECT pixels;            // left, top, right, bottom
};

const Place kLayout96[] = {
    {L"Velmoria", 0, {0, 0, 241, 250}},                      {L"Velmoria", IDC_spcFrame, {0, 0, 125, 249}},
    {L"Velmoria", IDC_spcDrive, {4, 12, 121, 33}},           {L"Velmoria", IDC_spcDirectory, {4, 36, 121, 117}},
    {L"Velmoria", IDC_spcFile, {4, 120, 121, 243}},          {L"Velmoria", IDC_frmOptions, {128, 0, 241, 137}},
    {L"Velmoria", IDC_frmSampling, {136, 16, 221, 57}},      {L"Velmoria", IDC_listSampling, {140, 32, 217, 53}},
    {L"Velmoria", IDC_chkStereo, {132, 60, 221, 77}},        {L"Velmoria", IDC_chkBuffering, {132, 76, 229, 93}},
    {L"Velmoria", IDC_chk8bit, {132, 92, 209, 109}},         {L"Velmoria", IDC_chkADSR, {132, 108, 233, 133}},
    {L"Velmoria", IDC_cmdPlay, {128, 140, 181, 249}},        {L"Velmoria", IDC_Label1, {184, 144, 232, 217}},
    {L"Velmoria", IDC_cmdStop, {188, 224, 233, 249}},        {L"Locate SPC Player", 0, {0, 0, 153, 254}},
    {L"Locate SPC Player", IDC_frmBlegh, {0, 0, 153, 217}},  {L"Locate SPC Player", IDC_exeDrive, {4, 12, 149, 33}},
    {L"Locate SPC Player", IDC_exeDir, {4, 36, 149, 192}},   {L"Locate SPC Player", IDC_exeFile, {4, 192, 149, 211}},
    {L"Locate SPC Player", IDC_cmdSave, {40, 224, 109, 249}}, {L"About", 0, {0, 0, 362, 287}},
    {L"About", IDC_cmdClose, {256, 104, 313, 129}},          {L"About", IDC_AboutLabel5, {280, 244, 365, 289}},
    {L"About", IDC_AboutLabel4, {212, 56, 357, 85}},         {L"About", IDC_AboutLabel2, {208, 24, 353, 53}},
    {L"About", IDC_AboutLabel1, {208, 4, 357, 21}},          {L"Credits", 0, {0, 0, 98, 151}},
    {L"Credits", IDC_CreditsLabel4, {24, 84, 73, 149}},      {L"Credits", IDC_CreditsLabel3, {20, 48, 77, 73}},
};

class LayoutTest : public WindowTest {
protected:
    static void Check(HWND window) {
        const std::wstring caption = WindowText(window);
        for (const Place& place : kLayout96) {
            if (place.window != caption) continue;
            RECT actual = place.id ? ChildRect(::GetDlgItem(window, place.id)) : RECT{};
            if (!place.id) ::GetClientRect(window, &actual);
            EXPECT_TRUE(::EqualRect(&actual, &place.pixels)) << Ascii(caption) << " " << place.id << ": " << actual.left;
        }
    }
};

// Each secondary window is modal, and closes only its own way: About on its
// focused Close button (not Esc), Credits only through its close box.
TEST_F(LayoutTest, EveryWindowIsLaidOutInItsPixelsAt96Dpi) {
    StartWith(L"C:\\P\\SPCPLAY.EXE");
    ASSERT_EQ(main->dpi(), 96);
    Check(main->hwnd());
    // The large labels' face is TrueType, never the bitmap "MS Sans Serif" scaled up.
    LOGFONTW label{};
    ::GetObjectW(reinterpret_cast<HGDIOBJ>(::SendMessageW(Item(IDC_Label1), WM_GETFONT, 0, 0)), sizeof label, &label);
    EXPECT_TRUE(label.lfOutPrecision == OUT_TT_ONLY_PRECIS && std::wstring_view(label.lfFaceName) != L"MS Sans Serif");
    for (const auto& [caption, open] : {std::pair{L"Locate SPC Player", &SpcMain::mnuChoose_Click},
                                        std::pair{L"About", &SpcMain::mnuAbout_Click},
                                        std::pair{L"Credits", &SpcMain::mnuCredits_Click}}) {
        WithWindow(caption, [&, about = std::wstring_view(caption) == L"About"](HWND window) {
            Check(window);
            EXPECT_FALSE(::IsWindowEnabled(main->hwnd()));
            PressKey(VK_ESCAPE);
            if (!about) PressKey(VK_RETURN);
            ::Sleep(300);
            EXPECT_TRUE(::IsWindow(window)) << Ascii(caption);
            about ? PressKey(VK_RETURN) : CloseBox(window);
            EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(window); }));
        }, [&, open = open] { ((*main).*open)(); });
    }
}

}  // namespace
}  // namespace velmoria::test

// The checks behind HighDpi (dpi_test.cpp), run in a process that Wine
// started at the DPI given in VELMORIA_EXPECT_DPI.
#include <gmock/gmock.h>

#include <cmath>

#include "tests/wine/main_window_fixture.h"
#include "ui/twips.h"

namespace velmoria::test {
namespace {

int ExpectedDpi() {
    wchar_t value[16] = L"";
    return ::GetEnvironmentVariableW(L"VELMORIA_EXPECT_DPI", value, ARRAYSIZE(value)) ? std::stoi(value) : 0;
}

// The main window's layout in twips, relative to the client area.
struct TwipsControl {
    int id;
    TwipsRect rect;
};
const TwipsControl kMainLayout[] = {
    {IDC_cmdStop, {2820, 3360, 675, 375}},     {IDC_cmdPlay, {1920, 2100, 795, 1635}},
    {IDC_frmOptions, {1920, 0, 1695, 2055}},   {IDC_chkADSR, {1980, 1620, 1515, 375}},
    {IDC_chk8bit, {1980, 1380, 1155, 255}},    {IDC_chkBuffering, {1980, 1140, 1455, 255}},
    {IDC_chkStereo, {1980, 900, 1335, 255}},   {IDC_frmSampling, {2040, 240, 1275, 615}},
    {IDC_listSampling, {2100, 480, 1155, 315}}, {IDC_spcFrame, {0, 0, 1875, 3735}},
    {IDC_spcFile, {60, 1800, 1755, 1845}},      {IDC_spcDirectory, {60, 540, 1755, 1215}},
    {IDC_spcDrive, {60, 180, 1755, 315}},       {IDC_Label1, {2760, 2160, 720, 1095}},
};

void ExpectTwipsRect(HWND control, const TwipsRect& twips, int dpi) {
    const RECT actual = ChildRect(control);
    const int left = TwipsToPixels(twips.left, dpi);
    const int top = TwipsToPixels(twips.top, dpi);
    EXPECT_EQ(actual.left, left) << ::GetDlgCtrlID(control);
    EXPECT_EQ(actual.top, top) << ::GetDlgCtrlID(control);
    EXPECT_EQ(actual.right - actual.left, TwipsToPixels(twips.width, dpi)) << ::GetDlgCtrlID(control);
    EXPECT_EQ(actual.bottom - actual.top, TwipsToPixels(twips.height, dpi)) << ::GetDlgCtrlID(control);
}

SIZE ClientSize(HWND window) {
    RECT client;
    ::GetClientRect(window, &client);
    return {client.right, client.bottom};
}

LONG FontHeight(HWND control) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

LONG PointsToHeight(double points, int dpi) { return -static_cast<LONG>(std::lround(points * dpi / 72.0)); }

class DpiChild : public MainWindowFixture {
protected:
    void SetUp() override {
        dpi_ = ExpectedDpi();
        ASSERT_NE(dpi_, 0) << "VELMORIA_EXPECT_DPI names the DPI these checks expect";
        MainWindowFixture::SetUp();
        StartWith("C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
        main->Show();
        PumpUntil([&] { return ::GetForegroundWindow() == main->hwnd(); });
    }
    int dpi_ = 0;
};

TEST_F(DpiChild, TheMainWindowScalesFromTwips) {
    ASSERT_EQ(main->dpi(), dpi_);
    const SIZE client = ClientSize(main->hwnd());
    EXPECT_EQ(client.cx, TwipsToPixels(3615, dpi_));
    EXPECT_EQ(client.cy, TwipsToPixels(3750, dpi_));
    for (const TwipsControl& control : kMainLayout) ExpectTwipsRect(Item(control.id), control.rect, dpi_);
    EXPECT_EQ(FontHeight(Item(IDC_Label1)), PointsToHeight(13.5, dpi_));
    EXPECT_EQ(FontHeight(Item(IDC_chkStereo)), PointsToHeight(8, dpi_));
    // Pip is drawn at the DPI's size and fits the button whole.
    const RECT play = ChildRect(Item(IDC_cmdPlay));
    EXPECT_GE(play.right - play.left, ::MulDiv(44, dpi_, 96));
    EXPECT_GE(play.bottom - play.top, ::MulDiv(103, dpi_, 96));
}

TEST_F(DpiChild, CompactModeShowsExactlyTheSpcSelectFrame) {
    main->mnuCompressed_Click();
    const SIZE client = ClientSize(main->hwnd());
    EXPECT_EQ(client.cx, TwipsToPixels(1880, dpi_));
    EXPECT_LE(ChildRect(Item(IDC_spcFrame)).right, client.cx);
    EXPECT_GE(ChildRect(Item(IDC_frmOptions)).left, client.cx);
    EXPECT_GE(ChildRect(Item(IDC_cmdPlay)).left, client.cx);
}

TEST_F(DpiChild, AboutCreditsAndThePlayerDialogScaleFromTwips) {
    const auto inWindow = [&](const wchar_t* title, void (SpcMain::*open)(), const std::function<void(HWND)>& check) {
        Background driver([&] {
            HWND window = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (window = FindProcessWindow(::GetCurrentProcessId(), title)); }));
            check(window);
            ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        ((*main).*open)();
    };
    inWindow(L"About", &SpcMain::mnuAbout_Click, [&](HWND about) {
        const SIZE client = ClientSize(about);
        EXPECT_EQ(client.cx, TwipsToPixels(5430, dpi_));
        EXPECT_EQ(client.cy, TwipsToPixels(4305, dpi_));
        // The picture, at the DPI's size, is not cut off.
        EXPECT_GE(client.cy, ::MulDiv(287, dpi_, 96));
        ExpectTwipsRect(::GetDlgItem(about, IDC_cmdClose), {3840, 1560, 855, 375}, dpi_);
        ExpectTwipsRect(::GetDlgItem(about, IDC_AboutLabel4), {3180, 840, 2175, 435}, dpi_);
        EXPECT_EQ(FontHeight(::GetDlgItem(about, IDC_AboutLabel3)), PointsToHeight(30, dpi_));
    });
    inWindow(L"Credits", &SpcMain::mnuCredits_Click, [&](HWND credits) {
        const SIZE client = ClientSize(credits);
        EXPECT_EQ(client.cx, TwipsToPixels(1470, dpi_));
        EXPECT_EQ(client.cy, TwipsToPixels(2265, dpi_));
        ExpectTwipsRect(::GetDlgItem(credits, IDC_CreditsLabel4), {360, 1260, 735, 975}, dpi_);
        EXPECT_EQ(FontHeight(::GetDlgItem(credits, IDC_CreditsLabel1)), PointsToHeight(17.25, dpi_));
    });
    inWindow(L"Locate SPC Player", &SpcMain::mnuChoose_Click, [&](HWND dialog) {
        const SIZE client = ClientSize(dialog);
        EXPECT_EQ(client.cx, TwipsToPixels(2295, dpi_));
        EXPECT_EQ(client.cy, TwipsToPixels(3810, dpi_));
        ExpectTwipsRect(::GetDlgItem(dialog, IDC_exeDir), {60, 540, 2175, 2340}, dpi_);
        ExpectTwipsRect(::GetDlgItem(dialog, IDC_cmdSave), {600, 3360, 1035, 375}, dpi_);
    });
}

}  // namespace
}  // namespace velmoria::test

// The About and Credits windows: layout at 96 DPI, fonts, and how they take
// (and refuse) the keyboard, opened from the Help menu of a running window.
#include <gmock/gmock.h>

#include "tests/wine/main_window_fixture.h"

namespace velmoria::test {
namespace {

class InfoWindowTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        StartWith("C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
        main->Show();
        PumpUntil([&] { return ::GetForegroundWindow() == main->hwnd(); });
    }

    // Opens a window from the Help menu; action runs on a helper thread while
    // the menu command waits in it.
    void With(const wchar_t* title, void (SpcMain::*open)(), const std::function<void(HWND)>& action) {
        Background driver([&] {
            HWND window = nullptr;
            ASSERT_TRUE(WaitUntil([&] {
                window = FindProcessWindow(::GetCurrentProcessId(), title);
                return window && ::GetForegroundWindow() == window;
            }));
            action(window);
        });
        ((*main).*open)();
    }

    static void ExpectRect(HWND window, int id, RECT expected) {
        const RECT actual = ChildRect(::GetDlgItem(window, id));
        EXPECT_TRUE(::EqualRect(&actual, &expected))
            << id << ": " << actual.left << "," << actual.top << "," << actual.right << "," << actual.bottom;
    }
    static LOGFONTW FontOf(HWND control) {
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
        return font;
    }
    // Centred on the main window, to the pixel the halving allows.
    void ExpectCentredOnMain(HWND window) const {
        RECT outer, mainRect;
        ::GetWindowRect(window, &outer);
        ::GetWindowRect(main->hwnd(), &mainRect);
        EXPECT_NEAR(outer.left + outer.right, mainRect.left + mainRect.right, 2);
        EXPECT_NEAR(outer.top + outer.bottom, mainRect.top + mainRect.bottom, 2);
    }
    // Gone: the window closed and the main window takes input again.
    bool Closed(HWND window) const {
        return WaitUntil([&] { return !::IsWindow(window) && ::IsWindowEnabled(main->hwnd()); });
    }
};

TEST_F(InfoWindowTest, AboutIsLaidOutWithItsFontsAndTheFocusOnClose) {
    With(L"About", &SpcMain::mnuAbout_Click, [&](HWND about) {
        RECT client;
        ::GetClientRect(about, &client);
        EXPECT_EQ(client.right, 362);
        EXPECT_EQ(client.bottom, 287);
        ExpectRect(about, IDC_cmdClose, {256, 104, 313, 129});
        ExpectRect(about, IDC_AboutLabel5, {280, 244, 365, 289});
        ExpectRect(about, IDC_AboutLabel4, {212, 56, 357, 85});
        ExpectRect(about, IDC_AboutLabel2, {208, 24, 353, 53});
        ExpectRect(about, IDC_AboutLabel1, {208, 4, 357, 21});
        const RECT name = ChildRect(::GetDlgItem(about, IDC_AboutLabel3));
        EXPECT_EQ(name.left, 204);
        EXPECT_EQ(name.top, 156);
        EXPECT_EQ(WindowText(::GetDlgItem(about, IDC_AboutLabel1)), L"Velmoria v2.5");
        EXPECT_EQ(WindowText(::GetDlgItem(about, IDC_cmdClose)), L"Close");
        EXPECT_EQ(FontOf(::GetDlgItem(about, IDC_AboutLabel3)).lfHeight, -40);  // 30 points
        EXPECT_EQ(FontOf(::GetDlgItem(about, IDC_AboutLabel5)).lfHeight, -11);  // 8.25 points
        const auto style = static_cast<DWORD>(::GetWindowLongPtrW(about, GWL_STYLE));
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
        EXPECT_EQ(::GetWindow(about, GW_OWNER), nullptr);
        EXPECT_NE(::SendMessageW(about, WM_GETICON, ICON_BIG, 0), 0);
        EXPECT_EQ(FocusOf(about), ::GetDlgItem(about, IDC_cmdClose));
        ExpectCentredOnMain(about);
        ::SendMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
}

TEST_F(InfoWindowTest, AboutIgnoresEscAndClosesOnEnterOnClose) {
    With(L"About", &SpcMain::mnuAbout_Click, [&](HWND about) {
        PressKey(VK_ESCAPE);
        ::Sleep(300);
        EXPECT_TRUE(::IsWindow(about));
        PressKey(VK_RETURN);  // Close has the focus
        EXPECT_TRUE(Closed(about));
    });
}

TEST_F(InfoWindowTest, AboutOpensAgainFreshAndCentredAfterClose) {
    With(L"About", &SpcMain::mnuAbout_Click, [&](HWND about) {
        // Moved away, then closed with its button.
        ::SetWindowPos(about, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ClickWindow(::GetDlgItem(about, IDC_cmdClose));
        EXPECT_TRUE(Closed(about));
    });
    With(L"About", &SpcMain::mnuAbout_Click, [&](HWND about) {
        ExpectCentredOnMain(about);
        EXPECT_EQ(FocusOf(about), ::GetDlgItem(about, IDC_cmdClose));
        ::SendMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
}

TEST_F(InfoWindowTest, CreditsIsLaidOutWithUnderlinedHeadings) {
    With(L"Credits", &SpcMain::mnuCredits_Click, [&](HWND credits) {
        RECT client;
        ::GetClientRect(credits, &client);
        EXPECT_EQ(client.right, 98);
        EXPECT_EQ(client.bottom, 151);
        ExpectRect(credits, IDC_CreditsLabel4, {24, 84, 73, 149});
        ExpectRect(credits, IDC_CreditsLabel3, {20, 48, 77, 73});
        for (const auto& [id, left, top, points] :
             {std::tuple{IDC_CreditsLabel1, 8, 0, 23}, std::tuple{IDC_CreditsLabel2, 28, 32, 13}}) {
            const RECT label = ChildRect(::GetDlgItem(credits, id));
            EXPECT_EQ(label.left, left);
            EXPECT_EQ(label.top, top);
            const LOGFONTW font = FontOf(::GetDlgItem(credits, id));
            EXPECT_TRUE(font.lfUnderline);
            EXPECT_EQ(font.lfHeight, -points);  // 17.25 and 9.75 points
        }
        EXPECT_EQ(WindowText(::GetDlgItem(credits, IDC_CreditsLabel1)), L"Credits:");
        EXPECT_EQ(WindowText(::GetDlgItem(credits, IDC_CreditsLabel2)), L"Coding:");
        ExpectCentredOnMain(credits);
        ::SendMessageW(credits, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
}

TEST_F(InfoWindowTest, CreditsClosesOnlyThroughItsCloseBox) {
    With(L"Credits", &SpcMain::mnuCredits_Click, [&](HWND credits) {
        PressKey(VK_RETURN);
        PressKey(VK_ESCAPE);
        ::Sleep(300);
        EXPECT_TRUE(::IsWindow(credits));
        KeyDown(VK_MENU);
        PressKey(VK_F4);  // the system's close-window key
        KeyUp(VK_MENU);
        EXPECT_TRUE(Closed(credits));
    });
}

TEST_F(InfoWindowTest, TheMainWindowTakesNoInputWhileEitherIsOpen) {
    WriteBytes(work / L"A.SPC", "x");
    main->spcDirectory_Change();
    MessageBoxCatcher boxes;
    for (auto [title, open] : {std::pair{L"About", &SpcMain::mnuAbout_Click},
                               std::pair{L"Credits", &SpcMain::mnuCredits_Click}}) {
        With(title, open, [&](HWND window) {
            EXPECT_FALSE(::IsWindowEnabled(main->hwnd()));
            ClickWindow(Item(IDC_cmdPlay));             // would ask for a song
            ClickWindow(Item(IDC_spcFile));             // would select the song
            PressKey('M', true);                        // would toggle compact mode
            ::Sleep(400);
            ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        PumpFor(std::chrono::milliseconds(200));
    }
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(main->spcFile().ListIndex(), -1);
    EXPECT_EQ(program->settings.compactFlag, 0);
}

}  // namespace
}  // namespace velmoria::test

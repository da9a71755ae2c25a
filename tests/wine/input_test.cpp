// The main window driven by hand: the play picture and Stop by mouse and
// keyboard, the file list's double-click, Enter and popup menu, Ctrl+M, the
// menus, and the modal About and Credits windows.
#include "tests/wine/fixture.h"

namespace velmoria::test {
namespace {

constexpr wchar_t kMenuClass[] = L"#32768";

HWND ShownPopup() {
    HWND popup = nullptr;
    while ((popup = ::FindWindowExW(nullptr, popup, kMenuClass, nullptr)) != nullptr) {
        if (::IsWindowVisible(popup)) return popup;
    }
    return nullptr;
}

class InputTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        for (const wchar_t* name : {L"Alpha.spc", L"Beta.spc", L"Gamma.spc"}) Song(name, Ascii(name));
    }
    bool Focused(int id) {
        return Pump([&] { return FocusOf(main->hwnd()) == Item(id); });
    }
    bool Starts(const wchar_t* player, std::size_t count) {
        return Pump([&] { return players.CommandLines(player).size() == count; });
    }
    std::wstring Played(const wchar_t* player) const {
        const std::wstring log = players.Log(player);
        const std::size_t at = log.rfind(L"song=[");
        return at == std::wstring::npos ? L"" : log.substr(at + 6, log.find(L']', at) - at - 6);
    }
    // Right-clicks an entry; onMenu runs on a helper thread with the popup's
    // menu (null when none came) while this thread waits in the menu.
    void RightClick(int index, const std::function<void(HMENU)>& onMenu) {
        std::atomic<bool> done{false};
        Background watcher([&] {
            HWND popup = nullptr;
            WaitUntil([&] { return (popup = ShownPopup()) != nullptr; }, 1500ms);
            onMenu(popup ? reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr);
            done = true;
        });
        ClickAt(EntryPoint(IDC_spcFile, index), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
        Pump([&] { return done.load() && !ShownPopup(); });
    }
    static std::wstring ItemText(HMENU menu, int position) {
        wchar_t text[64] = L"";
        ::GetMenuStringW(menu, static_cast<UINT>(position), text, ARRAYSIZE(text), MF_BYPOSITION);
        return text;
    }
    static void ChooseItem(HMENU menu, int position) {
        RECT item;
        ::GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &item);
        ClickAt({(item.left + item.right) / 2, (item.top + item.bottom) / 2});
    }
};

// No button is the default: Enter and Space on the focused picture play,
// Enter on Stop stops, and Esc does nothing anywhere.
TEST_F(InputTest, EnterAndSpaceOnThePicturePlayAndEnterOnStopStops) {
    StartWith(players.Path(L"WINSPC"));  // its options are greyed, out of the tab order
    ClickAt(EntryPoint(IDC_spcFile, 0));
    ASSERT_TRUE(Focused(IDC_spcFile));
    PressKey(VK_TAB);
    ASSERT_TRUE(Focused(IDC_cmdPlay));
    PressKey(VK_RETURN);
    ASSERT_TRUE(Starts(L"WINSPC", 1));
    PressKey(VK_SPACE);
    ASSERT_TRUE(Starts(L"WINSPC", 2));
    PressKey(VK_ESCAPE);
    PumpFor(200ms);
    EXPECT_EQ(Caption(), L"[Running WinSPC]");
    PressKey(VK_TAB);
    ASSERT_TRUE(Focused(IDC_cmdStop));
    PressKey(VK_RETURN);
    EXPECT_TRUE(Pump([&] { return Caption() == L"Velmoria"; }));
    PressKey(VK_ESCAPE);
    PumpFor(200ms);
    EXPECT_TRUE(main->IsOpen());
    EXPECT_EQ(players.CommandLines(L"WINSPC").size(), 2u);
}

// Every click on the picture is a play request, however quick the second;
// a double-click in the list plays the song it lands on.
TEST_F(InputTest, QuickClicksOnThePictureAndADoubleClickInTheListPlay) {
    StartWith(players.Path(L"WINSPC"));
    ClickAt(EntryPoint(IDC_spcFile, 1));
    ASSERT_TRUE(Pump([&] { return main->spcFile().ListIndex() == 1; }));
    DoubleClickAt(CentreOf(Item(IDC_cmdPlay)));
    EXPECT_TRUE(Starts(L"WINSPC", 2));
    DoubleClickAt(EntryPoint(IDC_spcFile, 2));
    EXPECT_TRUE(Starts(L"WINSPC", 3));
    EXPECT_TRUE(players.WaitForLog(L"WINSPC", L"song=[Gamma.spc]"));
}

TEST_F(InputTest, EveryPlayPathAsksForASongWhenNoneIsSelected) {
    boxesExpected = true;
    StartWith(players.Path(L"WINSPC"));
    ClickAt(CentreOf(Item(IDC_cmdPlay)));
    ASSERT_TRUE(Pump([&] { return boxes.boxes().size() == 1; }));
    ::SetFocus(Item(IDC_spcFile));
    PressKey(VK_RETURN);
    ASSERT_TRUE(Pump([&] { return boxes.boxes().size() == 2; }));
    RightClick(0, [](HMENU menu) {
        EXPECT_EQ(menu, nullptr);  // no menu without a selection
        if (menu) PressKey(VK_ESCAPE);
    });
    for (const CaughtBox& box : boxes.boxes()) {
        EXPECT_EQ(box.text, L"Please select an SPC to play.");
        EXPECT_EQ(box.title, L"Velmoria");
        EXPECT_EQ(box.icon, CaughtBox::Icon::None);
    }
    EXPECT_EQ(players.Log(L"WINSPC"), L"");
}

// The popup names the player loaded at start-up, and its Play acts on the
// selected song, not on the one under the pointer.
TEST_F(InputTest, ThePopupNamesThePlayerAndPlaysTheSelectedSong) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\P\\winspc.exe", L"Play using WinSPC"}, {L"C:\\P\\SPCPLAY.EXE", L"Play using SPCPlay"},
        {L"C:\\P\\OTHER.EXE", L"Play using ZD-SPC"}};
    for (const auto& [player, caption] : cases) {
        StartWith(player);
        ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, 0, 0);
        RightClick(0, [&](HMENU menu) {
            ASSERT_NE(menu, nullptr);
            EXPECT_EQ(ItemText(menu, 0), caption);
            EXPECT_EQ(ItemText(menu, 1), L"&Stop");
            PressKey(VK_ESCAPE);
        });
        main.reset();
    }
    StartWith(players.Path(L"WINSPC"));
    ClickAt(EntryPoint(IDC_spcFile, 0));
    ASSERT_TRUE(Pump([&] { return main->spcFile().ListIndex() == 0; }));
    RightClick(2, [&](HMENU menu) {
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(main->spcFile().ListIndex(), 0);  // the right press did not select
        ChooseItem(menu, 0);
    });
    ASSERT_TRUE(Starts(L"WINSPC", 1));
    EXPECT_TRUE(players.WaitForLog(L"WINSPC", L"song=[Alpha.spc]"));
    ASSERT_NE(players.WindowOfLast(L"WINSPC"), nullptr);
    RightClick(1, [&](HMENU menu) {
        ASSERT_NE(menu, nullptr);
        ChooseItem(menu, 1);
    });
    EXPECT_TRUE(Pump([&] { return Caption() == L"Velmoria"; }));
    EXPECT_TRUE(players.WaitForLog(L"WINSPC", L"close"));
}

// Ctrl+M in both directions; compacting does not leave the keyboard on a
// control it hides, where the next Enter or Space would act unseen.
TEST_F(InputTest, CtrlMTogglesAndCompactingMovesTheFocusOffHiddenControls) {
    StartWith(L"C:\\P\\SPCPLAY.EXE");
    for (int id : {IDC_cmdStop, IDC_chkStereo, IDC_spcDirectory}) {
        ::SendMessageW(main->hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
        PressKey('M', true);
        ASSERT_TRUE(Pump([&] { return program->settings.compactFlag == 1; }));
        EXPECT_EQ(FocusOf(main->hwnd()), Item(id == IDC_spcDirectory ? id : IDC_spcFile)) << id;
        PressKey('M', true);
        ASSERT_TRUE(Pump([&] { return program->settings.compactFlag == 0; }));
    }
    EXPECT_EQ(StoredSettings(), "C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
}

TEST_F(InputTest, AltFXEndsTheProgramWithoutWritingOrStoppingThePlayer) {
    StartWith(players.Path(L"WINSPC"));
    Play(L"Alpha.spc");
    ASSERT_NE(players.WindowOfLast(L"WINSPC"), nullptr);
    const std::string stored = StoredSettings();
    INPUT alt[2]{};
    alt[0].type = alt[1].type = INPUT_KEYBOARD;
    alt[0].ki.wVk = alt[1].ki.wVk = VK_MENU;
    alt[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(1, &alt[0], sizeof(INPUT));
    PressKey('F');
    ::SendInput(1, &alt[1], sizeof(INPUT));
    PressKey('X');
    EXPECT_TRUE(Pump([&] { return !main->IsOpen(); }));
    EXPECT_EQ(StoredSettings(), stored);
    EXPECT_TRUE(ProcessRunning(players.ProcessIds(L"WINSPC").back()));
}

// About closes on its focused Close button, not on Esc; Credits has no
// button and closes only through its close box. Meanwhile the main window
// takes no input.
TEST_F(InputTest, AboutAndCreditsAreModalAndCloseOnlyTheirWay) {
    StartWith(L"C:\\P\\SPCPLAY.EXE");
    for (const auto& [title, open] : {std::pair{L"About", &SpcMain::mnuAbout_Click},
                                      std::pair{L"Credits", &SpcMain::mnuCredits_Click}}) {
        Background driver([&, title = title] {
            HWND window = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (window = FindProcessWindow(::GetCurrentProcessId(), title)); }));
            EXPECT_FALSE(::IsWindowEnabled(main->hwnd()));
            PressKey('M', true);  // would toggle compact mode
            PressKey(VK_ESCAPE);
            const bool about = std::wstring_view(title) == L"About";
            if (!about) PressKey(VK_RETURN);
            ::Sleep(300);
            EXPECT_TRUE(::IsWindow(window)) << title;
            if (about) {
                PressKey(VK_RETURN);  // Close has the focus
            } else {
                ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            }
            EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(window); })) << title;
        });
        ((*main).*open)();
    }
    EXPECT_TRUE(::IsWindowEnabled(main->hwnd()));
    EXPECT_EQ(program->settings.compactFlag, 0);
}

}  // namespace
}  // namespace velmoria::test

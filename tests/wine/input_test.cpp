// The main window driven by hand: the play picture and Stop by mouse and
// keyboard, the file list's double-click, Enter and popup menu, and Ctrl+M.
#include "tests/wine/fixture.h"

namespace velmoria::test {
namespace {

class InputTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        for (const wchar_t* name : {L"Alpha.spc", L"Beta.spc", L"Gamma.spc"}) Song(name, Ascii(name));
    }
    bool Focused(int id) { return Pump([&] { return FocusOf(main->hwnd()) == Item(id); }); }
    bool Starts(std::size_t count) { return Pump([&] { return players.CommandLines(L"WINSPC").size() == count; }); }
    // Opens the popup (by a right click on an entry, or by open()); onMenu
    // runs on a helper thread with the popup's menu and window (null when
    // none came) while this thread waits in the menu.
    void Popup(const std::function<void()>& open, const std::function<void(HMENU, HWND)>& onMenu) {
        std::atomic<bool> done{false};
        auto popup = [] { return ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); };
        Background watcher([&] {
            const bool came = WaitUntil([&] { return ::IsWindowVisible(popup()); }, 1500ms);
            onMenu(came ? reinterpret_cast<HMENU>(::SendMessageW(popup(), MN_GETHMENU, 0, 0)) : nullptr, popup());
            done = true;
        });
        open();
        Pump([&] { return done.load() && !::IsWindowVisible(popup()); });
    }
    void RightClick(int index, const std::function<void(HMENU)>& onMenu) {
        Popup([&] { ClickAt(EntryPoint(IDC_spcFile, index), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); },
              [&](HMENU menu, HWND) { onMenu(menu); });
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

// Every click on the picture is a play request, however quick the second,
// and so are Enter and Space while it has the focus (no button is the
// default); a double-click or Enter in the list plays the song there. Enter
// on Stop stops; Esc does nothing anywhere.
TEST_F(InputTest, ThePictureTheListAndStopByMouseAndKeyboard) {
    StartWith(players.Path(L"WINSPC"));  // its options are greyed, out of the tab order
    ClickAt(EntryPoint(IDC_spcFile, 1));
    ASSERT_TRUE(Focused(IDC_spcFile));
    DoubleClickAt(CentreOf(Item(IDC_cmdPlay)));
    EXPECT_TRUE(Starts(2));
    DoubleClickAt(EntryPoint(IDC_spcFile, 2));
    EXPECT_TRUE(Starts(3));
    PressKey(VK_UP);
    PressKey(VK_RETURN);
    EXPECT_TRUE(Starts(4));
    PressKey(VK_TAB);
    ASSERT_TRUE(Focused(IDC_cmdPlay));
    PressKey(VK_RETURN);
    EXPECT_TRUE(Starts(5));
    PressKey(VK_SPACE);
    EXPECT_TRUE(Starts(6));
    PressKey(VK_ESCAPE);
    PressKey(VK_TAB);
    ASSERT_TRUE(Focused(IDC_cmdStop));
    EXPECT_EQ(Caption(), L"[Running WinSPC]");
    PressKey(VK_RETURN);
    EXPECT_TRUE(Pump([&] { return Caption() == L"Velmoria"; }));
    PressKey(VK_ESCAPE);
    PumpUntil([] { return false; }, 200ms);
    EXPECT_TRUE(main->IsOpen());
    const std::wstring log = players.Log(L"WINSPC");  // Gamma by the double-click, Beta by every other
    EXPECT_EQ(log.find(L"song=[Gamma.spc]"), log.rfind(L"song=[Gamma.spc]"));
    EXPECT_EQ(players.CommandLines(L"WINSPC").size(), 6u);
}

// The popup names the player loaded at start-up, and its Play acts on the
// selected song, not on the one under the pointer; no selection, no menu.
// The keyboard opens it too.
TEST_F(InputTest, ThePopupNamesThePlayerAndPlaysTheSelectedSong) {
    for (const auto& [player, caption] : {std::pair{L"C:\\P\\winspc.exe", L"Play using WinSPC"},
                                          std::pair{L"C:\\P\\SPCPLAY.EXE", L"Play using SPCPlay"},
                                          std::pair{L"C:\\P\\OTHER.EXE", L"Play using ZD-SPC"}}) {
        StartWith(player);
        RightClick(0, [](HMENU menu) { EXPECT_EQ(menu, nullptr); });
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
    ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, 0, 0);
    RightClick(2, [&](HMENU menu) { ChooseItem(menu, 0); });
    EXPECT_TRUE(players.WaitForLog(L"WINSPC", L"song=[Alpha.spc]"));
    ASSERT_NE(players.WindowOfLast(L"WINSPC"), nullptr);
    // Shift+F10 and the Menu key open it at the selected song's row.
    ClickAt(EntryPoint(IDC_spcFile, 1));
    for (const bool menuKey : {false, true}) {
        Popup([&] { menuKey ? PressKey(VK_APPS) : PressKey(VK_F10, false, true); }, [&](HMENU menu, HWND window) {
            ASSERT_NE(menu, nullptr);
            RECT shown;
            ::GetWindowRect(window, &shown);
            EXPECT_NEAR(shown.top, EntryPoint(IDC_spcFile, 1).y, 20);
            menuKey ? ChooseItem(menu, 1) : PressKey(VK_ESCAPE);
        });
    }
    EXPECT_TRUE(Pump([&] { return Caption() == L"Velmoria"; }));
    EXPECT_TRUE(players.WaitForLog(L"WINSPC", L"close"));
}

// Ctrl+M narrows the window to the "SPC Select" frame, keeping its left edge
// and height, and back; the file follows. Compacting does not leave the
// keyboard on a control it hides, where the next Enter would act unseen.
TEST_F(InputTest, CtrlMTogglesAndCompactingMovesTheFocusOffHiddenControls) {
    StartWith(L"C:\\P\\SPCPLAY.EXE");
    RECT before, client, compact, after;
    ::GetWindowRect(main->hwnd(), &before);
    for (int id : {IDC_cmdStop, IDC_chkStereo, IDC_spcDirectory}) {
        ::SendMessageW(main->hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
        PressKey('M', true);
        ASSERT_TRUE(Pump([&] { return program->settings.compactFlag == 1; }));
        EXPECT_EQ(FocusOf(main->hwnd()), Item(id == IDC_spcDirectory ? id : IDC_spcFile)) << id;
        ::GetClientRect(main->hwnd(), &client);
        ::GetWindowRect(main->hwnd(), &compact);
        EXPECT_EQ(client.right, TwipsToPixels(1880, 96));
        EXPECT_TRUE(compact.left == before.left && compact.top == before.top && compact.bottom == before.bottom);
        EXPECT_EQ(main->MenuCaption(ID_mnuCompressed), L"Normal &Mode");
        EXPECT_EQ(StoredSettings(), "C:\\P\\SPCPLAY.EXE\r\n 1 \r\n");
        PressKey('M', true);
        ASSERT_TRUE(Pump([&] { return program->settings.compactFlag == 0; }));
        ::GetWindowRect(main->hwnd(), &after);
        EXPECT_TRUE(::EqualRect(&after, &before));
    }
    EXPECT_EQ(StoredSettings(), "C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
}

}  // namespace
}  // namespace velmoria::test

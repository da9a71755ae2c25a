// Playing and stopping from the SPC file list with the real mouse and
// keyboard: double-click, Enter, and the right-button popup menu.
#include <gmock/gmock.h>

#include "tests/wine/main_window_fixture.h"

namespace velmoria::test {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

constexpr wchar_t kMenuClass[] = L"#32768";

// The popup menu currently shown, if any.
HWND ShownPopup() {
    HWND popup = nullptr;
    while ((popup = ::FindWindowExW(nullptr, popup, kMenuClass, nullptr)) != nullptr) {
        if (::IsWindowVisible(popup)) return popup;
    }
    return nullptr;
}

class FileListTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        for (const wchar_t* name : {L"Alpha.spc", L"Beta.spc", L"Gamma.spc"}) {
            WriteBytes(work / name, SpcFileBytes(Ascii(name), "Game"));
        }
    }
    void TearDown() override {
        players.EndAll();
        MainWindowFixture::TearDown();
    }

    void StartWithPlayer(const std::wstring& playerPath) {
        StartWith(Ascii(playerPath) + "\r\n 0 \r\n");
        main->Show();
        ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == main->hwnd(); }));
    }
    POINT EntryPoint(int index) {
        RECT item;
        ::SendMessageW(Item(IDC_spcFile), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        POINT point{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        ::ClientToScreen(Item(IDC_spcFile), &point);
        return point;
    }
    // Pumps until the player has started and shown its window (a stop before
    // that finds no window to close), or the time is up.
    bool Started(const wchar_t* player, std::size_t count = 1) {
        return PumpUntil(
            [&] {
                const std::wstring log = players.Log(player);
                std::size_t shown = 0;
                for (std::size_t at = log.find(L"shown"); at != std::wstring::npos; at = log.find(L"shown", at + 1)) {
                    ++shown;
                }
                return shown >= count;
            },
            std::chrono::seconds(10));
    }
    std::wstring PlayedFile(const wchar_t* player) {
        const std::wstring log = players.Log(player);
        const std::size_t at = log.rfind(L"file=[");
        return at == std::wstring::npos ? L"" : log.substr(at + 6, log.find(L']', at) - at - 6);
    }
    std::wstring LongForm(const std::wstring& path) {
        wchar_t full[MAX_PATH] = L"";
        ::GetLongPathNameW(path.c_str(), full, MAX_PATH);
        return full;
    }

    // Right-clicks an entry; onMenu runs on a helper thread with the popup
    // (null when none came) while this thread waits in the menu.
    void RightClick(int index, const std::function<void(HWND popup, HMENU menu)>& onMenu, bool shift = false) {
        std::atomic<bool> done{false};
        Background watcher([&] {
            HWND popup = nullptr;
            WaitUntil([&] { return (popup = ShownPopup()) != nullptr; }, std::chrono::milliseconds(1500));
            onMenu(popup, popup ? reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr);
            done = true;
        });
        if (shift) KeyDown(VK_SHIFT);
        ClickAt(EntryPoint(index), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
        if (shift) KeyUp(VK_SHIFT);
        PumpUntil([&] { return done.load() && !ShownPopup(); });
    }
    static void ChooseItem(HMENU menu, int position) {
        RECT item;
        ::GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &item);
        ClickAt({(item.left + item.right) / 2, (item.top + item.bottom) / 2});
    }
    static std::wstring ItemText(HMENU menu, int position) {
        wchar_t text[64] = L"";
        ::GetMenuStringW(menu, static_cast<UINT>(position), text, ARRAYSIZE(text), MF_BYPOSITION);
        return text;
    }

    TempFolder playerFolder{L"players"};
    StandIns players{playerFolder.path()};
};

TEST_F(FileListTest, ADoubleClickPlaysTheSongItLandsOn) {
    StartWithPlayer(players.Path(L"WINSPC"));
    DoubleClickAt(EntryPoint(1));
    ASSERT_TRUE(Started(L"WINSPC"));
    EXPECT_EQ(LongForm(PlayedFile(L"WINSPC")), work / L"Beta.spc");
    EXPECT_EQ(WindowText(main->hwnd()), L"[Running WinSPC]");
}

TEST_F(FileListTest, EnterPlaysAndOtherKeysOnlyMoveTheSelection) {
    StartWithPlayer(players.Path(L"ZDSPC"));
    ClickAt(EntryPoint(0));
    ASSERT_TRUE(PumpUntil([&] { return main->spcFile().ListIndex() == 0; }));
    PressKey('G');  // jumps to Gamma, plays nothing
    ASSERT_TRUE(PumpUntil([&] { return main->spcFile().ListIndex() == 2; }));
    PressKey(VK_UP);
    PressKey(VK_DOWN);
    ASSERT_TRUE(PumpUntil([&] { return main->spcFile().ListIndex() == 2; }));
    EXPECT_EQ(players.Log(L"ZDSPC"), L"");
    PressKey(VK_RETURN);
    ASSERT_TRUE(Started(L"ZDSPC"));
    EXPECT_EQ(LongForm(PlayedFile(L"ZDSPC")), work / L"Gamma.spc");
    EXPECT_EQ(main->spcFile().ListIndex(), 2);
    EXPECT_EQ(players.CommandLines(L"ZDSPC").size(), 1u);
}

TEST_F(FileListTest, EveryPlayPathAsksForASongWhenNoneIsSelected) {
    StartWithPlayer(players.Path(L"WINSPC"));
    MessageBoxCatcher boxes;
    ClickWindow(Item(IDC_cmdPlay));
    ASSERT_TRUE(PumpUntil([&] { return boxes.boxes().size() == 1; }));
    ::SetFocus(Item(IDC_spcFile));
    PressKey(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return boxes.boxes().size() == 2; }));
    main->spcFile_DblClick();  // a double-click that selects nothing (a blank part of the list)
    ASSERT_TRUE(PumpUntil([&] { return boxes.boxes().size() == 3; }));
    for (const CaughtBox& box : boxes.boxes()) {
        EXPECT_EQ(box.text, L"Please select an SPC to play.");
        EXPECT_EQ(box.icon, CaughtBox::Icon::None);
    }
    EXPECT_EQ(players.Log(L"WINSPC"), L"");
}

TEST_F(FileListTest, LeftAndMiddlePressesOpenNoMenu) {
    StartWithPlayer(players.Path(L"WINSPC"));
    ClickAt(EntryPoint(0));
    PumpFor(std::chrono::milliseconds(300));
    bool anyMenu = false;
    Background watcher([&] {
        anyMenu = WaitUntil([] { return ShownPopup() != nullptr; }, std::chrono::milliseconds(1000));
        if (anyMenu) PressKey(VK_ESCAPE);
    });
    ClickAt(EntryPoint(1), MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP);
    ClickAt(EntryPoint(1));
    PumpFor(std::chrono::milliseconds(1200));
    watcher.Join();
    EXPECT_FALSE(anyMenu);
}

TEST_F(FileListTest, NoSelectionNoMenu) {
    StartWithPlayer(players.Path(L"WINSPC"));
    RightClick(0, [](HWND popup, HMENU) {
        EXPECT_EQ(popup, nullptr);
        if (popup) PressKey(VK_ESCAPE);
    });
}

TEST_F(FileListTest, ThePopupPlaysTheSelectedSongNotTheOneUnderThePointer) {
    StartWithPlayer(players.Path(L"WINSPC"));
    ClickAt(EntryPoint(0));
    ASSERT_TRUE(PumpUntil([&] { return main->spcFile().ListIndex() == 0; }));
    POINT pointer{};
    RightClick(2, [&](HWND popup, HMENU menu) {
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(::GetMenuItemCount(menu), 2);
        EXPECT_EQ(ItemText(menu, 0), L"Play using WinSPC");
        EXPECT_EQ(ItemText(menu, 1), L"&Stop");
        EXPECT_EQ(::GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(-1));
        RECT where;
        ::GetWindowRect(popup, &where);
        ::GetCursorPos(&pointer);
        EXPECT_NEAR(where.left, pointer.x, 2);  // the menu's left edge at the pointer
        EXPECT_NEAR(where.top, pointer.y, 2);
        EXPECT_EQ(main->spcFile().ListIndex(), 0);  // the right press did not select
        ChooseItem(menu, 0);
    });
    ASSERT_TRUE(Started(L"WINSPC"));
    EXPECT_EQ(LongForm(PlayedFile(L"WINSPC")), work / L"Alpha.spc");

    // Stop from the same menu, with Shift held this time.
    RightClick(1, [&](HWND popup, HMENU menu) {
        ASSERT_NE(popup, nullptr);
        ChooseItem(menu, 1);
    }, true);
    EXPECT_TRUE(PumpUntil([&] { return players.Log(L"WINSPC").find(L"close") != std::wstring::npos; }));
    EXPECT_EQ(WindowText(main->hwnd()), L"Velmoria");
}

TEST_F(FileListTest, ThePlayItemNamesThePlayerLoadedAtStartUp) {
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"C:\\P\\winspc.exe", L"Play using WinSPC"},  {"C:\\P\\SPCPLAY.EXE", L"Play using SPCPlay"},
        {"C:\\P\\ZDSPC.EXE", L"Play using ZD-SPC"},   {"C:\\P\\OTHER.EXE", L"Play using ZD-SPC"},
        {"C:\\P\\MYWINSPC.EXE", L"Play using WinSPC"},
    };
    for (const auto& [player, caption] : cases) {
        StartWith(std::string(player) + "\r\n 0 \r\n");
        main->Show();
        PumpUntil([&] { return ::GetForegroundWindow() == main->hwnd(); });
        ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, 0, 0);
        RightClick(0, [&](HWND popup, HMENU menu) {
            ASSERT_NE(popup, nullptr);
            EXPECT_EQ(ItemText(menu, 0), caption) << player;
            PressKey(VK_ESCAPE);
        });
        main.reset();
    }
}

TEST_F(FileListTest, AfterASaveThePopupStillNamesTheStartUpPlayer) {
    StartWithPlayer(players.Path(L"WINSPC"));
    WriteBytes(work / L"ZDSPC.EXE", "MZ");
    MessageBoxCatcher boxes;
    Background saver([&] {
        HWND dialog = nullptr;
        WaitUntil([&] { return (dialog = FindProcessWindow(::GetCurrentProcessId(), L"Locate SPC Player")); });
        ::SendMessageW(::GetDlgItem(dialog, IDC_cmdSave), BM_CLICK, 0, 0);
    });
    main->mnuChoose_Click();
    saver.Join();
    ASSERT_THAT(StoredSettings(), HasSubstr("ZDSPC.EXE"));
    ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, 0, 0);
    PumpFor(std::chrono::milliseconds(300));  // let the window repaint where the message was
    RightClick(0, [&](HWND popup, HMENU menu) {
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(ItemText(menu, 0), L"Play using WinSPC");
        ChooseItem(menu, 0);
    });
    EXPECT_TRUE(Started(L"WINSPC"));  // and plays through it
}

TEST_F(FileListTest, TheCompactWindowPlaysAndStopsThroughTheList) {
    StartWithPlayer(players.Path(L"WINSPC"));
    main->mnuCompressed_Click();
    DoubleClickAt(EntryPoint(2));
    ASSERT_TRUE(Started(L"WINSPC"));
    RightClick(2, [&](HWND popup, HMENU menu) {
        ASSERT_NE(popup, nullptr);
        ChooseItem(menu, 1);  // Stop
    });
    EXPECT_TRUE(PumpUntil([&] { return players.Log(L"WINSPC").find(L"end") != std::wstring::npos; }));
    RightClick(0, [&](HWND popup, HMENU menu) {
        ASSERT_NE(popup, nullptr);
        ChooseItem(menu, 0);  // Play: the selected song, Gamma
    });
    ASSERT_TRUE(Started(L"WINSPC", 2));
    EXPECT_EQ(LongForm(PlayedFile(L"WINSPC")), work / L"Gamma.spc");
}

// No button is the default: Enter and Space on the focused picture play,
// Enter on Stop stops, and Esc does nothing anywhere.
TEST_F(FileListTest, EnterAndSpaceOnThePictureAfterTabPlayAndEnterOnStopStops) {
    StartWithPlayer(players.Path(L"WINSPC"));  // its options are greyed, out of the tab order
    ClickAt(EntryPoint(0));
    auto focusIs = [&](int id) {
        return PumpUntil([&] { return FocusOf(main->hwnd()) == Item(id); }, std::chrono::seconds(5), main->hwnd(),
                         main->accelerators());
    };
    ASSERT_TRUE(focusIs(IDC_spcFile));
    PressKey(VK_TAB);
    ASSERT_TRUE(focusIs(IDC_cmdPlay));
    PressKey(VK_RETURN);
    ASSERT_TRUE(Started(L"WINSPC", 1));
    PressKey(VK_SPACE);
    ASSERT_TRUE(Started(L"WINSPC", 2));
    PressKey(VK_ESCAPE);
    PumpFor(std::chrono::milliseconds(200));
    EXPECT_EQ(WindowText(main->hwnd()), L"[Running WinSPC]");
    PressKey(VK_TAB);
    ASSERT_TRUE(focusIs(IDC_cmdStop));
    PressKey(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return WindowText(main->hwnd()) == L"Velmoria"; }));
    PressKey(VK_ESCAPE);
    PumpFor(std::chrono::milliseconds(200));
    EXPECT_TRUE(main->IsOpen());
    EXPECT_EQ(players.CommandLines(L"WINSPC").size(), 2u);
}

// Every click on the picture is a play request, however quick the second.
TEST_F(FileListTest, AQuickSecondClickOnThePicturePlaysAgain) {
    StartWithPlayer(players.Path(L"WINSPC"));
    ClickAt(EntryPoint(1));
    ASSERT_TRUE(PumpUntil([&] { return main->spcFile().ListIndex() == 1; }));
    DoubleClickAt(CentreOf(Item(IDC_cmdPlay)));
    EXPECT_TRUE(PumpUntil([&] { return players.CommandLines(L"WINSPC").size() == 2; }));
}

// Letters typed quickly spell one prefix; after a pause a new search starts.
TEST_F(FileListTest, TypeAheadSearchesByTheWholePrefixTypedQuickly) {
    for (const wchar_t* name : {L"Echo.spc", L"Zap.spc", L"Zelda.spc"}) WriteBytes(work / name, "x");
    StartWithPlayer(players.Path(L"WINSPC"));
    main->spcDirectory_Change();
    ClickAt(EntryPoint(0));
    ASSERT_TRUE(PumpUntil([&] { return main->spcFile().ListIndex() == 0; }));
    PressKey('Z');
    PressKey('E');
    ASSERT_TRUE(PumpUntil([&] { return main->spcFile().Entry(main->spcFile().ListIndex()) == L"Zelda.spc"; }));
    ::Sleep(::GetDoubleClickTime() + 100);
    PressKey('E');
    EXPECT_TRUE(PumpUntil([&] { return main->spcFile().Entry(main->spcFile().ListIndex()) == L"Echo.spc"; }));
    EXPECT_EQ(players.Log(L"WINSPC"), L"");
}

}  // namespace
}  // namespace velmoria::test

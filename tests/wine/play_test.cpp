// Playing and stopping with real player processes: the stand-ins log the
// command line and show state they were started with and what reached them.
#include <algorithm>
#include <atomic>
#include <cstdio>

#include "base/paths.h"
#include "tests/wine/fixture.h"

namespace velmoria::test {
namespace {

using namespace testing;

class PlayTest : public WindowTest {};

// Short paths and the switches of the ticked boxes; shown, then hidden once
// its window comes (late here), with Velmoria keeping the keyboard, so that
// the next "a" typed does not end the song. Stop brings the window back and
// types the key that ends it.
TEST_F(PlayTest, SpcPlayGetsShortPathsAndSwitchesIsHiddenAndEndsOnStop) {
    Song(L"Long Song Name.spc", "Long Song");
    Song(L"Next.spc");
    StartWith(players.Path(L"SPCPLAY"));
    ::CheckDlgButton(main->hwnd(), IDC_chk8bit, BST_CHECKED);
    ::SendMessageW(Item(IDC_listSampling), CB_SETCURSEL, 3, 0);
    ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", L"late-window=700");
    ClickAt(EntryPoint(IDC_spcFile, 0));
    // Meanwhile another thread asks the window, as the user's input would.
    std::atomic<bool> started{false};
    std::vector<double> answers;
    Background asker([&] {
        while (!started) {
            const auto asked = std::chrono::steady_clock::now();
            ::SendMessageW(Item(IDC_spcFile), LB_GETCOUNT, 0, 0);
            answers.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count());
            ::Sleep(10);
        }
    });
    PressKey(VK_RETURN);  // played from the keyboard, which must come back to the list
    ASSERT_TRUE(Pump([&] { return Caption() == L"[Running SPCPlay]" && !main->PlayPending(); }));
    started = true;
    PumpUntil([] { return false; }, 50ms);
    asker.Join();
    std::sort(answers.begin(), answers.end());
    std::printf("[ figures  ] window latency while SPCPlay's window is awaited: %.1f ms at the 99th percentile of %zu "
                "(aim at most 16 ms)\n", answers.empty() ? 0.0 : answers[answers.size() * 99 / 100], answers.size());
    ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", nullptr);
    const HWND window = players.WindowOfLast(L"SPCPLAY");
    ASSERT_NE(window, nullptr);
    EXPECT_THAT(players.CommandLines(L"SPCPLAY"),
                ElementsAre(ShortForm(players.Path(L"SPCPLAY")) + L" " + ShortForm(work / L"Long Song Name.spc") +
                            L" -8 -z -r 3 "));
    EXPECT_THAT(players.ShowStates(L"SPCPLAY"), ElementsAre(SW_SHOWNORMAL));
    EXPECT_TRUE(players.WaitForLog(L"SPCPLAY", L"song=[Long Song]"));
    EXPECT_FALSE(::IsWindowVisible(window));
    PumpUntil([] { return false; }, 300ms);  // as long as a user takes to reach for the keys
    PressKey(VK_DOWN);
    EXPECT_TRUE(Pump([&] { return main->spcFile().ListIndex() == 1; }));
    EXPECT_EQ(main->spcPlayTaskId(), players.ProcessIds(L"SPCPLAY").back());
    PressKey('A');
    PumpUntil([] { return false; }, 300ms);
    EXPECT_THAT(players.Log(L"SPCPLAY"), Not(HasSubstr(L"key")));
    EXPECT_EQ(Caption(), L"[Running SPCPlay]");
    Stop();
    EXPECT_EQ(Caption(), L"Velmoria");
    EXPECT_TRUE(players.WaitForLog(L"SPCPLAY", L"key 65"));
    EXPECT_TRUE(players.WaitForLog(L"SPCPLAY", L"end"));
}

// Today's SPCPLAY.EXE, told apart by its version resource: SPCPlay's options
// greyed, one quoted long path, minimised without the focus; a second song is
// handed to the running copy, and Stop ends it with "-q".
TEST_F(PlayTest, TodaysSpcPlayGetsQuotedLongPathsTakesTheNextSongAndQuitsOnStop) {
    const std::wstring player = players.Path(L"current\\SPCPLAY");
    Song(L"First Song.spc", "First");
    Song(L"Second Song.spc", "Second");
    StartWith(player);
    EXPECT_FALSE(::IsWindowEnabled(Item(IDC_chkStereo)));
    Play(L"First Song.spc");
    ASSERT_NE(players.WindowOfLast(L"current\\SPCPLAY"), nullptr);
    EXPECT_EQ(Caption(), L"[Running SNES SPC700 Player]");
    EXPECT_TRUE(players.WaitForLog(L"current\\SPCPLAY", L"shown minimised"));
    EXPECT_EQ(::GetForegroundWindow(), main->hwnd());
    Play(L"Second Song.spc");
    EXPECT_TRUE(players.WaitForLog(L"current\\SPCPLAY", L"received [" + work / L"Second Song.spc" + L"]"));
    Stop();
    EXPECT_EQ(Caption(), L"Velmoria");
    EXPECT_TRUE(players.WaitForLog(L"current\\SPCPLAY", L"received [-q]"));
    EXPECT_TRUE(players.WaitForLog(L"current\\SPCPLAY", L"end"));
    EXPECT_THAT(players.CommandLines(L"current\\SPCPLAY"),
                ElementsAre(L"\"" + player + L"\" \"" + work / L"First Song.spc" + L"\"",
                            L"\"" + player + L"\" \"" + work / L"Second Song.spc" + L"\"", L"\"" + player + L"\" -q"));
    EXPECT_THAT(players.ShowStates(L"current\\SPCPLAY"), Each(SW_SHOWMINNOACTIVE));
}

// Title searches alone would find an Explorer window on a folder named WinSPC
// or an editor on zdspc-notes.txt; only windows of the player's exe count.
TEST_F(PlayTest, OtherProgramsCarryingPlayerTitlesAreLeftAlone) {
    Song(L"A.SPC");
    const HWND notes = players.StartBystander(L"SPCPLAY", L"NOTES", L"SPCPlay notes");
    ASSERT_NE(notes, nullptr);
    StartWith(players.Path(L"SPCPLAY"));
    Play(L"A.SPC");  // not refused because of the notes
    EXPECT_NE(players.WindowOfLast(L"SPCPLAY"), nullptr);
    main.reset();

    for (const auto& [player, bystander, title] : {std::tuple{L"WINSPC", L"EXPLORER", L"C:\\Games\\WinSPC"},
                                                    std::tuple{L"ZDSPC", L"EDITOR", L" ZDSpc notes"},
                                                    std::tuple{L"ZDSPC", L"NOTEPAD", L"zdspc-notes.txt - Notepad"}}) {
        StartWith(players.Path(player));
        Play(L"A.SPC");
        ASSERT_NE(players.WindowOfLast(player), nullptr);
        const DWORD id = players.ProcessIds(player).back();
        // Started after the player, the bystander stands in front of it.
        ASSERT_NE(players.StartBystander(player, bystander, title), nullptr);
        Stop();
        EXPECT_TRUE(WaitUntil([&, id = id] { return !ProcessRunning(id); })) << title;
        EXPECT_THAT(players.Log(bystander), Not(HasSubstr(L"close"))) << title;
        main.reset();
    }
    EXPECT_TRUE(::IsWindow(notes));

    // Another copy of SPCPLAY.EXE, started elsewhere and in front of ours:
    // Stop types its key into the one this run started, never into that one.
    players.EndAll();
    StartWith(players.Path(L"SPCPLAY"));
    Play(L"A.SPC");
    const DWORD ours = players.ProcessIds(L"SPCPLAY").back();
    MakeFolder(playerFolder / L"other");
    ASSERT_NE(players.StartBystander(L"SPCPLAY", L"other\\SPCPLAY", L"SPCPlay"), nullptr);
    Stop();
    EXPECT_TRUE(WaitUntil([&] { return !ProcessRunning(ours); }));
    EXPECT_THAT(players.Log(L"other\\SPCPLAY"), Not(HasSubstr(L"key")));
}

// Each starts as it should (the classic SPCPlay shown, with Stereo alone at
// the default rate; the others minimised), is adopted after an Exit and a
// restart, is replaced by a new song (WinSPC, ZD-SPC), and stops.
TEST_F(PlayTest, APlayerLeftByAnEarlierRunIsAdoptedAfterARestart) {
    Song(L"A.SPC");
    Song(L"B.SPC");
    const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
        {L"SPCPLAY", L"[Running SPCPlay]", false}, {L"WINSPC", L"[Running WinSPC]", true},
        {L"ZDSPC", L"[Running ZD-SPC]", true}, {L"current\\SPCPLAY", L"[Running SNES SPC700 Player]", false}};
    for (const auto& [player, caption, replaced] : cases) {
        const bool classic = player == std::wstring_view(L"SPCPLAY");
        StartWith(players.Path(player));
        Play(L"A.SPC");
        ASSERT_NE(players.WindowOfLast(player), nullptr);
        const DWORD id = players.ProcessIds(player).back();
        EXPECT_EQ(players.ShowStates(player).back(), classic ? SW_SHOWNORMAL : SW_SHOWMINNOACTIVE);
        EXPECT_TRUE(!classic || players.CommandLines(player).back().ends_with(L".SPC -z "));
        EXPECT_TRUE(players.WaitForLog(player, L"cwd=[" + ParentFolder(players.Path(player)) + L"]"));  // its own folder
        EXPECT_TRUE(players.WaitForLog(player, L"shown"));
        EXPECT_TRUE(Pump([&] { return ::GetForegroundWindow() == main->hwnd(); })) << Ascii(player);
        main->mnuExit_Click();
        main.reset();
        ASSERT_TRUE(ProcessRunning(id));

        StartWith(players.Path(player));
        EXPECT_EQ(Caption(), caption);
        EXPECT_TRUE(!classic || main->spcPlayTaskId() == id);
        if (replaced) {
            Play(L"B.SPC");
            EXPECT_TRUE(WaitUntil([&] { return !ProcessRunning(id); })) << player;
            ASSERT_NE(players.WindowOfLast(player), nullptr);
        }
        const DWORD last = players.ProcessIds(player).back();
        Stop();
        EXPECT_TRUE(WaitUntil([&] { return !ProcessRunning(id) && !ProcessRunning(last); })) << player;
        main.reset();
    }
}

// Play All (F5) plays the selected song, then each following one, through
// every kind of player, each for its tag's length; the caption names the
// song, its place and the time left, and says "Velmoria" after the last.
// Ctrl+Right and Ctrl+Left move at once; a player the user closes ends it.
TEST_F(PlayTest, PlayAllPlaysTheListThroughEachKindOfPlayer) {
    for (const auto& [title, name] : {std::pair{"One", L"One.spc"}, {"Two", L"Two.spc"}, {"Three", L"Three.spc"}}) {
        std::string song = SpcFileBytes(title, "Set");
        song.replace(0xA9, 1, "1");  // a second long
        WriteBytes(work / name, song);
    }
    for (const wchar_t* player : {L"WINSPC", L"SPCPLAY", L"ZDSPC", L"current\\SPCPLAY"}) {
        StartWith(players.Path(player));
        ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, 1, 0);  // One, Three, Two: from Three on
        PressKey(VK_F5);
        EXPECT_TRUE(Pump([&] { return Caption().starts_with(L"1/2 Three - 0:0"); })) << Ascii(Caption());
        EXPECT_TRUE(Pump([&] { return Caption().starts_with(L"2/2 Two"); })) << Ascii(Caption());
        EXPECT_TRUE(Pump([&] { return Caption() == L"Velmoria"; })) << Ascii(player);
        const std::wstring log = players.Log(player);
        EXPECT_LT(log.find(L"song=[Three]"), log.find(L"song=[Two]")) << Ascii(player);
        EXPECT_EQ(log.find(L"song=[One]"), std::wstring::npos);
        main.reset();
        players.EndAll();
    }
    StartWith(players.Path(L"WINSPC"));
    Song(L"Four.spc");  // no length in its tag: 3:10
    Reread();
    ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, 0, 0);  // Four
    const std::size_t before = players.ProcessIds(L"WINSPC").size();
    PressKey(VK_F5);
    PressKey(VK_RIGHT, true);
    EXPECT_TRUE(Pump([&] { return Caption().starts_with(L"2/4 One"); })) << Ascii(Caption());
    PressKey(VK_LEFT, true);
    EXPECT_TRUE(Pump([&] { return Caption().starts_with(L"1/4 A Song - 3:"); })) << Ascii(Caption());
    PressKey(VK_MEDIA_NEXT_TRACK);  // the media keys act too
    EXPECT_TRUE(Pump([&] { return Caption().starts_with(L"2/4 One"); })) << Ascii(Caption());
    ASSERT_TRUE(WaitUntil([&] { return players.ProcessIds(L"WINSPC").size() == before + 4; }));  // Four, One, Four, One
    ::SendMessageW(players.WindowOfLast(L"WINSPC"), WM_CLOSE, 0, 0);  // the user closes the player
    EXPECT_TRUE(Pump([&] { return Caption() == L"Velmoria" && !main->PlaysThrough(); })) << Ascii(Caption());
    // A single play ends it, and plays as ever; so does Stop.
    for (const int button : {IDC_cmdPlay, IDC_cmdStop}) {
        PressKey(VK_F5);
        ASSERT_TRUE(Pump([&] { return main->PlaysThrough(); }));
        ASSERT_NE(players.WindowOfLast(L"WINSPC"), nullptr);  // its player is up
        ::SendMessageW(Item(button), BM_CLICK, 0, 0);
        EXPECT_TRUE(Pump([&] {
            return !main->PlaysThrough() && Caption() == (button == IDC_cmdPlay ? L"[Running WinSPC]" : L"Velmoria");
        }));
    }
    // Each play replaced the one before: none of them plays on.
    const std::vector<DWORD> started = players.ProcessIds(L"WINSPC");
    EXPECT_TRUE(WaitUntil([&] { return std::ranges::none_of(started, ProcessRunning); }));
}

}  // namespace
}  // namespace velmoria::test

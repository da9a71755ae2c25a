// Playing and stopping with real player processes: the stand-ins log the
// command line and show state they were started with and what reached them.
#include <gmock/gmock.h>

#include "app/win_handles.h"
#include "tests/wine/main_window_fixture.h"

namespace velmoria::test {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;

class PlayTest : public MainWindowFixture {
protected:
    void TearDown() override {
        players.EndAll();
        MainWindowFixture::TearDown();
    }

    // Starts the main window with a stand-in (or any path) as its player.
    SpcMain& StartWithPlayer(const std::wstring& playerPath) {
        StartWith(Ascii(playerPath) + "\r\n 0 \r\n");
        main->Show();
        PumpUntil([&] { return ::GetForegroundWindow() == main->hwnd(); });
        return *main;
    }
    std::wstring Song(const std::wstring& name, std::string_view title = "A Song") {
        const std::wstring path = work / name;
        WriteBytes(path, SpcFileBytes(title, "A Game"));
        return path;
    }
    // Selects a song of the file list (refilling it first) and presses play.
    void Play(const std::wstring& name) {
        main->spcDirectory_Change();
        Select(name);
        main->cmdPlay_Click();
    }
    void Select(const std::wstring& name) {
        for (int i = 0; i < main->spcFile().Count(); ++i) {
            if (main->spcFile().Entry(i) == name) ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, i, 0);
        }
    }
    std::wstring Caption() const { return WindowText(main->hwnd()); }
    std::wstring Short(const std::wstring& path) const {
        wchar_t shortPath[MAX_PATH] = L"";
        ::GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
        return shortPath;
    }
    // The running stand-in's window, once it has one.
    HWND PlayerWindow(std::wstring_view name) {
        HWND window = nullptr;
        WaitUntil([&] {
            const auto ids = players.ProcessIds(name);
            return !ids.empty() && (window = WindowOfProcess(ids.back())) != nullptr;
        });
        return window;
    }
    // Plays A.SPC through SPCPlay and hides its window, as the launcher
    // means to; null when no window came.
    HWND PlayWithHiddenSpcPlay() {
        Song(L"A.SPC");
        StartWithPlayer(players.Path(L"SPCPLAY"));
        Play(L"A.SPC");
        const HWND window = PlayerWindow(L"SPCPLAY");
        if (window) ::ShowWindow(window, SW_HIDE);
        return window;
    }
    void EndPlayer(std::wstring_view name) {
        for (DWORD id : players.ProcessIds(name)) {
            UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
            if (process) {
                ::TerminateProcess(process.get(), 0);
                ::WaitForSingleObject(process.get(), 5000);
            }
        }
    }

    TempFolder playerFolder{L"player folder"};
    StandIns players{playerFolder.path()};
};

TEST_F(PlayTest, SpcPlayGetsShortPathsSwitchesAndIsShownNormally) {
    Song(L"Long Song Name.spc", "Long Song");
    StartWithPlayer(players.Path(L"SPCPLAY"));
    MessageBoxCatcher boxes;
    Play(L"Long Song Name.spc");
    ASSERT_TRUE(players.WaitForLog(L"SPCPLAY", L"start"));
    const std::wstring expected = Short(players.Path(L"SPCPLAY")) + L" " + Short(work / L"Long Song Name.spc") + L" ";
    EXPECT_THAT(players.CommandLines(L"SPCPLAY"), ElementsAre(expected + L"-z "));  // Stereo is ticked at start
    EXPECT_THAT(players.ShowStates(L"SPCPLAY"), ElementsAre(1));
    EXPECT_EQ(Caption(), L"[Running SPCPlay]");
    EXPECT_EQ(main->spcPlayTaskId(), players.ProcessIds(L"SPCPLAY").front());
    EXPECT_TRUE(players.WaitForLog(L"SPCPLAY", L"song=[Long Song]"));
    EXPECT_THAT(boxes.boxes(), IsEmpty());
}

TEST_F(PlayTest, EachBoxAndEachRateGivesItsSwitch) {
    Song(L"S.SPC");
    StartWithPlayer(players.Path(L"SPCPLAY"));
    ::CheckDlgButton(main->hwnd(), IDC_chkStereo, BST_UNCHECKED);
    const std::pair<int, const wchar_t*> boxes[] = {
        {IDC_chk8bit, L"-8 "}, {IDC_chkStereo, L"-z "}, {IDC_chkADSR, L"-x "}, {IDC_chkBuffering, L"-q "}};
    std::vector<std::wstring> expected;
    const std::wstring prefix = Short(players.Path(L"SPCPLAY")) + L" " + Short(work / L"S.SPC") + L" ";
    auto playOnce = [&] {
        const std::size_t before = players.CommandLines(L"SPCPLAY").size();
        Play(L"S.SPC");
        ASSERT_TRUE(WaitUntil([&] { return players.CommandLines(L"SPCPLAY").size() == before + 1; }));
        ASSERT_NE(PlayerWindow(L"SPCPLAY"), nullptr);
        EndPlayer(L"SPCPLAY");  // a second SPCPlay is refused while the first one's window is there
    };
    for (const auto& [id, text] : boxes) {
        ::CheckDlgButton(main->hwnd(), id, BST_CHECKED);
        playOnce();
        expected.push_back(prefix + text);
        ::CheckDlgButton(main->hwnd(), id, BST_UNCHECKED);
    }
    for (int rate : {0, 1, 2, 3, 4, 5}) {
        ::SendMessageW(Item(IDC_listSampling), CB_SETCURSEL, static_cast<WPARAM>(rate), 0);
        playOnce();
        expected.push_back(rate == 2 ? prefix : prefix + L"-r " + std::to_wstring(rate) + L" ");
    }
    EXPECT_EQ(players.CommandLines(L"SPCPLAY"), expected);
}

TEST_F(PlayTest, WinSpcAndZdSpcStartMinimisedWithoutTheFocus) {
    Song(L"A.SPC");
    for (const wchar_t* player : {L"WINSPC", L"ZDSPC"}) {
        StartWithPlayer(players.Path(player));
        Play(L"A.SPC");
        ASSERT_TRUE(players.WaitForLog(player, L"shown minimised"));
        EXPECT_THAT(players.ShowStates(player), ElementsAre(SW_SHOWMINNOACTIVE));
        EXPECT_THAT(players.CommandLines(player),
                    ElementsAre(Short(players.Path(player)) + L" " + Short(work / L"A.SPC") + L" "));
        EXPECT_TRUE(::IsIconic(PlayerWindow(player)));
        EXPECT_EQ(::GetForegroundWindow(), main->hwnd());
        main.reset();
    }
    EXPECT_EQ(StoredSettings(), Ascii(players.Path(L"ZDSPC")) + "\r\n 0 \r\n");
}

TEST_F(PlayTest, ASongInADriveRootHasOneBackslash) {
    if (SpareDriveRoot().empty()) GTEST_SKIP() << "no spare drive V: prepared";
    WriteBytes(L"V:\\ROOT.SPC", SpcFileBytes("Root", "Game"));
    StartWithPlayer(players.Path(L"WINSPC"));
    main->spcDrive();
    ::SetEnvironmentVariableW(L"=V:", nullptr);
    const auto entry = ::SendMessageW(Item(IDC_spcDrive), CB_FINDSTRING, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(L"v:"));
    ::SendMessageW(Item(IDC_spcDrive), CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    ::SendMessageW(main->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_spcDrive, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(Item(IDC_spcDrive)));
    ASSERT_EQ(main->spcFile().Path(), L"V:\\");
    Select(L"ROOT.SPC");
    main->cmdPlay_Click();
    ASSERT_TRUE(players.WaitForLog(L"WINSPC", L"start"));
    EXPECT_THAT(players.CommandLines(L"WINSPC"), ElementsAre(Short(players.Path(L"WINSPC")) + L" V:\\ROOT.SPC "));
    ::DeleteFileW(L"V:\\ROOT.SPC");
}

TEST_F(PlayTest, ASongDeletedAfterListingLeavesTwoSpaces) {
    Song(L"GONE.SPC");
    StartWithPlayer(players.Path(L"ZDSPC"));
    Select(L"GONE.SPC");
    ::DeleteFileW((work / L"GONE.SPC").c_str());
    main->cmdPlay_Click();
    ASSERT_TRUE(players.WaitForLog(L"ZDSPC", L"start"));
    EXPECT_THAT(players.CommandLines(L"ZDSPC"), ElementsAre(Short(players.Path(L"ZDSPC")) + L"  "));
}

TEST_F(PlayTest, AMissingPlayerFileIsSilentForSpcPlayAndAnErrorForTheOthers) {
    Song(L"A.SPC");
    for (const char* player : {"SPCPLAY", "WINSPC", "ZDSPC"}) {
        MessageBoxCatcher boxes;
        StartWith("C:\\no such folder\\" + std::string(player) + ".EXE\r\n 0 \r\n");
        main->Show();
        Play(L"A.SPC");
        if (std::string_view(player) == "SPCPLAY") {
            EXPECT_THAT(boxes.boxes(), IsEmpty());
            EXPECT_EQ(Caption(), L"Velmoria");
        } else {
            ASSERT_TRUE(boxes.WaitFor(1));
            EXPECT_EQ(boxes.boxes()[0].text, L"Error!");
            EXPECT_EQ(boxes.boxes()[0].icon, CaughtBox::Icon::Stop);
            EXPECT_EQ(boxes.boxes()[0].owner, main->hwnd());
        }
        main.reset();
    }
}

TEST_F(PlayTest, AnUnknownPlayerStartsNothingAndSaysNothing) {
    Song(L"A.SPC");
    WriteBytes(playerFolder / L"NOTEPAD.EXE", "MZ");
    MessageBoxCatcher boxes;
    StartWithPlayer(playerFolder / L"NOTEPAD.EXE");
    Play(L"A.SPC");
    PumpFor(std::chrono::milliseconds(300));
    EXPECT_THAT(boxes.boxes(), IsEmpty());
    EXPECT_EQ(Caption(), L"Velmoria");
}

TEST_F(PlayTest, NothingSelectedOnlyAsksForASong) {
    Song(L"A.SPC");
    StartWithPlayer(players.Path(L"WINSPC"));
    MessageBoxCatcher boxes;
    main->cmdPlay_Click();
    ASSERT_TRUE(boxes.WaitFor(1));
    EXPECT_EQ(boxes.boxes()[0].text, L"Please select an SPC to play.");
    EXPECT_EQ(boxes.boxes()[0].icon, CaughtBox::Icon::None);
    EXPECT_EQ(Caption(), L"Velmoria");
    EXPECT_EQ(players.Log(L"WINSPC"), L"");
}

TEST_F(PlayTest, ASecondSpcPlayIsRefusedWhileItsHiddenWindowIsThere) {
    ASSERT_NE(PlayWithHiddenSpcPlay(), nullptr);
    MessageBoxCatcher boxes;
    Play(L"A.SPC");
    ASSERT_TRUE(boxes.WaitFor(1));
    EXPECT_EQ(boxes.boxes()[0].text, L"Hit that little stop button\nbefore playing the next song!");
    EXPECT_EQ(boxes.boxes()[0].icon, CaughtBox::Icon::None);
    EXPECT_EQ(players.CommandLines(L"SPCPLAY").size(), 1u);
}

TEST_F(PlayTest, StopRestoresSpcPlayAndTypesTheKeyThatEndsIt) {
    ASSERT_NE(PlayWithHiddenSpcPlay(), nullptr);
    ::SetForegroundWindow(main->hwnd());
    main->cmdStop_Click();
    EXPECT_EQ(Caption(), L"Velmoria");
    EXPECT_TRUE(players.WaitForLog(L"SPCPLAY", L"key 65"));
    EXPECT_TRUE(players.WaitForLog(L"SPCPLAY", L"end"));
    // It can be played again.
    Play(L"A.SPC");
    EXPECT_TRUE(WaitUntil([&] { return players.CommandLines(L"SPCPLAY").size() == 2; }));
}

TEST_F(PlayTest, WinSpcAndZdSpcReplaceTheRunningOne) {
    Song(L"A.SPC");
    Song(L"B.SPC");
    for (const wchar_t* player : {L"WINSPC", L"ZDSPC"}) {
        StartWithPlayer(players.Path(player));
        Play(L"A.SPC");
        ASSERT_NE(PlayerWindow(player), nullptr);
        const DWORD first = players.ProcessIds(player).front();
        Play(L"B.SPC");
        EXPECT_TRUE(players.WaitForLog(player, L"close"));
        EXPECT_TRUE(WaitUntil([&] { return !ProcessRunning(first); }));
        ASSERT_TRUE(WaitUntil([&] { return players.CommandLines(player).size() == 2; }));
        EXPECT_THAT(players.CommandLines(player)[1], HasSubstr(Short(work / L"B.SPC")));
        EXPECT_TRUE(ProcessRunning(players.ProcessIds(player).back()));
        main.reset();
        players.EndAll();
    }
}

TEST_F(PlayTest, ZdSpcIsStoppedWhetherItsTitleBeginsWithOrOnlyHoldsZdSpc) {
    Song(L"A.SPC");
    StartWithPlayer(players.Path(L"ZDSPC"));
    for (const wchar_t* variant : {L"", L"title-inside"}) {
        ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", variant);
        Play(L"A.SPC");
        const HWND window = PlayerWindow(L"ZDSPC");
        ASSERT_NE(window, nullptr);
        const std::wstring title = WindowText(window);
        EXPECT_EQ(title.starts_with(L" ZDSpc"), std::wstring_view(variant).empty()) << title;
        const DWORD id = players.ProcessIds(L"ZDSPC").back();
        main->cmdStop_Click();
        EXPECT_TRUE(WaitUntil([&] { return !ProcessRunning(id); })) << title;
    }
    ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", nullptr);
}

TEST_F(PlayTest, StopWhileIdleAndASecondStopDoNothing) {
    Song(L"A.SPC");
    StartWithPlayer(players.Path(L"WINSPC"));
    MessageBoxCatcher boxes;
    main->cmdStop_Click();
    EXPECT_EQ(Caption(), L"Velmoria");
    Play(L"A.SPC");
    ASSERT_NE(PlayerWindow(L"WINSPC"), nullptr);
    main->cmdStop_Click();
    ASSERT_TRUE(players.WaitForLog(L"WINSPC", L"end"));
    main->cmdStop_Click();
    EXPECT_EQ(Caption(), L"Velmoria");
    const std::wstring log = players.Log(L"WINSPC");
    EXPECT_THAT(log, HasSubstr(L"close"));
    EXPECT_EQ(log.find(L"close"), log.rfind(L"close"));  // one close, from the one stop that acted
    EXPECT_THAT(boxes.boxes(), IsEmpty());
}

TEST_F(PlayTest, StopAfterThePlayerEndedByItselfOnlyResetsTheCaption) {
    Song(L"A.SPC");
    ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", L"exit-at-once");
    for (const wchar_t* player : {L"WINSPC", L"ZDSPC", L"SPCPLAY"}) {
        MessageBoxCatcher boxes;
        StartWithPlayer(players.Path(player));
        Play(L"A.SPC");
        ASSERT_TRUE(players.WaitForLog(player, L"end"));
        EXPECT_EQ(Caption().back(), L']');
        main->cmdStop_Click();
        EXPECT_EQ(Caption(), L"Velmoria");
        EXPECT_THAT(boxes.boxes(), IsEmpty());
        main.reset();
    }
    ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", nullptr);
}

TEST_F(PlayTest, TheMainWindowsRunningCaptionIsNeverTakenForAPlayer) {
    Song(L"A.SPC");
    for (const wchar_t* player : {L"WINSPC", L"ZDSPC"}) {
        StartWithPlayer(players.Path(player));
        Play(L"A.SPC");
        ASSERT_TRUE(players.WaitForLog(player, L"shown"));
        players.EndAll();
        // No player window is left, only the main window with its running caption.
        Play(L"A.SPC");
        PumpFor(std::chrono::milliseconds(300));
        EXPECT_TRUE(main->IsOpen());
        EXPECT_EQ(Caption().back(), L']');
        main.reset();
        players.EndAll();
    }
}

// The stop key goes only to the SPCPlay this program started, and only
// once that window is in front: never to whatever else has the focus.
TEST_F(PlayTest, TheStopKeyNeverReachesAnotherProgram) {
    Song(L"A.SPC");
    StartWithPlayer(players.Path(L"SPCPLAY"));
    ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", L"exit-at-once");
    Play(L"A.SPC");  // this SPCPlay ends by itself at once
    ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", nullptr);
    ASSERT_TRUE(players.WaitForLog(L"SPCPLAY", L"end"));

    // Another program's SPCPlay, and a bystander in the foreground.
    TempFolder elsewhere(L"elsewhere");
    StandIns others(elsewhere.path());
    for (const wchar_t* name : {L"SPCPLAY", L"WINSPC"}) {
        std::wstring line = L"\"" + others.Path(name) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                     &info));
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
    ASSERT_TRUE(others.WaitForLog(L"SPCPLAY", L"shown"));
    ASSERT_TRUE(others.WaitForLog(L"WINSPC", L"shown"));
    const HWND bystander = WindowOfProcess(others.ProcessIds(L"WINSPC").front());
    ::SetForegroundWindow(bystander);

    main->cmdStop_Click();
    PumpFor(std::chrono::milliseconds(800));
    EXPECT_EQ(Caption(), L"Velmoria");
    EXPECT_THAT(others.Log(L"SPCPLAY"), Not(HasSubstr(L"key")));
    EXPECT_THAT(others.Log(L"WINSPC"), Not(HasSubstr(L"key")));
}

// SPCPlay makes its window a moment after it starts; the launcher waits for
// that window and hides it, or the next "a" the user types would end the song.
TEST_F(PlayTest, SpcPlaysLateWindowIsStillHiddenAndVelmoriaKeepsTheKeyboard) {
    Song(L"A.SPC");
    StartWithPlayer(players.Path(L"SPCPLAY"));
    ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", L"late-window=700");
    Play(L"A.SPC");
    ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", nullptr);
    const HWND window = PlayerWindow(L"SPCPLAY");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_EQ(::GetForegroundWindow(), main->hwnd());
    PressKey('A');
    PumpFor(std::chrono::milliseconds(300));
    EXPECT_THAT(players.Log(L"SPCPLAY"), Not(HasSubstr(L"key")));
    EXPECT_EQ(Caption(), L"[Running SPCPlay]");
}

// Title searches alone would find an Explorer window on a folder named WinSPC
// or an editor on zdspc-notes.txt; only windows of the player's exe count.
TEST_F(PlayTest, OtherProgramsCarryingPlayerTitlesAreLeftAlone) {
    Song(L"A.SPC");
    const HWND notes = players.StartBystander(L"SPCPLAY", L"NOTES", L"SPCPlay notes");
    ASSERT_NE(notes, nullptr);
    MessageBoxCatcher boxes;
    StartWithPlayer(players.Path(L"SPCPLAY"));
    Play(L"A.SPC");  // not refused because of the notes
    ASSERT_NE(PlayerWindow(L"SPCPLAY"), nullptr);
    EXPECT_THAT(boxes.boxes(), IsEmpty());
    main.reset();

    struct Case {
        const wchar_t* player;
        const wchar_t* bystander;
        const wchar_t* title;
    };
    for (const Case& c : {Case{L"WINSPC", L"EXPLORER", L"C:\\Games\\WinSPC"},
                          Case{L"ZDSPC", L"EDITOR", L" ZDSpc notes"},
                          Case{L"ZDSPC", L"NOTEPAD", L"zdspc-notes.txt - Notepad"}}) {
        StartWithPlayer(players.Path(c.player));
        Play(L"A.SPC");
        ASSERT_NE(PlayerWindow(c.player), nullptr);
        const DWORD player = players.ProcessIds(c.player).back();
        // Started after the player, the bystander stands in front of it.
        const HWND bystander = players.StartBystander(c.player, c.bystander, c.title);
        ASSERT_NE(bystander, nullptr);
        main->cmdStop_Click();
        EXPECT_TRUE(WaitUntil([&] { return !ProcessRunning(player); })) << c.title;
        EXPECT_TRUE(::IsWindow(bystander)) << c.title;
        EXPECT_THAT(players.Log(c.bystander), Not(HasSubstr(L"close"))) << c.title;
        main.reset();
    }
    EXPECT_TRUE(::IsWindow(notes));
}

// Exit leaves the player playing; after a restart, Stop still reaches it.
TEST_F(PlayTest, APlayerLeftByAnEarlierRunIsStoppedAfterARestart) {
    Song(L"A.SPC");
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"SPCPLAY", L"[Running SPCPlay]"}, {L"WINSPC", L"[Running WinSPC]"}, {L"ZDSPC", L"[Running ZD-SPC]"}};
    for (const auto& [player, caption] : cases) {
        StartWithPlayer(players.Path(player));
        Play(L"A.SPC");
        ASSERT_NE(PlayerWindow(player), nullptr);
        const DWORD id = players.ProcessIds(player).back();
        main->mnuExit_Click();
        main.reset();
        ASSERT_TRUE(ProcessRunning(id));

        StartWithPlayer(players.Path(player));
        EXPECT_EQ(Caption(), caption);
        if (std::wstring_view(player) == L"SPCPLAY") EXPECT_EQ(main->spcPlayTaskId(), id);
        main->cmdStop_Click();
        EXPECT_TRUE(WaitUntil([&] { return !ProcessRunning(id); })) << player;
        EXPECT_EQ(Caption(), L"Velmoria");
        main.reset();
    }
}

TEST_F(PlayTest, AShortFormThatKeepsItsSpacesIsQuoted) {
    // A volume without 8.3 names: its short forms are the long paths.
    struct NoShortNames : Win32PlayerSystem {
        std::wstring ShortPathName(std::wstring_view path) override {
            const std::wstring_view trimmed = path.substr(0, path.find_last_not_of(L' ') + 1);
            return Exists(std::wstring(trimmed)) ? std::wstring(trimmed) : std::wstring();
        }
    } longNames;
    program.emplace(programFolder.path(), longNames);
    Song(L"With Spaces.spc", "Spaced Out");
    StartWithPlayer(players.Path(L"WINSPC"));
    Play(L"With Spaces.spc");
    ASSERT_TRUE(players.WaitForLog(L"WINSPC", L"song="));
    EXPECT_THAT(players.CommandLines(L"WINSPC"),
                ElementsAre(players.Path(L"WINSPC").find(L' ') != std::wstring::npos
                                ? L"\"" + players.Path(L"WINSPC") + L"\" \"" + (work / L"With Spaces.spc") + L"\" "
                                : players.Path(L"WINSPC") + L" \"" + (work / L"With Spaces.spc") + L"\" "));
    EXPECT_TRUE(players.WaitForLog(L"WINSPC", L"song=[Spaced Out]"));
    main.reset();
}

TEST_F(PlayTest, NamesOutsideTheCodePagePlayLikeAnyOther) {
    const std::wstring folder = work / L"\u0418\u0433\u0440\u044B";  // Cyrillic
    MakeFolder(folder);
    WriteBytes(folder + L"\\\u66F2.spc", SpcFileBytes("Far Away", "Game"));  // Japanese
    StartWithPlayer(players.Path(L"ZDSPC"));
    ::SendMessageW(Item(IDC_spcDirectory), LB_SETCURSEL, 3, 0);
    ::SendMessageW(main->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_spcDirectory, LBN_DBLCLK),
                   reinterpret_cast<LPARAM>(Item(IDC_spcDirectory)));
    ASSERT_EQ(main->spcFile().Path(), folder);
    Select(L"\u66F2.spc");
    main->cmdPlay_Click();
    EXPECT_TRUE(players.WaitForLog(L"ZDSPC", L"song=[Far Away]"));
}

}  // namespace
}  // namespace velmoria::test

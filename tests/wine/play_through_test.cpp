// A list played through as listeners use it: with another program in
// front, with songs that go away, long names, a single play or Exit in the
// middle, and browsing elsewhere meanwhile.
#include "base/paths.h"
#include "tests/wine/fixture.h"

namespace velmoria::test {
namespace {

using namespace testing;

class PlayThroughTest : public WindowTest {
protected:
    // Songs of a second each (or as many as given), titled as named unless untitled.
    void Songs(std::initializer_list<const wchar_t*> names, bool untitled = false, const char* seconds = "1") {
        for (const wchar_t* name : names) {
            const std::wstring title(name, std::wstring_view(name).find(L'.'));
            std::string song = SpcFileBytes(untitled ? "" : Ascii(title), "Set");
            song.replace(0xA9, 1, seconds);
            WriteBytes(work / name, song);
        }
    }
    void PlayAllFrom(int index) {
        Reread();
        ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        PressKey(VK_F5);
    }
    bool CaptionStarts(std::wstring_view start, std::chrono::milliseconds timeout = 10s) {
        const bool came = PumpUntil([&] { return Caption().starts_with(start); }, timeout, main->hwnd(), main->accelerators());
        if (!came) ADD_FAILURE() << "caption " << Ascii(Caption()) << ", not " << Ascii(start);
        return came;
    }
    // Another program the user went to, in front of Velmoria.
    HWND GoElsewhere() {
        const HWND other = players.StartBystander(L"WINSPC", L"EDITOR", L"Letters - Editor");
        EXPECT_NE(other, nullptr);
        ::SetForegroundWindow(other);
        EXPECT_TRUE(Pump([&] { return ::GetForegroundWindow() == other; }));
        return other;
    }
};

// Through each player while the user works in another program: the players
// that take a song without the foreground play on to the end; the classic
// SPCPlay, whose stop needs its window in front, waits and says so, and
// goes on once Velmoria is in front again. Nobody takes the keyboard from
// the other program meanwhile.
TEST_F(PlayThroughTest, AnotherProgramInFrontKeepsTheKeyboardAndNoSongIsSkipped) {
    Songs({L"One.spc", L"Two.spc"});
    for (const wchar_t* player : {L"WINSPC", L"ZDSPC", L"current\\SPCPLAY", L"SPCPLAY"}) {
        const bool classic = player == std::wstring_view(L"SPCPLAY");
        StartWith(players.Path(player));
        PlayAllFrom(0);
        ASSERT_TRUE(CaptionStarts(L"1/2 One - 0:0")) << Ascii(player);
        const HWND other = GoElsewhere();
        if (classic) {
            EXPECT_TRUE(CaptionStarts(L"2/2 Two.spc - waiting [Running SPCPlay]"));
            PumpUntil([] { return false; }, 1500ms);
            EXPECT_THAT(players.Log(player), Not(HasSubstr(L"key")));
            ::SetForegroundWindow(main->hwnd());
            EXPECT_TRUE(CaptionStarts(L"2/2 Two - 0:0"));
        } else {
            EXPECT_TRUE(CaptionStarts(L"2/2 Two - 0:0")) << Ascii(player);
            EXPECT_EQ(::GetForegroundWindow(), other) << Ascii(player);
        }
        EXPECT_TRUE(CaptionStarts(L"Velmoria")) << Ascii(player);
        const std::wstring log = players.Log(player);
        EXPECT_LT(log.find(L"song=[One]"), log.find(L"song=[Two]")) << Ascii(player);
        main.reset();
        players.EndAll();
    }
}

// A song deleted while the list plays is passed over without a word; a long
// title is cut in the caption, never the time left; Stop stops whatever the
// caption's length; the playing song is marked and selected, also when the
// list comes back to its folder, and keeps its title meanwhile.
TEST_F(PlayThroughTest, GoneSongsLongNamesAndBrowsingElsewhere) {
    const std::wstring longName = std::wstring(246, L'x') + L".spc";
    Songs({L"A.spc", L"B.spc", L"C.spc"});
    Songs({longName.c_str()}, true, "5");
    StartWith(players.Path(L"WINSPC"));
    EXPECT_EQ(::GetMenuState(::GetMenu(main->hwnd()), ID_mnuNext, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    PlayAllFrom(0);
    ASSERT_TRUE(CaptionStarts(L"1/4 A - 0:0"));
    EXPECT_EQ(::GetMenuState(::GetMenu(main->hwnd()), ID_mnuNext, MF_BYCOMMAND) & MF_GRAYED, 0u);
    ::DeleteFileW((work / L"B.spc").c_str());
    Reread();  // the list shows the folder without B, and marks A again
    EXPECT_EQ(main->spcFile().ListIndex(), 0);
    main->OpenPath(playerFolder.path(), false);  // browsing elsewhere keeps the title
    EXPECT_TRUE(CaptionStarts(L"1/4 A - "));
    ASSERT_TRUE(CaptionStarts(L"3/4 C - 0:0"));
    main->OpenPath(work.path(), false);
    EXPECT_TRUE(Pump([&] { return main->spcFile().ListIndex() == 1; }));  // C, after B has gone
    ASSERT_TRUE(Pump([&] { return Caption().starts_with(L"4/4 xxxxx") && Caption().ends_with(L" left [Running WinSPC]"); }));
    EXPECT_THAT(Caption(), HasSubstr(L"x\u2026 - 0:0"));
    const DWORD last = players.ProcessIds(L"WINSPC").back();
    Stop();
    EXPECT_EQ(Caption(), L"Velmoria");
    EXPECT_TRUE(WaitUntil([&] { return !ProcessRunning(last); }));
    EXPECT_EQ(players.Log(L"WINSPC").find(L"song=[B]"), std::wstring::npos);
}

// With the classic SPCPlay, a single play in the middle stops the running
// one as a play-through does, then plays the chosen song; Play/Pause stops a
// play-through and plays on from its song; Exit stops the player of a
// play-through (a single play's plays on). The media keys are Velmoria's only
// while it plays or is paused; idle, in front, Play/Pause plays the list.
TEST_F(PlayThroughTest, ASinglePlayPlayPauseAndExitInTheMiddle) {
    const auto othersMayHaveKeys = [] {  // and let them go at once
        return ::RegisterHotKey(nullptr, 77, MOD_NOREPEAT, VK_MEDIA_PLAY_PAUSE) && ::UnregisterHotKey(nullptr, 77);
    };
    Songs({L"A.spc", L"B.spc", L"C.spc"});
    StartWith(players.Path(L"SPCPLAY"));
    EXPECT_TRUE(othersMayHaveKeys());
    PlayAllFrom(0);
    ASSERT_TRUE(CaptionStarts(L"1/3 A - 0:0"));
    EXPECT_FALSE(othersMayHaveKeys());
    const DWORD first = players.ProcessIds(L"SPCPLAY").back();
    ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, 2, 0);
    ::SendMessageW(Item(IDC_cmdPlay), BM_CLICK, 0, 0);
    EXPECT_TRUE(Pump([&] { return players.Log(L"SPCPLAY").find(L"song=[C]") != std::wstring::npos; }));
    EXPECT_TRUE(Pump([&] { return Caption() == L"[Running SPCPlay]" && !main->PlayPending(); }));
    EXPECT_FALSE(ProcessRunning(first));
    EXPECT_FALSE(main->PlaysThrough());

    PlayAllFrom(1);
    ASSERT_TRUE(CaptionStarts(L"1/2 B - 0:0"));
    PressKey(VK_MEDIA_PLAY_PAUSE);
    EXPECT_TRUE(CaptionStarts(L"Velmoria"));
    EXPECT_EQ(main->spcFile().ListIndex(), 1);
    EXPECT_FALSE(othersMayHaveKeys());  // kept for the press that plays on
    PressKey(VK_MEDIA_PLAY_PAUSE);
    ASSERT_TRUE(CaptionStarts(L"1/2 B - 0:0"));
    PressKey(VK_MEDIA_STOP);
    EXPECT_TRUE(CaptionStarts(L"Velmoria"));
    EXPECT_TRUE(Pump([&] { return othersMayHaveKeys() && ::GetForegroundWindow() == main->hwnd(); }));
    PressKey(VK_MEDIA_PLAY_PAUSE);
    ASSERT_TRUE(CaptionStarts(L"1/2 B - 0:0"));
    const DWORD playing = players.ProcessIds(L"SPCPLAY").back();
    main->mnuExit_Click();
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(main->hwnd()); }, 10s));
    EXPECT_TRUE(WaitUntil([&] { return !ProcessRunning(playing); }));
}

}  // namespace
}  // namespace velmoria::test

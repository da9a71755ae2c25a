// The play and stop decisions over a fake system: which windows are searched
// for, what is started with which show state, and what the user is told.
#include "player/play_control.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <optional>

#include "base/paths.h"
#include "player/play_through.h"
#include "player/player_table.h"
#include "player/title_match.h"
#include "tests/native/fake_player_system.h"

namespace velmoria {
namespace {

using namespace testing;

// The window as the play control sees it: requests made, outcomes carried out.
class PlayControlTest : public testing::Test {
protected:
    void UsePlayer(const std::wstring& path, std::wstring_view description = {}) {
        system.shortForms[path] = path;
        system.playerExe = FileNameOf(TrimTrailingSpaces(path));
        control.emplace(system, Player{path, ResolvePlayerRow(path, description)});
    }
    void Select(const std::wstring& name) {
        selected = name;
        system.shortForms[L"C:\\MUSIC\\" + name] = L"C:\\MUSIC\\" + name;
    }
    PlayRequest Request() const { return {selected, L"C:\\MUSIC", options, caption.ends_with(L']')}; }
    void Carry(const PlayOutcome& outcome) {
        if (outcome.caption) caption = *outcome.caption;
        if (!outcome.message.empty()) messages.push_back(outcome.message + (outcome.icon == MessageIcon::Stop ? L" [stop]" : L""));
        foregroundTaken += outcome.takeForeground ? 1 : 0;
        if (outcome.player) players.push_back(outcome.player);
    }
    void Play() { Carry(control->Play(Request())); }
    void Stop() { Carry(control->Stop(caption.ends_with(L']'))); }

    std::wstring caption{kIdleCaption};
    std::wstring selected;
    SpcPlayOptions options{0, 0, 0, 0, kDefaultSamplingIndex};
    std::vector<std::wstring> messages;
    int foregroundTaken = 0;
    std::vector<ProcessId> players;
    FakeSystem system;
    std::optional<PlayControl> control;
};

// Shown normally with its switches, then its window waited for and hidden,
// and the foreground taken back; refused while its window exists.
TEST_F(PlayControlTest, SpcPlayStartsWithSwitchesIsHiddenAndIsNotStartedTwice) {
    UsePlayer(L"C:\\Long Players\\SpcPlay.exe");
    system.shortForms[L"C:\\Long Players\\SpcPlay.exe"] = L"C:\\LONGPL~1\\SPCPLAY.EXE";  // recognised from this
    Play();
    EXPECT_THAT(messages, ElementsAre(kSelectSpcMessage));
    EXPECT_THAT(system.log, IsEmpty());

    Select(L"SONG1.SPC");
    options = {1, 1, 0, 0, 3};
    system.windowOnStart = L"SPCPlay - SONG1";
    Play();
    EXPECT_THAT(system.log, ElementsAre(L"start 1 [C:\\LONGPL~1\\SPCPLAY.EXE C:\\MUSIC\\SONG1.SPC -8 -z -r 3 ]",
                                        L"wait 100 2000", L"hide 1"));
    EXPECT_EQ(caption, L"[Running SPCPlay]");
    EXPECT_EQ(control->spcPlayTaskId(), 100u);
    EXPECT_THAT(players, ElementsAre(100u));  // the window is to watch it
    EXPECT_EQ(foregroundTaken, 1);

    caption = kIdleCaption;
    Play();
    EXPECT_THAT(messages, ElementsAre(kSelectSpcMessage, kStopFirstMessage));
    EXPECT_EQ(system.log.size(), 3u);
    EXPECT_EQ(caption, kIdleCaption);

    // A player that is not there has no short path: "Error!", and nothing is
    // started with a line that would begin with the song.
    control.emplace(system, Player{L"C:\\GONE\\SPCPLAY.EXE", ResolvePlayerRow(L"SPCPLAY.EXE", {})});
    Play();
    EXPECT_EQ(system.log.size(), 3u);
    EXPECT_THAT(messages, ElementsAre(kSelectSpcMessage, kStopFirstMessage, L"Error! [stop]"));
}

// A running WinSPC or ZD-SPC is stopped first (ZD-SPC by either search, the
// leading-space title first); a failed start says "Error!" and undoes nothing.
TEST_F(PlayControlTest, WinSpcAndZdSpcReplaceTheRunningOneMinimisedWithoutTheFocus) {
    UsePlayer(L"C:\\P\\winspc.exe");
    Select(L"A.SPC");
    system.windows = {{3, L"B.SPC - WinSPC", 60}};
    caption = L"[Running WinSPC]";
    system.windowOnStart = L"A.SPC - WinSPC";
    Play();
    EXPECT_THAT(system.log, ElementsAre(L"close 3", L"start 7 [C:\\P\\winspc.exe C:\\MUSIC\\A.SPC ]"));
    EXPECT_EQ(caption, L"[Running WinSPC]");
    EXPECT_EQ(system.startFolder, L"C:\\P");  // in its own folder, as a double-click starts it
    // Where a volume has no short names, a path with a space or a character
    // outside the code page reaches the player as a plain copy; so does a
    // song named like a device, which the player would open as the device.
    for (const wchar_t* song : {L"Long Name.spc", L"\u66F2.spc", L"COM1.spc"}) {
        system.log.clear();
        Select(song);
        Play();
        EXPECT_THAT(system.log, ElementsAre(StartsWith(L"close"), L"start 7 [C:\\P\\winspc.exe C:\\TEMP\\COPY-OF-" +
                                                                   std::wstring(1, song[0]) + L" ]"));
    }
    system.windowOnStart.clear();

    UsePlayer(L"C:\\P\\ZDSPC.EXE");
    system.log.clear();
    system.windows = {{1, L"Player ZDSpc", 70}, {2, L" ZDSpc 1.0", 71}};
    selected = L"GONE.SPC";  // deleted since the list was filled: the list is read again, nothing started
    const PlayOutcome gone = control->Play(Request());
    EXPECT_TRUE(gone.refreshList && !gone.caption && gone.message.empty());
    Select(L"A.SPC");
    Play();
    system.windows.erase(system.windows.begin() + 1);
    caption = L"[Running ZD-SPC]";
    system.startFails = true;
    Play();
    EXPECT_THAT(system.log, ElementsAre(L"close 2", L"start 7 [C:\\P\\ZDSPC.EXE C:\\MUSIC\\A.SPC ]", L"close 1"));
    EXPECT_THAT(messages, ElementsAre(L"Error! [stop]"));
    EXPECT_EQ(caption, kIdleCaption);

    UsePlayer(L"C:\\P\\ZDSPC.EXE  ");  // blanks a hand-edited file left: its windows are found all the same
    system.log.clear();
    system.startFails = false;
    caption = L"[Running ZD-SPC]";
    Stop();
    EXPECT_THAT(system.log, ElementsAre(L"close 1"));

    UsePlayer(L"C:\\P\\NOTEPAD.EXE");  // none of the three: never started, and Stop only resets the caption
    system.log.clear();
    Play();
    caption = L"[anything]";
    Stop();
    EXPECT_EQ(caption, kIdleCaption);
    EXPECT_THAT(system.log, IsEmpty());
    EXPECT_EQ(messages.size(), 1u);
}

// Stop acts only while the caption ends in "]", and resets it first.
TEST_F(PlayControlTest, StopActsOnlyOnARunningCaption) {
    UsePlayer(L"C:\\P\\WINSPC.EXE");
    system.windows = {{5, L"WinSPC", 90}};
    Stop();
    caption = L"[Running WinSPC]";
    Stop();
    Stop();  // the second finds the idle caption
    EXPECT_THAT(system.log, ElementsAre(L"close 5"));
    // Stopped a moment after its start, before its window came: that window is waited for.
    system.windows.clear();
    system.log.clear();
    Select(L"A.SPC");
    Play();
    Stop();
    EXPECT_THAT(system.log, ElementsAre(StartsWith(L"start"), L"wait 100 2000"));
    // The player a play replaced may still show its window as it closes:
    // Stop closes the one started since, or waits for its window to come.
    for (const bool newWindow : {true, false}) {
        UsePlayer(L"C:\\P\\WINSPC.EXE");
        system.windows = {{5, L"B.SPC - WinSPC", 90}};
        system.windowOnStart = newWindow ? L"A.SPC - WinSPC" : L"";
        caption = L"[Running WinSPC]";
        system.log.clear();
        Play();
        Stop();
        EXPECT_THAT(system.log, ElementsAre(L"close 5", StartsWith(L"start"), newWindow ? L"close 2" : L"wait 102 2000"));
    }
    // Next pressed before the new player's window came: it is waited for and replaced.
    system.windows.clear();
    system.log.clear();
    caption = L"[Running WinSPC]";
    Play();
    EXPECT_THAT(system.log, ElementsAre(L"wait 102 2000", StartsWith(L"start")));
}

// SPCPlay ends on the key "a", typed into whatever window is active: so only
// into the SPCPlay this program started, and only once it is in front.
TEST_F(PlayControlTest, StopTypesTheKeyOnlyIntoOurSpcPlayInFront) {
    UsePlayer(L"C:\\P\\SPCPLAY.EXE");
    caption = L"[Running SPCPlay]";
    system.windows = {{8, L"SPCPlay", 0}};
    Stop();  // none started yet: no window is touched
    system.windows.clear();
    Select(L"A.SPC");
    Play();  // process 100, no window yet
    system.windows = {{8, L"SPCPlay (someone else's)", 42}, {9, L"SPCPlay", 100}};
    Stop();
    EXPECT_THAT(system.log, ElementsAre(StartsWith(L"start 1"), L"wait 100 2000", L"restore 9", L"foreground 9 2000",
                                        L"key a"));
    system.log.clear();
    system.foregroundWorks = false;
    caption = L"[Running SPCPlay]";
    Stop();
    EXPECT_THAT(system.log, ElementsAre(L"restore 9", L"foreground 9 2000"));
    EXPECT_THAT(messages, IsEmpty());
    EXPECT_EQ(caption, L"[Running SPCPlay]");  // the key withheld: it plays on, and Stop can be pressed again
}

// The row a stored path resolves to: only the end of the path counts, and
// two programs named SPCPLAY.EXE are told apart by their description.
TEST(PlayerTable, ARowPerPlayerChosenByTheEndOfThePath) {
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\MYSPCPLAY.EXE", L"", L"[Running SPCPlay]"},
        {L"C:\\SPCPLAY.EXE ", L"SNES SPC700 Player", L"[Running SNES SPC700 Player]"},
        {L"c:\\p\\winspc.exe", L"SNES SPC700 Player", L"[Running WinSPC]"},
        {L"ZDSPC.EXE", L"", L"[Running ZD-SPC]"},
        {L"PLAY.EXE", L"", L""},
    };
    for (const auto& [path, description, caption] : cases) {
        const PlayerRow* row = ResolvePlayerRow(path, description);
        EXPECT_EQ(row ? row->runningCaption : L"", std::wstring_view(caption)) << path;
        EXPECT_EQ(NeedsDescription(path), EndsWithNoCase(TrimTrailingSpaces(path), L"SPCPLAY.EXE")) << path;
    }
    const PlayerRow* today = ResolvePlayerRow(L"SPCPLAY.EXE", L"SNES SPC700 Player");
    const PlayerRow* classic = ResolvePlayerRow(L"SPCPLAY.EXE", L"SPC player");
    EXPECT_TRUE(today && classic && today != classic && classic->switches && !today->switches);
    EXPECT_EQ(PlayUsingCaption(classic), L"Play using SPCPlay");
    EXPECT_EQ(PlayUsingCaption(nullptr), L"Play using ZD-SPC");  // a path that names no player
    EXPECT_EQ(PlayerFilePatterns(), L"SPCPLAY.EXE;WINSPC.EXE;ZDSPC.EXE");
}

// A play-through: the list's order from the selected song, or every song
// once, shuffled, the selected first; Repeat starts over; Previous goes back.
TEST(PlayThrough, InOrderOrShuffledOnceOrOverAgain) {
    auto played = [](PlayThrough through, std::size_t most) {
        std::vector<std::size_t> songs{through.Current()};
        while (songs.size() < most) {
            const std::optional<std::size_t> next = through.Next();
            if (!next) break;
            songs.push_back(*next);
        }
        return songs;
    };
    EXPECT_THAT(played(PlayThrough(4, 1, false, false, 7), 10), ElementsAre(1, 2, 3));
    EXPECT_THAT(played(PlayThrough(3, 2, false, true, 7), 5), ElementsAre(2, 0, 1, 2, 0));
    std::vector<std::size_t> shuffled = played(PlayThrough(8, 5, true, false, 7), 20);
    EXPECT_EQ(shuffled.front(), 5u);
    EXPECT_NE(shuffled, played(PlayThrough(8, 5, true, false, 8), 20));  // another seed, another order
    std::sort(shuffled.begin(), shuffled.end());
    EXPECT_THAT(shuffled, ElementsAre(0, 1, 2, 3, 4, 5, 6, 7));
    std::vector<std::size_t> twice = played(PlayThrough(5, 0, true, true, 7), 10);
    std::sort(twice.begin() + 5, twice.end());
    EXPECT_THAT(std::vector<std::size_t>(twice.begin() + 5, twice.end()), ElementsAre(0, 1, 2, 3, 4));
    PlayThrough back(3, 0, false, false, 7);
    back.Next();
    EXPECT_EQ(back.Place(), 2u);
    EXPECT_EQ(back.Previous(), 0u);
    EXPECT_EQ(back.Previous(), 0u);
}

}  // namespace
}  // namespace velmoria

// The play session as the window drives it: events in, steps carried out
// over the play control and a fake system, with a fake clock. Each row is a
// sequence of events and what the listener then sees and the players got.
#include "player/play_session.h"

#include <gmock/gmock.h>

#include <sstream>

#include "player/player_table.h"
#include "tests/native/fake_player_system.h"

namespace velmoria {
namespace {

using namespace testing;

// The window's part: requests go "to the pool" and come back when released
// (at once unless held), songs' tags are read on request, players end on cue.
struct Driver {
    explicit Driver(const std::wstring& player) : control(system, Player{player, ResolvePlayerRow(player, {})}),
                                                  session(control.player().row) {
        system.shortForms[player] = player;
        system.playerExe = FileNameOf(player);
        system.windowOnStart = control.player().row->searches[0].text;  // a title its searches find
        for (const wchar_t* song : {L"A.SPC", L"B.SPC", L"C.SPC"}) system.shortForms[L"C:\\M\\" + std::wstring(song)] = L"C:\\M\\" + std::wstring(song);
    }
    void Carry(SessionStep step) {
        if (step.caption) caption = step.caption->Text();
        if (!step.message.empty()) messages.push_back(step.message);
        if (step.readSong) read = step.readSong->first;
        if (step.play) pending = [this, request = *step.play] { return control.Play(request); };
        if (step.stop) pending = [this] { return control.Stop(true); };
        if (!hold) Release();
    }
    void Release() {
        while (pending) {
            auto job = std::exchange(pending, nullptr);
            Carry(session.Done(job(), now));
        }
    }
    // The player ends: its windows go, and its watch tells the session.
    void End() {
        const ProcessId process = session.player();
        std::erase_if(system.windows, [&](const FakeSystem::Window& w) { return w.process == process; });
        Carry(session.PlayerEnded(process, now));
    }
    void Do(const std::string& event) {
        std::istringstream words(event);
        std::string verb;
        long long value = 0;
        words >> verb >> value;
        if (verb == "all") Carry(session.PlayAll({L"C:\\M", {L"A.SPC", L"B.SPC", L"C.SPC"}, {}, static_cast<std::size_t>(value)}, {}, false, repeat, 1, now));
        if (verb == "at") Carry(session.Tick(now = static_cast<std::uint64_t>(value)));
        if (verb == "read") Carry(session.SongRead(read, L"Song " + std::to_wstring(read), static_cast<int>(value), now));
        if (verb == "end") End();
        if (verb == "next") Carry(session.Next(now));
        if (verb == "previous") Carry(session.Previous(now));
        if (verb == "stop") Carry(session.Stop());
        if (verb == "play") Carry(session.Play({L"C.SPC", L"C:\\M", {}, false}, now));
        if (verb == "front") Carry(session.InFront(value != 0, now));
        if (verb == "hold") hold = value != 0;
        if (verb == "release") Release();
        if (verb == "gone") system.shortForms.erase(L"C:\\M\\B.SPC");
        if (verb == "fails") system.startFails = true;
    }
    // What the players were given: the songs started and the stops sent.
    std::vector<std::wstring> Given() const {
        std::vector<std::wstring> given;
        for (const std::wstring& line : system.log) {
            if (line.starts_with(L"start")) given.push_back(line.substr(line.find(L"C:\\M\\") + 5, 5));
            if (line == L"key a" || line.starts_with(L"close")) given.push_back(L"stop");
        }
        return given;
    }

    FakeSystem system;
    PlayControl control;
    PlaySession session;
    std::uint64_t now = 0;
    unsigned read = 0;
    bool hold = false;
    bool repeat = false;
    std::function<PlayOutcome()> pending;
    std::wstring caption{kIdleCaption};
    std::vector<std::wstring> messages;
};

struct Case {
    const char* name;
    const wchar_t* player;
    std::vector<std::string> events;
    std::wstring caption;
    std::vector<std::wstring> given;
    std::vector<std::wstring> messages{};
};

TEST(PlaySession, EventSequencesAndWhatTheListenerSees) {
    const Case cases[] = {
        {"each song for its length, then the player stopped", L"C:\\P\\WINSPC.EXE",
         {"all 0", "read 2000", "at 1000"}, L"1/3 Song 1 - 0:01 left [Running WinSPC]", {L"A.SPC"}},
        {"the last song's end stops the player", L"C:\\P\\WINSPC.EXE",
         {"all 1", "read 2000", "at 2000", "read 1000", "at 3000"}, L"Velmoria", {L"B.SPC", L"stop", L"C.SPC", L"stop"}},
        {"SPCPlay: one stop, and the next song once the player has ended", L"C:\\P\\SPCPLAY.EXE",
         {"all 0", "read 1000", "at 1000", "at 1250", "at 1500", "end", "read 1000"},
         L"2/3 Song 2 - 0:01 left [Running SPCPlay]", {L"A.SPC", L"stop", L"B.SPC"}},
        {"SPCPlay between two songs: the caption stays the play-through's", L"C:\\P\\SPCPLAY.EXE",
         {"all 0", "read 1000", "at 1000", "at 1250"}, L"1/3 Song 1 - 0:01 left [Running SPCPlay]", {L"A.SPC", L"stop"}},
        {"SPCPlay in the background: the next song waits, untouched", L"C:\\P\\SPCPLAY.EXE",
         {"all 0", "read 1000", "front 0", "at 1000", "at 9000"}, L"2/3 B.SPC - waiting [Running SPCPlay]", {L"A.SPC"}},
        {"SPCPlay back in front: the waiting song plays", L"C:\\P\\SPCPLAY.EXE",
         {"all 0", "read 1000", "front 0", "at 1000", "front 1", "end"}, L"2/3 B.SPC [Running SPCPlay]",
         {L"A.SPC", L"stop", L"B.SPC"}},
        {"a play-through right after Stop waits for the stopped SPCPlay to end", L"C:\\P\\SPCPLAY.EXE",
         {"all 0", "stop", "all 1", "at 100", "end"}, L"1/2 B.SPC [Running SPCPlay]", {L"A.SPC", L"stop", L"B.SPC"}},
        {"a stopped player that never ends: the next song tries after a while", L"C:\\P\\SPCPLAY.EXE",
         {"all 0", "read 1000", "at 1000", "at 6001"}, L"Velmoria", {L"A.SPC", L"stop"},
         {std::wstring(kStopFirstMessage)}},
        {"a song deleted meanwhile is passed over without a word", L"C:\\P\\ZDSPC.EXE",
         {"all 0", "gone", "read 500", "at 1000"}, L"3/3 C.SPC [Running ZD-SPC]", {L"A.SPC", L"stop", L"C.SPC"}},
        {"a player that cannot start ends the play-through with one message", L"C:\\P\\WINSPC.EXE",
         {"all 0", "fails", "next", "at 9000", "next"}, L"Velmoria", {L"A.SPC", L"stop"}, {L"Error!"}},
        {"a single play during a play-through stops SPCPlay first", L"C:\\P\\SPCPLAY.EXE",
         {"all 0", "read 60000", "play", "end", "at 999999"}, L"[Running SPCPlay]", {L"A.SPC", L"stop", L"C.SPC"}},
        {"...and tries after a while when the stopped player never ends", L"C:\\P\\SPCPLAY.EXE",
         {"all 0", "at 100", "play", "at 5000", "at 5101"}, L"Velmoria", {L"A.SPC", L"stop"},
         {std::wstring(kStopFirstMessage)}},
        {"commands given while a play is out wait for it, the last one counts", L"C:\\P\\WINSPC.EXE",
         {"hold 1", "all 0", "next", "next", "previous", "hold 0", "release"}, L"1/3 A.SPC [Running WinSPC]",
         {L"A.SPC", L"stop", L"A.SPC"}},
        {"the user closes the player: nothing runs, the play-through ends", L"C:\\P\\WINSPC.EXE",
         {"all 0", "read 9000", "end", "at 99999"}, L"Velmoria", {L"A.SPC"}},
        {"Stop ends the play-through and the player", L"C:\\P\\WINSPC.EXE",
         {"all 2", "stop", "stop", "at 99999"}, L"Velmoria", {L"C.SPC", L"stop"}},
        {"a forged length neither ends a song at once nor holds it for ever", L"C:\\P\\WINSPC.EXE",
         {"all 0", "read -5", "at 500", "next", "read 2147483647", "at 20000000"}, L"3/3 C.SPC [Running WinSPC]",
         {L"A.SPC", L"stop", L"B.SPC", L"stop", L"C.SPC"}},
    };
    for (const Case& c : cases) {
        Driver driver(c.player);
        for (const std::string& event : c.events) driver.Do(event);
        EXPECT_EQ(driver.caption, c.caption) << c.name;
        EXPECT_EQ(driver.Given(), c.given) << c.name;
        EXPECT_EQ(driver.messages, c.messages) << c.name;
    }
}

// Shuffle and Repeat changed under way act on the songs not yet played.
TEST(PlayThrough, ShuffleAndRepeatChangedUnderWayKeepTheCurrentSong) {
    PlayThrough through(6, 0, false, false, 7);
    through.Next();  // 1
    through.SetShuffle(true);
    std::vector<std::size_t> rest;
    while (const auto next = through.Next()) rest.push_back(*next);
    std::sort(rest.begin(), rest.end());
    EXPECT_THAT(rest, ElementsAre(2, 3, 4, 5));  // every song not yet played, once, in some order
    PlayThrough back(5, 1, true, false, 7);
    back.SetShuffle(false);  // the rest in the list's order after the current song, round to the start
    std::vector<std::size_t> ordered;
    while (const auto next = back.Next()) ordered.push_back(*next);
    EXPECT_THAT(ordered, ElementsAre(2, 3, 4, 0));
    back.SetRepeat(true);
    EXPECT_TRUE(back.Next().has_value());
}

}  // namespace
}  // namespace velmoria

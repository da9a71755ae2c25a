#include "player/play_control.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

#include "base/paths.h"
#include "player/title_match.h"

namespace velmoria {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

struct FakeView : PlayerView {
    std::wstring caption{kIdleCaption};
    std::wstring selected;
    std::wstring folder = L"C:\\MUSIC";
    SpcPlayOptions options{0, 0, 0, 0, kDefaultSamplingIndex};
    std::vector<std::wstring> messages;

    std::wstring Caption() const override { return caption; }
    void SetCaption(std::wstring_view text) override { caption = text; }
    std::wstring SelectedSpcFile() const override { return selected; }
    std::wstring SpcFolder() const override { return folder; }
    SpcPlayOptions Options() const override { return options; }
    void ShowMessage(std::wstring_view text, MessageIcon icon) override {
        messages.push_back(std::wstring(text) + (icon == MessageIcon::Stop ? L" [stop]" : L""));
    }
    void TakeForeground() override { ++foregroundTaken; }
    int foregroundTaken = 0;
};

// Windows in their top-level order, and a log of what was done to them.
struct FakeSystem : PlayerSystem {
    struct Window {
        WindowId id;
        std::wstring title;
        ProcessId process;
        std::wstring exe{};  // empty: the player's own exe
    };
    std::vector<Window> windows;
    std::map<std::wstring, std::wstring> shortForms;  // missing: no short form
    std::vector<std::wstring> log;
    bool startFails = false;
    bool foregroundWorks = true;
    ProcessId nextProcess = 100;
    std::wstring windowOnStart;  // title of a window the started program shows once it is ready
    std::wstring playerExe;      // the exe name windows without one of their own run

    std::wstring ShortPathName(std::wstring_view path) override {
        const std::wstring trimmed(path.substr(0, path.find_last_not_of(L' ') + 1));
        const auto it = shortForms.find(trimmed);
        return it == shortForms.end() ? L"" : it->second;
    }
    WindowId FindTitledWindow(std::wstring_view search, std::int32_t mode, ProcessId process,
                              std::wstring_view exeName) override {
        for (const Window& w : windows) {
            const std::wstring& exe = w.exe.empty() ? playerExe : w.exe;
            if (TitleMatches(w.title, search, mode) && (process == 0 || process == w.process) &&
                (exeName.empty() || EqualsNoCase(exe, exeName))) {
                return w.id;
            }
        }
        return 0;
    }
    WindowId WaitForWindow(std::wstring_view search, std::int32_t mode, ProcessId process, std::wstring_view exeName,
                           int timeoutMs) override {
        log.push_back(L"wait " + std::to_wstring(process) + L" " + std::to_wstring(timeoutMs));
        return FindTitledWindow(search, mode, process, exeName);
    }
    ProcessId WindowProcess(WindowId window) override {
        for (const Window& w : windows) {
            if (w.id == window) return w.process;
        }
        return 0;
    }
    ProcessId StartProcess(std::wstring_view commandLine, ShowStyle style) override {
        if (startFails) throw PlayerError("cannot start");
        log.push_back(L"start " + std::to_wstring(static_cast<int>(style)) + L" [" + std::wstring(commandLine) + L"]");
        if (!windowOnStart.empty()) windows.push_back({windows.size() + 1, windowOnStart, nextProcess, {}});
        return nextProcess++;
    }
    void HideWindow(WindowId w) override { log.push_back(L"hide " + std::to_wstring(w)); }
    void RestoreWindow(WindowId w) override { log.push_back(L"restore " + std::to_wstring(w)); }
    void PostClose(WindowId w) override { log.push_back(L"close " + std::to_wstring(w)); }
    bool BringToForeground(WindowId w, int timeoutMs) override {
        log.push_back(L"foreground " + std::to_wstring(w) + L" " + std::to_wstring(timeoutMs));
        return foregroundWorks;
    }
    void SendKeyA() override { log.push_back(L"key a"); }
};

class PlayControlTest : public testing::Test {
protected:
    void UsePlayer(const std::wstring& path) {
        system.shortForms[path] = path;
        system.playerExe = FileNameOf(path);
        control.emplace(view, system, path);
    }
    void Select(const std::wstring& name) {
        view.selected = name;
        system.shortForms[view.folder + L"\\" + name] = view.folder + L"\\" + name;
    }

    FakeView view;
    FakeSystem system;
    std::optional<PlayControl> control;
};

TEST_F(PlayControlTest, NothingSelectedOnlyAsksForAFile) {
    UsePlayer(L"C:\\P\\SPCPLAY.EXE");
    control->cmdPlay_Click();
    EXPECT_THAT(view.messages, ElementsAre(kSelectSpcMessage));
    EXPECT_THAT(system.log, IsEmpty());
    EXPECT_EQ(view.caption, kIdleCaption);
    EXPECT_EQ(control->spcPlayTaskId(), 0u);
}

TEST_F(PlayControlTest, SpcPlayStartsShownWithSwitchesAndIsHidden) {
    UsePlayer(L"C:\\PLAYERS\\SPCPLAY.EXE");
    Select(L"SONG1.SPC");
    view.options = {1, 1, 0, 0, 3};
    system.windowOnStart = L"SPCPlay - SONG1";
    control->cmdPlay_Click();
    EXPECT_THAT(system.log, ElementsAre(L"start 1 [C:\\PLAYERS\\SPCPLAY.EXE C:\\MUSIC\\SONG1.SPC -8 -z -r 3 ]",
                                        L"wait 100 2000", L"hide 1"));
    EXPECT_EQ(view.caption, kRunningSpcPlay);
    EXPECT_EQ(view.foregroundTaken, 1);
    EXPECT_EQ(control->spcPlayTaskId(), 100u);
    EXPECT_THAT(view.messages, IsEmpty());
}

TEST_F(PlayControlTest, SpcPlayWithoutAWindowYetIsNotHidden) {
    UsePlayer(L"C:\\P\\SPCPLAY.EXE");
    Select(L"A.SPC");
    control->cmdPlay_Click();
    EXPECT_THAT(system.log, ElementsAre(L"start 1 [C:\\P\\SPCPLAY.EXE C:\\MUSIC\\A.SPC ]", L"wait 100 2000"));
}

TEST_F(PlayControlTest, SpcPlayIsRecognisedFromTheShortForm) {
    UsePlayer(L"C:\\Long Players\\SpcPlay.exe");
    system.shortForms[L"C:\\Long Players\\SpcPlay.exe"] = L"C:\\LONGPL~1\\SPCPLAY.EXE";
    Select(L"A.SPC");
    control->cmdPlay_Click();
    EXPECT_THAT(system.log, ElementsAre(L"start 1 [C:\\LONGPL~1\\SPCPLAY.EXE C:\\MUSIC\\A.SPC ]", L"wait 100 2000"));
}

TEST_F(PlayControlTest, SecondSpcPlayIsRefusedWhileItsWindowExists) {
    UsePlayer(L"C:\\P\\SPCPLAY.EXE");
    Select(L"A.SPC");
    system.windows.push_back({7, L"spcplay (hidden)", 55});
    view.caption = L"Velmoria";
    control->cmdPlay_Click();
    EXPECT_THAT(view.messages, ElementsAre(kStopFirstMessage));
    EXPECT_THAT(system.log, IsEmpty());
    EXPECT_EQ(view.caption, L"Velmoria");
}

TEST_F(PlayControlTest, MissingSpcPlayStartsNothingAndSaysNothing) {
    control.emplace(view, system, L"C:\\GONE\\SPCPLAY.EXE");  // no short form
    Select(L"A.SPC");
    control->cmdPlay_Click();
    EXPECT_THAT(system.log, IsEmpty());
    EXPECT_THAT(view.messages, IsEmpty());
}

TEST_F(PlayControlTest, MissingSpcFileLeavesAnEmptyArgument) {
    UsePlayer(L"C:\\P\\WINSPC.EXE");
    view.selected = L"GONE.SPC";
    control->cmdPlay_Click();
    EXPECT_THAT(system.log, ElementsAre(L"start 7 [C:\\P\\WINSPC.EXE  ]"));
}

TEST_F(PlayControlTest, WinSpcReplacesTheRunningOne) {
    UsePlayer(L"C:\\P\\winspc.exe");
    Select(L"A.SPC");
    system.windows.push_back({3, L"B.SPC - WinSPC", 60});
    view.caption = kRunningWinSpc;
    control->cmdPlay_Click();
    EXPECT_THAT(system.log, ElementsAre(L"close 3", L"start 7 [C:\\P\\winspc.exe C:\\MUSIC\\A.SPC ]"));
    EXPECT_EQ(view.caption, kRunningWinSpc);
}

TEST_F(PlayControlTest, ZdSpcIsFoundByEitherSearch) {
    UsePlayer(L"C:\\P\\ZDSPC.EXE");
    Select(L"A.SPC");
    system.windows = {{1, L"Player ZDSpc", 70}, {2, L" ZDSpc 1.0", 71}};
    view.caption = kRunningZdSpc;
    control->cmdPlay_Click();  // the leading-space title wins though it comes second
    system.windows.erase(system.windows.begin() + 1);
    view.caption = kRunningZdSpc;
    control->cmdPlay_Click();
    EXPECT_THAT(system.log, ElementsAre(L"close 2", L"start 7 [C:\\P\\ZDSPC.EXE C:\\MUSIC\\A.SPC ]", L"close 1",
                                        L"start 7 [C:\\P\\ZDSPC.EXE C:\\MUSIC\\A.SPC ]"));
}

TEST_F(PlayControlTest, FailedStartSaysErrorAndUndoesNothing) {
    UsePlayer(L"C:\\P\\ZDSPC.EXE");
    Select(L"A.SPC");
    system.windows.push_back({4, L" ZDSpc", 80});
    system.startFails = true;
    view.caption = kRunningZdSpc;
    control->cmdPlay_Click();
    EXPECT_THAT(system.log, ElementsAre(L"close 4"));
    EXPECT_THAT(view.messages, ElementsAre(L"Error! [stop]"));
    EXPECT_EQ(view.caption, kIdleCaption);
}

TEST_F(PlayControlTest, UnknownPlayerDoesNothing) {
    UsePlayer(L"C:\\P\\NOTEPAD.EXE");
    Select(L"A.SPC");
    control->cmdPlay_Click();
    EXPECT_THAT(system.log, IsEmpty());
    EXPECT_THAT(view.messages, IsEmpty());
    EXPECT_EQ(view.caption, kIdleCaption);
}

TEST_F(PlayControlTest, StopActsOnlyOnARunningCaption) {
    UsePlayer(L"C:\\P\\WINSPC.EXE");
    system.windows.push_back({5, L"WinSPC", 90});
    control->cmdStop_Click();
    EXPECT_THAT(system.log, IsEmpty());

    view.caption = kRunningWinSpc;
    control->cmdStop_Click();
    control->cmdStop_Click();  // the second finds the idle caption
    EXPECT_THAT(system.log, ElementsAre(L"close 5"));
    EXPECT_EQ(view.caption, kIdleCaption);
}

TEST_F(PlayControlTest, StopAfterThePlayerEndedOnlyResetsTheCaption) {
    for (const wchar_t* player : {L"C:\\P\\WINSPC.EXE", L"C:\\P\\ZDSPC.EXE", L"C:\\P\\X.EXE"}) {
        UsePlayer(player);
        view.caption = L"[anything]";
        control->cmdStop_Click();
        EXPECT_EQ(view.caption, kIdleCaption);
    }
    EXPECT_THAT(system.log, IsEmpty());
}

TEST_F(PlayControlTest, StopTypesTheKeyIntoOurSpcPlayOnly) {
    UsePlayer(L"C:\\P\\SPCPLAY.EXE");
    Select(L"A.SPC");
    control->cmdPlay_Click();  // pid 100, no window yet
    // Another program's SPCPlay-titled window comes first in the order.
    system.windows = {{8, L"SPCPlay (someone else's)", 42}, {9, L"SPCPlay", 100}};
    control->cmdStop_Click();
    EXPECT_THAT(system.log, ElementsAre(testing::StartsWith(L"start 1"), L"wait 100 2000", L"restore 9",
                                        L"foreground 9 500", L"key a"));
}

TEST_F(PlayControlTest, StopSendsNoKeyWhenOurSpcPlayIsGoneOrNotInFront) {
    UsePlayer(L"C:\\P\\SPCPLAY.EXE");
    Select(L"A.SPC");
    control->cmdPlay_Click();
    system.log.clear();

    system.windows = {{8, L"SPCPlay", 42}};  // pid 100 ended; 42 is someone else
    control->cmdStop_Click();
    EXPECT_THAT(system.log, IsEmpty());
    EXPECT_EQ(view.caption, kIdleCaption);

    system.windows = {{9, L"SPCPlay", 100}};
    system.foregroundWorks = false;
    view.caption = kRunningSpcPlay;
    control->cmdStop_Click();
    EXPECT_THAT(system.log, ElementsAre(L"restore 9", L"foreground 9 500"));
    EXPECT_THAT(view.messages, IsEmpty());
}

TEST_F(PlayControlTest, StopBeforeAnySpcPlayStartedTouchesNoWindow) {
    UsePlayer(L"C:\\P\\SPCPLAY.EXE");
    system.windows = {{8, L"SPCPlay", 0}};
    view.caption = kRunningSpcPlay;
    control->cmdStop_Click();
    EXPECT_THAT(system.log, IsEmpty());
}

// Title searches match any program's windows; only the player's exe counts.
TEST_F(PlayControlTest, OtherProgramsWindowsWithPlayerTitlesArePassedOver) {
    UsePlayer(L"C:\\P\\SPCPLAY.EXE");
    Select(L"A.SPC");
    system.windows = {{1, L"SPCPlay notes", 20, L"NOTEPAD.EXE"}};
    control->cmdPlay_Click();
    EXPECT_THAT(view.messages, IsEmpty());
    EXPECT_EQ(view.caption, kRunningSpcPlay);

    UsePlayer(L"C:\\P\\WINSPC.EXE");
    system.log.clear();
    system.windows = {{2, L"C:\\Games\\WinSPC", 21, L"EXPLORER.EXE"}, {3, L"A.SPC - WinSPC", 22}};
    view.caption = kRunningWinSpc;
    control->cmdPlay_Click();
    EXPECT_THAT(system.log, ElementsAre(L"close 3", testing::StartsWith(L"start 7")));

    UsePlayer(L"C:\\P\\ZDSPC.EXE");
    system.log.clear();
    system.windows = {{4, L" ZDSpc notes", 23, L"EDIT.EXE"}, {5, L"zdspc-notes.txt", 24, L"EDIT.EXE"},
                      {6, L"Song - ZDSpc", 25}};
    view.caption = kRunningZdSpc;
    control->cmdStop_Click();
    EXPECT_THAT(system.log, ElementsAre(L"close 6"));
}

// A player left playing by an earlier run: Stop must still reach it.
TEST_F(PlayControlTest, APlayerFromAnEarlierRunIsAdopted) {
    struct Case {
        const wchar_t* player;
        const wchar_t* title;
        std::wstring_view caption;
    };
    for (const Case& c : {Case{L"C:\\P\\SPCPLAY.EXE", L"SPCPlay", kRunningSpcPlay},
                          Case{L"C:\\P\\WINSPC.EXE", L"B.SPC - WinSPC", kRunningWinSpc},
                          Case{L"C:\\P\\ZDSPC.EXE", L"Song - ZDSpc", kRunningZdSpc}}) {
        view.caption = kIdleCaption;
        UsePlayer(c.player);
        system.windows = {{1, c.title, 30, L"OTHER.EXE"}};
        control->AdoptRunningPlayer();
        EXPECT_EQ(view.caption, kIdleCaption) << c.player;  // another program's window is no player

        system.windows.push_back({2, c.title, 31});
        control->AdoptRunningPlayer();
        EXPECT_EQ(view.caption, c.caption) << c.player;
    }
    EXPECT_EQ(control->spcPlayTaskId(), 0u);  // the last case was ZD-SPC

    UsePlayer(L"C:\\P\\SPCPLAY.EXE");
    system.windows = {{9, L"SPCPlay", 31}};
    control->AdoptRunningPlayer();
    EXPECT_EQ(control->spcPlayTaskId(), 31u);
    system.log.clear();
    control->cmdStop_Click();
    EXPECT_THAT(system.log, ElementsAre(L"restore 9", L"foreground 9 500", L"key a"));
}

}  // namespace
}  // namespace velmoria

// Soak: play and stop many times in a row, each player kind in turn and
// through the play picture and the file list, and watch what the process
// holds. The counts must end where they stood after the first tenth of the
// run. VELMORIA_SOAK_CYCLES sets the length (the benchmark command runs
// 1,000 cycles; the test command 45).
#include <array>

#include "tests/support/resource_counts.h"
#include "tests/wine/fixture.h"

namespace velmoria::test {
namespace {

constexpr const wchar_t* kPlayers[] = {L"SPCPLAY", L"WINSPC", L"ZDSPC"};
constexpr int kRotation = 6;  // each of the three players through each of the two routes

// One main window per player kind, all over the same songs.
class Soak : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        for (const char* song : {"Soak A", "Soak B", "Soak C"}) {
            WriteBytes(work / (std::wstring(song, song + 6) + L".spc"), SpcFileBytes(song, "Soak"));
        }
        for (std::size_t kind = 0; kind < 3; ++kind) {
            WriteBytes(folders_[kind] / L"Velmoria.ini", Ascii(players.Path(kPlayers[kind])) + "\r\n 0 \r\n");
            programs_[kind].emplace(folders_[kind].path(), system);
            windows_[kind].emplace(*programs_[kind]);
            ASSERT_TRUE(windows_[kind]->Create() && windows_[kind]->Form_Load());
            windows_[kind]->Show();
        }
    }
    void TearDown() override {
        for (auto& window : windows_) window.reset();
        WindowTest::TearDown();
    }

    std::size_t Shown(const wchar_t* name) const {
        const std::wstring log = players.Log(name);
        std::size_t count = 0;
        for (std::size_t at = log.find(L"shown"); at != std::wstring::npos; at = log.find(L"shown", at + 1)) ++count;
        return count;
    }
    void Cycle(int cycle) {
        const wchar_t* name = kPlayers[cycle % 3];
        const HWND window = windows_[static_cast<std::size_t>(cycle % 3)]->hwnd();
        ::SetForegroundWindow(window);
        PumpUntil([&] { return ::GetForegroundWindow() == window; });
        const HWND list = ::GetDlgItem(window, IDC_spcFile);
        ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(cycle % 3), 0);
        const std::size_t shownBefore = Shown(name);
        const bool picture = (cycle / 3) % 2 == 0;
        if (picture) {
            ::SendMessageW(::GetDlgItem(window, IDC_cmdPlay), BM_CLICK, 0, 0);
        } else {
            ::SendMessageW(list, WM_CHAR, VK_RETURN, 0);
        }
        ASSERT_TRUE(PumpUntil([&] { return Shown(name) == shownBefore + 1; }, 10s))
            << "cycle " << cycle << ": " << Ascii(name) << (picture ? " through the picture" : " through the list");
        const DWORD player = players.ProcessIds(name).back();
        ::SendMessageW(::GetDlgItem(window, IDC_cmdStop), BM_CLICK, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return !ProcessRunning(player); }, 10s))
            << "cycle " << cycle << ": " << Ascii(name) << " did not stop";
    }

    static void ExpectFlat(const ResourceCounts& first, const ResourceCounts& last) {
        EXPECT_LE(last.handles, first.handles + 8);
        EXPECT_LE(last.gdiObjects, first.gdiObjects + 8);
        EXPECT_LE(last.userObjects, first.userObjects + 4);
        EXPECT_LE(last.privateBytes, first.privateBytes + 2 * 1024 * 1024);
    }

    std::array<TempFolder, 3> folders_{TempFolder{L"station"}, TempFolder{L"station"}, TempFolder{L"station"}};
    std::array<std::optional<Program>, 3> programs_;
    std::array<std::optional<SpcMain>, 3> windows_;
};

TEST_F(Soak, PlayingAndStoppingManyTimesKeepsTheProcessFlat) {
    wchar_t value[16] = L"";
    const int cycles = ::GetEnvironmentVariableW(L"VELMORIA_SOAK_CYCLES", value, 16) ? std::stoi(value) : 45;
    // Samples every tenth of the run, but never before every player kind has
    // gone through every route once: the first of each warms caches in Wine.
    const int step = std::max(kRotation, cycles / 10);
    std::vector<std::pair<int, ResourceCounts>> samples;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        Cycle(cycle);
        if (HasFatalFailure()) return;
        if ((cycle + 1) % step == 0) samples.emplace_back(cycle + 1, CountResources());
    }
    std::printf("[ figures  ] %8s %8s %8s %8s %12s\n", "cycles", "handles", "GDI", "USER", "private KiB");
    for (const auto& [cycle, counts] : samples) {
        std::printf("[ figures  ] %8d %8u %8u %8u %12zu\n", cycle, counts.handles, counts.gdiObjects,
                    counts.userObjects, counts.privateBytes / 1024);
    }
    ASSERT_GE(samples.size(), 2u);
    ExpectFlat(samples.front().second, samples.back().second);
    for (const auto& window : windows_) EXPECT_EQ(WindowText(window->hwnd()), L"Velmoria");
    for (const wchar_t* name : kPlayers) {
        for (DWORD id : players.ProcessIds(name)) EXPECT_FALSE(ProcessRunning(id)) << Ascii(name) << " " << id;
    }
}

// A play-through of one-second songs (VELMORIA_SOAK_SONGS of them; the
// benchmark command plays 1,000) leaves the counts where they stood after
// its first tenth.
TEST_F(Soak, PlayingThroughManySongsKeepsTheProcessFlat) {
    wchar_t value[16] = L"";
    const int songs = ::GetEnvironmentVariableW(L"VELMORIA_SOAK_SONGS", value, 16) ? std::stoi(value) : 20;
    const TempFolder set(L"soak-set");
    for (int i = 0; i < songs; ++i) {
        std::string song = SpcFileBytes("Song " + std::to_string(i), "Soak");
        song.replace(0xA9, 1, "1");
        WriteBytes(set / (L"s" + std::to_wstring(10000 + i) + L".spc"), song);
    }
    SpcMain& window = *windows_[1];  // WinSPC
    window.OpenPath(set.path(), false);
    ASSERT_TRUE(PumpUntil([&] { return window.spcFile().Count() == songs; }, std::chrono::seconds(10)));
    window.mnuPlayAll_Click();
    const std::wstring tenth = std::to_wstring(std::max(1, songs / 10) + 1) + L"/";
    ASSERT_TRUE(PumpUntil([&] { return WindowText(window.hwnd()).starts_with(tenth); }, std::chrono::seconds(songs / 3 + 30)));
    const ResourceCounts first = CountResources();
    ASSERT_TRUE(PumpUntil([&] { return !window.PlaysThrough() && !window.PlayPending(); }, std::chrono::seconds(songs * 3 + 30)));
    const ResourceCounts last = CountResources();
    std::printf("[ figures  ] %d songs played through: handles %u -> %u, GDI %u -> %u, USER %u -> %u, private KiB %zu -> %zu\n",
                songs, first.handles, last.handles, first.gdiObjects, last.gdiObjects, first.userObjects,
                last.userObjects, first.privateBytes / 1024, last.privateBytes / 1024);
    ExpectFlat(first, last);
    EXPECT_EQ(WindowText(window.hwnd()), L"Velmoria");
}

}  // namespace
}  // namespace velmoria::test

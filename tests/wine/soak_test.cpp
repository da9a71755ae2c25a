// Soak: play and stop many times in a row, each player kind in turn and
// through the play picture and the file list, and watch what the process
// holds. The counts must end where they stood after the first
// tenth of the run. VELMORIA_SOAK_CYCLES sets the length (the benchmark
// command runs 1,000 cycles; the test command 45).
#include <gmock/gmock.h>

#include <array>
#include <memory>

#include "app/program.h"
#include "player/win_player_system.h"
#include "tests/support/resource_counts.h"
#include "tests/support/win_test_support.h"
#include "ui/spc_main_ids.h"
#include "ui/spc_main.h"

namespace velmoria::test {
namespace {

constexpr const wchar_t* kPlayers[] = {L"SPCPLAY", L"WINSPC", L"ZDSPC"};
constexpr const wchar_t* kRoutes[] = {L"picture", L"list"};
constexpr int kRotation = 6;  // each of the three players through each route

int Cycles() {
    wchar_t value[16] = L"";
    return ::GetEnvironmentVariableW(L"VELMORIA_SOAK_CYCLES", value, ARRAYSIZE(value)) ? std::stoi(value) : 45;
}

// One main window per player kind, all over the same songs.
struct Station {
    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<Program> program;
    std::unique_ptr<SpcMain> window;
};

class Soak : public testing::Test {
protected:
    void SetUp() override {
        ::GetCurrentDirectoryW(MAX_PATH, previous_);
        for (const char* song : {"Soak A", "Soak B", "Soak C"}) {
            WriteBytes(songs / (std::wstring(song, song + 6) + L".spc"), SpcFileBytes(song, "Soak"));
        }
        ::SetCurrentDirectoryW(songs.path().c_str());
        for (std::size_t kind = 0; kind < 3; ++kind) {
            Station& station = stations_[kind];
            station.folder = std::make_unique<TempFolder>(L"station");
            WriteBytes(*station.folder / L"Velmoria.ini", Ascii(players.Path(kPlayers[kind])) + "\r\n 0 \r\n");
            station.program = std::make_unique<Program>(station.folder->path(), system_);
            station.window = std::make_unique<SpcMain>(*station.program);
            ASSERT_TRUE(station.window->Create());
            ASSERT_TRUE(station.window->Form_Load());
            station.window->Show();
        }
    }
    void TearDown() override {
        for (Station& station : stations_) station.window.reset();
        players.EndAll();
        ::SetCurrentDirectoryW(previous_);
    }

    std::size_t Shown(std::size_t kind) const {
        const std::wstring log = players.Log(kPlayers[kind]);
        std::size_t count = 0;
        for (std::size_t at = log.find(L"shown"); at != std::wstring::npos; at = log.find(L"shown", at + 1)) ++count;
        return count;
    }
    static void Front(SpcMain& window) {
        ::SetForegroundWindow(window.hwnd());
        PumpUntil([&] { return ::GetForegroundWindow() == window.hwnd(); });
    }
    void Cycle(int cycle) {
        const auto kind = static_cast<std::size_t>(cycle % 3);
        const int route = (cycle / 3) % 2;
        SpcMain& window = *stations_[kind].window;
        Front(window);
        const HWND list = ::GetDlgItem(window.hwnd(), IDC_spcFile);
        ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(cycle % 3), 0);
        const std::size_t shownBefore = Shown(kind);
        if (route == 0) {
            ::SendMessageW(::GetDlgItem(window.hwnd(), IDC_cmdPlay), BM_CLICK, 0, 0);
        } else {
            ::SendMessageW(list, WM_CHAR, VK_RETURN, 0);
        }
        ASSERT_TRUE(PumpUntil([&] { return Shown(kind) == shownBefore + 1; }, std::chrono::seconds(10)))
            << "cycle " << cycle << ": " << kPlayers[kind] << " through the " << kRoutes[route];
        const DWORD player = players.ProcessIds(kPlayers[kind]).back();
        ::SendMessageW(::GetDlgItem(window.hwnd(), IDC_cmdStop), BM_CLICK, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return !ProcessRunning(player); }, std::chrono::seconds(10)))
            << "cycle " << cycle << ": " << kPlayers[kind] << " did not stop";
    }

    TempFolder songs{L"soak-songs"};
    TempFolder playerFolder{L"soak-players"};
    StandIns players{playerFolder.path()};
    Win32PlayerSystem system_;
    std::array<Station, 3> stations_;
    wchar_t previous_[MAX_PATH] = L"C:\\";
};

TEST_F(Soak, PlayingAndStoppingManyTimesKeepsTheProcessFlat) {
    const int cycles = Cycles();
    // Samples every tenth of the run, but never before every player kind has
    // gone through every route once: the first of each warms caches in Wine.
    const int step = std::max(kRotation, cycles / 10);
    std::vector<std::pair<int, ResourceCounts>> samples;
    MessageBoxCatcher boxes;  // a message would be a fault here; answered, so the run goes on
    for (int cycle = 0; cycle < cycles; ++cycle) {
        Cycle(cycle);
        if (::testing::Test::HasFatalFailure()) return;
        if ((cycle + 1) % step == 0) samples.emplace_back(cycle + 1, CountResources());
    }
    std::printf("[ figures  ] %8s %8s %8s %8s %12s\n", "cycles", "handles", "GDI", "USER", "private KiB");
    for (const auto& [cycle, counts] : samples) {
        std::printf("[ figures  ] %8d %8u %8u %8u %12zu\n", cycle, counts.handles, counts.gdiObjects,
                    counts.userObjects, counts.privateBytes / 1024);
    }
    ASSERT_GE(samples.size(), 2u);
    const ResourceCounts& first = samples.front().second;
    const ResourceCounts& last = samples.back().second;
    EXPECT_LE(last.handles, first.handles + 8);
    EXPECT_LE(last.gdiObjects, first.gdiObjects + 8);
    EXPECT_LE(last.userObjects, first.userObjects + 4);
    EXPECT_LE(last.privateBytes, first.privateBytes + 2 * 1024 * 1024);
    for (const Station& station : stations_) EXPECT_EQ(WindowText(station.window->hwnd()), L"Velmoria");
    EXPECT_TRUE(boxes.boxes().empty()) << Ascii(boxes.boxes().front().text);
    for (const wchar_t* name : kPlayers) {
        for (DWORD id : players.ProcessIds(name)) EXPECT_FALSE(ProcessRunning(id)) << name << " " << id;
    }
}

}  // namespace
}  // namespace velmoria::test

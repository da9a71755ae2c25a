// Faults from outside: a writer killed mid-write, full and read-only disks
// under each writer of the settings file, players that misbehave, long and
// foreign paths and a large folder. The killed writer and the large folder
// run short here; scripts/bench.sh runs them long and prints their figures.
#include <gmock/gmock.h>

#include <random>

#include "app/player_dialog.h"
#include "wintk/win_handles.h"
#include "wintk/win_text.h"
#include "base/paths.h"
#include "tests/wine/fixture.h"

namespace velmoria::test {
namespace {

using namespace testing;

TEST(KilledWriter, LeavesTheOldOrTheNewFileWholeNeverAnythingElse) {
    wchar_t runs[16] = L"";
    const int kills = ::GetEnvironmentVariableW(L"VELMORIA_KILL_RUNS", runs, 16) ? std::stoi(runs) : 20;
    TempFolder folder(L"killed");
    const std::wstring file = folder / L"Velmoria.ini";
    const std::string before = "C:\\OLD\\SPCPLAY.EXE\r\n 0 \r\n";
    const std::string after = "C:\\NEW PLAYERS\\WINSPC.EXE\r\n 1 \r\n";
    WriteBytes(file, before);
    const std::wstring writer = ParentFolder(ModuleFilePath()) + L"\\settings_writer.exe";
    std::mt19937 random(20261206);
    // Past the writer's start-up (about a tenth of a second under Wine), the
    // kill lands in the middle of its stream of writes.
    std::uniform_int_distribution<int> delayMs(120, 320);
    int olds = 0, news = 0, midWrite = 0;
    for (int kill = 0; kill < kills; ++kill) {
        const UniqueKernelHandle process(StartProgram(L"\"" + writer + L"\" \"" + folder.path() + L"\""));
        ASSERT_TRUE(process);
        ::Sleep(static_cast<DWORD>(delayMs(random)));
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), 5000);
        const std::string content = ReadBytes(file);
        ASSERT_THAT(content, AnyOf(before, after)) << "after kill " << kill;
        (content == before ? olds : news)++;
        // A temporary file left behind shows a kill in the middle of a write.
        if (const std::vector<std::wstring> left = FilesMatching(folder.path(), L"Velmoria.ini.*.tmp"); !left.empty()) {
            ++midWrite;
            for (const std::wstring& name : left) ::DeleteFileW((folder / name).c_str());
        }
    }
    std::printf("[ figures  ] %d kills while rewriting (%d in the middle of a write): %d left the old file, "
                "%d the new one, none anything else\n",
                kills, midWrite, olds, news);
    EXPECT_GT(news, 0);  // the kills did land while it was writing
}

// Settings on the drives the test command prepared, W: a full disk and X: a
// read-only one. Each writer in turn meets them: start-up's compact switch
// passes over it in silence, the menu's switch and the dialog's Save say so
// and name the file; the old file stays and the program goes on.
class FaultyDriveTest : public WindowTest {};

TEST_F(FaultyDriveTest, AFullOrReadOnlyDiskKeepsTheOldFileForEveryWriter) {
    int drives = 0;
    boxesExpected = true;
    WriteBytes(work / L"ZDSPC.EXE", "MZ");
    for (const auto& [root, fill] : {std::pair{L"W:\\", true}, std::pair{L"X:\\", false}}) {
        if (::GetFileAttributesW(root) == INVALID_FILE_ATTRIBUTES) continue;
        ++drives;
        const std::wstring file = JoinPath(root, L"Velmoria.ini");
        if (fill) {
            WriteBytes(file, "C:\\P\\WINSPC.EXE\r\n 1 \r\n");
            const UniqueFile filler(::CreateFileW(L"W:\\filler", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            for (const DWORD size : {4096u, 1u}) {  // to the last byte
                const std::string chunk(size, 'f');
                DWORD written = 0;
                while (::WriteFile(filler.get(), chunk.data(), size, &written, nullptr) && written == size) {
                }
            }
        }
        const std::string stored = ReadBytes(file);
        ASSERT_EQ(stored, "C:\\P\\WINSPC.EXE\r\n 1 \r\n");
        boxes.Clear();
        program.emplace(root, system);
        CreateMain();
        ASSERT_TRUE(main->Form_Load());
        main->Show();
        EXPECT_EQ(main->MenuCaption(ID_mnuCompressed), L"Normal &Mode") << root;
        EXPECT_THAT(boxes.boxes(), IsEmpty());

        main->mnuCompressed_Click();
        ASSERT_TRUE(WaitUntil([&] { return !boxes.boxes().empty(); }, 10s));
        EXPECT_EQ(boxes.boxes()[0].icon, CaughtBox::Icon::Stop);
        EXPECT_THAT(boxes.boxes()[0].text, HasSubstr(file));
        bool stayedOpen = false;
        WithWindow(L"Locate SPC Player", [&](HWND dialog) {
            WhenListed(dialog);
            ::SendMessageW(::GetDlgItem(dialog, IDC_cmdSave), BM_CLICK, 0, 0);
            stayedOpen = ::IsWindow(dialog) != FALSE;
            CloseBox(dialog);
        }, [&] { main->mnuChoose_Click(); });
        EXPECT_TRUE(stayedOpen) << root;
        EXPECT_EQ(boxes.boxes().size(), 2u);
        EXPECT_EQ(ReadBytes(file), stored);
        EXPECT_TRUE(main->IsOpen());
        main.reset();
        if (fill) {
            ::DeleteFileW(L"W:\\filler");
            ::DeleteFileW(file.c_str());
        }
    }
    if (drives == 0) GTEST_SKIP() << "no full or read-only drive prepared";
}

// ------------------------------------------------------- Misbehaving players

class MisbehavingPlayerTest : public WindowTest {
protected:
    void TearDown() override {
        ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", nullptr);
        WindowTest::TearDown();
    }
    void StartWithPlayer(const wchar_t* name) {
        Song(L"A.SPC");
        StartWith(players.Path(name));
        ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, 0, 0);
    }
    std::size_t Starts(const wchar_t* name) const { return players.CommandLines(name).size(); }
};

TEST_F(MisbehavingPlayerTest, PlayersThatExitAtOnceOrNeverShowAWindow) {
    for (const wchar_t* behaviour : {L"exit-at-once", L"no-window"}) {
        ::SetEnvironmentVariableW(L"VELMORIA_STANDIN", behaviour);
        for (const wchar_t* name : {L"SPCPLAY", L"WINSPC", L"ZDSPC"}) {
            StartWithPlayer(name);
            const std::size_t before = Starts(name);
            main->cmdPlay_Click();  // returns at once: the program never waits on a player
            ASSERT_TRUE(WaitUntil([&] { return Starts(name) == before + 1; })) << behaviour << " " << name;
            const bool exits = std::wstring_view(behaviour) == L"exit-at-once";
            ASSERT_TRUE(Pump([&] { return !main->PlayPending(); }));
            EXPECT_TRUE(exits || (Caption().back() == L']' && main->runningPlayer() == players.ProcessIds(name).back()));
            // The window hears, on its own thread, that the player has ended.
            EXPECT_EQ(PumpUntil([&] { return main->runningPlayer() == 0; }, exits ? 10s : 300ms), exits) << name;
            Settled([&] { main->cmdPlay_Click(); });  // no window to find: even SPCPlay starts again
            ASSERT_TRUE(WaitUntil([&] { return Starts(name) == before + 2; })) << behaviour << " " << name;
            Stop();
            EXPECT_EQ(Caption(), L"Velmoria");
            main.reset();
            players.EndAll();
        }
    }
}

// The temporary folder the test command prepared holds a link of the copies'
// folder form to a music folder (Wine cannot make one itself). A start clears
// only copies of the exact form in real folders of that form; a song is
// copied only while it is small enough to be one, and its copy goes at exit.
TEST(SongCopies, OnlyWhatAnEarlierRunWroteIsClearedNeverThroughALink) {
    const std::wstring temp = L"C:\\velmoria-planted", music = L"C:\\velmoria-planted-music";
    if (!(::GetFileAttributesW((temp + L"\\Velmoria-songs-0000cafe").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT)) {
        GTEST_SKIP() << "no planted link: run through scripts/test.sh";
    }
    const std::wstring earlier = temp + L"\\Velmoria-songs-0000beef";
    const std::vector<std::wstring> decoys = {
        music + L"\\song0000abcd.spc",  earlier + L"\\songbook.spcx",        earlier + L"\\song1.spc2",
        earlier + L"\\song0000abcd.spc.txt", temp + L"\\Velmoria\\song00000001.spc",
        temp + L"\\Velmoria-songs-0000bee\\song00000002.spc", temp + L"\\Velmoria-songs-0000beef0\\song00000003.spc"};
    for (const std::wstring& decoy : decoys) {
        MakeFolder(ParentFolder(decoy));
        WriteBytes(decoy, "a user's file");
    }
    WriteBytes(earlier + L"\\song0000abcd.spc", "an earlier copy");
    Win32PlayerSystem::ClearOldSongCopies(temp);
    EXPECT_EQ(ReadBytes(earlier + L"\\song0000abcd.spc"), "<missing>");
    for (const std::wstring& decoy : decoys) EXPECT_EQ(ReadBytes(decoy), "a user's file") << Ascii(decoy);

    TempFolder work(L"copies");
    const std::string song = SpcFileBytes("Copied", "Game");
    WriteBytes(work / L"song.spc", song);
    WriteBytes(work / L"large.spc", std::string(kSongCopyMaxBytes + 1, 'x'));
    std::wstring copy;
    {
        Win32PlayerSystem system(temp);
        copy = system.PlainCopy(work / L"song.spc");
        EXPECT_EQ(ReadBytes(copy), song);
        EXPECT_EQ(copy, ShortForm(copy));
        EXPECT_THROW(system.PlainCopy(work / L"large.spc"), PlayerError);
        Win32PlayerSystem::ClearOldSongCopies(temp);  // another start meanwhile leaves this run's copy
        EXPECT_TRUE(ReadBytes(copy) == song);
    }
    EXPECT_EQ(ReadBytes(copy), "<missing>");
    EXPECT_EQ(::GetFileAttributesW(ParentFolder(copy).c_str()), INVALID_FILE_ATTRIBUTES);
}

// Paths past the old 260-character limit, names outside the code page and
// large folders: each song reaches the player, whose tag reading proves it
// got that file.
class BadInput : public WindowTest {};

TEST_F(BadInput, LongAndForeignPathsReachThePlayer) {
    std::wstring deep = work.path();
    while (deep.size() < 300) MakeFolder(ExtendedLengthPath(deep += L"\\Nested folder with a long name"));
    const std::wstring foreign = work / L"\u0418\u0433\u0440\u044B";  // Cyrillic
    MakeFolder(foreign);
    for (const auto& [folder, file, title] :
         {std::tuple{deep, L"Deep Song.spc", L"Deep"}, std::tuple{foreign, L"\u66F2.spc", L"Far Away"}}) {
        WriteBytes(ExtendedLengthPath(folder + L"\\" + file), SpcFileBytes(Ascii(title), "Game"));
        ::SetCurrentDirectoryW(folder.c_str());  // the lists start in the song's folder
        StartWith(players.Path(L"WINSPC"));
        ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, 0, 0);
        main->cmdPlay_Click();
        EXPECT_TRUE(players.WaitForLog(L"WINSPC", L"song=[" + std::wstring(title) + L"]")) << title;
        main.reset();
    }
}

// A folder of many songs (100,000 in the bench) lists, its last song's title
// arrives after all the others, and the song plays.
TEST_F(BadInput, ALargeFolderListsAndItsLastSongPlays) {
    wchar_t folder[MAX_PATH] = L"";
    if (!::GetEnvironmentVariableW(L"VELMORIA_LARGE_FOLDER", folder, MAX_PATH)) {
        ::wcscpy_s(folder, work.path().c_str());
        const std::string header = SpcFileBytes("A title", "Game").substr(0, 256);
        for (int i = 0; i < 2000; ++i) WriteBytes(work / (L"Song " + std::to_wstring(i) + L".spc"), header);
    }
    WriteBytes(JoinPath(folder, L"~ last.spc"), SpcFileBytes("Last of many", "Game"));
    ::SetCurrentDirectoryW(folder);
    const auto start = std::chrono::steady_clock::now();
    StartWith(players.Path(L"WINSPC"));
    std::printf("[ figures  ] main window with %d songs listed, created and shown in %.0f ms\n", main->spcFile().Count(),
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    PressKey('T', true);
    const int last = main->spcFile().Count() - 1;
    EXPECT_TRUE(PumpUntil([&] { return main->spcFile().Shown(last) == L"Last of many"; }, 60s, main->hwnd(), main->accelerators()));
    ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, static_cast<WPARAM>(last), 0);
    main->cmdPlay_Click();
    EXPECT_TRUE(players.WaitForLog(L"WINSPC", L"song=[Last of many]"));
    ::DeleteFileW(JoinPath(folder, L"~ last.spc").c_str());
}

}  // namespace
}  // namespace velmoria::test

// Sets of songs packed in one file (tests/sets/make_sets.py writes them at
// build time, beside this program): listed and opened like folders, played
// through each player from copies in this run's own folder, and broken ones
// refused with what is wrong with them.
#include <windows.h>
#include <commctrl.h>

#include "base/paths.h"
#include "tests/wine/fixture.h"
#include "wintk/win_text.h"

namespace velmoria::test {
namespace {

using namespace testing;

class SetsTest : public WindowTest {
protected:
    static std::wstring Made(const std::wstring& name) { return ParentFolder(ModuleFilePath()) + L"\\sets\\" + name; }
    std::wstring Place(const std::wstring& name) {
        EXPECT_TRUE(::CopyFileW(Made(name).c_str(), (work / name).c_str(), FALSE)) << Ascii(name);
        return work / name;
    }
    // The file the player last opened, as its command line named it.
    std::wstring OpenedFile(const std::wstring& player) const {
        const std::wstring log = players.Log(player);
        const std::size_t start = log.rfind(L"file=[") + 6;
        return log.substr(start, log.find(L']', start) - start);
    }
    std::wstring FolderTip() const {
        const HWND window = main->spcDirectory().tipWindow();
        if (!window || !::IsWindowVisible(window)) return L"<hidden>";
        wchar_t text[512] = L"";
        TTTOOLINFOW tool{sizeof tool, 0, Item(IDC_spcDirectory), 1};
        tool.lpszText = text;
        ::SendMessageW(window, TTM_GETTEXTW, ARRAYSIZE(text), reinterpret_cast<LPARAM>(&tool));
        return text;
    }
};

// After the subfolders, with its game's name in its tip once opened; by a
// double-click or Enter, the way a folder opens; zipped, a solid 7z or RAR. Each
// player gets the very bytes of the packed song under a plain name no player
// can misread, plays the set through, and the copies go once the players are
// done with them, and at Exit.
TEST_F(SetsTest, ASetOpensLikeAFolderAndEachPlayerPlaysItThroughFromCopies) {
    MakeFolder(work / L"Album");
    const std::wstring sets[] = {Place(L"Green Game.7z"), Place(L"Green Game.rsn"), Place(L"Green Game.zip")};
    const std::string first = ReadBytes(Made(L"expected\\01 First.spc"));
    std::vector<std::wstring> copies;
    constexpr std::size_t order[] = {1, 0, 2, 1};  // the RAR, the 7z, the zip, the RAR
    for (const wchar_t* player : {L"SPCPLAY", L"WINSPC", L"ZDSPC", L"current\\SPCPLAY"}) {
        const std::size_t kind = order[copies.size()];
        const std::wstring& set = sets[kind];
        StartWith(players.Path(player));
        ASSERT_THAT(Entries(main->spcDirectory()), ElementsAre(_, _, _, L"Album", L"Green Game.7z", L"Green Game.rsn", L"Green Game.zip"));
        const int entry = 4 + static_cast<int>(kind);
        if (copies.empty()) {
            DoubleClickAt(EntryPoint(IDC_spcDirectory, entry));
        } else {
            // The last set may lie below the list's rows: the keys go there.
            ClickAt(EntryPoint(IDC_spcDirectory, 3));
            for (int down = 3; down < entry; ++down) PressKey(VK_DOWN);
            PressKey(VK_RETURN);
        }
        ASSERT_TRUE(Pump([&] { return main->spcDirectory().Path() == set; })) << Ascii(player);
        EXPECT_THAT(Entries(main->spcDirectory()), ElementsAre(_, _, _, FileNameOf(set), L"Disc 2"));
        EXPECT_THAT(Entries(main->spcFile()), ElementsAre(L"01 First.spc", L"03 Third.sp1"));
        if (copies.empty()) {
            MoveMouseTo(EntryPoint(IDC_spcDirectory, 3));
            EXPECT_TRUE(Pump([&] { return FolderTip() == FileNameOf(set) + L"\nGreen Game"; })) << Ascii(FolderTip());
        }

        ClickAt(EntryPoint(IDC_spcFile, 0));
        ASSERT_TRUE(Pump([&] { return main->spcFile().ListIndex() == 0; }));
        Settled([&] { main->cmdPlay_Click(); });
        ASSERT_TRUE(players.WaitForLog(player, L"song=[First]"));
        copies.push_back(OpenedFile(player));
        EXPECT_EQ(ReadBytes(copies.back()), first) << Ascii(copies.back());
        EXPECT_THAT(copies.back(), Not(HasSubstr(L" ")));
        ASSERT_NE(players.WindowOfLast(player), nullptr);  // what Stop looks for
        Stop();
        const DWORD stopped = players.ProcessIds(player).front();
        EXPECT_TRUE(WaitUntil([&] { return !ProcessRunning(stopped); }));
        ASSERT_TRUE(Pump([&] { return ::GetForegroundWindow() == main->hwnd(); }));
        PressKey(VK_F5);  // Play All from the selected song
        EXPECT_TRUE(Pump([&] { return Caption().starts_with(L"2/2 Third"); })) << Ascii(Caption());
        EXPECT_TRUE(players.WaitForLog(player, L"song=[Third]"));
        EXPECT_TRUE(Pump([&] { return Caption() == L"Velmoria"; })) << Ascii(Caption());
        main.reset();
    }
    EXPECT_THAT(FileNameOf(ParentFolder(copies.back())), StartsWith(L"Velmoria-sets-"));
    // Songs the players are done with go as the next ones are handed out.
    EXPECT_EQ(::GetFileAttributesW(copies.front().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_THAT(FilesMatching(ParentFolder(copies.back())), SizeIs(Le(2u)));
    program.reset();  // Exit
    for (const std::wstring& copy : copies) {
        EXPECT_EQ(::GetFileAttributesW(ParentFolder(copy).c_str()), INVALID_FILE_ATTRIBUTES) << Ascii(copy);
    }
}

// A set is decoded on a pool thread: the key that opens it comes back at
// once, with the folder list as it was and its pointer saying it is at work,
// and the set shows when it is decoded.
TEST_F(SetsTest, ALargeSetIsDecodedWhileTheWindowGoesOn) {
    Place(L"Slow.7z");
    StartWith(players.Path(L"WINSPC"));
    ClickAt(EntryPoint(IDC_spcDirectory, 3));
    PressKey(VK_RETURN);
    ASSERT_TRUE(Pump([&] { return main->spcDirectory().Reading(); }));
    EXPECT_EQ(main->spcDirectory().Path(), work.path());
    for (const int list : {IDC_spcDirectory, IDC_spcFile}) {  // both lists say it
        MoveMouseTo(CentreOf(Item(IDC_cmdStop)));
        ASSERT_TRUE(Pump([&] { return ::GetCursor() != ::LoadCursorW(nullptr, IDC_APPSTARTING); }));
        MoveMouseTo(CentreOf(Item(list)));
        EXPECT_TRUE(Pump([&] { return ::GetCursor() == ::LoadCursorW(nullptr, IDC_APPSTARTING); })) << list;
    }
    ASSERT_TRUE(Pump([&] { return main->spcDirectory().Path() == work / L"Slow.7z"; }));
    EXPECT_FALSE(main->spcDirectory().Reading());
    EXPECT_EQ(main->spcFile().Count(), 8);
}

// Titles inside a set, where names that could lead out of it are shown as
// text, and no name chooses where its copy goes.
TEST_F(SetsTest, TitlesInsideASetAndNamesThatCouldLeadOut) {
    Place(L"Traversal.zip");
    StartWith(players.Path(L"WINSPC"));
    DoubleClickAt(EntryPoint(IDC_spcDirectory, 3));
    ASSERT_TRUE(Pump([&] { return main->spcDirectory().Path() == work / L"Traversal.zip"; }));
    EXPECT_THAT(Entries(main->spcFile()),
                ElementsAre(L".._.._escaped.spc", L"C__Windows_drive.spc", L"Disc_.._dots.spc", L"tab_here.spc"));
    ClickAt(EntryPoint(IDC_spcFile, 0));
    PressKey('T', true);
    auto shown = [&] {
        std::vector<std::wstring> texts;
        for (int i = 0; i < main->spcFile().Count(); ++i) texts.push_back(main->spcFile().Shown(i));
        return texts;
    };
    EXPECT_TRUE(Pump([&] { return shown() == std::vector<std::wstring>{L"Up", L"Drive", L"Dots", L"Tab"}; }));
    Settled([&] { main->cmdPlay_Click(); });
    ASSERT_TRUE(players.WaitForLog(L"WINSPC", L"song=[Up]"));
    EXPECT_THAT(ReadBytes(OpenedFile(L"WINSPC")), StartsWith("SNES-SPC700"));
    EXPECT_THAT(FilesMatching(work.path()), ElementsAre(L"Traversal.zip"));
    EXPECT_EQ(ReadBytes(ParentFolder(ParentFolder(OpenedFile(L"WINSPC"))) + L"\\escaped.spc"), "<missing>");
}

// Each broken set names itself and what is wrong; the lists stay where they
// were, and the bombs are refused before anything is decoded or written.
TEST_F(SetsTest, BrokenSetsSayWhatIsWrongAndTheListsStay) {
    struct Case {
        const wchar_t *name, *made, *problem;
    };
    const Case cases[] = {  // as the list sorts them
        {L"Cut.rsn", L"Cut.rsn", L"is damaged"},
        {L"Damaged.zip", L"Damaged.zip", L"is damaged"},
        {L"Fake.zip", L"Fake.zip", L"only its name says"},
        {L"Large.rsn", L"Large.rsn", L"too large"},
        {L"Large.zip", L"Large.zip", L"too large"},
        {L"Liar.zip", L"Liar.zip", L"is damaged"},
        {L"Locked.7z", L"Locked.7z", L"needs a password"},
        {L"Locked.rar", L"test_read_format_rar_encryption_header.rar", L"needs a password"},
        {L"Locked.zip", L"Locked.zip", L"needs a password"},
        {L"Many.zip", L"Many.zip", L"too large"},
        {L"Part.zip", L"Part.zip", L"one part of a set"},
        {L"Split.rsn", L"Part1.rsn", L"one part of a set"},
    };
    for (const auto& [name, made, problem] : cases) {
        EXPECT_TRUE(::CopyFileW(Made(made).c_str(), (work / name).c_str(), FALSE)) << Ascii(name);
    }
    StartWith(players.Path(L"WINSPC"));
    boxesExpected = true;
    ClickAt(EntryPoint(IDC_spcDirectory, 3));
    for (const auto& [name, made, problem] : cases) {
        boxes.Clear();
        PressKey(VK_RETURN);
        ASSERT_TRUE(Pump([&] { return boxes.texts().size() == 1; })) << Ascii(name);
        EXPECT_THAT(boxes.texts()[0], AllOf(StartsWith(L"The set\n" + work / name + L"\n"), HasSubstr(problem)));
        EXPECT_EQ(main->spcDirectory().Path(), work.path());
        PressKey(VK_DOWN);
    }
}

}  // namespace
}  // namespace velmoria::test

// Bad input: paths at and past the old 260-character limit, names the ANSI
// code page cannot hold, commas and leading dots, and a very large folder.
// Each song plays (the stand-in reads the tag of the very file it was given),
// or the program says why; nothing crashes and no player gets a wrong path.
#include <gmock/gmock.h>

#include "app/win_text.h"
#include "player/paths.h"
#include "tests/wine/main_window_fixture.h"

namespace velmoria::test {
namespace {

using testing::IsEmpty;

// A folder whose full path is exactly length characters long, made of
// nested folders with long names (so that the 8.3 names differ from them).
std::wstring DeepFolder(const std::wstring& base, std::size_t length) {
    std::wstring path = base;
    const std::wstring segment = L"\\Nested folder with a long name";
    while (path.size() + segment.size() + 12 < length) {
        path += segment;
        MakeFolder(ExtendedLengthPath(path));
    }
    path += L"\\" + std::wstring(length - path.size() - 1, L'z');
    MakeFolder(ExtendedLengthPath(path));
    return path;
}

class BadInputTest : public MainWindowFixture {
protected:
    void TearDown() override {
        players.EndAll();
        MainWindowFixture::TearDown();
    }
    enum class Outcome { Played, SaidError, Neither };

    // Starts a main window whose player is WINSPC.EXE in playerFolder, and
    // plays the song at songPath through it: played when the stand-in read
    // that very song's tag, SaidError when the program refused with "Error!".
    Outcome Play(const std::wstring& playerFolder, const std::wstring& songPath, const std::string& title) {
        const std::wstring player = JoinPath(playerFolder, L"WINSPC.EXE");
        ::CopyFileW(ExtendedLengthPath(players.Path(L"WINSPC")).c_str(), ExtendedLengthPath(player).c_str(), FALSE);
        WriteBytes(ExtendedLengthPath(songPath), SpcFileBytes(title, "Game"));
        main.reset();
        program->store.WriteSettings(player, 0);  // as the player dialog stores it
        // The lists start at the working folder: the song's folder, as when
        // Velmoria is started there.
        const std::wstring folder = ParentFolder(songPath);
        ::SetCurrentDirectoryW(folder.c_str());
        CreateMain();
        EXPECT_TRUE(main->Form_Load());
        ::SetCurrentDirectoryW(work.path().c_str());
        main->Show();
        const std::wstring name = songPath.substr(folder.size() + 1);
        for (int i = 0; i < main->spcFile().Count(); ++i) {
            if (main->spcFile().Entry(i) == name) ::SendMessageW(Item(IDC_spcFile), LB_SETCURSEL, i, 0);
        }
        if (main->spcFile().ListIndex() < 0) return Outcome::Neither;
        MessageBoxCatcher boxes;
        main->cmdPlay_Click();
        const std::wstring log = JoinPath(playerFolder, L"WINSPC.log");
        const bool played = WaitUntil([&] {
            return ReadBytes(ExtendedLengthPath(log)).find("song=[" + title + "]") != std::string::npos;
        });
        main->cmdStop_Click();  // so that the next round starts clean
        if (played && boxes.boxes().empty()) return Outcome::Played;
        const auto caught = boxes.boxes();
        if (!played && caught.size() == 1 && caught[0].text == L"Error!" && caught[0].icon == CaughtBox::Icon::Stop) {
            return Outcome::SaidError;
        }
        return Outcome::Neither;
    }
    bool Plays(const std::wstring& playerFolder, const std::wstring& songPath, const std::string& title) {
        return Play(playerFolder, songPath, title) == Outcome::Played;
    }

    TempFolder playerHome{L"players"};
    StandIns players{playerHome.path()};
};

TEST_F(BadInputTest, SongFoldersOf259260AndOver300Characters) {
    for (std::size_t length : {259u, 260u, 340u}) {
        const std::wstring folder = DeepFolder(work.path(), length);
        ASSERT_EQ(folder.size(), length);
        EXPECT_TRUE(Plays(playerHome.path(), folder + L"\\Song.spc", "Deep " + std::to_string(length))) << length;
        players.EndAll();
    }
}

TEST_F(BadInputTest, PlayersInFoldersOf259260AndOver300Characters) {
    WriteBytes(work / L"Tune.spc", "");
    for (std::size_t length : {259u, 260u, 340u}) {
        const std::wstring folder = DeepFolder(playerHome.path(), length);
        // Wine cannot start some programs that far down; the program then
        // says "Error!" rather than start anything with a wrong path.
        const Outcome outcome = Play(folder, work / L"Tune.spc", "Far player " + std::to_string(length));
        EXPECT_NE(outcome, Outcome::Neither) << length;
        players.EndAll();
    }
}

TEST_F(BadInputTest, ProgramFoldersOf259260AndOver300Characters) {
    for (std::size_t length : {259u, 260u, 340u}) {
        const std::wstring folder = DeepFolder(programFolder.path(), length);
        program.emplace(folder, system);
        const std::wstring file = folder + L"\\Velmoria.ini";
        WriteBytes(ExtendedLengthPath(file), "C:\\P\\SPCPLAY.EXE\r\n 1 \r\n");
        main.emplace(*program);
        ASSERT_TRUE(main->Create());
        ASSERT_TRUE(main->Form_Load()) << length;  // read, then compact mode stored again
        EXPECT_EQ(main->MenuCaption(ID_mnuCompressed), L"Normal &Mode");
        main->mnuCompressed_Click();
        EXPECT_EQ(ReadBytes(ExtendedLengthPath(file)), "C:\\P\\SPCPLAY.EXE\r\n 0 \r\n") << length;
        main.reset();
    }
}

TEST_F(BadInputTest, NamesWithSpacesOtherScriptsCommasAndLeadingDots) {
    const std::pair<const wchar_t*, const char*> songs[] = {
        {L"With Spaces In It.spc", "Spaces"},
        {L"\u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430.spc", "Cyrillic"},
        {L"\u65E5\u672C\u8A9E\u306E\u66F2.spc", "Japanese"},
        {L"one,two, three.spc", "Commas"},
        {L".leading dot.spc", "Dotted"},
    };
    for (const auto& [name, title] : songs) {
        EXPECT_TRUE(Plays(playerHome.path(), work / name, title)) << title;
        players.EndAll();
    }
    const std::wstring odd = work / L".odd, \u0444\u043E\u043B\u0434\u0435\u0440 \u30D5\u30A9\u30EB\u30C0";
    MakeFolder(odd);
    EXPECT_TRUE(Plays(odd, odd + L"\\\u66F2.spc", "Odd folder"));
}

TEST_F(BadInputTest, AVeryLargeFolderListsAndPlaysItsLastSong) {
    // The benchmark command points this at a folder of 100,000 songs.
    wchar_t prepared[MAX_PATH] = L"";
    std::wstring folder;
    std::unique_ptr<TempFolder> made;
    if (::GetEnvironmentVariableW(L"VELMORIA_LARGE_FOLDER", prepared, MAX_PATH)) {
        folder = prepared;
    } else {
        made = std::make_unique<TempFolder>(L"large");
        folder = made->path();
        for (int i = 0; i < 2000; ++i) WriteBytes(JoinPath(folder, L"Song " + std::to_wstring(i) + L".spc"), "");
    }
    ::SetCurrentDirectoryW(folder.c_str());
    const auto start = std::chrono::steady_clock::now();
    CreateMain();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    ::SetCurrentDirectoryW(work.path().c_str());
    std::printf("[ figures  ] main window with %d songs listed, created in %.0f ms\n", main->spcFile().Count(), ms);
    ASSERT_GT(main->spcFile().Count(), 0);
    const std::wstring last = main->spcFile().Entry(main->spcFile().Count() - 1);
    main.reset();
    EXPECT_TRUE(Plays(playerHome.path(), JoinPath(folder, last), "Last of many"));
}

}  // namespace
}  // namespace velmoria::test

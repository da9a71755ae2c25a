// Start-up as a user meets it: the first run with its message and the player
// dialog, the settings read at start, compact mode restored, the SPCPlay
// options given their values, and the dialog's Save.
#include "wintk/process_setup.h"
#include "tests/wine/fixture.h"

namespace velmoria::test {
namespace {

using testing::ElementsAre;
using Icon = CaughtBox::Icon;

constexpr wchar_t kFirstRun[] = L"This is your first time running this program!\nTake the time to locate an SPCPlayer.";
constexpr wchar_t kDeleteIni[] = L"Error! Please delete Velmoria.ini and re-run!";
constexpr wchar_t kBusy[] =
    L"Velmoria.ini is in use by another program, so the player cannot be read.\nPlease re-run in a moment.";
constexpr wchar_t kRestart[] = L"Please restart this program for changes to take effect!";

class StartupTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        boxesExpected = true;
    }
    static void Save(HWND dialog) {
        WhenListed(dialog);
        ::SendMessageW(::GetDlgItem(dialog, IDC_cmdSave), BM_CLICK, 0, 0);
    }
    bool OptionsEnabled(bool enabled) const {
        const int ids[] = {IDC_frmSampling, IDC_frmOptions, IDC_listSampling, IDC_chk8bit, IDC_chkBuffering,
                           IDC_chkADSR, IDC_chkStereo};
        return std::all_of(std::begin(ids), std::end(ids), [&](int id) { return !::IsWindowEnabled(Item(id)) != enabled; });
    }
    int Rate() const { return static_cast<int>(::SendMessageW(Item(IDC_listSampling), CB_GETCURSEL, 0, 0)); }
    bool Ticked(int id) const { return ::IsDlgButtonChecked(main->hwnd(), id) == BST_CHECKED; }
};

// Installed where it may not write (Program Files): the first run saves to
// the user's folder, and the next start reads it from there.
TEST_F(StartupTest, AProgramFolderThatTakesNoFileKeepsTheSettingsInTheUsersFolder) {
    if (::GetFileAttributesW(L"X:\\bare") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no read-only drive X:";
    WriteBytes(work / L"ZDSPC.EXE", "MZ");
    program.emplace(L"X:\\bare", system, appData.path());
    CreateMain();
    WithWindow(L"Locate SPC Player",
        [](HWND dialog) {
            Save(dialog);
            if (::IsWindow(dialog)) CloseBox(dialog);  // a failed Save leaves it open
        },
        [&] { EXPECT_TRUE(main->Form_Load()); });
    EXPECT_THAT(boxes.texts(), ElementsAre(kFirstRun, kRestart));
    EXPECT_EQ(ReadBytes(appData / L"Velmoria\\Velmoria.ini"), Ascii(work / L"ZDSPC.EXE") + "\r\n 0 \r\n");
    main.reset();
    boxes.Clear();
    CreateMain();
    EXPECT_TRUE(main->Form_Load());  // no first run again
    main->mnuCompressed_Click();     // written where it was read from
    EXPECT_THAT(boxes.texts(), ElementsAre());
    EXPECT_EQ(ReadBytes(appData / L"Velmoria\\Velmoria.ini"), Ascii(work / L"ZDSPC.EXE") + "\r\n 1 \r\n");
}

// The first run: its message, then the dialog; a Save asks for a restart
// but the main window opens at once with the new player, while closing the
// dialog ends the program without a word, there being no file to delete. A
// file without a path ends it with the error.
TEST_F(StartupTest, AFirstRunSavesThePlayerOrEnds) {
    WriteBytes(work / L"WINSPC.EXE", "MZ");
    for (const bool save : {true, false}) {
        boxes.Clear();
        ::DeleteFileW((programFolder / L"Velmoria.ini").c_str());
        CreateMain();
        WithWindow(L"Locate SPC Player",
            [&](HWND dialog) {
                EXPECT_FALSE(::IsWindowVisible(main->hwnd()));  // the main window shows only after start-up
                save ? Save(dialog) : CloseBox(dialog);
            },
            [&] { EXPECT_EQ(main->Form_Load(), save); });
        const auto caught = boxes.boxes();
        ASSERT_EQ(caught.size(), save ? 2u : 1u);
        EXPECT_EQ(caught[0].text, kFirstRun);
        EXPECT_EQ(caught[0].icon, Icon::Question);
        EXPECT_EQ(caught.back().text, save ? kRestart : kFirstRun);
        EXPECT_EQ(caught.back().title, L"Velmoria");
        EXPECT_EQ(StoredSettings(), save ? Ascii(work / L"WINSPC.EXE") + "\r\n 0 \r\n" : "<missing>");
        EXPECT_TRUE(!save || OptionsEnabled(false));  // the saved WinSPC is the player already
        main.reset();
    }
    for (const char* content : {"", "\r\n 1 \r\n"}) {
        boxes.Clear();
        StoreSettings(content);
        CreateMain();
        EXPECT_FALSE(main->Form_Load());
        EXPECT_THAT(boxes.texts(), ElementsAre(kDeleteIni));
        EXPECT_EQ(StoredSettings(), content);
        main.reset();
    }
    // Held by another program (a virus scanner) for a while: waited for; all along: busy, never to be deleted.
    StoreSettings("C:\\P\\WINSPC.EXE\r\n 0 \r\n");
    for (const bool released : {true, false}) {
        boxes.Clear();
        UniqueFile held(::CreateFileW((programFolder / L"Velmoria.ini").c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        Background release([&] { if (released) { ::Sleep(1500); held.reset(); } });
        CreateMain();
        EXPECT_EQ(main->Form_Load(), released);
        release.Join();
        held.reset();
        EXPECT_EQ(boxes.texts(), released ? std::vector<std::wstring>{} : std::vector<std::wstring>{kBusy});
        main.reset();
    }
}

// What start-up makes of the stored player and flag: compact mode restored
// (the file rewritten with 1, or left in silence when it cannot be), the
// options enabled with Stereo ticked for SPCPlay only, the rate at 22050Hz.
TEST_F(StartupTest, StoredSettingsGiveTheModeAndTheOptionsTheirStartValues) {
    struct Case {
        std::string stored;
        bool compact, spcPlay;
        DWORD attributes;  // a hidden or system file counts as much as any
    };
    const std::string unicode("\xFF\xFE" "C\0:\0\\\0P\0\\\0W\0I\0N\0S\0P\0C\0.\0E\0X\0E\0\r\0\n\0 \0" "1\0 \0\r\0\n\0", 46);
    for (const Case& c : {Case{"c:\\spc\\spcplay.exe\r\n 0 \r\n", false, true, FILE_ATTRIBUTE_HIDDEN},
                          Case{"C:\\P\\SPCPLAY.EXE\r\n5\r\n", true, true, FILE_ATTRIBUTE_SYSTEM},
                          Case{"C:\\P\\ZDSPC.EXE\r\n 1 \r\n", true, false, FILE_ATTRIBUTE_READONLY},
                          Case{unicode, true, false, 0},  // Notepad's "Unicode", written back as ANSI
                          Case{"C:\\P\\NOTEPAD.EXE\r\n", false, false, 0}}) {
        StoreSettings(c.stored);
        const bool readOnly = c.attributes == FILE_ATTRIBUTE_READONLY;
        if (c.attributes) ::SetFileAttributesW((programFolder / L"Velmoria.ini").c_str(), c.attributes);
        CreateMain();
        ASSERT_TRUE(main->Form_Load());
        EXPECT_EQ(main->MenuCaption(ID_mnuCompressed), c.compact ? L"Normal &Mode" : L"Compressed &Mode") << c.stored;
        EXPECT_TRUE(!c.compact || readOnly || StoredSettings().ends_with("\r\n 1 \r\n")) << c.stored;
        EXPECT_TRUE(OptionsEnabled(c.spcPlay)) << c.stored;
        EXPECT_EQ(Ticked(IDC_chkStereo), c.spcPlay);
        EXPECT_FALSE(Ticked(IDC_chk8bit) || Ticked(IDC_chkBuffering) || Ticked(IDC_chkADSR));
        EXPECT_EQ(Rate(), 2);
        EXPECT_TRUE(c.stored != unicode || StoredSettings() == "C:\\P\\WINSPC.EXE\r\n 1 \r\n");
        ::SetFileAttributesW((programFolder / L"Velmoria.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
        main.reset();
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

// Save refuses while the folder holds no player and keeps the dialog open;
// then it writes the chosen player with the flag 0 and asks for a restart,
// while the running program keeps its player, and so does a later toggle.
TEST_F(StartupTest, TheDialogSavesTheChoiceForTheNextStart) {
    StartWith(L"C:\\OLD\\SPCPLAY.EXE");
    main->mnuCompressed_Click();
    for (const bool listed : {false, true}) {
        if (listed) for (const wchar_t* name : {L"ZDSPC.EXE", L"WINSPC.EXE"}) WriteBytes(work / name, "MZ");
        boxes.Clear();
        WithWindow(L"Locate SPC Player", [&](HWND dialog) {
            WhenListed(dialog);
            ::SendMessageW(::GetDlgItem(dialog, IDC_exeFile), LB_SETCURSEL, 1, 0);  // ZDSPC.EXE
            Save(dialog);  // returns once its message has been answered
            EXPECT_TRUE(listed || ::IsWindow(dialog));
            if (!listed) CloseBox(dialog);
        }, [&] { main->mnuChoose_Click(); });
        EXPECT_THAT(boxes.texts(), ElementsAre(listed ? kRestart : L"Please locate an SPCPlayer!"));
    }
    EXPECT_EQ(StoredSettings(), Ascii(work / L"ZDSPC.EXE") + "\r\n 0 \r\n");
    EXPECT_EQ(program->settings.playerPath, L"C:\\OLD\\SPCPLAY.EXE");
    main->mnuCompressed_Click();
    EXPECT_EQ(StoredSettings(), Ascii(work / L"ZDSPC.EXE") + "\r\n 0 \r\n");
}

TEST(ProcessTest, NoDiskBoxesAndTheOtherErrorModeBitsKept) {
    const UINT before = ::SetErrorMode(SEM_NOGPFAULTERRORBOX);
    PrepareProcess();
    EXPECT_EQ(::GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS));
    ::SetErrorMode(before);
}

}  // namespace
}  // namespace velmoria::test

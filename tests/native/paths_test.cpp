// Paths, player kinds, file patterns, title matching, command-line pieces and
// type-ahead: the text rules everything else stands on.
#include <gtest/gtest.h>

#include "base/paths.h"
#include "base/player_kind.h"
#include "base/twips.h"
#include "player/command_line.h"
#include "player/title_match.h"

namespace velmoria {
namespace {

using namespace std::literals;

TEST(Paths, JoinParentStripAndTrim) {
    EXPECT_EQ(JoinPath(L"C:\\Players", L"Velmoria.ini"), L"C:\\Players\\Velmoria.ini");
    EXPECT_EQ(JoinPath(L"C:\\", L"Velmoria.ini"), L"C:\\Velmoria.ini");  // a drive root
    EXPECT_EQ(JoinPath(L"C:\\\\x", L"A.SPC"), L"C:\\\\x\\A.SPC");        // only the last character counts
    EXPECT_EQ(ParentFolder(L"C:\\Players\\Velmoria.exe"), L"C:\\Players");
    EXPECT_EQ(ParentFolder(L"C:\\Velmoria.exe"), L"C:\\");
    EXPECT_EQ(FileNameOf(L"C:\\P\\SPCPLAY.EXE"), L"SPCPLAY.EXE");
    EXPECT_EQ(StripNulls(L"AB\0CD"sv), L"AB");
    EXPECT_EQ(StripNulls(L"\0AB"sv), L"");
    EXPECT_EQ(TrimTrailingSpaces(L" C:\\My Music\\A.SPC  "), L" C:\\My Music\\A.SPC");
    EXPECT_EQ(CommandArgument(L"D:\\My Music\\Song 1.spc"), L"\"D:\\My Music\\Song 1.spc\"");
    const std::wstring longFolder = L"C:\\" + std::wstring(250, L'x');
    EXPECT_EQ(ExtendedLengthPath(L"C:\\Short"), L"C:\\Short");
    EXPECT_EQ(ExtendedLengthPath(longFolder), L"\\\\?\\" + longFolder);
    const std::wstring share = L"\\\\server\\share\\" + std::wstring(250, L'y');
    EXPECT_EQ(WithoutExtendedPrefix(ExtendedLengthPath(share)), share);
}

TEST(Paths, PlayerKindsAndPatternsCompareIgnoringCase) {
    EXPECT_TRUE(IsSpcPlay(L"c:\\spc\\spcplay.exe"));
    EXPECT_TRUE(IsSpcPlay(L"C:\\MYSPCPLAY.EXE"));  // only the end counts
    EXPECT_FALSE(IsSpcPlay(L"PLAY.EXE"));
    EXPECT_TRUE(IsWinSpc(L"C:\\P\\WinSpc.Exe"));
    EXPECT_FALSE(IsZdSpc(L""));
    EXPECT_TRUE(MatchesFilePattern(L"ZdSpc.Exe", L"SPCPLAY.EXE;WINSPC.EXE;ZDSPC.EXE"));
    EXPECT_FALSE(MatchesFilePattern(L"XSPCPLAY.EXE", L"SPCPLAY.EXE;WINSPC.EXE"));
    EXPECT_TRUE(MatchesFilePattern(L"Song One.spc", L"*.SPC"));
    EXPECT_FALSE(MatchesFilePattern(L"Song.spcx", L"*.SPC"));
    EXPECT_FALSE(MatchesFilePattern(L"ABC.SPC", L"??.SPC"));
    EXPECT_FALSE(MatchesFilePattern(std::wstring(5000, L'a'), L"*a*a*a*a*a*a*a*a*b"));  // no blow-up
}

TEST(TitleMatches, EachModeIgnoringCaseWithinTheFirst255Characters) {
    EXPECT_TRUE(TitleMatches(L"SPCPlay 2", L"spcplay", TitleStarts));
    EXPECT_FALSE(TitleMatches(L"About SPCPlay", L"spcplay", TitleStarts));
    EXPECT_TRUE(TitleMatches(L"About SPCPlay", L"spcplay", TitleContains));
    EXPECT_TRUE(TitleMatches(L"Song - WinSPC", L"winspc", TitleEnds));
    EXPECT_FALSE(TitleMatches(L"WinSPC - Song", L"winspc", TitleEnds));
    EXPECT_FALSE(TitleMatches(L"SPCPlay", L"spcplay", 3));
    EXPECT_FALSE(TitleMatches(std::wstring(254, L'x') + L"WinSPC", L"WinSPC", TitleEnds));
    for (const wchar_t* caption : {L"[Running SPCPlay]", L"[Running WinSPC]", L"[Running ZD-SPC]"}) {
        EXPECT_FALSE(TitleMatches(caption, L"spcplay", TitleStarts) || TitleMatches(caption, L"winspc", TitleEnds) ||
                     TitleMatches(caption, L"ZDSpc", TitleContains));
    }
}

TEST(CommandLine, PartsEachFollowedByASpaceAndOnlyTickedSwitches) {
    EXPECT_EQ(BuildCommandLine(L"C:\\P\\WINSPC.EXE", L""), L"C:\\P\\WINSPC.EXE  ");
    const std::pair<SpcPlayOptions, const wchar_t*> cases[] = {
        {{0, 0, 0, 0, 2}, L""},
        {{1, 1, 0, 0, 3}, L"-8 -z -r 3 "},
        {{1, 1, 1, 1, 0}, L"-8 -z -x -q -r 0 "},
        {{2, 2, 2, 2, 2}, L""},  // greyed boxes count for nothing
        {{0, 0, 1, 0, 5}, L"-x -r 5 "},
    };
    for (const auto& [options, switches] : cases) EXPECT_EQ(SpcPlaySwitches(options), switches);
}

// Type-ahead over a sorted song list, as a quick typist or a slow one meets it.
TEST(FindByPrefix, QuickLettersSpellOnePrefix) {
    const std::vector<std::wstring> names = {L"abc.spc", L"bell.spc", L"bird.spc", L"echo.spc",
                                             L"zap.spc", L"zelda-01.spc", L"Zelda-02.spc"};
    struct Case {
        const wchar_t* prefix;
        int from;
        int found;
    };
    for (const Case& c : {Case{L"z", 0, 4}, Case{L"ze", 4, 5}, Case{L"ZEL", 4, 5}, Case{L"b", 3, 1},
                          Case{L"bb", 1, 2}, Case{L"bbb", 2, 1}, Case{L"zq", 4, -1}, Case{L"a", -1, 0}}) {
        EXPECT_EQ(FindByPrefix(names, c.prefix, c.from), c.found) << c.prefix << " from " << c.from;
    }
}

// Deep folders: the indent grows a level at a time, then stops where a name
// would no longer have room.
TEST(FolderIndentPixels, GrowsByLevelsButLeavesTwoThirdsOfTheList) {
    for (int dpi : {96, 144}) {
        const int width = TwipsToPixels(1755, dpi);
        EXPECT_EQ(FolderIndentPixels(3, dpi, width), 3 * TwipsToPixels(120, dpi));
        for (int level = 1; level <= 64; ++level) {
            EXPECT_GE(FolderIndentPixels(level, dpi, width), FolderIndentPixels(level - 1, dpi, width));
            EXPECT_LE(FolderIndentPixels(level, dpi, width), width / 3);
        }
    }
}

}  // namespace
}  // namespace velmoria

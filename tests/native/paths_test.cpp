#include "base/paths.h"

#include <gtest/gtest.h>

#include "base/player_kind.h"
#include "player/title_match.h"
#include "base/twips.h"

namespace velmoria {
namespace {

TEST(JoinPath, PutsExactlyOneBackslashBetween) {
    EXPECT_EQ(JoinPath(L"C:\\Players", L"Velmoria.ini"), L"C:\\Players\\Velmoria.ini");
    EXPECT_EQ(JoinPath(L"C:\\", L"Velmoria.ini"), L"C:\\Velmoria.ini");
    EXPECT_EQ(JoinPath(L"", L"A.SPC"), L"\\A.SPC");
    // Only the last character counts: a doubled separator inside is kept.
    EXPECT_EQ(JoinPath(L"C:\\\\x", L"A.SPC"), L"C:\\\\x\\A.SPC");
}

TEST(ParentFolder, KeepsTheBackslashOfADriveRootOnly) {
    EXPECT_EQ(ParentFolder(L"C:\\Players\\Velmoria.exe"), L"C:\\Players");
    EXPECT_EQ(ParentFolder(L"C:\\Velmoria.exe"), L"C:\\");
    EXPECT_EQ(ParentFolder(L"\\\\server\\share\\Velmoria.exe"), L"\\\\server\\share");
    EXPECT_EQ(ParentFolder(L"Velmoria.exe"), L"");
}

TEST(StripNulls, CutsAtTheFirstNul) {
    using namespace std::literals;
    EXPECT_EQ(StripNulls(L"AB\0CD"sv), L"AB");
    EXPECT_EQ(StripNulls(L"ABCD"sv), L"ABCD");
    EXPECT_EQ(StripNulls(L"\0AB"sv), L"");
}

TEST(TrimTrailingSpaces, KeepsLeadingAndInnerSpaces) {
    EXPECT_EQ(TrimTrailingSpaces(L" C:\\My Music\\A.SPC  "), L" C:\\My Music\\A.SPC");
    EXPECT_EQ(TrimTrailingSpaces(L"   "), L"");
}

TEST(PlayerKind, ComparesTheEndOfThePathIgnoringCase) {
    EXPECT_TRUE(IsSpcPlay(L"c:\\spc\\spcplay.exe"));
    EXPECT_TRUE(IsSpcPlay(L"SPCPLAY.EXE"));
    EXPECT_TRUE(IsSpcPlay(L"C:\\MYSPCPLAY.EXE"));  // only the end counts
    EXPECT_FALSE(IsSpcPlay(L"PLAY.EXE"));           // shorter than the name
    EXPECT_FALSE(IsSpcPlay(L"C:\\SPCPLAY.EXE "));
    EXPECT_TRUE(IsWinSpc(L"C:\\P\\WinSpc.Exe"));
    EXPECT_TRUE(IsZdSpc(L"C:\\P\\ZDSPC.EXE"));
    EXPECT_FALSE(IsZdSpc(L""));
}

TEST(MatchesFilePattern, MatchesAnyPatternOfTheListIgnoringCase) {
    const std::wstring_view players = L"SPCPLAY.EXE;WINSPC.EXE;ZDSPC.EXE";
    EXPECT_TRUE(MatchesFilePattern(L"spcplay.exe", players));
    EXPECT_TRUE(MatchesFilePattern(L"ZdSpc.Exe", players));
    EXPECT_FALSE(MatchesFilePattern(L"SPCPLAY.EXE.BAK", players));
    EXPECT_FALSE(MatchesFilePattern(L"XSPCPLAY.EXE", players));

    EXPECT_TRUE(MatchesFilePattern(L"Song One.spc", L"*.SPC"));
    EXPECT_TRUE(MatchesFilePattern(L".SPC", L"*.SPC"));
    EXPECT_FALSE(MatchesFilePattern(L"Song.spcx", L"*.SPC"));
    EXPECT_FALSE(MatchesFilePattern(L"Song.spc.txt", L"*.SPC"));
    EXPECT_TRUE(MatchesFilePattern(L"a.spc.spc", L"*.SPC"));
    EXPECT_TRUE(MatchesFilePattern(L"AB.SPC", L"??.SPC"));
    EXPECT_FALSE(MatchesFilePattern(L"ABC.SPC", L"??.SPC"));
    EXPECT_FALSE(MatchesFilePattern(L"A.SPC", L";;"));
    EXPECT_TRUE(MatchesFilePattern(L"A.SPC", L";*"));
}

TEST(MatchesFilePattern, StaysFastOnHostilePatterns) {
    const std::wstring name(5000, L'a');
    EXPECT_FALSE(MatchesFilePattern(name, L"*a*a*a*a*a*a*a*a*b"));
}

TEST(ExtendedLengthPath, PrefixesOnlyLongFullPaths) {
    EXPECT_EQ(ExtendedLengthPath(L"C:\\Short\\Velmoria.ini"), L"C:\\Short\\Velmoria.ini");
    const std::wstring longFolder = L"C:\\" + std::wstring(250, L'x');
    EXPECT_EQ(ExtendedLengthPath(longFolder), L"\\\\?\\" + longFolder);
    EXPECT_EQ(ExtendedLengthPath(L"\\\\?\\" + longFolder), L"\\\\?\\" + longFolder);
    const std::wstring share = L"\\\\server\\share\\" + std::wstring(250, L'y');
    EXPECT_EQ(ExtendedLengthPath(share), L"\\\\?\\UNC\\server\\share\\" + std::wstring(250, L'y'));
    const std::wstring relative(300, L'z');
    EXPECT_EQ(ExtendedLengthPath(relative), relative);
    EXPECT_EQ(WithoutExtendedPrefix(ExtendedLengthPath(longFolder)), longFolder);
    EXPECT_EQ(WithoutExtendedPrefix(ExtendedLengthPath(share)), share);
    EXPECT_EQ(WithoutExtendedPrefix(L"C:\\x"), L"C:\\x");
}

TEST(CommandArgument, QuotesOnlyTextWithASpace) {
    EXPECT_EQ(CommandArgument(L"C:\\MUSIC\\SONG1.SPC"), L"C:\\MUSIC\\SONG1.SPC");
    EXPECT_EQ(CommandArgument(L"D:\\My Music\\Song 1.spc"), L"\"D:\\My Music\\Song 1.spc\"");
    EXPECT_EQ(CommandArgument(L""), L"");
}

TEST(TitleMatches, StartsContainsEndsIgnoringCase) {
    EXPECT_TRUE(TitleMatches(L"SPCPlay 2", L"spcplay", TitleStarts));
    EXPECT_FALSE(TitleMatches(L"About SPCPlay", L"spcplay", TitleStarts));
    EXPECT_TRUE(TitleMatches(L"About SPCPlay", L"spcplay", TitleContains));
    EXPECT_TRUE(TitleMatches(L"Song - WinSPC", L"winspc", TitleEnds));
    EXPECT_FALSE(TitleMatches(L"WinSPC - Song", L"winspc", TitleEnds));
    EXPECT_FALSE(TitleMatches(L"SPC", L"WinSPC", TitleEnds));
}

TEST(TitleMatches, AnEmptySearchMatchesEveryModeAndUnknownModesNothing) {
    for (std::int32_t mode : {TitleStarts, TitleContains, TitleEnds}) {
        EXPECT_TRUE(TitleMatches(L"Anything", L"", mode));
    }
    EXPECT_FALSE(TitleMatches(L"SPCPlay", L"spcplay", 3));
    EXPECT_FALSE(TitleMatches(L"SPCPlay", L"spcplay", -1));
}

TEST(TitleMatches, LooksOnlyAtTheFirst255Characters) {
    std::wstring title(254, L'x');
    title += L"WinSPC";
    EXPECT_FALSE(TitleMatches(title, L"WinSPC", TitleEnds));
    EXPECT_TRUE(TitleMatches(title, L"xW", TitleEnds));
}

TEST(TitleMatches, TheMainWindowsOwnCaptionsNeverMatchAPlayerSearch) {
    for (const wchar_t* caption : {L"[Running SPCPlay]", L"[Running WinSPC]", L"[Running ZD-SPC]", L"Velmoria"}) {
        EXPECT_FALSE(TitleMatches(caption, L"spcplay", TitleStarts));
        EXPECT_FALSE(TitleMatches(caption, L"winspc", TitleEnds));
        EXPECT_FALSE(TitleMatches(caption, L" ZDSpc", TitleStarts));
        EXPECT_FALSE(TitleMatches(caption, L"ZDSpc", TitleContains));
    }
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
    for (const Case& c : {Case{L"z", 0, 4}, Case{L"ze", 4, 5}, Case{L"ZEL", 4, 5}, Case{L"e", 0, 3},
                          Case{L"b", 2, 2}, Case{L"b", 3, 1},  // wraps round
                          Case{L"bb", 1, 2}, Case{L"bbb", 2, 1},  // one letter again and again steps on
                          Case{L"zq", 4, -1}, Case{L"x", 0, -1}, Case{L"a", -1, 0}, Case{L"a", 7, 0}}) {
        EXPECT_EQ(FindByPrefix(names, c.prefix, c.from), c.found) << c.prefix << " from " << c.from;
    }
    EXPECT_EQ(FindByPrefix({}, L"a", 0), -1);
}

// Deep folders: the indent grows a level at a time, then stops where a name
// would no longer have room.
TEST(FolderIndentPixels, GrowsByLevelsButLeavesTwoThirdsOfTheList) {
    for (int dpi : {96, 120, 144, 192}) {
        const int width = TwipsToPixels(1755, dpi);  // the main window's folder list
        EXPECT_EQ(FolderIndentPixels(1, dpi, width), TwipsToPixels(120, dpi));
        EXPECT_EQ(FolderIndentPixels(3, dpi, width), 3 * TwipsToPixels(120, dpi));
        int previous = 0;
        for (int level = 0; level <= 64; ++level) {
            const int indent = FolderIndentPixels(level, dpi, width);
            EXPECT_GE(indent, previous);
            EXPECT_LE(indent, width / 3) << "level " << level << " at " << dpi;
            previous = indent;
        }
    }
}

}  // namespace
}  // namespace velmoria

#include "player/paths.h"

#include <gtest/gtest.h>

#include "app/player_kind.h"
#include "player/title_match.h"

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

}  // namespace
}  // namespace velmoria

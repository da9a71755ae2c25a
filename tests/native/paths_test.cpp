// Paths, file patterns, title matching, command-line pieces and
// type-ahead: the text rules everything else stands on.
#include <gtest/gtest.h>

#include "base/paths.h"
#include "player/command_line.h"
#include "player/title_match.h"

namespace velmoria {
namespace {

using namespace std::literals;

// What "Open with", a shortcut or a drop hands the program.
TEST(Paths, TheFirstArgumentAndADropList) {
    EXPECT_EQ(FirstArgument(L"\"C:\\Program Files\\Velmoria.exe\" \"D:\\My Music\\a.spc\" more"), L"D:\\My Music\\a.spc");
    EXPECT_EQ(FirstArgument(L"Velmoria.exe   D:\\Music\\"), L"D:\\Music\\");
    EXPECT_EQ(FirstArgument(L"Velmoria.exe \"D:\\Music\\\""), L"D:\\Music\\");  // a backslash before the quote stays
    EXPECT_EQ(FirstArgument(L"\"C:\\V\\Velmoria.exe\""), L"");
    EXPECT_EQ(FirstArgument(L"\"C:\\V\\Velmoria.exe"), L"");  // no closing quote
    EXPECT_EQ(ArgumentsTail(L"Velmoria.exe  C:\\folder with spaces\\song one.spc "), L"C:\\folder with spaces\\song one.spc");
    EXPECT_EQ(ArgumentsTail(L"\"C:\\V\\Velmoria.exe\" \"D:\\A B\""), L"D:\\A B");
    EXPECT_EQ(SplitNulList(L"C:\\a\0D:\\b c\0\0ignored"sv), (std::vector<std::wstring>{L"C:\\a", L"D:\\b c"}));
    EXPECT_EQ(SplitNulList(L"C:\\cut"sv), std::vector<std::wstring>{L"C:\\cut"});
    EXPECT_EQ(SplitNulList(L"a\0b\0c\0\0"sv, 2), (std::vector<std::wstring>{L"a", L"b"}));  // a drop's first items
    EXPECT_TRUE(SplitNulList(L"\0C:\\a"sv).empty());
}

// A tag's title shown in a list or caption: what would reorder, break or
// hide the line becomes a space, as control characters do.
TEST(Paths, TextFromOutsideKeepsToItsLine) {
    EXPECT_EQ(PlainLineText(L"abc\u202Egnp.exe"), L"abc gnp.exe");    // a right-to-left override
    EXPECT_EQ(PlainLineText(L"One\u2028Two\u0085Three"), L"One Two Three");  // line separators
    EXPECT_EQ(PlainLineText(L"Zero\u200Bwidth\u2066x\uFEFF"), L"Zero width x");  // hidden, isolated; trimmed
    EXPECT_EQ(PlainLineText(L"Pok\u00E9mon \u66F2 \u2026"), L"Pok\u00E9mon \u66F2 \u2026");  // letters and the ellipsis stay
}

TEST(Paths, JoinParentStripAndTrim) {
    // Names a player would open as a device, given without the "\\?\" prefix.
    EXPECT_TRUE(IsDeviceName(L"COM1.spc") && IsDeviceName(L"con") && IsDeviceName(L"Nul .spc") && IsDeviceName(L"LPT\u00B9.a.b"));
    EXPECT_FALSE(IsDeviceName(L"COM10.spc") || IsDeviceName(L"CONSOLE.spc") || IsDeviceName(L"COM0.spc") || IsDeviceName(L"aux1"));
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

// Title searches as the play control uses them are in
// play_control_test; these are the edges it does not reach.
TEST(Paths, PatternsAndTitlesAtTheirEdges) {
    EXPECT_FALSE(MatchesFilePattern(L"ABC.SPC", L"??.SPC"));
    EXPECT_FALSE(MatchesFilePattern(std::wstring(5000, L'a'), L"*a*a*a*a*a*a*a*a*b"));  // no blow-up
    EXPECT_FALSE(TitleMatches(L"About SPCPlay", L"spcplay", TitleStarts));
    EXPECT_FALSE(TitleMatches(L"WinSPC - Song", L"winspc", TitleEnds));
    EXPECT_FALSE(TitleMatches(L"SPCPlay", L"spcplay", 3));
    EXPECT_FALSE(TitleMatches(std::wstring(254, L'x') + L"WinSPC", L"WinSPC", TitleEnds));  // past 255 characters
    for (const wchar_t* caption : {L"[Running SPCPlay]", L"[Running WinSPC]", L"[Running ZD-SPC]"}) {
        EXPECT_FALSE(TitleMatches(caption, L"spcplay", TitleStarts) || TitleMatches(caption, L"winspc", TitleEnds) ||
                     TitleMatches(caption, L"ZDSpc", TitleContains));
    }
}

// Type-ahead: a prefix typed quickly searches from the entry reached so far,
// wrapping round; one letter typed again and again steps through its names.
TEST(FindByPrefix, QuickLettersSpellOnePrefix) {
    const std::vector<std::wstring> names = {L"abc.spc", L"bell.spc", L"bird.spc", L"zap.spc", L"Zelda-02.spc"};
    const std::tuple<const wchar_t*, int, int> cases[] = {{L"z", 0, 3}, {L"ZE", 3, 4}, {L"b", 3, 1},
                                                          {L"bbb", 1, 2}, {L"zq", 3, -1}, {L"a", -1, 0}};
    for (const auto& [prefix, from, found] : cases) EXPECT_EQ(FindByPrefix(names, prefix, from), found) << prefix;
}

}  // namespace
}  // namespace velmoria

// The settings file's two lines: what the writer makes and what the reader
// takes from any bytes at all. That every written path reads back whole is
// the fuzzer's business (tests/fuzz).
#include "app/choices.h"
#include "app/settings.h"

#include <gtest/gtest.h>

namespace velmoria {
namespace {

// The choices file: UTF-8, so that any folder's name is kept; what it does
// not know is passed over. That any bytes read back the same is the fuzzer's.
TEST(Choices, KeepTheTitlesViewAndAnyFolderAndPassOverTheRest) {
    const Choices choices{true, false, true, L"D:\\\u66F2 Music\\\U0001F3B5"};
    EXPECT_EQ(FormatChoices(choices),
              "titles=1\r\nshuffle=0\r\nrepeat=1\r\nfolder=D:\\\xE6\x9B\xB2 Music\\\xF0\x9F\x8E\xB5\r\n");
    const Choices read = ParseChoices("junk\nshuffle=1\n" + FormatChoices(choices));
    EXPECT_TRUE(read.songTitles && !read.shuffle && read.repeat && read.lastFolder == choices.lastFolder);
    EXPECT_EQ(ParseChoices("titles=yes\nfolder=\xFF\n").lastFolder, L"\xFFFD");
    EXPECT_FALSE(ParseChoices("titles=yes").songTitles);
    // Saved again by an editor: with a byte-order mark, or as UTF-16 either way round.
    EXPECT_TRUE(ParseChoices("\xEF\xBB\xBFtitles=1\r\n").songTitles);
    const std::u16string text = u"repeat=1\r\nfolder=D:\\\u66F2\U0001F3B5\r\n";
    for (const bool big : {false, true}) {
        std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t unit : text) {
            const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
            bytes += big ? std::string{high, low} : std::string{low, high};
        }
        const Choices utf16 = ParseChoices(bytes);
        EXPECT_TRUE(utf16.repeat && utf16.lastFolder == L"D:\\\u66F2\U0001F3B5") << big;
    }
}

TEST(FormatSettings, WritesTheTwoLinesAndQuotesOnlyAPathWithAComma) {
    EXPECT_EQ(FormatSettings("C:\\SPC\\SPCPLAY.EXE", 1), "C:\\SPC\\SPCPLAY.EXE\r\n 1 \r\n");
    EXPECT_EQ(FormatSettings("", -1), "\r\n -1 \r\n");
    EXPECT_EQ(FormatSettings("C:\\Players, old\\WINSPC.EXE", 0), "\"C:\\Players, old\\WINSPC.EXE\"\r\n 0 \r\n");
    EXPECT_EQ(FormatSettings("C:\\My Players\\WINSPC.EXE", 0), "C:\\My Players\\WINSPC.EXE\r\n 0 \r\n");
    // A line break or a quote (only from editing the file by hand) would read
    // back as another path and lose the flag: refused.
    for (const char* path : {"C:\\a\r\nb\\SPCPLAY.EXE", "C:\\a\rb", "C:\\a\nb", "C:\\a\"b\\WINSPC.EXE"}) {
        EXPECT_EQ(FormatSettings(path, 1), std::nullopt) << path;
    }
}

struct ParseCase {
    const char* bytes;
    const char* path;
    int flag;
};

// Short, readable test names: the bytes with line ends made visible.
void PrintTo(const ParseCase& c, std::ostream* os) {
    for (const char* b = c.bytes; *b; ++b) *os << (*b == '\r' ? "CR" : *b == '\n' ? "LF" : std::string(1, *b));
}

class ParseSettingsCases : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseSettingsCases, ReadsBothItems) {
    const StoredSettings read = ParseSettings(GetParam().bytes);
    EXPECT_EQ(read.playerPath, GetParam().path);
    EXPECT_EQ(read.compactFlag, GetParam().flag);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ParseSettingsCases,
    testing::Values(ParseCase{"C:\\SPC\\SPCPLAY.EXE\r\n 1 \r\n", "C:\\SPC\\SPCPLAY.EXE", 1},
                    ParseCase{"C:\\SPC\\SPCPLAY.EXE", "C:\\SPC\\SPCPLAY.EXE", 0}, ParseCase{"", "", 0},
                    ParseCase{"\r\n 1 \r\n", "", 1}, ParseCase{"   C:\\P\\WINSPC.EXE\n5\n", "C:\\P\\WINSPC.EXE", 5},
                    ParseCase{"C:\\P\\X.EXE\r 1 \r", "C:\\P\\X.EXE", 1},
                    ParseCase{"C:\\P\\X.EXE\r\n\r\n 1 \r\n", "C:\\P\\X.EXE", 0},
                    ParseCase{"\xEF\xBB\xBF" "C:\\P\\X.EXE\r\n 1 \r\n", "C:\\P\\X.EXE", 1}));

INSTANTIATE_TEST_SUITE_P(
    CommasAndQuotes, ParseSettingsCases,
    testing::Values(ParseCase{"C:\\a,b\\SPCPLAY.EXE\r\n 1 \r\n", "C:\\a", 0},
                    ParseCase{"C:\\P\\ZDSPC.EXE, 1\r\n 0 \r\n", "C:\\P\\ZDSPC.EXE", 1},
                    ParseCase{"\"C:\\a,b\\SPCPLAY.EXE\"\r\n 1 \r\n", "C:\\a,b\\SPCPLAY.EXE", 1},
                    ParseCase{"\"C:\\P\" junk\r\n 1 \r\n", "C:\\P", 1},
                    ParseCase{"\"unbalanced\r\n 1 \r\n", "unbalanced\r\n 1 \r\n", 0}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, ParseSettingsCases,
    testing::Values(ParseCase{"p\r\n-1\r\n", "p", -1}, ParseCase{"p\r\n -32768 \r\n", "p", -32768},
                    ParseCase{"p\r\n 32768 \r\n", "p", 0}, ParseCase{"p\r\n 0000000000000000000001\r\n", "p", 1},
                    ParseCase{"p\r\n 2.5 \r\n", "p", 2}, ParseCase{"p\r\n -1.5\r\n", "p", -2},
                    ParseCase{"p\r\n 1abc\r\n", "p", 0}, ParseCase{"p\r\n\t4\t\r\n", "p", 4}));

}  // namespace
}  // namespace velmoria

#include "app/settings.h"

#include <gtest/gtest.h>

namespace velmoria {
namespace {

TEST(FormatSettings, WritesTheTwoLinesExactly) {
    EXPECT_EQ(FormatSettings("C:\\SPC\\SPCPLAY.EXE", 0), "C:\\SPC\\SPCPLAY.EXE\r\n 0 \r\n");
    EXPECT_EQ(FormatSettings("C:\\SPC\\SPCPLAY.EXE", 1), "C:\\SPC\\SPCPLAY.EXE\r\n 1 \r\n");
    EXPECT_EQ(FormatSettings("", -1), "\r\n -1 \r\n");
}

TEST(FormatSettings, QuotesOnlyAPathWithAComma) {
    EXPECT_EQ(FormatSettings("C:\\Players, old\\WINSPC.EXE", 0), "\"C:\\Players, old\\WINSPC.EXE\"\r\n 0 \r\n");
    EXPECT_EQ(FormatSettings("C:\\My Players\\WINSPC.EXE", 1), "C:\\My Players\\WINSPC.EXE\r\n 1 \r\n");
}

TEST(FormatSettings, EveryWrittenPathReadsBackWhole) {
    for (const char* path : {"C:\\SPCPLAY.EXE", "C:\\a,b\\c,d\\ZDSPC.EXE", "  C:\\lead\\WINSPC.EXE",
                             "C:\\x\\y z\\SPCPLAY.EXE", ","}) {
        for (std::int16_t flag : {std::int16_t{0}, std::int16_t{1}, std::int16_t{-32768}, std::int16_t{32767}}) {
            const StoredSettings read = ParseSettings(FormatSettings(path, flag).value());
            // Leading blanks are skipped by the reader unless the path is quoted.
            std::string expected = path;
            if (expected.find(',') == std::string::npos) expected.erase(0, expected.find_first_not_of(' '));
            EXPECT_EQ(read.playerPath, expected) << path;
            EXPECT_EQ(read.compactFlag, flag) << path;
        }
    }
}

// Such a path can only come from a hand-edited file; written back as it is,
// it would read back as another path and lose the compact flag.
TEST(FormatSettings, RefusesPathsThatCannotReadBackWhole) {
    for (const char* path : {"C:\\a\r\nb\\SPCPLAY.EXE", "C:\\a\rb", "C:\\a\nb", "C:\\a\"b\\WINSPC.EXE", "\"C:\\a,b\""}) {
        EXPECT_EQ(FormatSettings(path, 1), std::nullopt) << path;
    }
}

struct ParseCase {
    const char* bytes;
    const char* path;
    int flag;
};

// Short, readable test names: the bytes with line ends and quotes made visible.
void PrintTo(const ParseCase& c, std::ostream* os) {
    for (const char* b = c.bytes; *b; ++b) {
        if (*b == '\r') *os << "CR";
        else if (*b == '\n') *os << "LF";
        else *os << *b;
    }
}

class ParseSettingsCases : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseSettingsCases, ReadsBothItems) {
    const ParseCase& c = GetParam();
    const StoredSettings read = ParseSettings(c.bytes);
    EXPECT_EQ(read.playerPath, c.path);
    EXPECT_EQ(read.compactFlag, c.flag);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ParseSettingsCases,
    testing::Values(ParseCase{"C:\\SPC\\SPCPLAY.EXE\r\n 1 \r\n", "C:\\SPC\\SPCPLAY.EXE", 1},
                    ParseCase{"C:\\SPC\\SPCPLAY.EXE\r\n", "C:\\SPC\\SPCPLAY.EXE", 0},
                    ParseCase{"C:\\SPC\\SPCPLAY.EXE", "C:\\SPC\\SPCPLAY.EXE", 0},
                    ParseCase{"", "", 0}, ParseCase{"\r\n 1 \r\n", "", 1},
                    ParseCase{"   C:\\P\\WINSPC.EXE\n5\n", "C:\\P\\WINSPC.EXE", 5},
                    ParseCase{"C:\\P\\WINSPC.EXE\r 1 \r", "C:\\P\\WINSPC.EXE", 1},
                    ParseCase{"C:\\P\\X.EXE\r\n 1 2\r\n", "C:\\P\\X.EXE", 1},
                    ParseCase{"C:\\P\\X.EXE\r\n\r\n 1 \r\n", "C:\\P\\X.EXE", 0},
                    ParseCase{"\xEF\xBB\xBF" "C:\\P\\WINSPC.EXE\r\n 1 \r\n", "C:\\P\\WINSPC.EXE", 1},
                    ParseCase{"\xEF\xBB\xBF\"C:\\a,b\\X.EXE\"\r\n 1 \r\n", "C:\\a,b\\X.EXE", 1}));

INSTANTIATE_TEST_SUITE_P(
    CommasAndQuotes, ParseSettingsCases,
    testing::Values(ParseCase{"C:\\a,b\\SPCPLAY.EXE\r\n 1 \r\n", "C:\\a", 0},
                    ParseCase{"C:\\P\\ZDSPC.EXE, 1\r\n 0 \r\n", "C:\\P\\ZDSPC.EXE", 1},
                    ParseCase{"\"C:\\a,b\\SPCPLAY.EXE\"\r\n 1 \r\n", "C:\\a,b\\SPCPLAY.EXE", 1},
                    ParseCase{"\"C:\\P\" junk\r\n 1 \r\n", "C:\\P", 1},
                    ParseCase{"\"C:\\P\",7\r\n", "C:\\P", 7},
                    ParseCase{"\"unbalanced\r\n 1 \r\n", "unbalanced\r\n 1 \r\n", 0}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, ParseSettingsCases,
    testing::Values(ParseCase{"p\r\n-1\r\n", "p", -1}, ParseCase{"p\r\n 32767 \r\n", "p", 32767},
                    ParseCase{"p\r\n -32768 \r\n", "p", -32768}, ParseCase{"p\r\n 32768 \r\n", "p", 0},
                    ParseCase{"p\r\n -32769\r\n", "p", 0}, ParseCase{"p\r\n 99999999999999999999\r\n", "p", 0},
                    ParseCase{"p\r\n 0000000000000000000001\r\n", "p", 1}, ParseCase{"p\r\n+3\r\n", "p", 3},
                    ParseCase{"p\r\n 1.5 \r\n", "p", 2}, ParseCase{"p\r\n 2.5 \r\n", "p", 2},
                    ParseCase{"p\r\n 2.51 \r\n", "p", 3}, ParseCase{"p\r\n -1.5\r\n", "p", -2},
                    ParseCase{"p\r\n .4\r\n", "p", 0}, ParseCase{"p\r\n 32767.5\r\n", "p", 0},
                    ParseCase{"p\r\n 1abc\r\n", "p", 0}, ParseCase{"p\r\n abc\r\n", "p", 0},
                    ParseCase{"p\r\n -\r\n", "p", 0}, ParseCase{"p\r\n .\r\n", "p", 0},
                    ParseCase{"p\r\n\t4\t\r\n", "p", 4}));

TEST(ParseSettings, SurvivesBinaryBytes) {
    const std::string bytes("\0\xff\"\r,\x01\n\"\"\r\n-", 12);
    const StoredSettings read = ParseSettings(bytes);
    EXPECT_EQ(read.playerPath, std::string("\0\xff\"", 3));
    EXPECT_EQ(read.compactFlag, 0);
}

}  // namespace
}  // namespace velmoria

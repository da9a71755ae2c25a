#include "player/command_line.h"

#include <gtest/gtest.h>

namespace velmoria {
namespace {

SpcPlayOptions Defaults() {
    SpcPlayOptions options;
    options.samplingIndex = kDefaultSamplingIndex;
    return options;
}

TEST(BuildCommandLine, FollowsEachPartWithOneSpace) {
    EXPECT_EQ(BuildCommandLine(L"C:\\PLAYERS\\SPCPLAY.EXE", L"C:\\MUSIC\\SONG1.SPC"),
              L"C:\\PLAYERS\\SPCPLAY.EXE C:\\MUSIC\\SONG1.SPC ");
    EXPECT_EQ(BuildCommandLine(L"C:\\P\\WINSPC.EXE", L""), L"C:\\P\\WINSPC.EXE  ");
    EXPECT_EQ(BuildCommandLine(L"C:\\Pl ayers\\ZDSPC.EXE", L"C:\\M\\A B.SPC"),
              L"\"C:\\Pl ayers\\ZDSPC.EXE\" \"C:\\M\\A B.SPC\" ");
}

TEST(SpcPlaySwitches, NothingForDefaults) {
    EXPECT_EQ(SpcPlaySwitches(Defaults()), L"");
}

TEST(SpcPlaySwitches, EachTickedBoxInItsFixedOrder) {
    SpcPlayOptions options = Defaults();
    options.buffering = 1;
    EXPECT_EQ(SpcPlaySwitches(options), L"-q ");
    options.adsr = 1;
    options.eightBit = 1;
    EXPECT_EQ(SpcPlaySwitches(options), L"-8 -x -q ");
    options.stereo = 1;
    EXPECT_EQ(SpcPlaySwitches(options), L"-8 -z -x -q ");
}

TEST(SpcPlaySwitches, OnlyATickCountsNotGrey) {
    SpcPlayOptions options = Defaults();
    options.eightBit = options.stereo = options.adsr = options.buffering = 2;
    EXPECT_EQ(SpcPlaySwitches(options), L"");
}

TEST(SpcPlaySwitches, RatePositionGoesOutUnchanged) {
    const wchar_t* expected[] = {L"-r 0 ", L"-r 1 ", L"", L"-r 3 ", L"-r 4 ", L"-r 5 "};
    for (int index = 0; index < 6; ++index) {
        SpcPlayOptions options = Defaults();
        options.samplingIndex = index;
        EXPECT_EQ(SpcPlaySwitches(options), expected[index]) << index;
    }
}

TEST(SpcPlaySwitches, TheUsualExample) {
    SpcPlayOptions options = Defaults();
    options.eightBit = options.stereo = 1;
    options.samplingIndex = 3;
    EXPECT_EQ(BuildCommandLine(L"C:\\PLAYERS\\SPCPLAY.EXE", L"C:\\MUSIC\\SONG1.SPC") + SpcPlaySwitches(options),
              L"C:\\PLAYERS\\SPCPLAY.EXE C:\\MUSIC\\SONG1.SPC -8 -z -r 3 ");
}

}  // namespace
}  // namespace velmoria

// Sets as they come: zip and 7z archives written by Python's zipfile and
// Debian's 7zz during the build (tests/sets/make_sets.py), opened as folders
// of songs, and every kind of broken one refused with what is wrong with it.
#include "archive/archive.h"
#include "archive/packed_set.h"
#include "spc/spc_tag.h"

#include <gmock/gmock.h>

#include <fstream>
#include <iterator>

namespace velmoria {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

std::string SetBytes(const char* name) {
    std::ifstream file(std::string(VELMORIA_TEST_SETS) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool Any(std::string_view) { return true; }

TEST(Sets, AZipIsFoldersOfSongsWithItsInfoLine) {
    const PackedSet set(UnpackArchive(SetBytes("Green Game.zip"), Any));
    EXPECT_THAT(set.Folder(L"")->folders, ElementsAre(L"Disc 2"));
    EXPECT_THAT(set.Folder(L"")->files, ElementsAre(L"info.txt", L"01 First.spc", L"03 Third.sp1", L"notes.txt"));
    EXPECT_THAT(set.Folder(L"DISC 2")->files, ElementsAre(L"02 Second.spc"));
    EXPECT_EQ(set.Folder(L"Disc 3"), nullptr);
    EXPECT_EQ(set.Info(), L"Green Game");
    const std::string* second = set.File(L"disc 2\\02 SECOND.spc");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->size(), 0x10200u);
    EXPECT_EQ(ReadSongBytes(*second)->title, "Second");
    EXPECT_EQ(static_cast<unsigned char>((*second)[0x1FF]), 0xFF);  // the sound data whole

    // Told by its bytes: an .rsn that is a stored zip; only what is wanted is decoded.
    const std::vector<PackedFile> stored = UnpackArchive(SetBytes("Stored.rsn"), [](std::string_view name) {
        return name.starts_with("Disc");
    });
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].name, "Disc 2/02 Second.spc");
    EXPECT_EQ(ArchiveKindOf("Rar!\x1A\x07\x01"), ArchiveKind::Rar);
    EXPECT_EQ(ArchiveKindOf("7z\xBC\xAF\x27\x1C"), ArchiveKind::SevenZip);
}

// A solid 7z set made by 7-Zip itself, LZMA2 or PPMd, reads as the same
// set zipped: the same folders, files and bytes, the info line too.
TEST(Sets, ASolid7zSetReadsAsTheSameSetZipped) {
    const PackedSet zipped(UnpackArchive(SetBytes("Green Game.zip"), Any));
    for (const char* name : {"Green Game.7z", "PPMd.7z"}) {
        const PackedSet set(UnpackArchive(SetBytes(name), Any));
        EXPECT_THAT(set.Folder(L"Disc 2")->files, ElementsAre(L"02 Second.spc")) << name;
        const std::string* second = set.File(L"Disc 2\\02 Second.spc");
        ASSERT_NE(second, nullptr) << name;
        EXPECT_EQ(*second, *zipped.File(L"Disc 2\\02 Second.spc")) << name;
    }
    const PackedSet set(UnpackArchive(SetBytes("Green Game.7z"), Any));
    EXPECT_EQ(set.Info(), L"Green Game");
    EXPECT_THAT(set.Folder(L"")->files, testing::UnorderedElementsAreArray(zipped.Folder(L"")->files));
    EXPECT_EQ(*set.File(L"01 First.spc"), *zipped.File(L"01 First.spc"));
}

// Names that could lead out of the set, name a drive or hold a control
// character are shown whole, as text, at the set's top.
TEST(Sets, NamesThatCouldLeadOutAreShownAsText) {
    const PackedSet set(UnpackArchive(SetBytes("Traversal.zip"), Any));
    EXPECT_THAT(set.Folder(L"")->folders, IsEmpty());
    EXPECT_THAT(set.Folder(L"")->files, ElementsAre(L".._.._escaped.spc", L"C__Windows_drive.spc", L"tab_here.spc",
                                                    L"Disc_.._dots.spc"));
    EXPECT_THAT(ShownParts("Game/Disc 1/01.spc"), ElementsAre(L"Game", L"Disc 1", L"01.spc"));
    EXPECT_THAT(ShownParts("trailing. /x.spc"), ElementsAre(L"trailing. _x.spc"));
    EXPECT_THAT(ShownParts(".."), ElementsAre(L".._"));
}

// Each broken set says what is wrong with it, and the bombs are refused
// before anything is decoded.
TEST(Sets, BrokenSetsSayWhatIsWrong) {
    const std::pair<const char*, ArchiveProblem> cases[] = {
        {"Damaged.zip", ArchiveProblem::Damaged},     {"Fake.zip", ArchiveProblem::NotArchive},
        {"Locked.zip", ArchiveProblem::Password},     {"Part.zip", ArchiveProblem::LaterPart},
        {"Large.zip", ArchiveProblem::TooLarge},      {"Many.zip", ArchiveProblem::TooLarge},
        {"Liar.zip", ArchiveProblem::Damaged},        {"Locked.7z", ArchiveProblem::Password},
        {"Hidden.7z", ArchiveProblem::Password},      {"Damaged.7z", ArchiveProblem::Damaged},
        {"Large.7z", ArchiveProblem::TooLarge},
    };
    for (const auto& [name, problem] : cases) {
        try {
            UnpackArchive(SetBytes(name), Any);
            ADD_FAILURE() << name << " was read";
        } catch (const ArchiveError& error) {
            EXPECT_EQ(error.problem(), problem) << name;
        }
    }
}

}  // namespace
}  // namespace velmoria

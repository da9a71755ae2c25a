// Sets as they come: zip, 7z and RAR archives written by Python's zipfile,
// Debian's 7zz and a stored RAR writer during the build
// (tests/sets/make_sets.py), RAR archives compressed by RAR itself, opened as
// folders of songs, and every kind of broken one refused with what is wrong.
#include "archive/archive.h"
#include "archive/packed_set.h"
#include "archive/rar_reader.h"
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

// The sets' names are ASCII, so widening them char by char is exact.
SystemPath SetPath(const char* name) {
    const std::string path = std::string(VELMORIA_TEST_SETS) + "/" + name;
    return SystemPath(path.begin(), path.end());
}

template <typename Read>
void ExpectProblem(const char* name, ArchiveProblem problem, Read read) {
    try {
        read();
        ADD_FAILURE() << name << " was read";
    } catch (const ArchiveError& error) {
        EXPECT_EQ(error.problem(), problem) << name;
    }
}

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
        {"Large.7z", ArchiveProblem::TooLarge},       {"Fake.rsn", ArchiveProblem::NotArchive},
    };
    for (const auto& [name, problem] : cases) ExpectProblem(name, problem, [name] { UnpackArchive(SetBytes(name), Any); });
}

// A RAR set, solid or not, reads as the same set zipped; only the wanted
// files come back.
TEST(RarSets, AStoredRarReadsAsTheSameSetZipped) {
    const PackedSet zipped(UnpackArchive(SetBytes("Green Game.zip"), Any));
    for (const char* name : {"Green Game.rsn", "Solid.rar"}) {
        const PackedSet set(UnpackRar(SetPath(name), Any));
        EXPECT_EQ(set.Info(), L"Green Game") << name;
        EXPECT_THAT(set.Folder(L"")->files, ElementsAre(L"info.txt", L"01 First.spc", L"03 Third.sp1", L"notes.txt"));
        EXPECT_THAT(set.Folder(L"Disc 2")->files, ElementsAre(L"02 Second.spc")) << name;
        EXPECT_EQ(*set.File(L"Disc 2\\02 Second.spc"), *zipped.File(L"Disc 2\\02 Second.spc")) << name;
        const std::vector<PackedFile> some =
            UnpackRar(SetPath(name), [](std::string_view stored) { return stored.ends_with(".sp1"); });
        ASSERT_EQ(some.size(), 1u) << name;
        EXPECT_EQ(some[0].name, "03 Third.sp1");
        EXPECT_EQ(ReadSongBytes(some[0].bytes)->title, "Third");
    }
}

// Archives compressed by RAR itself (RAR 2.9 LZSS, PPMd, filters, solid,
// RAR 5): each file decodes whole, its checksum checked by the decoder.
TEST(RarSets, CompressedRarArchivesDecode) {
    const std::vector<PackedFile> normal = UnpackRar(SetPath("test_read_format_rar_compress_normal.rar"), Any);
    // Its symbolic link and its folder are no files.
    ASSERT_EQ(normal.size(), 3u);
    EXPECT_EQ(normal[0].name, "LibarchiveAddingTest.html");
    EXPECT_EQ(normal[0].bytes.size(), 20111u);
    EXPECT_TRUE(normal[0].bytes.ends_with("</BODY>\n</HTML>"));
    EXPECT_EQ(normal[1].name, "testdir/test.txt");
    EXPECT_EQ(normal[1].bytes, "test text document\r\n");
    EXPECT_EQ(normal[2].bytes, normal[0].bytes);

    // Solid: the second file decodes on from the first, here when only it is wanted.
    const std::vector<PackedFile> solid = UnpackRar(SetPath("testfile.rar3.solid.cbr"), [](std::string_view stored) {
        return stored.ends_with(".jpg");
    });
    ASSERT_EQ(solid.size(), 1u);
    EXPECT_TRUE(solid[0].bytes.starts_with("\xFF\xD8\xFF")) << "a JPEG's first bytes";

    // 20 MB in many blocks: past a song's size, and read only with a higher limit.
    const std::vector<PackedFile> blocks =
        UnpackRar(SetPath("test_read_format_rar_multi_lzss_blocks.rar"), Any, {32u << 20, 64u << 20});
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].bytes.size(), 20131111u);
    EXPECT_THROW(UnpackRar(SetPath("test_read_format_rar_multi_lzss_blocks.rar"), Any), ArchiveError);

    for (const char* name : {"test_read_format_rar_filter.rar", "test_read_format_rar5_solid.rar", "testfile.rar3.rar"}) {
        std::vector<PackedFile> files;
        EXPECT_NO_THROW(files = UnpackRar(SetPath(name), Any)) << name;
        EXPECT_FALSE(files.empty()) << name;
    }
}

// Each broken RAR says what is wrong, and the bombs are refused from the
// listing, before anything is decoded.
TEST(RarSets, BrokenRarSetsSayWhatIsWrong) {
    const std::pair<const char*, ArchiveProblem> cases[] = {
        {"Cut.rsn", ArchiveProblem::Damaged},
        {"Corrupt.rsn", ArchiveProblem::Damaged},
        {"Large.rsn", ArchiveProblem::TooLarge},
        {"Many.rsn", ArchiveProblem::TooLarge},
        {"test_read_format_rar_encryption_data.rar", ArchiveProblem::Password},
        {"test_read_format_rar_encryption_header.rar", ArchiveProblem::Password},
        {"Part1.rsn", ArchiveProblem::LaterPart},
        {"test_read_format_rar_multivolume.part0002.rar", ArchiveProblem::LaterPart},
        {"test_read_format_rar_invalid1.rar", ArchiveProblem::Damaged},
        {"No such set.rsn", ArchiveProblem::Damaged},
    };
    for (const auto& [name, problem] : cases) ExpectProblem(name, problem, [name] { UnpackRar(SetPath(name), Any); });
}

}  // namespace
}  // namespace velmoria

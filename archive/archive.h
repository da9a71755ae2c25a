// Sets of songs packed in one file, read from the file's bytes in memory:
// which kind of archive the bytes are, and its files decoded. Window-free,
// so that the readers run natively under the sanitizers and the fuzzer.
// Names are UTF-8 with "/" between folders, exactly as stored; what is safe
// to show or build paths from is set_names.h's business.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmoria {

enum class ArchiveKind { None, Zip, SevenZip, Rar };

// Told by the first bytes, whatever the file's name: a ".rsn" is a RAR.
ArchiveKind ArchiveKindOf(std::string_view head);

// What is wrong with an archive, as the user is told it.
enum class ArchiveProblem {
    NotArchive,   // only its name says it is one
    Damaged,      // cut short, or its bytes do not add up
    Password,     // its files are encrypted
    LaterPart,    // one part of a set spread over several files
    Unsupported,  // a kind or method this program does not read
    TooLarge,     // a file larger than any song, or more than the limit in all
};

class ArchiveError : public std::runtime_error {
public:
    explicit ArchiveError(ArchiveProblem problem) : std::runtime_error("archive not read"), problem_(problem) {}
    ArchiveProblem problem() const { return problem_; }

private:
    ArchiveProblem problem_;
};

// No SPC is near 16 MB; a set that decodes past 256 MB is a bomb, not songs.
struct ArchiveLimits {
    std::uint64_t fileBytes = 16u << 20;
    std::uint64_t totalBytes = 256u << 20;
};

struct PackedFile {
    std::string name;   // as stored, in UTF-8: "Set/01 Title.spc"
    std::string bytes;  // decoded
};

// Which stored names are wanted; the others are passed over, not decoded
// where the format allows.
using WantedName = std::function<bool(std::string_view name)>;

// The wanted files of the archive, decoded, in the archive's order; folders
// are not files. Throws ArchiveError, with nothing returned. A RAR is read
// from its file by UnpackRar (rar_reader.h); as bytes it is Unsupported here.
std::vector<PackedFile> UnpackArchive(std::string_view archive, const WantedName& wanted,
                                      const ArchiveLimits& limits = {});

}  // namespace velmoria

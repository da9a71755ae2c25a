#include "archive/archive.h"

#include "archive/seven_zip_reader.h"
#include "archive/zip_reader.h"

namespace velmoria {

ArchiveKind ArchiveKindOf(std::string_view head) {
    if (head.starts_with("PK\x03\x04") || head.starts_with("PK\x05\x06") || head.starts_with("PK\x07\x08")) {
        return ArchiveKind::Zip;
    }
    if (head.starts_with("7z\xBC\xAF\x27\x1C")) return ArchiveKind::SevenZip;
    if (head.starts_with("Rar!\x1A\x07")) return ArchiveKind::Rar;
    return ArchiveKind::None;
}

std::vector<PackedFile> UnpackArchive(std::string_view archive, const WantedName& wanted, const ArchiveLimits& limits) {
    switch (ArchiveKindOf(archive)) {
    case ArchiveKind::Zip:
        return UnpackZip(archive, wanted, limits);
    case ArchiveKind::SevenZip:
        return UnpackSevenZip(archive, wanted, limits);
    case ArchiveKind::None:
        throw ArchiveError(ArchiveProblem::NotArchive);
    default:
        throw ArchiveError(ArchiveProblem::Unsupported);
    }
}

}  // namespace velmoria

// The 7z reader behind UnpackArchive, over 7-Zip's own C decoder (LZMA,
// LZMA2, PPMd, BCJ, BCJ2, Delta): a solid set is decoded block by block, each
// block once. Encrypted sets and parts of split ones are told apart.
#pragma once

#include "archive/archive.h"

namespace velmoria {

std::vector<PackedFile> UnpackSevenZip(std::string_view archive, const WantedName& wanted, const ArchiveLimits& limits);

}  // namespace velmoria

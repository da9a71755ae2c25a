// The zip reader behind UnpackArchive: stored and deflated files, names in
// UTF-8 or the zip format's code page 437. Sets split over several files,
// encryption and zip64 are told apart and refused.
#pragma once

#include "archive/archive.h"

namespace velmoria {

std::vector<PackedFile> UnpackZip(std::string_view archive, const WantedName& wanted, const ArchiveLimits& limits);

}  // namespace velmoria

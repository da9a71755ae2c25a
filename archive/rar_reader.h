// The RAR reader, over RARLAB's UnRAR (RAR 1.5 to 5, solid too, every
// filter). UnRAR reads an archive from its file, not from bytes in memory, so
// this reader takes the file's path: a ".rsn" set is read where it lies.
#pragma once

#include <string>

#include "archive/archive.h"

namespace velmoria {

// A file's path as the system's calls take it (std::filesystem would bring
// the C++ library's whole locale machinery into the exe).
#ifdef _WIN32
using SystemPath = std::wstring;
#else
using SystemPath = std::string;
#endif

// The wanted files of the RAR archive at file, as UnpackArchive gives them:
// the whole list is read and checked against the limits before a byte is
// decoded, and a solid archive is decoded once, front to back, as far as its
// last wanted file. Throws ArchiveError.
std::vector<PackedFile> UnpackRar(const SystemPath& file, const WantedName& wanted,
                                  const ArchiveLimits& limits = {});

}  // namespace velmoria

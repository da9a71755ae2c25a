// The zip format read from its central directory, the one list a zip file
// keeps of what it holds; the files themselves are stored or deflated
// (zlib's inflate). Every offset and size is checked against the bytes
// there are before it is used.
#include "archive/zip_reader.h"

#include <zlib.h>

#include <cstring>

#include "base/utf8.h"

namespace velmoria {
namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kEntrySignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndBytes = 22, kEntryBytes = 46, kLocalBytes = 30;
constexpr std::uint16_t kEncrypted = 1, kUtf8Names = 1 << 11;
constexpr std::uint16_t kStored = 0, kDeflated = 8, kAes = 99;

// Code page 437, the zip format's own for names without the UTF-8 flag.
constexpr char16_t kCp437High[] =
    u"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
    u"αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0";
static_assert(sizeof kCp437High / sizeof kCp437High[0] == 129);

std::uint32_t Read16(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
    return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

// The part of bytes at..at+size, or a damaged archive when it runs past the end.
std::string_view Part(std::string_view bytes, std::uint64_t at, std::uint64_t size) {
    if (at > bytes.size() || size > bytes.size() - at) throw ArchiveError(ArchiveProblem::Damaged);
    return bytes.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(size));
}

std::string NameOf(std::string_view stored, bool utf8) {
    if (utf8) return std::string(stored);
    std::wstring text;
    for (const char c : stored) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte < 0x80 ? static_cast<wchar_t>(byte) : static_cast<wchar_t>(kCp437High[byte - 0x80]);
    }
    return ToUtf8(text);
}

std::size_t FindEnd(std::string_view archive) {
    if (archive.size() < kEndBytes) throw ArchiveError(ArchiveProblem::Damaged);
    // The end record sits last, after a comment of at most 64 KiB.
    const std::size_t lowest = archive.size() > kEndBytes + 0xFFFF ? archive.size() - kEndBytes - 0xFFFF : 0;
    for (std::size_t at = archive.size() - kEndBytes + 1; at-- > lowest;) {
        if (Read32(archive, at) == kEndSignature) return at;
    }
    throw ArchiveError(ArchiveProblem::Damaged);
}

std::string Inflate(std::string_view packed, std::size_t size) {
    std::string out(size, '\0');
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) throw ArchiveError(ArchiveProblem::Damaged);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    // The output is only as large as the directory says: a file that would
    // decode past that is damaged (or a bomb), and is never decoded further.
    const int result = inflate(&stream, Z_FINISH);
    const bool whole = result == Z_STREAM_END && stream.avail_out == 0;
    inflateEnd(&stream);
    if (!whole) throw ArchiveError(ArchiveProblem::Damaged);
    return out;
}

}  // namespace

std::vector<PackedFile> UnpackZip(std::string_view archive, const WantedName& wanted, const ArchiveLimits& limits) {
    // A set split over several files begins with the spanning marker.
    if (archive.starts_with("PK\x07\x08")) throw ArchiveError(ArchiveProblem::LaterPart);
    const std::size_t end = FindEnd(archive);
    if (Read16(archive, end + 4) != 0 || Read16(archive, end + 6) != 0) throw ArchiveError(ArchiveProblem::LaterPart);
    const std::uint32_t count = Read16(archive, end + 10);
    const std::uint32_t directorySize = Read32(archive, end + 12), directoryAt = Read32(archive, end + 16);
    if (count == 0xFFFF || directoryAt == 0xFFFFFFFF) throw ArchiveError(ArchiveProblem::Unsupported);  // zip64
    const std::string_view directory = Part(archive, directoryAt, directorySize);

    // The whole directory is read first: a set whose files add up past the
    // limit is refused before a single byte is decoded.
    struct Wanted {
        std::string name;
        std::uint32_t method, crc, packedSize, size, localAt;
    };
    std::vector<Wanted> wantedFiles;
    std::uint64_t total = 0;
    std::size_t at = 0;
    for (std::uint32_t n = 0; n < count; ++n) {
        const std::string_view entry = Part(directory, at, kEntryBytes);
        if (Read32(entry, 0) != kEntrySignature) throw ArchiveError(ArchiveProblem::Damaged);
        const std::uint32_t flags = Read16(entry, 8), method = Read16(entry, 10);
        const std::uint32_t nameBytes = Read16(entry, 28), extraBytes = Read16(entry, 30), noteBytes = Read16(entry, 32);
        std::string name = NameOf(Part(directory, at + kEntryBytes, nameBytes), flags & kUtf8Names);
        at += kEntryBytes + nameBytes + extraBytes + noteBytes;
        if (name.empty() || name.back() == '/' || !wanted(name)) continue;
        if ((flags & kEncrypted) || method == kAes) throw ArchiveError(ArchiveProblem::Password);
        if (method != kStored && method != kDeflated) throw ArchiveError(ArchiveProblem::Unsupported);
        const std::uint32_t size = Read32(entry, 24);
        if (size > limits.fileBytes || (total += size) > limits.totalBytes) throw ArchiveError(ArchiveProblem::TooLarge);
        wantedFiles.push_back({std::move(name), method, Read32(entry, 16), Read32(entry, 20), size, Read32(entry, 42)});
    }

    std::vector<PackedFile> files;
    for (Wanted& file : wantedFiles) {
        const std::string_view local = Part(archive, file.localAt, kLocalBytes);
        if (Read32(local, 0) != kLocalSignature) throw ArchiveError(ArchiveProblem::Damaged);
        const std::string_view packed = Part(
            archive, std::uint64_t{file.localAt} + kLocalBytes + Read16(local, 26) + Read16(local, 28), file.packedSize);
        std::string bytes = file.method == kStored ? std::string(packed) : Inflate(packed, file.size);
        if (bytes.size() != file.size ||
            crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())) != file.crc) {
            throw ArchiveError(ArchiveProblem::Damaged);
        }
        files.push_back({std::move(file.name), std::move(bytes)});
    }
    return files;
}

}  // namespace velmoria

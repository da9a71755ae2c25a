#include "wintk/dropped_files.h"

#include <cstring>

#include "base/paths.h"
#include "wintk/win_text.h"

namespace velmoria {

namespace {

// Frees the block when it goes, whatever happened meanwhile.
struct FreedBlock {
    HGLOBAL block;
    ~FreedBlock() {
        if (block && ::GlobalFlags(block) != GMEM_INVALID_HANDLE) ::GlobalFree(block);
    }
};

struct LockedBlock {
    HGLOBAL block;
    const char* bytes = static_cast<const char*>(::GlobalLock(block));
    ~LockedBlock() {
        if (bytes) ::GlobalUnlock(block);
    }
};

}  // namespace

std::vector<std::wstring> TakeDroppedPaths(HGLOBAL drop, std::size_t most) {
    struct DropHeader {
        DWORD files;  // where the names begin
        POINT point;
        BOOL nonClient;
        BOOL wide;
    };
    const FreedBlock freed{drop};
    if (!drop || ::GlobalFlags(drop) == GMEM_INVALID_HANDLE) return {};
    const SIZE_T size = ::GlobalSize(drop);
    const LockedBlock locked{drop};
    const char* block = locked.bytes;
    if (!block) return {};
    std::vector<std::wstring> paths;
    DropHeader header{};
    if (size >= sizeof header) {
        std::memcpy(&header, block, sizeof header);
        if (header.files >= sizeof header && header.files < size) {
            const std::string_view names(block + header.files, size - header.files);
            if (header.wide) {
                std::wstring text(names.size() / sizeof(wchar_t), L'\0');
                std::memcpy(text.data(), names.data(), text.size() * sizeof(wchar_t));
                paths = SplitNulList(text, most);
            } else {
                paths = SplitNulList(FromAnsi(names), most);  // NULs convert to NULs
            }
        }
    }
    return paths;
}

}  // namespace velmoria

#include "wintk/dropped_files.h"

#include <cstring>

#include "base/paths.h"
#include "wintk/win_text.h"

namespace velmoria {

std::vector<std::wstring> DroppedPaths(HGLOBAL drop) {
    struct DropHeader {
        DWORD files;  // where the names begin
        POINT point;
        BOOL nonClient;
        BOOL wide;
    };
    const SIZE_T size = ::GlobalSize(drop);
    const auto* block = static_cast<const char*>(::GlobalLock(drop));
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
                paths = SplitNulList(text);
            } else {
                paths = SplitNulList(FromAnsi(names));  // NULs convert to NULs
            }
        }
    }
    ::GlobalUnlock(drop);
    return paths;
}

}  // namespace velmoria

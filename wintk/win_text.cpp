#include "wintk/win_text.h"

#include <climits>
#include <vector>

#include "base/paths.h"
#include "wintk/win_handles.h"

namespace velmoria {

namespace {

// The code pages for which WideCharToMultiByte takes no flags at all, and
// UTF-7 and UTF-8, which take no used-default pointer either: given one, the
// call fails. UTF-8 is the ANSI code page where Windows is set to use it
// worldwide.
bool TakesNoFlags(UINT codePage) {
    return codePage == 42 || codePage == CP_UTF7 || (codePage >= 50220 && codePage <= 50229) ||
           (codePage >= 57002 && codePage <= 57011);
}

}  // namespace

std::optional<std::string> ToAnsi(std::wstring_view text, UINT codePage) {
    if (text.empty()) return std::string();
    if (text.size() > static_cast<std::size_t>(INT_MAX / 4)) return std::nullopt;
    if (codePage == CP_ACP) codePage = ::GetACP();
    const int length = static_cast<int>(text.size());
    DWORD flags = WC_NO_BEST_FIT_CHARS;  // a look-alike letter would name another file
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = &usedDefault;
    if (codePage == CP_UTF8) {
        flags = WC_ERR_INVALID_CHARS;
        usedDefaultOut = nullptr;
    } else if (TakesNoFlags(codePage)) {
        flags = 0;
        usedDefaultOut = nullptr;
    }
    const int size = ::WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, usedDefaultOut);
    if (size <= 0) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const int written =
        ::WideCharToMultiByte(codePage, flags, text.data(), length, bytes.data(), size, nullptr, usedDefaultOut);
    if (written != size || usedDefault) return std::nullopt;
    // Where the flags cannot ask for exactness, the way back proves it.
    if (FromAnsi(bytes, codePage) != text) return std::nullopt;
    return bytes;
}

std::wstring FromAnsi(std::string_view bytes, UINT codePage, DWORD flags) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int length = static_cast<int>(bytes.size());
    const int size = ::MultiByteToWideChar(codePage, flags, bytes.data(), length, nullptr, 0);
    if (size <= 0) return {};
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    const int written = ::MultiByteToWideChar(codePage, flags, bytes.data(), length, text.data(), size);
    if (written != size) return {};
    return text;
}

std::wstring SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocal owned(buffer);
    std::wstring text = length ? std::wstring(buffer, length) : L"Error " + std::to_wstring(error) + L".";
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

std::wstring ModuleFilePath(HMODULE module) {
    std::vector<wchar_t> buffer(MAX_PATH);
    while (true) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = ::GetModuleFileNameW(module, buffer.data(), size);
        if (length == 0) return {};
        if (length < size) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring CurrentFolder() {
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(size, folder.data());
    folder.resize(length < size ? length : 0);
    return folder;
}

std::wstring ProgramFolder() { return ParentFolder(ModuleFilePath()); }

std::wstring UserSettingsFolder() {
    const DWORD size = ::GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
    if (size == 0) return {};
    std::wstring folder(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(L"APPDATA", folder.data(), size);
    folder.resize(length < size ? length : 0);
    return folder;
}

}  // namespace velmoria

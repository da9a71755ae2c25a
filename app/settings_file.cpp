#include "app/settings_file.h"

#include <windows.h>

#include <utility>

#include "app/win_handles.h"
#include "app/win_text.h"
#include "player/paths.h"
#include "player/win_routines.h"

namespace velmoria {
namespace {

// A settings file is two short lines. Past this size nothing can be a usable
// path, so a huge or runaway file is not read into memory whole.
constexpr DWORD kMaxSettingsBytes = 64 * 1024;
constexpr int kReplaceAttempts = 20;
constexpr DWORD kReplaceRetryMs = 25;

[[noreturn]] void ThrowLastError(const std::wstring& file) {
    throw SettingsWriteError(file, SystemErrorText(::GetLastError()));
}

// The player path as ANSI bytes that name the same file when read back. A path
// the code page cannot hold is stored as its short form, which it can.
std::string StorableAnsiPath(std::wstring_view playerPath, const std::wstring& file) {
    bool lossless = true;
    std::string bytes = ToAnsi(playerPath, &lossless);
    if (lossless) return bytes;
    const std::wstring shortPath = ShortPathName(playerPath);
    if (!shortPath.empty()) {
        bytes = ToAnsi(shortPath, &lossless);
        if (lossless) return bytes;
    }
    throw SettingsWriteError(file, L"The player's path holds characters that the system's code page cannot store.");
}

}  // namespace

SettingsWriteError::SettingsWriteError(std::wstring file, std::wstring reason)
    : std::runtime_error("settings not saved"), file_(std::move(file)), reason_(std::move(reason)) {}

std::wstring SettingsWriteError::UserMessage() const {
    return L"The settings could not be saved to\n" + file_ + L"\n\n" + reason_;
}

SettingsStore::SettingsStore(std::wstring programFolder) : programFolder_(std::move(programFolder)) {}

std::wstring SettingsStore::SettingsFilePath() const { return JoinPath(programFolder_, kSettingsFileName); }

Settings SettingsStore::ReadSettings() const {
    const std::wstring path = ExtendedLengthPath(SettingsFilePath());
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::string bytes(kMaxSettingsBytes, '\0');
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), kMaxSettingsBytes, &read, nullptr)) return {};
    bytes.resize(read);

    const StoredSettings stored = ParseSettings(bytes);
    Settings settings;
    settings.playerPath = FromAnsi(stored.playerPath);
    // A NUL cannot be part of a path; such a line names no file at all.
    if (settings.playerPath.find(L'\0') != std::wstring::npos) settings.playerPath.clear();
    settings.compactFlag = stored.compactFlag;
    return settings;
}

void SettingsStore::WriteSettings(std::wstring_view playerPath, std::int16_t compactFlag) const {
    const std::wstring shown = SettingsFilePath();  // as messages name it
    const std::string bytes = FormatSettings(StorableAnsiPath(playerPath, shown), compactFlag);
    const std::wstring path = ExtendedLengthPath(shown);
    const std::wstring temporary = ExtendedLengthPath(shown + L".tmp");
    // A read-only settings file stays as it is. Replacing it by renaming would
    // get past the attribute on some file systems, so it is checked here.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        throw SettingsWriteError(shown, SystemErrorText(ERROR_ACCESS_DENIED));
    }

    UniqueFile file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowLastError(shown);
    DWORD written = 0;
    const bool complete = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size() && ::FlushFileBuffers(file.get());
    const DWORD writeError = ::GetLastError();
    file.reset();
    DWORD error = complete ? ERROR_SUCCESS : (writeError ? writeError : ERROR_HANDLE_DISK_FULL);
    if (complete) {
        // Another program may hold the old file open for a moment (a virus
        // scanner, an editor reading it); the replacement waits for it briefly.
        // Some systems report that as a denied access rather than a sharing
        // violation; a read-only file was turned away above.
        for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
            if (::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                return;
            }
            error = ::GetLastError();
            if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION && error != ERROR_ACCESS_DENIED) {
                break;
            }
            ::Sleep(kReplaceRetryMs);
        }
    }
    ::DeleteFileW(temporary.c_str());
    throw SettingsWriteError(shown, SystemErrorText(error));
}

}  // namespace velmoria

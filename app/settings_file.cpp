#include "app/settings_file.h"

#include <cstring>

#include <windows.h>
#include <aclapi.h>

#include <utility>

#include "wintk/win_handles.h"
#include "wintk/win_text.h"
#include "base/paths.h"
#include "player/win_routines.h"

namespace velmoria {
namespace {

// A settings file is two short lines. Past this size nothing can be a usable
// path, so a huge or runaway file is not read into memory whole.
constexpr DWORD kMaxSettingsBytes = 64 * 1024;
// Another program may hold the file for a moment; reads and writes wait for
// it this often, this long apart (half a second in all).
constexpr int kBusyAttempts = 20;
constexpr DWORD kBusyRetryMs = 25;
constexpr int kTemporaryNameAttempts = 100;

// Errors that mean "held by someone else right now", worth a short wait; any
// other failure (access denied, a folder of that name) is final at once.
bool IsBusy(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Runs attempt until it succeeds or fails for a reason other than a busy
// file (or alsoBusy, where the caller knows that error to mean busy).
template <typename Attempt>
bool RetryWhileBusy(Attempt attempt, DWORD alsoBusy = ERROR_SUCCESS, int attempts = kBusyAttempts) {
    for (int i = 0;; ++i) {
        if (attempt()) return true;
        const DWORD error = ::GetLastError();
        if (!(IsBusy(error) || error == alsoBusy) || i + 1 >= attempts) return false;
        ::Sleep(kBusyRetryMs);
    }
}

[[noreturn]] void Fail(const std::wstring& file, DWORD error) {
    throw SettingsWriteError(file, SystemErrorText(error ? error : ERROR_WRITE_FAULT));
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return false;
    if (written != bytes.size()) {
        ::SetLastError(ERROR_HANDLE_DISK_FULL);
        return false;
    }
    return ::FlushFileBuffers(file) != FALSE;
}

// What the path names in the end: a symbolic link's target, as a full path.
// The path itself when it names nothing yet.
struct RealFile {
    std::wstring path;
    DWORD links = 0;  // hard links to the file; 0 when there is no file
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
};

RealFile ResolveFile(const std::wstring& path) {
    RealFile real{path};
    UniqueFile file;
    RetryWhileBusy([&] {
        file.reset(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return static_cast<bool>(file);
    });
    if (!file) return real;
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(file.get(), &info)) {
        real.links = info.nNumberOfLinks;
        real.attributes = info.dwFileAttributes;
    }
    const DWORD size = ::GetFinalPathNameByHandleW(file.get(), nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (size > 0) {
        std::wstring final(size, L'\0');
        const DWORD length =
            ::GetFinalPathNameByHandleW(file.get(), final.data(), size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length > 0 && length < size) {
            final.resize(length);
            real.path = ExtendedLengthPath(WithoutExtendedPrefix(final));
        }
    }
    return real;
}

// Gives the temporary file the access rules of the file it replaces (its
// attributes follow just before the rename). Best effort: a file system
// without access rules has nothing to copy.
void TakeOverAccessRules(const std::wstring& from, HANDLE to) {
    const UniqueFile old(::CreateFileW(from.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!old) return;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(old.get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                          &descriptor) != ERROR_SUCCESS) {
        return;
    }
    const UniqueLocal owned(descriptor);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!dacl || !::GetSecurityDescriptorControl(descriptor, &control, &revision)) return;
    const SECURITY_INFORMATION inheritance =
        (control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION;
    ::SetSecurityInfo(to, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | inheritance, nullptr, nullptr, dacl, nullptr);
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(ExtendedLengthPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether a new file can be made in a folder: tried, with a file that goes
// again when it is closed.
bool TakesNewFile(const std::wstring& folder) {
    const std::wstring probe = ExtendedLengthPath(JoinPath(folder, L"Velmoria.ini.probe.tmp"));
    const UniqueFile file(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file || ::GetLastError() == ERROR_FILE_EXISTS;
}

// A temporary file of a fresh name beside target, created empty and open for
// writing. A leftover of an earlier run, hidden or read-only, is no obstacle.
std::pair<UniqueFile, std::wstring> CreateTemporaryBeside(const std::wstring& target, const std::wstring& shown) {
    const std::wstring stem = target + L".";
    DWORD seed = ::GetCurrentProcessId() * 7919u + static_cast<DWORD>(::GetTickCount64());
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt, seed = seed * 1103515245u + 12345u) {
        wchar_t tag[9];
        ::wsprintfW(tag, L"%08x", seed);
        std::wstring name = stem + tag + L".tmp";
        UniqueFile file(::CreateFileW(name.c_str(), GENERIC_WRITE | WRITE_DAC, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return {std::move(file), std::move(name)};
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            Fail(shown, error);
        }
    }
    Fail(shown, ERROR_FILE_EXISTS);
}

// "<file>.", eight lower-case hex digits, ".tmp": what CreateTemporaryBeside
// names its files, and all that SweepLeftovers may delete.
bool IsTemporaryOf(std::wstring_view name, std::wstring_view file) {
    if (name.size() != file.size() + 13 || !EqualsNoCase(name.substr(0, file.size()), file) ||
        name[file.size()] != L'.' || !name.ends_with(L".tmp")) {
        return false;
    }
    for (const wchar_t c : name.substr(file.size() + 1, 8)) {
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
    }
    return true;
}

// The temporary files a writer killed in mid-write left beside target. One
// that anybody holds open, or that was written in the last minute (another
// Velmoria's write under way), is left alone; so is every other name.
void SweepLeftovers(const std::wstring& target) {
    const std::wstring name = FileNameOf(target);
    WIN32_FIND_DATAW entry;
    const UniqueFind find(::FindFirstFileW((target + L".*.tmp").c_str(), &entry));
    if (!find) return;
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const auto ticks = [](FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    do {
        if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
            !IsTemporaryOf(entry.cFileName, name) || ticks(now) - ticks(entry.ftLastWriteTime) < 60 * 10000000ULL) {
            continue;
        }
        const UniqueFile file(::CreateFileW(JoinPath(ParentFolder(target), entry.cFileName).c_str(),
                                            DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        FILE_DISPOSITION_INFO disposition{TRUE};
        if (file) ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition);
    } while (::FindNextFileW(find.get(), &entry));
}

// Rewrites a file in place: for a file with several names, which a
// replacement would split into the new file and an old one.
void RewriteInPlace(const std::wstring& path, const std::string& bytes, const std::wstring& shown) {
    UniqueFile file;
    if (!RetryWhileBusy([&] {
            file.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
            return static_cast<bool>(file);
        })) {
        Fail(shown, ::GetLastError());
    }
    if (!WriteAll(file.get(), bytes) || !::SetEndOfFile(file.get())) Fail(shown, ::GetLastError());
}

}  // namespace

SettingsWriteError::SettingsWriteError(std::wstring file, std::wstring reason)
    : std::runtime_error("settings not saved"), file_(std::move(file)), reason_(std::move(reason)) {}

std::wstring SettingsWriteError::UserMessage() const {
    return L"The settings could not be saved to\n" + file_ + L"\n\n" + reason_;
}

SettingsStore::SettingsStore(std::wstring programFolder, std::wstring userFolder, unsigned codePage,
                             std::wstring fileName)
    : programFolder_(std::move(programFolder)),
      userFolder_(std::move(userFolder)),
      codePage_(codePage),
      fileName_(std::move(fileName)) {}

std::wstring SettingsStore::LocalFile() const { return JoinPath(programFolder_, fileName_); }

std::wstring SettingsStore::UserFile() const {
    if (userFolder_.empty()) return {};
    return JoinPath(JoinPath(userFolder_, kUserFolderName), fileName_);
}

bool SettingsStore::UsesUserFile() const {
    const std::wstring user = UserFile();
    return !user.empty() && !Exists(LocalFile()) && Exists(user);
}

bool SettingsStore::HasFile() const {
    const std::wstring user = UserFile();
    return Exists(LocalFile()) || (!user.empty() && Exists(user));
}

std::wstring SettingsStore::SettingsFilePath() const { return UsesUserFile() ? UserFile() : LocalFile(); }

std::string SettingsStore::ReadBytes(unsigned busyWaitMs, bool* busy) const {
    const std::wstring path = ExtendedLengthPath(SettingsFilePath());
    UniqueFile file;
    std::string bytes(kMaxSettingsBytes, '\0');
    DWORD read = 0;
    const bool done = RetryWhileBusy(
        [&] {
            file.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            return file && ::ReadFile(file.get(), bytes.data(), kMaxSettingsBytes, &read, nullptr);
        },
        ERROR_SUCCESS, static_cast<int>(busyWaitMs / kBusyRetryMs) + 1);
    if (busy) *busy = !done && IsBusy(::GetLastError());
    bytes.resize(done ? read : 0);
    return bytes;
}

Settings SettingsStore::ReadSettings(unsigned busyWaitMs) const {
    Settings settings;
    std::string bytes = ReadBytes(busyWaitMs, &settings.busy);
    // Notepad's "Unicode": UTF-16 with its byte-order mark, read as the ANSI
    // text it stands for. The next save writes ANSI again.
    if (bytes.starts_with("\xFF\xFE")) {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        std::memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
        bytes = ToAnsi(text, codePage_).value_or(std::string());
    }

    const StoredSettings stored = ParseSettings(bytes);
    settings.playerPath = FromAnsi(stored.playerPath, codePage_);
    // A NUL cannot be part of a path; such a line names no file at all.
    if (settings.playerPath.find(L'\0') != std::wstring::npos) settings.playerPath.clear();
    settings.compactFlag = stored.compactFlag;
    return settings;
}

// The file's bytes, with the player path in a form the code page holds
// exactly: a path it cannot hold is stored as its short form, which it can.
std::string SettingsStore::StorableBytes(std::wstring_view playerPath, std::int16_t compactFlag,
                                         const std::wstring& shown) const {
    std::optional<std::string> path = ToAnsi(playerPath, codePage_);
    if (!path) {
        const std::wstring shortPath = ShortPathName(playerPath);
        if (!shortPath.empty()) path = ToAnsi(shortPath, codePage_);
    }
    // An empty line 1 would make every later start ask for the file's removal.
    if (!path || (path->empty() && !playerPath.empty())) {
        throw SettingsWriteError(shown,
                                 L"The player's path holds characters that the system's code page cannot store.");
    }
    std::optional<std::string> bytes = FormatSettings(*path, compactFlag);
    if (!bytes) {
        throw SettingsWriteError(shown, L"The player's path holds a line break or a double quote, which the "
                                        L"settings file cannot store.");
    }
    return std::move(*bytes);
}

std::wstring SettingsStore::WritePath() const {
    const std::wstring shown = SettingsFilePath();  // as messages name it
    const std::wstring user = UserFile();
    // A first save where the program's folder takes no new file (a 64-bit
    // program in Program Files gets no file virtualisation) goes to the
    // user's folder, or it would fail on every start.
    if (!user.empty() && !Exists(shown) && !TakesNewFile(programFolder_)) {
        ::CreateDirectoryW(ExtendedLengthPath(ParentFolder(user)).c_str(), nullptr);
        return user;
    }
    return shown;
}

void SettingsStore::WriteSettings(std::wstring_view playerPath, std::int16_t compactFlag) const {
    const std::wstring shown = WritePath();
    WriteTo(shown, StorableBytes(playerPath, compactFlag, shown));
}

void SettingsStore::WriteBytes(const std::string& bytes) const { WriteTo(WritePath(), bytes); }

void SettingsStore::WriteTo(const std::wstring& shown, const std::string& bytes) const {
    const RealFile target = ResolveFile(ExtendedLengthPath(shown));
    const bool exists = target.attributes != INVALID_FILE_ATTRIBUTES;
    if (exists) {
        // A folder of that name can never be replaced; a read-only file is
        // the user's wish to keep it (a replacement would get past the
        // attribute on some file systems).
        if (target.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) Fail(shown, ERROR_ACCESS_DENIED);
        if (target.links > 1) {
            RewriteInPlace(target.path, bytes, shown);
            return;
        }
    }

    SweepLeftovers(target.path);
    auto [file, temporary] = CreateTemporaryBeside(target.path, shown);
    if (exists) TakeOverAccessRules(target.path, file.get());
    bool done = WriteAll(file.get(), bytes);
    DWORD error = ::GetLastError();
    file.reset();
    // The attributes go on before the rename, so the file never shows
    // without them. A rename is the one step that either happens whole or
    // not at all; ReplaceFileW is not that step everywhere (Wine moves the
    // old file away first, and a kill in between leaves no file).
    if (done && exists && target.attributes != FILE_ATTRIBUTE_NORMAL) {
        done = ::SetFileAttributesW(temporary.c_str(), target.attributes) != FALSE;
        error = ::GetLastError();
    }
    if (done) {
        // A file that another program holds open cannot be replaced; Windows
        // says so as a denied access. Everything that would deny it for
        // good (a folder, a read-only file, a folder we may not write) has
        // failed before this point, so here it means busy.
        const DWORD replace = exists ? MOVEFILE_REPLACE_EXISTING : 0;
        if (RetryWhileBusy(
                [&] {
                    return ::MoveFileExW(temporary.c_str(), target.path.c_str(), replace | MOVEFILE_WRITE_THROUGH) !=
                           FALSE;
                },
                ERROR_ACCESS_DENIED)) {
            return;
        }
        error = ::GetLastError();
    }
    ::DeleteFileW(temporary.c_str());
    Fail(shown, error);
}

}  // namespace velmoria

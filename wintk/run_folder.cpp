#include "wintk/run_folder.h"

#include <windows.h>
#include <aclapi.h>

#include <vector>

#include "base/paths.h"

namespace velmoria {
namespace {

constexpr std::size_t kRunDigits = 8;

std::wstring TempBase(std::wstring_view base) {
    if (!base.empty()) return std::wstring(base);
    wchar_t temp[MAX_PATH + 1] = L"";
    const DWORD length = ::GetTempPathW(ARRAYSIZE(temp), temp);
    return length == 0 || length > MAX_PATH ? std::wstring() : std::wstring(temp, length);
}

bool IsRunFolderName(std::wstring_view name, std::wstring_view prefix) {
    if (name.size() != prefix.size() + kRunDigits || !name.starts_with(prefix)) return false;
    for (const wchar_t c : name.substr(prefix.size())) {
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
    }
    return true;
}

bool IsPlainEntry(DWORD attributes) { return !(attributes & FILE_ATTRIBUTE_REPARSE_POINT); }

// Whether the user this program runs as owns the object: the token's user,
// or the owner it gives new objects (Administrators, when elevated).
bool OwnedByUser(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                          &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueLocal freed(descriptor);
    HANDLE rawToken = nullptr;
    if (!owner || !::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &rawToken)) return false;
    const UniqueKernelHandle token(rawToken);
    for (const TOKEN_INFORMATION_CLASS kind : {TokenUser, TokenOwner}) {
        DWORD size = 0;
        ::GetTokenInformation(token.get(), kind, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        if (size == 0 || !::GetTokenInformation(token.get(), kind, buffer.data(), size, &size)) continue;
        const PSID sid = kind == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                                           : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
        if (::EqualSid(owner, sid)) return true;
    }
    return false;
}

bool HandleIs(HANDLE handle, bool folder) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) return false;
    return IsPlainEntry(info.dwFileAttributes) && ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
}

// A real folder of the user's, never the target of a link, held open
// without delete sharing, so that it cannot be renamed or replaced while it
// is held. The handle asks for no delete right itself: searches and short
// names of the files in it open the folder without delete sharing. Invalid when it is anything else.
// The entry's own attributes are looked at before and after the open: Wine
// follows a link even when asked not to, but reports the link's attributes.
UniqueFile HoldRealFolder(const std::wstring& path) {
    if (const DWORD attributes = ::GetFileAttributesW(path.c_str());
        attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) || !IsPlainEntry(attributes)) {
        return {};
    }
    // A run that holds its folder refuses anyone the right to delete it:
    // asking for that right, and letting it go at once, tells a live run's
    // folder from a left one.
    if (!UniqueFile(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr))) {
        return {};
    }
    UniqueFile folder(::CreateFileW(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folder || !HandleIs(folder.get(), true) || !OwnedByUser(folder.get())) return {};
    if (!IsPlainEntry(::GetFileAttributesW(path.c_str()))) return {};
    return folder;
}

void DeleteByHandle(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

// A file of a held folder, opened as the entry itself (never through a
// link) and deleted through that handle. A file a player still holds stays.
void DeleteEntry(const std::wstring& folder, std::wstring_view name) {
    const UniqueFile file(::CreateFileW(JoinPath(folder, name).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file && HandleIs(file.get(), false)) DeleteByHandle(file.get());
}

// In a held folder: the files of the program's own form.
void DeleteOwnFiles(const std::wstring& folder, OwnFileName ownFile) {
    WIN32_FIND_DATAW entry;
    const UniqueFind find(::FindFirstFileW(JoinPath(folder, L"*").c_str(), &entry));
    if (!find) return;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsPlainEntry(entry.dwFileAttributes) ||
            !ownFile(entry.cFileName)) {
            continue;
        }
        DeleteEntry(folder, entry.cFileName);
    } while (::FindNextFileW(find.get(), &entry));
}

// Deletes the own files of a held folder, then the folder when that left it
// empty (the system refuses a folder with anything else in it; a link put
// in its place after the hold would lose only the link).
void ClearHeldFolder(UniqueFile& folder, const std::wstring& path, OwnFileName ownFile) {
    DeleteOwnFiles(path, ownFile);
    folder.reset();
    ::RemoveDirectoryW(path.c_str());
}

}  // namespace

RunFolder::RunFolder(std::wstring_view prefix, OwnFileName ownFile, std::wstring_view base)
    : prefix_(prefix), ownFile_(ownFile), base_(base) {}

RunFolder::~RunFolder() {
    if (held_) ClearHeldFolder(held_, path_, ownFile_);
}

const std::wstring& RunFolder::Path() {
    if (held_) return path_;
    path_.clear();
    const std::wstring base = TempBase(base_);
    if (base.empty()) return path_;
    auto mix = static_cast<unsigned>(::GetTickCount64()) ^ (::GetCurrentProcessId() * 2654435761u);
    for (unsigned attempt = 0; attempt < 16; ++attempt, mix = mix * 1664525u + 1013904223u) {
        wchar_t digits[kRunDigits + 1];
        ::wsprintfW(digits, L"%08x", mix);
        const std::wstring path = JoinPath(base, prefix_ + digits);
        // Made here and now, or not taken: whatever was already there, a
        // link planted by someone else included, belongs to somebody else.
        if (!::CreateDirectoryW(path.c_str(), nullptr)) {
            if (::GetLastError() == ERROR_ALREADY_EXISTS) continue;
            return path_;
        }
        held_ = HoldRealFolder(path);
        if (held_) path_ = path;
        return path_;
    }
    return path_;
}

bool RunFolder::WriteNew(std::wstring_view name, std::string_view bytes) {
    if (Path().empty()) return false;
    const std::wstring path = JoinPath(path_, name);
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size()) {
        return true;
    }
    const DWORD error = ::GetLastError();
    DeleteByHandle(file.get());  // no part-written song for a player
    ::SetLastError(error);
    return false;
}

void RunFolder::Remove(std::wstring_view name) {
    if (held_ && ownFile_(name)) DeleteEntry(path_, name);
}

void ClearEarlierRunFolders(std::wstring_view prefix, OwnFileName ownFile, std::wstring_view base) {
    const std::wstring folder = TempBase(base);
    if (folder.empty()) return;
    WIN32_FIND_DATAW entry;
    const UniqueFind find(::FindFirstFileW(JoinPath(folder, std::wstring(prefix) + L"*").c_str(), &entry));
    if (!find) return;
    do {
        // The long name decides: the search also matches through short names.
        if (!IsRunFolderName(entry.cFileName, prefix) || !IsPlainEntry(entry.dwFileAttributes)) continue;
        const std::wstring path = JoinPath(folder, entry.cFileName);
        // A folder another run holds is refused here, and so left alone.
        if (UniqueFile held = HoldRealFolder(path)) ClearHeldFolder(held, path, ownFile);
    } while (::FindNextFileW(find.get(), &entry));
}

}  // namespace velmoria

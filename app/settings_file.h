// The settings file "Velmoria.ini": locating, reading and writing it. It lives
// in the program's folder, so that the program travels with its settings;
// where that folder takes no new file (C:\Program Files, a read-only
// medium), in the user's own folder for it (%APPDATA%\Velmoria). The bytes
// themselves are settings.h's business.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/settings.h"

namespace velmoria {

// A write that did not happen. The old file is still as it was.
class SettingsWriteError : public std::runtime_error {
public:
    SettingsWriteError(std::wstring file, std::wstring reason);
    const std::wstring& file() const { return file_; }
    const std::wstring& reason() const { return reason_; }
    // The sentence the user is shown.
    std::wstring UserMessage() const;

private:
    std::wstring file_;
    std::wstring reason_;
};

struct Settings {
    std::wstring playerPath;
    std::int16_t compactFlag = 0;
    bool busy = false;  // another program held the file all the while: nothing was read
};

// How long a read waits for a file that another program holds for a moment.
inline constexpr unsigned kBusyWaitMs = 500;

class SettingsStore {
public:
    // userFolder: the folder under which the per-user "Velmoria" folder is
    // made (%APPDATA%); empty for none. codePage: the code page of the file's
    // text; 0 (CP_ACP) is the system's ANSI code page, as the program uses it.
    // fileName: the file's name in those folders; the choices file beside
    // Velmoria.ini is found and written by the same rules.
    explicit SettingsStore(std::wstring programFolder, std::wstring userFolder = {}, unsigned codePage = 0,
                           std::wstring fileName = std::wstring(kSettingsFileName));

    const std::wstring& programFolder() const { return programFolder_; }
    // The file in use: the one beside the program when it exists, else the
    // per-user one when that exists, else where a first save would try first
    // (beside the program).
    std::wstring SettingsFilePath() const;
    // True when the file in use is the per-user one.
    bool UsesUserFile() const;
    // Whether a settings file is there at all, beside the program or the
    // user's, whatever its attributes (a hidden file is read all the same).
    bool HasFile() const;

    // Never fails: what cannot be read comes back as empty text or 0. A file
    // that another program holds for a moment (a virus scanner, a sync tool)
    // is waited for, up to busyWaitMs.
    Settings ReadSettings(unsigned busyWaitMs = kBusyWaitMs) const;

    // Replaces the file in one step: the new content goes to a fresh
    // temporary file beside the real file (a symbolic link's target), which
    // takes the old file's attributes and access rules and then its place in
    // one rename, so a failure at any point leaves the old file whole. A file
    // with several hard links is rewritten in place instead, so that every
    // name keeps showing it. The file in use is written; with none yet, the
    // program's folder when it takes a new file, else the per-user folder.
    // Throws SettingsWriteError.
    void WriteSettings(std::wstring_view playerPath, std::int16_t compactFlag) const;

    // The file's bytes as they are, by the same rules; empty when there are none.
    std::string ReadBytes(unsigned busyWaitMs = kBusyWaitMs, bool* busy = nullptr) const;
    // Writes the file's bytes as WriteSettings does. Throws SettingsWriteError.
    void WriteBytes(const std::string& bytes) const;

private:
    std::wstring LocalFile() const;
    std::wstring UserFile() const;  // empty without a user folder
    std::string StorableBytes(std::wstring_view playerPath, std::int16_t compactFlag, const std::wstring& shown) const;
    void WriteTo(const std::wstring& shown, const std::string& bytes) const;

    std::wstring WritePath() const;  // where a write goes, its folder made

    std::wstring programFolder_;
    std::wstring userFolder_;
    unsigned codePage_;
    std::wstring fileName_;
};

}  // namespace velmoria

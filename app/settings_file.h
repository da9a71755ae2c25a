// The settings file "Velmoria.ini" in the program's folder: locating, reading
// and writing it. The bytes themselves are settings.h's business.
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
};

class SettingsStore {
public:
    // codePage: the code page of the file's text; 0 (CP_ACP) is the system's
    // ANSI code page, as the program uses it.
    explicit SettingsStore(std::wstring programFolder, unsigned codePage = 0);

    const std::wstring& programFolder() const { return programFolder_; }
    std::wstring SettingsFilePath() const;

    // Never fails: what cannot be read comes back as empty text or 0. A file
    // that another program holds for a moment (a virus scanner, a sync tool)
    // is waited for briefly.
    Settings ReadSettings() const;

    // Replaces the file in one step: the new content goes to a fresh
    // temporary file beside the real file (a symbolic link's target), which
    // takes the old file's attributes and access rules and then its place in
    // one rename, so a failure at any point leaves the old file whole. A file
    // with several hard links is rewritten in place instead, so that every
    // name keeps showing it.
    // Throws SettingsWriteError.
    void WriteSettings(std::wstring_view playerPath, std::int16_t compactFlag) const;

private:
    std::string StorableBytes(std::wstring_view playerPath, std::int16_t compactFlag) const;

    std::wstring programFolder_;
    unsigned codePage_;
};

}  // namespace velmoria

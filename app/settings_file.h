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
    explicit SettingsStore(std::wstring programFolder);

    const std::wstring& programFolder() const { return programFolder_; }
    std::wstring SettingsFilePath() const;

    // Never fails: what cannot be read comes back as empty text or 0.
    Settings ReadSettings() const;

    // Replaces the file in one step: the new content goes to a temporary file
    // beside it, which then takes the old file's place, so a failure at any
    // point leaves the old file whole. Throws SettingsWriteError.
    void WriteSettings(std::wstring_view playerPath, std::int16_t compactFlag) const;

private:
    std::wstring programFolder_;
};

}  // namespace velmoria

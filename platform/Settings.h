// The settings store that stands in for the registry: typed values under a key path
// ("SOFTWARE\Company\Product", sub keys after further backslashes), one text file per key below
// $XDG_CONFIG_HOME (else ~/.config), every change written atomically.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Value types, numbered as the program's callers number them.
enum SettingType : uint32_t {
    SETTING_STRING = 1, // text, stored without a terminator
    SETTING_BINARY = 3, // raw bytes
    SETTING_DWORD = 4,  // 4 bytes, little-endian
};

// The file that holds the values of a key; empty when the key path is unusable (empty, or a
// component that is empty, "." or "..").
std::string SettingsFilePath(const std::string& keyPath);

// Reads a value. False when the key or the value does not exist; a file that cannot be read or
// parsed counts as a key without values.
bool SettingsRead(const std::string& keyPath, const std::string& valueName, uint32_t* type,
                  std::vector<uint8_t>* data);

// Creates the key when needed and sets the value. False, with *error set when given, when the
// key path is unusable or the file cannot be written; the previous file is then left as it was.
bool SettingsWrite(const std::string& keyPath, const std::string& valueName, uint32_t type,
                   const void* data, size_t length, std::string* error = nullptr);

// Deletes a value; false when it did not exist or the file cannot be written.
bool SettingsErase(const std::string& keyPath, const std::string& valueName);

// Parses the text of a settings file into (name, type, data) records; false when the text is
// not a well-formed settings file.
struct SettingRecord {
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};
bool ParseSettingsText(const std::string& text, std::vector<SettingRecord>* records);

} // namespace plat

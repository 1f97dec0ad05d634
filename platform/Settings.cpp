// The settings files. Format: a first line "QuorSettings 1", then one line per value:
// "<name>=<type> <data>", where the name and string data are percent-escaped, a DWORD is
// written in decimal and other types as "hex<type>" with hexadecimal bytes. Any line that does
// not parse makes the whole file count as empty, so a damaged file gives the callers their
// defaults.
#include "platform/Settings.h"

#include "platform/Files.h"
#include "platform/Sys.h"

#include <map>
#include <mutex>

namespace plat {

namespace {

const char kHeader[] = "QuorSettings 1";

std::mutex gSettingsMutex;

struct Value {
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

using ValueMap = std::map<std::string, Value>;

std::string ConfigFolder()
{
    std::string folder = GetEnv("XDG_CONFIG_HOME");
    if (folder.empty()) {
        std::string home = GetEnv("HOME");
        folder = (home.empty() ? std::string(".") : home) + "/.config";
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

bool SplitKeyPath(const std::string& keyPath, std::vector<std::string>* parts)
{
    parts->clear();
    std::string part;
    for (size_t i = 0; i <= keyPath.size(); ++i) {
        if (i == keyPath.size() || keyPath[i] == '\\' || keyPath[i] == '/') {
            if (part.empty() || part == "." || part == "..")
                return false;
            parts->push_back(part);
            part.clear();
        } else {
            part += keyPath[i];
        }
    }
    return !parts->empty();
}

const char kHex[] = "0123456789ABCDEF";

std::string Escape(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c <= 32 || c >= 127 || c == '%' || c == '=') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool Unescape(const std::string& text, std::string* out)
{
    out->clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            *out += text[i];
            continue;
        }
        if (text.size() - i < 3)
            return false;
        int high = HexDigit(text[i + 1]);
        int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        *out += char(high * 16 + low);
        i += 2;
    }
    return true;
}

bool ParseNumber(const std::string& text, uint32_t* number)
{
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + uint64_t(c - '0');
    }
    if (value > 0xFFFFFFFFull)
        return false;
    *number = uint32_t(value);
    return true;
}

bool ParseLine(const std::string& line, SettingRecord* record)
{
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0)
        return false;
    size_t space = line.find(' ', eq);
    if (space == std::string::npos)
        return false;
    if (!Unescape(line.substr(0, eq), &record->name))
        return false;
    std::string type = line.substr(eq + 1, space - eq - 1);
    std::string data = line.substr(space + 1);
    record->data.clear();
    if (type == "dword") {
        uint32_t number = 0;
        if (!ParseNumber(data, &number))
            return false;
        record->type = SETTING_DWORD;
        for (int i = 0; i < 4; ++i)
            record->data.push_back(uint8_t(number >> (8 * i)));
        return true;
    }
    if (type == "sz") {
        std::string text;
        if (!Unescape(data, &text))
            return false;
        record->type = SETTING_STRING;
        record->data.assign(text.begin(), text.end());
        return true;
    }
    if (type.rfind("hex", 0) == 0) {
        if (!ParseNumber(type.substr(3), &record->type) || data.size() % 2 != 0)
            return false;
        for (size_t i = 0; i < data.size(); i += 2) {
            int high = HexDigit(data[i]);
            int low = HexDigit(data[i + 1]);
            if (high < 0 || low < 0)
                return false;
            record->data.push_back(uint8_t(high * 16 + low));
        }
        return true;
    }
    return false;
}

ValueMap Load(const std::string& path)
{
    ValueMap values;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, &bytes))
        return values;
    std::vector<SettingRecord> records;
    if (!ParseSettingsText(std::string(bytes.begin(), bytes.end()), &records))
        return values;
    for (SettingRecord& record : records)
        values[record.name] = Value{record.type, std::move(record.data)};
    return values;
}

std::string Serialise(const ValueMap& values)
{
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [name, value] : values) {
        text += Escape(name) + "=";
        if (value.type == SETTING_DWORD && value.data.size() == 4) {
            uint32_t number = uint32_t(value.data[0]) | uint32_t(value.data[1]) << 8 |
                              uint32_t(value.data[2]) << 16 | uint32_t(value.data[3]) << 24;
            text += "dword " + std::to_string(number);
        } else if (value.type == SETTING_STRING) {
            text += "sz " + Escape(std::string(value.data.begin(), value.data.end()));
        } else {
            text += "hex" + std::to_string(value.type) + " ";
            for (uint8_t b : value.data) {
                text += kHex[b >> 4];
                text += kHex[b & 15];
            }
        }
        text += "\n";
    }
    return text;
}

bool MakeFolders(const std::string& folder)
{
    for (size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos == folder.size() || folder[pos] == '/') {
            std::string path = folder.substr(0, pos);
            if (!IsDirectory(path))
                MakeDirectory(path);
        }
    }
    return IsDirectory(folder);
}

} // namespace

bool ParseSettingsText(const std::string& text, std::vector<SettingRecord>* records)
{
    records->clear();
    size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (first) {
            if (line != kHeader)
                return false;
            first = false;
            continue;
        }
        if (line.empty())
            continue;
        SettingRecord record;
        if (!ParseLine(line, &record))
            return false;
        records->push_back(std::move(record));
    }
    return !first;
}

std::string SettingsFilePath(const std::string& keyPath)
{
    std::vector<std::string> parts;
    if (!SplitKeyPath(keyPath, &parts))
        return std::string();
    std::string path = ConfigFolder();
    for (const std::string& part : parts)
        path += "/" + part;
    return path + ".settings";
}

bool SettingsRead(const std::string& keyPath, const std::string& valueName, uint32_t* type,
                  std::vector<uint8_t>* data)
{
    std::string path = SettingsFilePath(keyPath);
    if (path.empty())
        return false;
    std::lock_guard<std::mutex> lock(gSettingsMutex);
    ValueMap values = Load(path);
    auto it = values.find(valueName);
    if (it == values.end())
        return false;
    if (type)
        *type = it->second.type;
    if (data)
        *data = it->second.data;
    return true;
}

bool SettingsWrite(const std::string& keyPath, const std::string& valueName, uint32_t type,
                   const void* data, size_t length, std::string* error)
{
    std::string path = SettingsFilePath(keyPath);
    if (path.empty()) {
        if (error)
            *error = "invalid settings key \"" + keyPath + "\"";
        return false;
    }
    std::lock_guard<std::mutex> lock(gSettingsMutex);
    ValueMap values = Load(path);
    Value& value = values[valueName];
    value.type = type;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (bytes)
        value.data.assign(bytes, bytes + length);
    else
        value.data.clear();
    std::string folder = path.substr(0, path.rfind('/'));
    if (!MakeFolders(folder)) {
        if (error)
            *error = "cannot create the folder " + folder;
        return false;
    }
    std::string text = Serialise(values);
    return WriteWholeFile(path, text.data(), text.size(), error);
}

bool SettingsErase(const std::string& keyPath, const std::string& valueName)
{
    std::string path = SettingsFilePath(keyPath);
    if (path.empty())
        return false;
    std::lock_guard<std::mutex> lock(gSettingsMutex);
    ValueMap values = Load(path);
    if (values.erase(valueName) == 0)
        return false;
    std::string text = Serialise(values);
    return WriteWholeFile(path, text.data(), text.size());
}

} // namespace plat

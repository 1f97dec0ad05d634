// Text, number, path and folder helpers.
#include "app/Common.h"

#include "platform/Files.h"
#include "platform/Sys.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace Quor {

namespace {

std::string gAppDataFolder;

struct CachedAnswer {
    bool asked = false;
    bool value = false;
};
CachedAnswer gIs9x;
CachedAnswer gIsVista;

bool AskVersion(plat::OSVersion* version)
{
    return plat::GetOSVersion(version, true) || plat::GetOSVersion(version, false);
}

bool IsSep(char c)
{
    return c == '\\' || c == '/';
}

size_t LastSep(const std::string& path)
{
    return path.find_last_of("\\/");
}

template <typename Str>
Str XMLDecode(const Str& text)
{
    Str result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = text[i];
        if (c == '&') {
            size_t semi = text.find(';', i + 1);
            if (semi != Str::npos) {
                std::string name;
                bool narrow = true;
                for (size_t k = i + 1; k < semi; ++k) {
                    if (text[k] < 0 || text[k] > 127) {
                        narrow = false;
                        break;
                    }
                    name += static_cast<char>(text[k]);
                }
                int decoded = narrow ? XMLEntityChar(name.data(), name.size()) : -1;
                if (decoded >= 0) {
                    result += static_cast<typename Str::value_type>(decoded);
                    i = semi;
                    continue;
                }
            }
        }
        result += c;
    }
    return result;
}

} // namespace

bool IsWindows9x()
{
    if (!gIs9x.asked) {
        plat::OSVersion version;
        if (!AskVersion(&version))
            return false;
        gIs9x.value = version.platformId == 1;
        gIs9x.asked = true;
    }
    return gIs9x.value;
}

bool IsVistaOrLater()
{
    if (!gIsVista.asked) {
        plat::OSVersion version;
        if (!AskVersion(&version))
            return false;
        gIsVista.value = version.major >= 6;
        gIsVista.asked = true;
    }
    return gIsVista.value;
}

std::string GetAppDataFolder()
{
    return gAppDataFolder;
}

void SetAppDataFolder(const std::string& folder)
{
    if (IsVistaOrLater())
        gAppDataFolder = AddTrailingSlash(folder);
}

std::string StringToUpper(const std::string& text)
{
    std::string result = text;
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

std::string StringToLower(const std::string& text)
{
    std::string result = text;
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string ToUpperCopy(const std::string& text)
{
    return StringToUpper(text);
}

std::wstring StringToWString(const std::string& text)
{
    std::wstring result;
    result.reserve(text.size());
    for (char c : text)
        result += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return result;
}

std::string WStringToString(const std::wstring& text)
{
    std::string result;
    result.reserve(text.size());
    for (wchar_t c : text) {
        if (c < 0 || c > 255)
            return std::string();
        result += static_cast<char>(c);
    }
    return result;
}

std::string CopyString(const char* text)
{
    return text ? std::string(text) : std::string();
}

std::string StringTrim(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

bool StringToInt(const std::string& text, int* value)
{
    *value = 0;
    if (text.empty())
        return false;
    bool negative = text[0] == '-';
    uint32_t result = 0; // 32-bit arithmetic that wraps
    uint32_t radix = 10;
    for (size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (radix == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (radix == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        if (digit >= 0) {
            result = result * radix + static_cast<uint32_t>(digit);
        } else if ((c == 'x' || c == 'X') && i == 1 && result == 0) {
            radix = 16;
        } else {
            *value = 0;
            return false;
        }
    }
    if (negative)
        result = 0u - result;
    *value = static_cast<int>(result);
    return true;
}

bool StringToDouble(const std::string& text, double* value)
{
    *value = 0.0;
    if (text.empty())
        return false;
    size_t start = text[0] == '-' ? 1 : 0;
    bool point = false;
    bool digits = false;
    for (size_t i = start; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            return false;
    }
    // The digits are converted as a whole, so that a decimal fraction gives the nearest double
    // ("0.75" is exactly 0.75, "0.1" the same double as the literal 0.1).
    double result = 0.0;
    if (digits)
        std::from_chars(text.data() + start, text.data() + text.size(), result);
    *value = start ? -result : result;
    return true;
}

std::string IntToString(int value)
{
    return StrFormat("%d", value);
}

std::string CommaSeparate(int value)
{
    long long magnitude = value;
    if (magnitude < 0)
        magnitude = -magnitude;
    std::string digits = std::to_string(magnitude);
    std::string result;
    result.reserve(digits.size() + digits.size() / 3 + 1);
    if (value < 0)
        result.push_back('-');
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            result.push_back(',');
        result.push_back(digits[i]);
    }
    return result;
}

std::string VFormat(const char* format, va_list args)
{
    const int kFirstLimit = 160;
    const int kMaxTry = 1000000;
    char small[kFirstLimit + 4];
    // Every attempt formats from its own copy of the argument list.
    va_list attempt;
    va_copy(attempt, args);
    int needed = std::vsnprintf(small, kFirstLimit + 1, format, attempt);
    va_end(attempt);
    if (needed < 0)
        return std::string();
    if (needed <= kFirstLimit)
        return std::string(small, static_cast<size_t>(needed));

    int size = kFirstLimit;
    while (needed > size && size < kMaxTry)
        size *= 2;
    std::vector<char> heap(static_cast<size_t>(size) + 1);
    va_copy(attempt, args);
    int written = std::vsnprintf(heap.data(), heap.size(), format, attempt);
    va_end(attempt);
    if (written < 0)
        return std::string();
    // Beyond the largest size the text is cut there.
    return std::string(heap.data(), static_cast<size_t>(written < size ? written : size));
}

std::string StrFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string result = VFormat(format, args);
    va_end(args);
    return result;
}

int StrFindNoCase(const char* text, const char* pattern)
{
    if (!text || !*text || !pattern)
        return -1;
    size_t textLen = std::strlen(text);
    size_t patLen = std::strlen(pattern);
    if (patLen > textLen)
        return -1;
    for (size_t i = 0; i + patLen <= textLen; ++i) {
        size_t k = 0;
        while (k < patLen && std::tolower(static_cast<unsigned char>(text[i + k])) ==
                                 std::tolower(static_cast<unsigned char>(pattern[k])))
            ++k;
        if (k == patLen)
            return static_cast<int>(i);
    }
    return -1;
}

int GetCenteredX(int width)
{
    return static_cast<int>((1024LL - width) / 2);
}

std::string ResolveRelativePath(const std::string& relative, const std::string& base)
{
    if (relative.size() >= 2 && relative[1] == ':')
        return relative;
    bool backslash = relative.find('\\') != std::string::npos ||
                     base.find('\\') != std::string::npos;
    const char sep = backslash ? '\\' : '/';

    std::string drive;
    std::string work = base;
    if (work.size() >= 2 && work[1] == ':') {
        drive = work.substr(0, 2);
        work = work.substr(2);
    }
    if (!work.empty() && !IsSep(work.back()))
        work += sep;

    std::string rest = relative;
    while (!work.empty()) {
        size_t cut = rest.find_first_of("\\/");
        if (cut == std::string::npos)
            break;
        std::string component = rest.substr(0, cut);
        rest = rest.substr(cut + 1);
        if (component == "..") {
            // The work path ends in a separator; its last component starts after the
            // separator before that one.
            size_t start = 0;
            if (work.size() >= 2) {
                size_t prev = work.find_last_of("\\/", work.size() - 2);
                if (prev != std::string::npos)
                    start = prev + 1;
            }
            if (work.compare(start, work.size() - 1 - start, "..") == 0 &&
                work.size() - 1 - start == 2) {
                work += "..";
                work += sep;
            } else {
                work.erase(start);
            }
        } else if (component.empty()) {
            work = std::string(1, sep);
            break;
        } else if (component == ".") {
            // stays where it is
        } else {
            work += component;
            work += sep;
            break;
        }
    }

    std::string result = drive + work + rest;
    const char other = sep == '/' ? '\\' : '/';
    for (char& c : result)
        if (c == other)
            c = sep;
    return result;
}

std::string GetFileNameWithoutExt(const std::string& path)
{
    size_t sep = LastSep(path);
    size_t dot = path.rfind('.');
    size_t start = sep == std::string::npos ? 0 : sep + 1;
    if (dot != std::string::npos && (sep == std::string::npos || dot > sep))
        return path.substr(start, dot - start);
    return path.substr(start);
}

std::string GetFileDir(const std::string& path)
{
    size_t sep = LastSep(path);
    return sep == std::string::npos ? std::string() : path.substr(0, sep);
}

std::string RemoveTrailingSlash(const std::string& path)
{
    if (!path.empty() && IsSep(path.back()))
        return path.substr(0, path.size() - 1);
    return path;
}

std::string AddTrailingSlash(const std::string& path)
{
    if (path.empty() || IsSep(path.back()))
        return path;
    return path + '\\';
}

void CreateDirectories(const std::string& path)
{
    for (size_t i = 0; i < path.size(); ++i)
        if (IsSep(path[i]) && i > 0)
            plat::MakeDirectory(path.substr(0, i));
    plat::MakeDirectory(path);
}

bool DeleteTree(const std::string& folder)
{
    if (folder.size() < 2)
        return false;
    std::string dir = folder;
    if (!IsSep(dir.back()))
        dir += '\\';
    if (!plat::IsDirectory(dir))
        return false;
    bool ok = true;
    for (const plat::FindData& entry : plat::FindFiles(dir + "*.*")) {
        // A link is removed as a link; what it points to is left alone.
        if (entry.isDirectory && !entry.isLink) {
            if (!DeleteTree(dir + entry.name))
                ok = false;
        } else if (!plat::DeleteFile(dir + entry.name)) {
            ok = false;
        }
    }
    if (!plat::RemoveDirectory(folder))
        ok = false;
    return ok;
}

int64_t GetFileDate(const std::string& path)
{
    std::vector<plat::FindData> found = plat::FindFiles(path);
    if (found.empty())
        return 0;
    return (found.front().writeTime - 116444736000000000LL) / 10000000LL;
}

int XMLEntityChar(const char* name, size_t length)
{
    static const struct {
        const char* name;
        char value;
    } kEntities[] = {{"lt", '<'},    {"amp", '&'},  {"gt", '>'}, {"quot", '"'},
                     {"apos", '\''}, {"nbsp", ' '}, {"cr", '\n'}};
    for (const auto& entity : kEntities)
        if (std::strlen(entity.name) == length && std::memcmp(entity.name, name, length) == 0)
            return entity.value;
    return -1;
}

std::string XMLDecodeString(const std::string& text)
{
    return XMLDecode(text);
}

std::wstring XMLDecodeWString(const std::wstring& text)
{
    return XMLDecode(text);
}

} // namespace Quor

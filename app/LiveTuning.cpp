// Live tuning of marked constants: record scan, binding, the reparse with its small source
// scanner, and the three literal parsers.
#include "app/LiveTuning.h"

#include "app/Common.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/MemScan.h"
#include "platform/Sys.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace Quor {

int64_t gModValReferenceTime = 0;

namespace {

// The marker word the search looks for. It lies in the program's data too, followed by its
// terminator: its tail is empty, so it is never registered.
const char kMarkerWord[kModValMarkerLength + 1] = "QUORMODVAL";

// Longest source line the reparse reads.
constexpr size_t kMaxLineLength = 8191;

// Plain byte reads over the program's own memory: the scan walks whole regions, including the
// guard bytes a sanitizer places between objects, so these reads are not instrumented.
#if defined(__clang__) || defined(__GNUC__)
#define QUOR_RAW_MEMORY __attribute__((no_sanitize("address")))
#else
#define QUOR_RAW_MEMORY
#endif

QUOR_RAW_MEMORY const char* RawFind(const char* from, const char* last)
{
    // 'last' is the last position at which a whole marker word still fits.
    for (const char* p = from; p <= last; ++p) {
        if (*p != kMarkerWord[0])
            continue;
        size_t k = 1;
        while (k < kModValMarkerLength && p[k] == kMarkerWord[k])
            ++k;
        if (k == kModValMarkerLength)
            return p;
    }
    return nullptr;
}

// The NUL-terminated text at 'from', when its terminator lies before 'end'.
QUOR_RAW_MEMORY bool RawTail(const char* from, const char* end, std::string* text)
{
    const char* p = from;
    while (p < end && *p != 0)
        ++p;
    if (p >= end)
        return false;
    text->assign(from, size_t(p - from));
    return true;
}

void ShowBox(const std::string& text, const char* caption, uint32_t icon)
{
    plat::MessageBox(text, caption, plat::MB_OK | icon);
}

ModValHolder* HolderOf(const char* record)
{
    ModValHolder* holder = nullptr;
    std::memcpy(&holder, record + kModValHolderOffset, sizeof(holder));
    return holder;
}

// Reads one line without its line end (CR LF or LF). False at the end of the file. A line
// longer than the limit is read to its end and flagged.
bool ReadLine(FILE* file, std::string* line, bool* tooLong)
{
    line->clear();
    *tooLong = false;
    int c = std::fgetc(file);
    if (c == EOF)
        return false;
    while (c != EOF && c != '\n') {
        if (line->size() < kMaxLineLength + 1)
            line->push_back(char(c));
        else
            *tooLong = true;
        c = std::fgetc(file);
    }
    if (!line->empty() && line->back() == '\r')
        line->pop_back();
    if (line->size() > kMaxLineLength)
        *tooLong = true;
    return true;
}

// The reparse of one file in use.
class SourceScanner {
public:
    SourceScanner(const std::string& path, ModValFile& file) : mPath(path), mFile(file) {}

    // False after an error box.
    bool Run(FILE* source)
    {
        mNext = mFile.mRecords.begin();
        std::string line;
        bool tooLong = false;
        int pending = 0; // what the end of the last line asked of the next one
        while (ReadLine(source, &line, &tooLong)) {
            if (tooLong)
                return Error("ERROR in %s on line %d.  Parsing Error.");
            if (pending == kStringGoesOn && line.empty())
                return Error("ERROR in %s on line %d: Error parsing quotes");
            if (pending == kCommentGoesOn) {
                // A continued line comment: this line is comment too (an empty one ends it).
                pending = !line.empty() && line.back() == '\\' ? kCommentGoesOn : 0;
                ++mLine;
                continue;
            }
            pending = 0;
            if (!ScanLine(line, &pending))
                return false;
            ++mLine;
        }
        if (pending == kStringGoesOn)
            return Error("ERROR in %s on line %d: Error parsing quotes");
        if (pending == kCommentGoesOn)
            return Error("ERROR in %s on line %d: Error parsing c++ comment");
        if (mState == kBlockComment)
            return Error("ERROR in %s on line %d: Error parsing c comment");
        return true;
    }

private:
    enum { kCode, kString, kBlockComment };
    enum { kStringGoesOn = 1, kCommentGoesOn = 2 };

    bool Error(const char* format)
    {
        ShowBox(StrFormat(format, mPath.c_str(), mLine), "MODVAL ERROR", plat::MB_ICONERROR);
        return false;
    }

    bool ScanLine(const std::string& line, int* pending)
    {
        char previous = 0;
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            switch (mState) {
            case kCode:
                if (c == '"') {
                    mState = kString;
                } else if (c == '/' && previous == '/') {
                    // The rest of the line is comment; a backslash at its end carries it on.
                    *pending = line.back() == '\\' ? kCommentGoesOn : 0;
                    return true;
                } else if (c == '*' && previous == '/') {
                    mState = kBlockComment;
                } else if (c == '(' && IsMarkedCall(line, i)) {
                    if (!TakeCall(line.c_str() + i + 1))
                        return false;
                }
                previous = c;
                break;
            case kString:
                if (c == '\\' && previous == '\\') {
                    previous = 0; // an escaped backslash escapes nothing further
                    continue;
                }
                if (c == '"' && previous != '\\')
                    mState = kCode;
                previous = c;
                break;
            default: // block comment
                if (c == '/' && previous == '*')
                    mState = kCode;
                previous = c;
                break;
            }
        }
        if (mState == kString) {
            if (previous != '\\')
                return Error("ERROR in %s on line %d: Error parsing quotes");
            *pending = kStringGoesOn;
        }
        return true;
    }

    static bool IsMarkedCall(const std::string& line, size_t open)
    {
        auto notLetter = [](char c) { return !std::isalpha(static_cast<unsigned char>(c)); };
        if (open >= 2 && line[open - 1] == 'M')
            return notLetter(line[open - 2]);
        if (open >= 3 && line[open - 1] >= '1' && line[open - 1] <= '9' && line[open - 2] == 'M')
            return notLetter(line[open - 3]);
        return false;
    }

    // A marked call on the current line: the next record of this line takes its literal.
    bool TakeCall(const char* literal)
    {
        while (mNext != mFile.mRecords.end() && mNext->second.mLine < mLine)
            ++mNext;
        if (mNext == mFile.mRecords.end() || mNext->second.mLine > mLine)
            return true;
        char* record = mNext->second.mAddress;
        ++mNext;

        std::string text;
        int32_t integer = 0;
        double real = 0.0;
        bool isString = ParseModValString(literal, &text);
        bool isInteger = !isString && ParseModValInt(literal, &integer);
        bool isReal = !isString && !isInteger && ParseModValDouble(literal, &real);
        if (!isString && !isInteger && !isReal)
            return Error("ERROR in %s on line %d.  Parsing Error.");
        if (record[0] != 0)
            BindModVal(record);
        ModValHolder* holder = HolderOf(record);
        if (holder != nullptr) {
            holder->mReal = isReal ? real : 0.0;
            holder->mInteger = isInteger ? integer : 0;
            holder->mText = isString ? text : std::string();
            holder->mSet = true;
        }
        return true;
    }

    const std::string& mPath;
    ModValFile& mFile;
    std::map<int32_t, ModValRecordRef>::iterator mNext;
    int mState = kCode;
    int mLine = 1;
};

} // namespace

std::map<std::string, int32_t>& ModValNames()
{
    static std::map<std::string, int32_t> names;
    return names;
}

ModValFileMap& GetModValFiles()
{
    static ModValFileMap files;
    return files;
}

const char* FindModValMarker(const char* rangeStart, size_t rangeLength, const char* searchStart)
{
    if (rangeLength < kModValMarkerLength || searchStart < rangeStart)
        return nullptr;
    const char* last = rangeStart + (rangeLength - kModValMarkerLength);
    if (searchStart > last)
        return nullptr;
    return RawFind(searchStart, last);
}

bool SplitModValTail(std::string& text, int32_t* sequence, int32_t* line)
{
    if (text.size() < 2)
        return false;
    size_t stop = text.size() - 1;
    bool commaSeen = false;
    for (;;) {
        const char c = text[stop];
        if (c == ',' && !commaSeen)
            commaSeen = true;
        else if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        if (stop == 1) {
            stop = 0;
            break;
        }
        --stop;
    }
    if (stop == 0 || stop == text.size() - 1)
        return false;
    int first = 0;
    int second = 0;
    if (std::sscanf(text.c_str() + stop + 1, "%d,%d", &first, &second) != 2)
        return false;
    text.resize(stop + 1);
    if (sequence != nullptr)
        *sequence = first;
    if (line != nullptr)
        *line = second;
    return true;
}

bool ScanRangeForModVals(const char* start, size_t length)
{
    bool registered = false;
    const char* end = start + length;
    for (const char* hit = FindModValMarker(start, length, start); hit != nullptr;
         hit = FindModValMarker(start, length, hit + 1)) {
        if (size_t(hit - start) < kModValMarkerOffset)
            continue; // the record would begin before the range
        std::string tail;
        int32_t sequence = 0;
        int32_t line = 0;
        if (!RawTail(hit + kModValMarkerLength, end, &tail) ||
            !SplitModValTail(tail, &sequence, &line))
            continue;
        ModValFile& file = GetModValFiles()[tail];
        file.mRecords[sequence] = ModValRecordRef{const_cast<char*>(hit - kModValMarkerOffset), line};
        registered = true;
    }
    return registered;
}

bool ScanImageForModVals()
{
    uintptr_t runStart = 0;
    size_t runLength = 0;
    for (const plat::MemoryRegion& region : plat::QueryMemoryRegions()) {
        // Only what can be read: a region without read access would fault.
        if (!region.image || !region.readable)
            continue;
        if (runLength != 0 && region.start == runStart + runLength) {
            runLength += region.length;
            continue;
        }
        if (runLength != 0 &&
            ScanRangeForModVals(reinterpret_cast<const char*>(runStart), runLength))
            return true;
        runStart = region.start;
        runLength = region.length;
    }
    if (runLength == 0)
        return false;
    return ScanRangeForModVals(reinterpret_cast<const char*>(runStart), runLength);
}

ModValHolder* AttachModValHolder(char* record)
{
    // Holders live as long as the program (the records keep pointing at them).
    static std::vector<std::unique_ptr<ModValHolder>> holders;
    holders.push_back(std::make_unique<ModValHolder>());
    ModValHolder* holder = holders.back().get();
    plat::SavedProtection saved;
    if (plat::MakeWritable(record, kModValMarkerOffset, &saved)) {
        record[0] = 0;
        std::memcpy(record + kModValHolderOffset, &holder, sizeof(holder));
        plat::RestoreProtection(saved);
    }
    return holder;
}

ModValHolder* BindModVal(char* record)
{
    std::string tail;
    RawTail(record + kModValTailOffset, record + kModValTailOffset + 65536, &tail);
    SplitModValTail(tail, nullptr, nullptr);
    GetModValFiles()[tail].mInUse = true;
    return AttachModValHolder(record);
}

bool ReparseModVals()
{
    if (gModValReferenceTime == 0) {
        gModValReferenceTime = GetFileDate(plat::GetProgramPath());
        ScanImageForModVals();
    }
    bool changed = false;
    std::string parsed;
    for (auto& [path, file] : GetModValFiles()) {
        if (!file.mInUse)
            continue;
        int64_t date = GetFileDate(path);
        if (date > gModValReferenceTime) {
            gModValReferenceTime = date;
            changed = true;
        }
        if (!parsed.empty())
            parsed += "\r\n  ";
        parsed += path;
        FILE* source = plat::OpenFile(path, "rb");
        if (source == nullptr) {
            ShowBox("ERROR: Unable to open " + path + " for reparsing.", "MODVAL ERROR!",
                    plat::MB_ICONERROR);
            return false;
        }
        SourceScanner scanner(path, file);
        bool read = scanner.Run(source);
        std::fclose(source);
        if (!read)
            return false;
    }
    if (changed)
        return true;
    if (parsed.empty())
        parsed = "none";
    ShowBox("WARNING: No file changes detected.  Files parsed: \r\n  " + parsed, "MODVAL WARNING!",
            plat::MB_ICONWARNING);
    return false;
}

bool ParseModValString(const char* text, std::string* value)
{
    if (text[0] != '"')
        return false;
    value->clear();
    for (size_t i = 1;; ++i) {
        const char c = text[i];
        if (c == 0)
            return false;
        if (c == '"')
            return true;
        if (c != '\\') {
            value->push_back(c);
            continue;
        }
        ++i;
        switch (text[i]) {
        case '"': value->push_back('"'); break;
        case '\\': value->push_back('\\'); break;
        case 'n': value->push_back('\n'); break;
        case 't': value->push_back('\t'); break;
        default: return false;
        }
    }
}

bool ParseModValInt(const char* text, int32_t* value)
{
    *value = 0;
    if (std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_') {
        size_t length = 0;
        while (std::isalnum(static_cast<unsigned char>(text[length])) || text[length] == '_')
            ++length;
        auto found = ModValNames().find(std::string(text, length));
        if (found != ModValNames().end()) {
            *value = found->second;
            return true;
        }
    }
    size_t i = 0;
    const bool negative = text[0] == '-';
    if (negative)
        ++i;
    uint32_t number = 0; // 32-bit arithmetic that wraps, as the literal's own type would
    bool hex = false;
    for (;; ++i) {
        const char c = text[i];
        if (!hex && c >= '0' && c <= '9') {
            number = number * 10 + uint32_t(c - '0');
        } else if (!hex && (c == 'x' || c == 'X') && i == 1 && number == 0) {
            hex = true;
        } else if (hex && std::isxdigit(static_cast<unsigned char>(c))) {
            uint32_t digit = c <= '9' ? uint32_t(c - '0') : uint32_t((c | 0x20) - 'a' + 10);
            number = number * 16 + digit;
        } else {
            break;
        }
    }
    if (text[i] != ')')
        return false;
    *value = int32_t(negative ? 0u - number : number);
    return true;
}

bool ParseModValDouble(const char* text, double* value)
{
    *value = 0.0;
    size_t i = 0;
    const bool negative = text[0] == '-';
    if (negative)
        ++i;
    double number = 0.0;
    while (text[i] >= '0' && text[i] <= '9')
        number = number * 10.0 + (text[i++] - '0');
    if (text[i] == '.') {
        ++i;
        double weight = 0.1;
        while (text[i] >= '0' && text[i] <= '9') {
            number += (text[i++] - '0') * weight;
            weight /= 10.0;
        }
    }
    if (text[i] == 'f')
        ++i;
    if (text[i] != ')')
        return false;
    *value = negative ? -number : number;
    return true;
}

} // namespace Quor

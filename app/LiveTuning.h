// Live tuning of marked constants: the marker records a marked constant leaves in the program's
// data, the registry of the source files they name, the scan of the loaded program for them,
// and the reparse that re-reads those files and puts the literals now written there into the
// running program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace Quor {

// The value a bound record reads in place of its compiled-in literal, once set.
struct ModValHolder {
    bool mSet = false;
    int32_t mInteger = 0;
    double mReal = 0.0;
    std::string mText;
};

// Layout of a marker record: a state byte (nonzero = not bound yet), the holder's address
// (unaligned, as wide as an address), the marker word without terminator, then the tail: the
// source path, the sequence number, a comma and the line, NUL-terminated.
constexpr size_t kModValHolderOffset = 1;
constexpr size_t kModValMarkerOffset = kModValHolderOffset + sizeof(void*);
constexpr size_t kModValMarkerLength = 10;
constexpr size_t kModValTailOffset = kModValMarkerOffset + kModValMarkerLength;

struct ModValRecordRef {
    char* mAddress = nullptr;
    int32_t mLine = 0;
};

struct ModValFile {
    bool mInUse = false;
    std::map<int32_t, ModValRecordRef> mRecords; // by sequence number
};

using ModValFileMap = std::map<std::string, ModValFile>;

// The reparse: true when at least one file in use had changed and every file in use was read
// without error.
bool ReparseModVals();
// Binds a record: its file comes into use and a holder is attached.
ModValHolder* BindModVal(char* record);
// The registry of marked files, made on first use.
ModValFileMap& GetModValFiles();
// Finds and registers the records of the loaded program image.
bool ScanImageForModVals();
// Registers the records found in one byte range; true when at least one was registered.
bool ScanRangeForModVals(const char* start, size_t length);
// The first marker word at or after searchStart lying wholly inside the range, or null.
const char* FindModValMarker(const char* rangeStart, size_t rangeLength, const char* searchStart);
// Splits a tail into its path (left in text), sequence number and line.
bool SplitModValTail(std::string& text, int32_t* sequence, int32_t* line);
ModValHolder* AttachModValHolder(char* record);
// The literal parsers; each reads from the text right after the opening parenthesis.
bool ParseModValString(const char* text, std::string* value);
bool ParseModValInt(const char* text, int32_t* value);
bool ParseModValDouble(const char* text, double* value);

// Names the integer parser accepts in place of a number (empty: nothing adds to it).
std::map<std::string, int32_t>& ModValNames();
// The newest last-write time seen (seconds, as GetFileDate counts); 0 until the first reparse.
extern int64_t gModValReferenceTime;

} // namespace Quor

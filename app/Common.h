// Free helpers used everywhere: text and numbers in text, formatting, paths and folders, the
// Windows version tests and the program-wide application-data folder.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

namespace Quor {

// Version tests; each asks the system once and keeps the answer.
bool IsWindows9x();
bool IsVistaOrLater();

// The folder below which the player's files live (with a trailing separator once set); empty
// until start-up sets it, so that names built on it land in the current folder.
std::string GetAppDataFolder();
void SetAppDataFolder(const std::string& folder);

std::string StringToUpper(const std::string& text);
std::string StringToLower(const std::string& text);
std::string ToUpperCopy(const std::string& text);
// Each byte widened to one character (no code page).
std::wstring StringToWString(const std::string& text);
// Each character narrowed to one byte; a text holding a character above 255 cannot be
// converted and gives the empty string.
std::string WStringToString(const std::wstring& text);
std::string CopyString(const char* text); // nullptr gives the empty string
std::string StringTrim(const std::string& text);

// Number parsers: decimal or (after "0x") hexadecimal integers, decimal fractions without an
// exponent. They return false and set the value to 0 on a character they do not accept.
bool StringToInt(const std::string& text, int* value);
bool StringToDouble(const std::string& text, double* value);

std::string IntToString(int value);
// Digits grouped by three with ',' (1234567 gives "1,234,567"; -1234 gives "-1,234").
std::string CommaSeparate(int value);

std::string VFormat(const char* format, va_list args);
std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Index of the first case-insensitive match of pattern in text, or -1.
int StrFindNoCase(const char* text, const char* pattern);

// The x at which a width is centred on the 1024-pixel-wide screen.
int GetCenteredX(int width);

// Paths: both '\' and '/' separate.
std::string ResolveRelativePath(const std::string& relative, const std::string& base);
std::string GetFileNameWithoutExt(const std::string& path);
std::string GetFileDir(const std::string& path);
std::string RemoveTrailingSlash(const std::string& path);
std::string AddTrailingSlash(const std::string& path);
void CreateDirectories(const std::string& path);
bool DeleteTree(const std::string& folder);
// Last-write time in seconds since 1970-01-01 00:00 UTC; 0 when no file matches.
int64_t GetFileDate(const std::string& path);

// XML character entities ("lt", "amp", "gt", "quot", "apos", "nbsp", "cr"): the character an
// entity name (without '&' and ';') stands for, or -1 when it is not one of them.
int XMLEntityChar(const char* name, size_t length);
std::string XMLDecodeString(const std::string& text);
std::wstring XMLDecodeWString(const std::wstring& text);

} // namespace Quor

// The running program and its surroundings: where it lives, how it ends, the debugger output,
// environment values, the user's data folder and the operating-system version.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

std::string GetProgramPath(); // full path of the running program
std::string GetProgramDir();  // its folder, without a trailing separator

// Ends the process at once with the given status (no static destructors run).
[[noreturn]] void ExitProcess(int status);

// The debugger output: each text goes to the sink set by SetDebugOutputSink, or to standard
// error when none is set.
void DebugOutput(const char* text);
using DebugOutputSink = void (*)(const char* text);
void SetDebugOutputSink(DebugOutputSink sink); // nullptr restores standard error

// An environment value; empty when it is not set.
std::string GetEnv(const char* name);

// The folder below which the files a user owns are kept: $XDG_DATA_HOME, else
// $HOME/.local/share. No trailing separator.
std::string GetUserDataFolder();

// The operating-system version in the shape the program's version tests ask for: the platform
// family (1 for the old consumer family, 2 for the current one) and the major and minor
// version. 'extended' asks for the extended record; both forms are answered here.
struct OSVersion {
    uint32_t platformId = 0;
    uint32_t major = 0;
    uint32_t minor = 0;
};
bool GetOSVersion(OSVersion* version, bool extended);

// Memory the program frees stays with it for its next allocations instead of going back to the
// system at once: pictures come and go by whole resource groups of many megabytes, and memory
// handed back is handed out again page by page, each page cleared on its first touch.
void KeepFreedMemoryForReuse();

} // namespace plat

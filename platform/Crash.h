// Fault catching for the crash report: fault signals and uncaught C++ exceptions reported with
// the exception codes the report names, the stack walks, module and symbol names, the report
// file write, and the crash window run in a child process.
// Everything marked "signal-safe" may be called from the crash handler while the process is
// in an unknown state: it takes no lock and allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Exception codes the crash report knows by name.
constexpr uint32_t kCodeBreakpoint = 0x80000003;
constexpr uint32_t kCodeSingleStep = 0x80000004;
constexpr uint32_t kCodeAccessViolation = 0xC0000005;
constexpr uint32_t kCodeInPageError = 0xC0000006;
constexpr uint32_t kCodeIllegalInstruction = 0xC000001D;
constexpr uint32_t kCodeArrayBoundsExceeded = 0xC000008C;
constexpr uint32_t kCodeFloatDivideByZero = 0xC000008E;
constexpr uint32_t kCodeFloatInexactResult = 0xC000008F;
constexpr uint32_t kCodeFloatInvalidOperation = 0xC0000090;
constexpr uint32_t kCodeFloatOverflow = 0xC0000091;
constexpr uint32_t kCodeFloatUnderflow = 0xC0000093;
constexpr uint32_t kCodeIntegerDivideByZero = 0xC0000094;
constexpr uint32_t kCodeIntegerOverflow = 0xC0000095;
constexpr uint32_t kCodePrivilegedInstruction = 0xC0000096;
constexpr uint32_t kCodeStackOverflow = 0xC00000FD;
// Codes without a name in the report: an uncaught C++ exception, and abort().
constexpr uint32_t kCodeCppException = 0xE06D7363;
constexpr uint32_t kCodeFatalAppExit = 0x40000015;

// Registers at the fault, named after the 32-bit set, each holding the full machine value.
struct CrashRegisters {
    uint64_t ax = 0, bx = 0, cx = 0, dx = 0, si = 0, di = 0;
    uint64_t ip = 0, sp = 0, bp = 0;
    uint32_t flags = 0;
    uint16_t cs = 0, ss = 0, ds = 0, es = 0, fs = 0, gs = 0;
};

// The facts of one fault.
struct CrashInfo {
    uint32_t code = 0;         // exception code
    uintptr_t address = 0;     // the faulting instruction
    uintptr_t dataAddress = 0; // the address accessed, for memory faults
    unsigned long threadId = 0;
    int signal = 0;
    CrashRegisters regs;
    const void* context = nullptr; // the signal context, for the stack walks
};

using CrashHandler = void (*)(const CrashInfo& info);

// Installs the handler for fault signals (run on a stack of its own), and makes uncaught C++
// exceptions and abort() reach it too. The previous handlers are kept. False when the signal
// handlers could not be installed.
bool CrashInstall(CrashHandler handler);
// Restores the handlers that were there before CrashInstall.
void CrashUninstall();
// Maps a signal and its si_code to the exception code (signal-safe).
uint32_t CrashCodeForSignal(int signal, int siCode, uintptr_t dataAddress, uintptr_t sp);
// Ends the process after a fault was handled, with the fault's own default action, so the
// process ends by that signal (a non-zero status). Signal-safe.
[[noreturn]] void CrashEndProcess(const CrashInfo& info);

// Where an address lies: the module's path, the 1-based number of the loaded segment holding
// it and the offset from that segment's start. False when it lies in no module (signal-safe
// apart from the loader's own lock).
struct CrashLocation {
    char modulePath[512] = {};
    int section = 0;
    uintptr_t offset = 0;
};
bool CrashLocate(uintptr_t address, CrashLocation& where);

// The exported symbol at or below an address: its raw (mangled) name and the distance.
bool CrashSymbol(uintptr_t address, const char*& name, uintptr_t& displacement);
// A mangled C++ name in readable form; false when it is not one. Allocates: not signal-safe.
bool CrashDemangle(const char* name, std::string& readable);

// One frame of a stack walk: program counter, frame address and four words of the frame.
struct CrashFrame {
    uintptr_t pc = 0;
    uintptr_t frame = 0;
    uintptr_t params[4] = {};
};
// The unwinder's walk from the fault's context; frames of the handler itself are left out.
// Returns the number of frames stored (0 when the unwinder is unavailable or fails).
int CrashUnwindStack(const CrashInfo& info, CrashFrame* frames, int max);
// The walk along the saved frame pointers; it stops at a frame that is not aligned, not
// above the previous one, or not readable.
int CrashWalkFramePointers(const CrashInfo& info, CrashFrame* frames, int max);
// True when len bytes at address can be read (signal-safe).
bool CrashReadable(const void* address, size_t len);

// "sysname release version machine" of the running system (signal-safe).
void CrashSystemName(char* out, size_t len);
// Path of the library that stands for a system library the report names ("ddraw.dll" for
// the display, "dsound.dll" for sound); empty when none.
std::string CrashSystemLibraryPath(const std::string& name);

// Writes a file whole through a temporary file and a rename (signal-safe).
bool CrashWriteFile(const char* path, const char* data, size_t len);
// Schedules the end of the process after the given seconds (0 cancels); bounds the parts of
// the crash handling that are not signal-safe.
void CrashSetAlarm(unsigned seconds);
// The calling thread's id (signal-safe).
unsigned long CrashThreadId();

// Runs body(arg) in a child process and waits for it, at most timeoutSeconds: a child still
// running then is killed. The child's exit code, or -1 (killed, ended by a signal, or no child).
int CrashRunInChild(int (*body)(void*), void* arg, unsigned timeoutSeconds);
// A modal box with buttons; the index of the chosen one, or -1 when it was closed. Without a
// display it logs the title and message and returns defaultButton.
int CrashMessageBox(const std::string& title, const std::string& message,
                    const std::vector<std::string>& buttons, int defaultButton);
// True when there is no display to show windows on.
bool CrashHeadless();
// A line on the error output (the progress of a report being sent without a window).
void CrashLog(const std::string& line);

// A one-byte write to address 0 (the "-crash" option): the access violation is raised by the
// hardware, even in builds that check null stores.
void CrashWriteToNull();

} // namespace plat

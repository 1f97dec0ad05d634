// Fault signals, stack walks, module and symbol names and the crash child process.
#include "platform/Crash.h"

#include <SDL.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cxxabi.h>
#include <dlfcn.h>
#include <exception>
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>
#include <unwind.h>

namespace plat {

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
constexpr size_t kAltStackSize = 256 * 1024;

struct sigaction gPrevious[kSignalCount];
bool gInstalled = false;
CrashHandler gHandler = nullptr;
std::terminate_handler gPrevTerminate = nullptr;
std::atomic<uint32_t> gPendingCode{0};
std::atomic<long> gCrashingThread{0};
int gProbe[2] = {-1, -1};

size_t Length(const char* s)
{
    size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

// Appends src to dst (capacity cap, always terminated).
void Append(char* dst, size_t cap, const char* src)
{
    size_t n = Length(dst);
    while (*src && n + 1 < cap)
        dst[n++] = *src++;
    dst[n] = 0;
}

void ResetToDefault(int sig)
{
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
}

[[noreturn]] void DieBySignal(int sig)
{
    ResetToDefault(sig);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    syscall(SYS_tgkill, getpid(), syscall(SYS_gettid), sig);
    _exit(128 + sig);
}

void OnTerminate()
{
    gPendingCode = std::current_exception() ? kCodeCppException : kCodeFatalAppExit;
    if (gPrevTerminate != nullptr && gPrevTerminate != OnTerminate)
        gPrevTerminate(); // prints what was thrown, then aborts
    std::abort();
}

void FillRegisters(const void* context, CrashRegisters& r)
{
#if defined(__x86_64__)
    const auto* uc = static_cast<const ucontext_t*>(context);
    const greg_t* g = uc->uc_mcontext.gregs;
    r.ax = static_cast<uint64_t>(g[REG_RAX]);
    r.bx = static_cast<uint64_t>(g[REG_RBX]);
    r.cx = static_cast<uint64_t>(g[REG_RCX]);
    r.dx = static_cast<uint64_t>(g[REG_RDX]);
    r.si = static_cast<uint64_t>(g[REG_RSI]);
    r.di = static_cast<uint64_t>(g[REG_RDI]);
    r.ip = static_cast<uint64_t>(g[REG_RIP]);
    r.sp = static_cast<uint64_t>(g[REG_RSP]);
    r.bp = static_cast<uint64_t>(g[REG_RBP]);
    r.flags = static_cast<uint32_t>(g[REG_EFL]);
    uint64_t csgsfs = static_cast<uint64_t>(g[REG_CSGSFS]);
    r.cs = static_cast<uint16_t>(csgsfs);
    r.gs = static_cast<uint16_t>(csgsfs >> 16);
    r.fs = static_cast<uint16_t>(csgsfs >> 32);
    // The data segment registers are not saved with the context; user code never changes
    // them, so their values in the handler are those at the fault.
    uint16_t seg;
    asm volatile("mov %%ss, %0" : "=r"(seg));
    r.ss = seg;
    asm volatile("mov %%ds, %0" : "=r"(seg));
    r.ds = seg;
    asm volatile("mov %%es, %0" : "=r"(seg));
    r.es = seg;
#elif defined(__aarch64__)
    const auto* uc = static_cast<const ucontext_t*>(context);
    const auto& m = uc->uc_mcontext;
    r.ax = m.regs[0];
    r.bx = m.regs[1];
    r.cx = m.regs[2];
    r.dx = m.regs[3];
    r.si = m.regs[4];
    r.di = m.regs[5];
    r.ip = m.pc;
    r.sp = m.sp;
    r.bp = m.regs[29];
    r.flags = static_cast<uint32_t>(m.pstate);
#else
    (void)context;
    (void)r;
#endif
}

void OnSignal(int sig, siginfo_t* si, void* context)
{
    long self = syscall(SYS_gettid);
    long expected = 0;
    if (!gCrashingThread.compare_exchange_strong(expected, self)) {
        if (expected == self)
            DieBySignal(sig); // a fault while handling a fault
        for (;;)
            pause(); // another thread's fault is being handled; the process ends with it
    }

    CrashInfo info;
    info.signal = sig;
    info.threadId = static_cast<unsigned long>(self);
    info.dataAddress = reinterpret_cast<uintptr_t>(si != nullptr ? si->si_addr : nullptr);
    info.context = context;
    if (context != nullptr)
        FillRegisters(context, info.regs);
    info.address = static_cast<uintptr_t>(info.regs.ip);
    uint32_t pending = gPendingCode.exchange(0);
    if (sig == SIGABRT && pending != 0)
        info.code = pending;
    else
        info.code = CrashCodeForSignal(sig, si != nullptr ? si->si_code : 0, info.dataAddress,
                                       static_cast<uintptr_t>(info.regs.sp));
    if (gHandler != nullptr)
        gHandler(info);
    CrashEndProcess(info);
}

_Unwind_Reason_Code CountFrame(_Unwind_Context*, void*) { return _URC_NO_REASON; }

struct UnwindState {
    CrashFrame* frames;
    int max;
    int count;
    uintptr_t faultPc;
    bool started;
};

_Unwind_Reason_Code TakeFrame(_Unwind_Context* ctx, void* arg)
{
    auto* st = static_cast<UnwindState*>(arg);
    int beforeInsn = 0;
    uintptr_t ip = _Unwind_GetIPInfo(ctx, &beforeInsn);
    if (!st->started) {
        // Leave out the frames of the handler: the walk starts at the faulting instruction.
        if (ip != st->faultPc)
            return _URC_NO_REASON;
        st->started = true;
    }
    uintptr_t cfa = _Unwind_GetCFA(ctx);
    if (st->count >= st->max || (st->count > 0 && (ip == 0 || cfa == 0)))
        return _URC_END_OF_STACK; // the outermost frame has been listed
    CrashFrame& f = st->frames[st->count++];
    f.pc = ip;
    f.frame = cfa;
    if (f.frame != 0 && CrashReadable(reinterpret_cast<const void*>(f.frame), sizeof f.params))
        std::memcpy(f.params, reinterpret_cast<const void*>(f.frame), sizeof f.params);
    return _URC_NO_REASON;
}

struct LocateState {
    uintptr_t address;
    CrashLocation* where;
    bool found;
};

int LocateModule(dl_phdr_info* info, size_t, void* arg)
{
    auto* st = static_cast<LocateState*>(arg);
    int loadIndex = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const auto& ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_LOAD)
            continue;
        ++loadIndex;
        uintptr_t start = info->dlpi_addr + ph.p_vaddr;
        uintptr_t size = ph.p_memsz > ph.p_filesz ? ph.p_memsz : ph.p_filesz;
        if (st->address < start || st->address - start >= size)
            continue;
        st->where->section = loadIndex;
        st->where->offset = st->address - start;
        char* path = st->where->modulePath;
        path[0] = 0;
        if (info->dlpi_name != nullptr && info->dlpi_name[0] != 0) {
            Append(path, sizeof st->where->modulePath, info->dlpi_name);
        } else { // the program itself
            ssize_t n = readlink("/proc/self/exe", path, sizeof st->where->modulePath - 1);
            path[n > 0 ? n : 0] = 0;
        }
        st->found = true;
        return 1;
    }
    return 0;
}

} // namespace

uint32_t CrashCodeForSignal(int signal, int siCode, uintptr_t dataAddress, uintptr_t sp)
{
    switch (signal) {
    case SIGSEGV: {
        // A fault next to the stack pointer is the stack running into its guard.
        constexpr uintptr_t kNear = 64 * 1024;
        if (sp != 0 && dataAddress + kNear >= sp && dataAddress <= sp + kNear)
            return kCodeStackOverflow;
        return kCodeAccessViolation;
    }
    case SIGBUS:
        return siCode == BUS_ADRALN ? 0x80000002u : kCodeInPageError;
    case SIGFPE:
        switch (siCode) {
        case FPE_INTDIV: return kCodeIntegerDivideByZero;
        case FPE_INTOVF: return kCodeIntegerOverflow;
        case FPE_FLTDIV: return kCodeFloatDivideByZero;
        case FPE_FLTOVF: return kCodeFloatOverflow;
        case FPE_FLTUND: return kCodeFloatUnderflow;
        case FPE_FLTRES: return kCodeFloatInexactResult;
        case FPE_FLTSUB: return kCodeArrayBoundsExceeded;
        default: return kCodeFloatInvalidOperation;
        }
    case SIGILL:
        return (siCode == ILL_PRVOPC || siCode == ILL_PRVREG) ? kCodePrivilegedInstruction
                                                              : kCodeIllegalInstruction;
    case SIGTRAP:
        return siCode == TRAP_TRACE ? kCodeSingleStep : kCodeBreakpoint;
    case SIGABRT:
        return kCodeFatalAppExit;
    default:
        return 0;
    }
}

bool CrashInstall(CrashHandler handler)
{
    gHandler = handler;
    if (gInstalled)
        return true;
    if (gProbe[0] < 0 && pipe2(gProbe, O_CLOEXEC | O_NONBLOCK) != 0)
        gProbe[0] = gProbe[1] = -1;
    // Load the unwinder now: its first use loads a library, which a crash handler cannot do.
    _Unwind_Backtrace(CountFrame, nullptr);

    void* stack = mmap(nullptr, kAltStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (stack != MAP_FAILED) {
        stack_t ss{};
        ss.ss_sp = stack;
        ss.ss_size = kAltStackSize;
        if (sigaltstack(&ss, nullptr) != 0)
            munmap(stack, kAltStackSize);
    }

    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_sigaction = OnSignal;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    bool ok = true;
    for (int i = 0; i < kSignalCount; ++i)
        ok = sigaction(kSignals[i], &sa, &gPrevious[i]) == 0 && ok;
    gPrevTerminate = std::set_terminate(OnTerminate);
    gInstalled = true;
    return ok;
}

void CrashUninstall()
{
    if (!gInstalled)
        return;
    for (int i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &gPrevious[i], nullptr);
    std::set_terminate(gPrevTerminate);
    gInstalled = false;
    gHandler = nullptr;
}

void CrashEndProcess(const CrashInfo& info)
{
    DieBySignal(info.signal > 0 ? info.signal : SIGABRT);
}

bool CrashLocate(uintptr_t address, CrashLocation& where)
{
    where = CrashLocation{};
    LocateState st{address, &where, false};
    dl_iterate_phdr(LocateModule, &st);
    return st.found;
}

bool CrashSymbol(uintptr_t address, const char*& name, uintptr_t& displacement)
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(address), &info) == 0 || info.dli_sname == nullptr ||
        info.dli_saddr == nullptr)
        return false;
    name = info.dli_sname;
    displacement = address - reinterpret_cast<uintptr_t>(info.dli_saddr);
    return true;
}

bool CrashDemangle(const char* name, std::string& readable)
{
    int status = 0;
    char* out = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    if (out == nullptr || status != 0) {
        std::free(out);
        return false;
    }
    readable = out;
    std::free(out);
    return true;
}

int CrashUnwindStack(const CrashInfo& info, CrashFrame* frames, int max)
{
    if (max <= 0)
        return 0;
    UnwindState st{frames, max, 0, info.address, false};
    _Unwind_Backtrace(TakeFrame, &st);
    return st.count;
}

int CrashWalkFramePointers(const CrashInfo& info, CrashFrame* frames, int max)
{
    uintptr_t pc = static_cast<uintptr_t>(info.regs.ip);
    uintptr_t fp = static_cast<uintptr_t>(info.regs.bp);
    int n = 0;
    while (n < max) {
        CrashFrame& f = frames[n++];
        f = CrashFrame{};
        f.pc = pc;
        f.frame = fp;
        const auto* words = reinterpret_cast<const uintptr_t*>(fp);
        if (fp == 0 || !CrashReadable(words, 2 * sizeof(uintptr_t)))
            break;
        if (CrashReadable(words + 2, sizeof f.params))
            std::memcpy(f.params, words + 2, sizeof f.params);
        uintptr_t nextFp = words[0];
        uintptr_t nextPc = words[1];
        if (nextFp % sizeof(uintptr_t) != 0 || nextFp <= fp ||
            !CrashReadable(reinterpret_cast<const void*>(nextFp), 2 * sizeof(uintptr_t)))
            break;
        pc = nextPc;
        fp = nextFp;
    }
    return n;
}

bool CrashReadable(const void* address, size_t len)
{
    if (gProbe[0] < 0 && pipe2(gProbe, O_CLOEXEC | O_NONBLOCK) != 0) {
        gProbe[0] = gProbe[1] = -1;
        return false;
    }
    // The kernel checks the bytes it copies into the pipe and refuses unreadable ones.
    const char* p = static_cast<const char*>(address);
    char sink[64];
    while (len > 0) {
        size_t n = len < sizeof sink ? len : sizeof sink;
        ssize_t w = write(gProbe[1], p, n);
        if (w > 0)
            while (read(gProbe[0], sink, sizeof sink) > 0) {
            }
        if (w != static_cast<ssize_t>(n))
            return false;
        p += n;
        len -= n;
    }
    return true;
}

void CrashSystemName(char* out, size_t len)
{
    if (len == 0)
        return;
    out[0] = 0;
    struct utsname u;
    if (uname(&u) != 0)
        return;
    Append(out, len, u.sysname);
    Append(out, len, " ");
    Append(out, len, u.release);
    Append(out, len, " ");
    Append(out, len, u.version);
    Append(out, len, " ");
    Append(out, len, u.machine);
}

std::string CrashSystemLibraryPath(const std::string& name)
{
    void* symbol = nullptr;
    if (name == "ddraw.dll")
        symbol = reinterpret_cast<void*>(&SDL_CreateWindow);
    else if (name == "dsound.dll")
        symbol = reinterpret_cast<void*>(&SDL_OpenAudioDevice);
    Dl_info info{};
    if (symbol == nullptr || dladdr(symbol, &info) == 0 || info.dli_fname == nullptr)
        return std::string();
    return info.dli_fname;
}

bool CrashWriteFile(const char* path, const char* data, size_t len)
{
    char temp[1024] = {};
    Append(temp, sizeof temp, path);
    Append(temp, sizeof temp, ".tmp");
    if (Length(temp) != Length(path) + 4)
        return false;
    int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = true;
    while (len > 0) {
        ssize_t n = write(fd, data, len);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        data += n;
        len -= static_cast<size_t>(n);
    }
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temp, path) != 0) {
        unlink(temp);
        return false;
    }
    return true;
}

void CrashSetAlarm(unsigned seconds)
{
    if (seconds > 0)
        ResetToDefault(SIGALRM);
    alarm(seconds);
}

unsigned long CrashThreadId() { return static_cast<unsigned long>(syscall(SYS_gettid)); }

int CrashRunInChild(int (*body)(void*), void* arg, unsigned timeoutSeconds)
{
    pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        // The child ends by the default action of any fault of its own.
        gCrashingThread = syscall(SYS_gettid);
        for (int sig : kSignals)
            ResetToDefault(sig);
        _exit(body(arg));
    }
    // Polled in steps of 20 ms (waitpid, nanosleep and clock_gettime are signal-safe); past the
    // limit the child is ended, so a child that hangs cannot keep the crashed process waiting.
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR)
            return -1;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long long elapsedMs = (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (elapsedMs >= timeoutSeconds * 1000LL) {
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return -1;
        }
        timespec step{0, 20 * 1000 * 1000};
        nanosleep(&step, nullptr);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool CrashHeadless()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0))
        return true;
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x == nullptr || *x == 0) && (wayland == nullptr || *wayland == 0);
}

void CrashLog(const std::string& line)
{
    std::string text = line + "\n";
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = write(STDERR_FILENO, p, left);
        if (n <= 0)
            break;
        p += n;
        left -= static_cast<size_t>(n);
    }
}

int CrashMessageBox(const std::string& title, const std::string& message,
                    const std::vector<std::string>& buttons, int defaultButton)
{
    if (!CrashHeadless() && !buttons.empty()) {
        std::vector<SDL_MessageBoxButtonData> data(buttons.size());
        for (size_t i = 0; i < buttons.size(); ++i) {
            data[i].flags = static_cast<int>(i) == defaultButton ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
            data[i].buttonid = static_cast<int>(i);
            data[i].text = buttons[i].c_str();
        }
        SDL_MessageBoxData box{};
        box.flags = SDL_MESSAGEBOX_ERROR;
        box.title = title.c_str();
        box.message = message.c_str();
        box.numbuttons = static_cast<int>(data.size());
        box.buttons = data.data();
        int chosen = -1;
        if (SDL_ShowMessageBox(&box, &chosen) == 0)
            return chosen >= 0 && chosen < static_cast<int>(buttons.size()) ? chosen : -1;
    }
    std::string line = title + ": " + message.substr(0, message.find('\n'));
    if (defaultButton >= 0 && defaultButton < static_cast<int>(buttons.size()))
        line += " [no display; taking \"" + buttons[static_cast<size_t>(defaultButton)] + "\"]";
    CrashLog(line);
    return defaultButton;
}

#if defined(__clang__)
__attribute__((no_sanitize("address", "undefined")))
#else
__attribute__((no_sanitize_address, no_sanitize_undefined))
#endif
void CrashWriteToNull()
{
    char* volatile target = nullptr;
    *target = 0;
}

} // namespace plat

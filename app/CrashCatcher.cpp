// The crash catcher: the report text, "crash.txt", the application's part of the report and
// the crash windows, which run in a child process.
//
// The fault handler runs on a stack of its own with the process in an unknown state. It first
// writes the core of the report (place, stack, registers, system) with calls that take no lock
// and allocate nothing, so that a report exists even when the heap is broken. Then, bounded by
// an alarm, it does what needs the heap: readable names, the application's hooks, the map-file
// annotation, the demo, and it writes the whole report over the first one.
#include "app/CrashCatcher.h"

#include "app/Buffer.h"
#include "app/Common.h"
#include "app/HTTPTransfer.h"
#include "app/QuorAppBase.h"
#include "display/DDInterface.h"
#include "platform/Files.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <thread>
#include <tuple>
#include <vector>

namespace Quor {

std::string gCrashMessage = "An unexpected error has occured!";
std::string gCrashSubmitPrompt =
    "Please help out by providing as much information as you can about this crash.";
std::string gCrashConnectFailed = "Failed to connect to server.";

QuorAppBase* CrashCatcher::mApp = nullptr;
std::string CrashCatcher::mErrorTitle;
std::string CrashCatcher::mErrorText;
std::string CrashCatcher::mUserText;
std::string CrashCatcher::mAttachmentFile;
bool CrashCatcher::mAttach = false;
std::atomic<bool> CrashCatcher::mClosed{false};
int CrashCatcher::mSubmitTicks = 0;

namespace {

// How long the crash windows may stay open before the crashed program ends anyway.
constexpr unsigned kCrashWindowSeconds = 15 * 60;

const struct {
    uint32_t code;
    const char* name;
} kExceptionNames[] = {
    {0x40000005, "Segment Notification"},
    {0x80000003, "Breakpoint"},
    {0x80000004, "Single step"},
    {0x0, "Wait 0"},
    {0x80, "Abandoned Wait 0"},
    {0xC0, "User APC"},
    {0x102, "Timeout"},
    {0x103, "Pending"},
    {0x80000001, "Guard Page Violation"},
    {0x80000002, "Data Type Misalignment"},
    {0xC0000005, "Access Violation"},
    {0xC0000006, "In Page Error"},
    {0xC0000017, "No Memory"},
    {0xC000001D, "Illegal Instruction"},
    {0xC0000025, "Noncontinuable Exception"},
    {0xC0000026, "Invalid Disposition"},
    {0xC000008C, "Array Bounds Exceeded"},
    {0xC000008D, "Float Denormal Operand"},
    {0xC000008E, "Divide by Zero"},
    {0xC000008F, "Float Inexact Result"},
    {0xC0000090, "Float Invalid Operation"},
    {0xC0000091, "Float Overflow"},
    {0xC0000092, "Float Stack Check"},
    {0xC0000093, "Float Underflow"},
    {0xC0000094, "Integer Divide by Zero"},
    {0xC0000095, "Integer Overflow"},
    {0xC0000096, "Privileged Instruction"},
    {0xC00000FD, "Stack Overflow"},
    {0xC000013A, "Ctrl+C Exit"},
};

const char* const kBoundary = "---------------------------7d3e1f30eec";
constexpr int kMaxFrames = 128;
constexpr size_t kReportCapacity = 512 * 1024;

char gReportBuffer[kReportCapacity];
plat::CrashFrame gFrames[kMaxFrames];
plat::CrashLocation gLocation;

// Text into a fixed buffer, without allocating; what does not fit is dropped.
class TextOut {
public:
    TextOut(char* buffer, size_t capacity) : mBuffer(buffer), mCapacity(capacity) {}

    void Add(const char* text, size_t len)
    {
        while (len-- > 0 && mLen + 1 < mCapacity)
            mBuffer[mLen++] = *text++;
        mBuffer[mLen] = 0;
    }
    void Add(const char* text)
    {
        size_t n = 0;
        while (text[n])
            ++n;
        Add(text, n);
    }
    // Upper-case (or lower-case) hexadecimal, at least minDigits digits, never cut.
    void Hex(uint64_t value, int minDigits, bool upper = true)
    {
        const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
        char tmp[17];
        int n = 0;
        do {
            tmp[n++] = digits[value & 15];
            value >>= 4;
        } while (value != 0);
        while (n < minDigits && n < 16)
            tmp[n++] = '0';
        char out[17];
        for (int i = 0; i < n; ++i)
            out[i] = tmp[n - 1 - i];
        Add(out, static_cast<size_t>(n));
    }
    size_t Size() const { return mLen; }
    const char* Data() const { return mBuffer; }

private:
    char* mBuffer;
    size_t mCapacity;
    size_t mLen = 0;
};

const char* FileNameOf(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\')
            name = p + 1;
    return name;
}

// "Module: ..." and "Logical Address: ..." of the fault; returns the section and offset.
void AddPlace(TextOut& out, uintptr_t address, int& section, uintptr_t& offset)
{
    if (plat::CrashLocate(address, gLocation)) {
        section = gLocation.section;
        offset = gLocation.offset;
        out.Add("Module: ");
        out.Add(FileNameOf(gLocation.modulePath));
    } else { // in no module: the address itself
        section = 0;
        offset = address;
        out.Add("Module: unknown");
    }
    out.Add("\r\nLogical Address: ");
    out.Hex(static_cast<uint64_t>(section), 4);
    out.Add(":");
    out.Hex(offset, 8);
    out.Add("\r\n\r\n");
}

void AddLocation(TextOut& out, uintptr_t address)
{
    if (plat::CrashLocate(address, gLocation)) {
        out.Hex(static_cast<uint64_t>(gLocation.section), 4);
        out.Add(":");
        out.Hex(gLocation.offset, 8);
        out.Add(" ");
        out.Add(FileNameOf(gLocation.modulePath));
    } else {
        out.Add("0000:");
        out.Hex(address, 8);
        out.Add(" unknown");
    }
}

// The stack: the unwinder's walk with symbol names, or, when it gives nothing, the walk along
// the saved frame pointers. readableNames turns mangled names into readable ones (allocates).
void AddStack(TextOut& out, const plat::CrashInfo& info, bool readableNames)
{
    int count = plat::CrashUnwindStack(info, gFrames, kMaxFrames);
    if (count > 0) {
        for (int i = 0; i < count; ++i) {
            const plat::CrashFrame& f = gFrames[i];
            out.Hex(f.pc, 8);
            out.Add(" ");
            out.Hex(f.frame, 8);
            out.Add(" ");
            // Callers' program counters are return addresses: look up the call before them.
            uintptr_t lookup = i > 0 && f.pc > 0 ? f.pc - 1 : f.pc;
            const char* name = nullptr;
            uintptr_t displacement = 0;
            std::string readable;
            if (plat::CrashSymbol(lookup, name, displacement)) {
                if (readableNames && plat::CrashDemangle(name, readable))
                    name = readable.c_str();
                out.Add(name);
                out.Add("+");
                out.Hex(displacement + (f.pc - lookup), 1);
            } else {
                AddLocation(out, f.pc);
            }
            out.Add("\r\nParams:");
            for (uintptr_t p : f.params) {
                out.Add(" ");
                out.Hex(p, 8);
            }
            out.Add("\r\n\r\n");
        }
        return;
    }
    count = plat::CrashWalkFramePointers(info, gFrames, kMaxFrames);
    for (int i = 0; i < count; ++i) {
        out.Hex(gFrames[i].pc, 8);
        out.Add("  ");
        out.Hex(gFrames[i].frame, 8);
        out.Add("  ");
        AddLocation(out, gFrames[i].pc);
        out.Add("\r\n");
    }
}

void AddRegisters(TextOut& out, const plat::CrashRegisters& r)
{
    const struct {
        const char* label;
        uint64_t value;
    } general[] = {{"EAX:", r.ax}, {" EBX:", r.bx}, {" ECX:", r.cx}, {" EDX:", r.dx}, {" ESI:", r.si}, {" EDI:", r.di}};
    for (const auto& g : general) {
        out.Add(g.label);
        out.Hex(g.value, 8);
    }
    out.Add("\r\nEIP:");
    out.Hex(r.ip, 8);
    out.Add(" ESP:");
    out.Hex(r.sp, 8);
    out.Add("  EBP:");
    out.Hex(r.bp, 8);
    const struct {
        const char* label;
        uint16_t value;
    } segments[] = {{"\r\nCS:", r.cs}, {" SS:", r.ss}, {" DS:", r.ds}, {" ES:", r.es}, {" FS:", r.fs}, {" GS:", r.gs}};
    for (const auto& s : segments) {
        out.Add(s.label);
        out.Hex(s.value, 4);
    }
    out.Add("\r\nFlags:");
    out.Hex(r.flags, 8);
    out.Add("\r\n\r\n");
}

// Exception line, place, stack and registers; sets the error title's numbers.
void AddCore(TextOut& out, const plat::CrashInfo& info, bool readableNames, int& section, uintptr_t& offset)
{
    const char* name = CrashCatcher::GetExceptionName(info.code);
    if (name != nullptr) {
        out.Add("Exception: ");
        out.Add(name);
        out.Add(" (code 0x");
    } else {
        out.Add("Unknown exception: (code 0x");
    }
    out.Hex(info.code, 1, false);
    out.Add(") at address ");
    out.Hex(info.address, 8);
    out.Add(" in thread ");
    out.Hex(info.threadId, 1);
    out.Add("\r\n");
    AddPlace(out, info.address, section, offset);
    AddStack(out, info, readableNames);
    out.Add("\r\n");
    AddRegisters(out, info.regs);
}

void AddSystemLine(TextOut& out)
{
    char system[512];
    plat::CrashSystemName(system, sizeof system);
    out.Add("OS Ver: ");
    out.Add(system);
    out.Add("\r\n");
}

// The first report, written before anything that may need the heap or a lock.
void WriteCoreReport(const plat::CrashInfo& info)
{
    TextOut out(gReportBuffer, kReportCapacity);
    int section = 0;
    uintptr_t offset = 0;
    AddCore(out, info, false, section, offset);
    AddSystemLine(out);
    out.Add("\r\n"); // the line end that follows the report in the file
    plat::CrashWriteFile("crash.txt", out.Data(), out.Size());
}

#ifndef QUOR_FUZZING // fuzz targets keep their own fault handling
void OnCrash(const plat::CrashInfo& info) { CrashCatcher::ExceptionFilter(info); }
#endif

// A message box cannot scroll: it shows the head of the report, which names the exception,
// its place and the innermost frames, with long lines cut.
std::string ReportForBox(const std::string& report)
{
    constexpr int kLines = 16;
    constexpr size_t kWidth = 80;
    std::string out;
    size_t start = 0;
    for (int i = 0; i < kLines && start < report.size(); ++i) {
        size_t end = report.find('\n', start);
        std::string line = report.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > kWidth)
            line = line.substr(0, kWidth - 3) + "...";
        out += line + "\n";
        start = end == std::string::npos ? report.size() : end + 1;
    }
    if (start < report.size())
        out += "...\n(The whole report is in crash.txt.)";
    return out;
}

int CrashWindowProcess(void*)
{
    CrashCatcher::mClosed = false;
    while (!CrashCatcher::mClosed) {
        CrashCatcher::Button buttons[2];
        int count = CrashCatcher::GetCrashWindowButtons(buttons);
        std::vector<std::string> labels;
        for (int i = 0; i < count; ++i)
            if (buttons[i].enabled) // a message box has no disabled buttons: leave it out
                labels.push_back(buttons[i].text);
        int closeNow = static_cast<int>(labels.size()) - 1; // "Close Now" is always the last
        int chosen = plat::CrashMessageBox("Fatal Error!", gCrashMessage + "\n\n" + ReportForBox(CrashCatcher::mErrorText),
                                           labels, closeNow);
        if (chosen < 0 || chosen == closeNow)
            CrashCatcher::mClosed = true;
        else
            CrashCatcher::ShowSubmitInfoWindow();
    }
    return 0;
}

// A map file's symbols and source lines, keyed by (section, offset).
struct MapTables {
    std::map<std::pair<unsigned, unsigned>, std::string> symbols;
    std::map<std::pair<unsigned, unsigned>, std::pair<std::string, int>> lines;
};

bool ParseHex(const std::string& text, size_t at, size_t len, unsigned& value)
{
    if (at + len > text.size())
        return false;
    value = 0;
    for (size_t i = at; i < at + len; ++i) {
        char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else
            return false;
        value = value * 16 + digit;
    }
    return true;
}

MapTables ReadMap(const std::string& mapText)
{
    MapTables t;
    std::string source;
    bool inBlock = false;
    size_t start = 0;
    while (start < mapText.size()) {
        size_t end = mapText.find('\n', start);
        if (end == std::string::npos)
            end = mapText.size();
        std::string line = mapText.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();

        unsigned section = 0, offset = 0;
        if (line.size() >= 23 && line[5] == ':') {
            if (ParseHex(line, 1, 4, section) && ParseHex(line, 6, 8, offset)) {
                std::string name;
                if (line[20] == ' ') {
                    size_t nameEnd = line.find(' ', 21);
                    name = line.substr(21, nameEnd == std::string::npos ? std::string::npos : nameEnd - 21);
                }
                t.symbols[{section, offset}] = name;
            }
        } else if (line.compare(0, 12, "Line numbers") == 0) {
            size_t open = line.find('(');
            size_t close = line.rfind(')');
            source = open != std::string::npos && close != std::string::npos && close > open
                         ? line.substr(open + 1, close - open - 1)
                         : std::string();
            inBlock = true;
        } else if (inBlock && line.size() == 80) {
            for (size_t e = 0; e < 80; e += 20) {
                std::string number = StringTrim(line.substr(e, 6));
                int lineNumber = 0;
                if (line[e + 6] != ' ' || line[e + 11] != ':' || !StringToInt(number, &lineNumber) ||
                    !ParseHex(line, e + 7, 4, section) || !ParseHex(line, e + 12, 8, offset))
                    continue;
                t.lines[{section, offset}] = {source, lineNumber};
            }
        }
    }
    return t;
}

template <class Map>
typename Map::const_iterator NearestAtOrBelow(const Map& map, unsigned section, unsigned offset)
{
    auto it = map.upper_bound({section, offset});
    if (it == map.begin())
        return map.end();
    --it;
    return it->first.first == section ? it : map.end();
}

std::string ReadMapFileOfCurrentFolder()
{
    std::vector<plat::FindData> found = plat::FindFiles("*.map");
    for (const plat::FindData& f : found) {
        if (f.isDirectory || f.size > (64 << 20))
            continue;
        std::vector<uint8_t> data;
        if (plat::ReadWholeFile(f.name, &data))
            return std::string(data.begin(), data.end());
        break;
    }
    return std::string();
}

} // namespace

void CrashCatcher::Install()
{
#ifndef QUOR_FUZZING
    plat::CrashInstall(OnCrash);
#endif
}

void CrashCatcher::Uninstall()
{
#ifndef QUOR_FUZZING
    plat::CrashUninstall();
#endif
}

const char* CrashCatcher::GetExceptionName(uint32_t code)
{
    for (const auto& e : kExceptionNames)
        if (e.code == code)
            return e.name;
    return nullptr;
}

int CrashCatcher::ExceptionFilter(const plat::CrashInfo& info)
{
    WriteCoreReport(info);
    // What follows may need the heap; should it hang, the process ends with the first report.
    plat::CrashSetAlarm(20);
    if (mApp != nullptr)
        mApp->OnFatalException();
    HandleCrash(info);
    return 0;
}

void CrashCatcher::HandleCrash(const plat::CrashInfo& info)
{
    TextOut out(gReportBuffer, kReportCapacity);
    int section = 0;
    uintptr_t offset = 0;
    AddCore(out, info, true, section, offset);
    std::string report(out.Data(), out.Size());
    std::string title = StrFormat("Exception at %04X:%08llX", section, static_cast<unsigned long long>(offset));

    report += GetSystemInfo();
    if (mApp != nullptr) {
        std::string appInfo;
        mApp->GetCrashReportInfo(appInfo);
        if (!appInfo.empty())
            report += "\r\n" + appInfo;
    }
    std::string mapText = ReadMapFileOfCurrentFolder();
    if (!mapText.empty())
        report = AnnotateWithMapFile(report, mapText);
    WriteCrashFile(report);

    if (mApp != nullptr) {
        if (mApp->mRecordingDemo) {
            // A filler record carries the demo's time up to the crash.
            mApp->WriteDemoTimingBlock();
            mApp->mDemoBuffer.WriteNumBits(0, 1);
            mApp->mDemoBuffer.WriteNumBits(31, 5);
            mApp->WriteDemoFile();
        }
        mAttachmentFile = mApp->mDemoFileName;
        mAttach = mApp->mRecordingDemo;
        std::string extra = mApp->GetCrashAttachmentFile();
        if (!extra.empty()) {
            mAttachmentFile = extra;
            mAttach = true;
        }
        mApp->mRecordingDemo = false;
        // The cursor thread reads the flag under the display lock.
        std::optional<DDInterface::AutoLock> aLock;
        if (mApp->mDdInterface != nullptr)
            aLock.emplace(mApp->mDdInterface->mCritSect);
        mApp->mPlayingDemo = false;
    }

    plat::CrashSetAlarm(0); // the user may take the time needed in the windows
    ShowCrashWindow(title, report);
}

bool CrashCatcher::WriteCrashFile(const std::string& text)
{
    // The report's own "\r\n" line ends reach the file unchanged; one more line end follows.
    std::string file = text + "\r\n";
    return plat::CrashWriteFile("crash.txt", file.data(), file.size());
}

std::string CrashCatcher::GetSystemInfo()
{
    char system[512];
    plat::CrashSystemName(system, sizeof system);
    std::string text = std::string("OS Ver: ") + system + "\r\n";
    if (mApp != nullptr) {
        text += "DDraw Ver: " + mApp->GetProductVersion(plat::CrashSystemLibraryPath("ddraw.dll")) + "\r\n";
        text += "DSound Ver: " + mApp->GetProductVersion(plat::CrashSystemLibraryPath("dsound.dll")) + "\r\n";
    }
    return text;
}

int CrashCatcher::GetCrashWindowButtons(Button buttons[2])
{
    if (ReportHost.empty()) {
        buttons[0] = {"Close Now", 8, 268, 384, 24, true};
        return 1;
    }
    const int width = (49 - 2) * 8 / 2;
    buttons[0] = {"Send Report", 8, 268, width, 24, mApp != nullptr};
    buttons[1] = {"Close Now", 8 + width + 8, 268, width, 24, true};
    return 2;
}

void CrashCatcher::ShowCrashWindow(const std::string& title, const std::string& text)
{
    mErrorTitle = title;
    mErrorText = text;
    // The windows run in a child process: the crashed process has only this thread left in a
    // usable state, and a fault in the window code cannot take the report with it.
    // The user gets a generous time in them, but a window that hangs cannot keep the crashed
    // program from ending.
    plat::CrashRunInChild(CrashWindowProcess, nullptr, kCrashWindowSeconds);
}

void CrashCatcher::ShowSubmitInfoWindow()
{
    // The details window offers no text entry here (message boxes only): the user text stays
    // empty.
    int chosen = plat::CrashMessageBox("Error Details", gCrashSubmitPrompt, {"Continue", "Abort"}, 1);
    if (chosen != 0) {
        mClosed = true;
        return;
    }
    mUserText.clear();
    std::thread(SubmitReport).detach();
    ShowProgressWindow();
}

std::string CrashCatcher::GetProgressText(int ticks)
{
    std::string text = "Please Wait";
    for (int i = 0; i < ticks % 10; ++i)
        text += " .";
    return text;
}

void CrashCatcher::ShowProgressWindow()
{
    using Clock = std::chrono::steady_clock;
    mSubmitTicks = 0;
    plat::CrashLog("Submitting Report: " + GetProgressText(0));
    Clock::time_point nextTick = Clock::now() + std::chrono::seconds(1);
    while (!mClosed) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (Clock::now() >= nextTick) {
            nextTick += std::chrono::seconds(1);
            ++mSubmitTicks;
            plat::CrashLog("Submitting Report: " + GetProgressText(mSubmitTicks));
        }
        int result = gHTTPTransfer.GetResult();
        if (result == HTTPTransfer::RESULT_NOT_STARTED || result == HTTPTransfer::RESULT_NOT_COMPLETED)
            continue;
        if (result == HTTPTransfer::RESULT_DONE || result == HTTPTransfer::RESULT_ABORTED) {
            mClosed = true;
            continue;
        }
        gHTTPTransfer.Reset();
        int chosen = plat::CrashMessageBox("Connection Failed", gCrashConnectFailed, {"Retry", "Cancel"}, 1);
        if (chosen == 0)
            std::thread(SubmitReport).detach();
        else
            mClosed = true;
    }
}

void CrashCatcher::SubmitReport()
{
    const std::string crlf = "\r\n";
    std::string body;
    auto part = [&](const std::string& headers, const std::string& value) {
        body += "--" + std::string(kBoundary) + crlf + headers + crlf + value + crlf;
    };
    auto field = [&](const std::string& name, const std::string& value) {
        part("Content-Disposition: form-data; name=\"" + name + "\"" + crlf, value);
    };

    std::map<std::string, std::string> fields;
    if (mApp != nullptr)
        mApp->GetCrashReportFields(fields);
    for (const auto& [name, value] : fields)
        field(name, value);
    field("prod", mApp != nullptr ? mApp->mProductName : std::string());
    field("version", mApp != nullptr ? mApp->mProductVersion : std::string());
    field("usertext", mUserText);
    field("errortitle", mErrorTitle);
    field("errortext", mErrorText);
    if (mAttach) {
        Buffer file;
        if (mApp != nullptr)
            mApp->ReadBufferFromFile(mAttachmentFile, &file);
        std::string bytes;
        if (file.GetDataPtr() != nullptr)
            bytes.assign(reinterpret_cast<const char*>(file.GetDataPtr()), static_cast<size_t>(file.GetDataLen()));
        part("Content-Disposition: form-data; name=\"demofile\"; filename=\"ondrel.dmo\"" + crlf +
                 "Content-Type: application/octet-stream" + crlf,
             bytes);
    }
    body += "--" + std::string(kBoundary) + "--" + crlf;

    std::string request = "POST /vantle_error.php HTTP/1.1" + crlf;
    request += "Content-Type: multipart/form-data; boundary=" + std::string(kBoundary) + crlf;
    request += "User-Agent: Mozilla/4.0 (compatible; ondrel)" + crlf;
    request += "Host: " + ReportHost + crlf;
    request += StrFormat("Content-Length: %d", static_cast<int>(body.size())) + crlf;
    request += "Connection: close" + crlf;
    request += crlf + body;
    gHTTPTransfer.Send(request);
}

std::string CrashCatcher::AnnotateWithMapFile(const std::string& report, const std::string& mapText)
{
    MapTables t = ReadMap(mapText);
    if (t.symbols.empty() && t.lines.empty())
        return report;
    std::string out;
    out.reserve(report.size());
    size_t copied = 0;
    for (size_t i = 4; i + 8 < report.size(); ++i) {
        unsigned section = 0, offset = 0;
        if (report[i] != ':' || !ParseHex(report, i - 4, 4, section) || !ParseHex(report, i + 1, 8, offset))
            continue;
        std::string note;
        auto sym = NearestAtOrBelow(t.symbols, section, offset);
        if (sym != t.symbols.end()) {
            std::string name = sym->second;
            std::string readable;
            if (plat::CrashDemangle(name.c_str(), readable))
                name = readable;
            note += " " + name;
            if (offset != sym->first.second)
                note += StrFormat("+0x%X", offset - sym->first.second);
        }
        auto line = NearestAtOrBelow(t.lines, section, offset);
        if (line != t.lines.end())
            note += StrFormat("\r\n    %s line %d +0x%X", line->second.first.c_str(), line->second.second,
                              offset - line->first.second);
        size_t after = i + 9;
        out.append(report, copied, after - copied);
        out += note;
        copied = after;
        i = after - 1;
    }
    out.append(report, copied, std::string::npos);
    return out;
}

namespace {

// Installed before main runs, removed at exit.
struct CrashCatcherInstaller {
    CrashCatcherInstaller() { CrashCatcher::Install(); }
    ~CrashCatcherInstaller() { CrashCatcher::Uninstall(); }
} gCrashCatcherInstaller;

} // namespace

} // namespace Quor

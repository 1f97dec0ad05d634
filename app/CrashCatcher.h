// The crash catcher: turns a fault anywhere in the process into the report "crash.txt" and the
// "Fatal Error!" window, from which the report can be sent to the report server (ReportHost).
// Installed by a static initialiser before main runs.
#pragma once

#include "platform/Crash.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace Quor {

class QuorAppBase;

// Texts of the crash windows.
extern std::string gCrashMessage;
extern std::string gCrashSubmitPrompt;
extern std::string gCrashConnectFailed;

class CrashCatcher {
public:
    static void Install();
    static void Uninstall();

    // The fault handler: writes the report, lets the application react, shows the windows.
    // Returns 0: the process then ends by its fault.
    static int ExceptionFilter(const plat::CrashInfo& info);
    static void HandleCrash(const plat::CrashInfo& info);
    static bool WriteCrashFile(const std::string& text);
    static std::string GetSystemInfo();
    static void ShowCrashWindow(const std::string& title, const std::string& text);
    static void ShowSubmitInfoWindow();
    static void ShowProgressWindow();
    static void SubmitReport();

    // The name the report gives an exception code, or nullptr for a code it does not know.
    static const char* GetExceptionName(uint32_t code);
    // Inserts symbol names and source lines from a linker map file after every
    // "SSSS:OOOOOOOO" address in the report.
    static std::string AnnotateWithMapFile(const std::string& report, const std::string& mapText);
    // The progress text after the given number of seconds.
    static std::string GetProgressText(int ticks);

    // A button of the crash window: its text and place in the 400 x 300 client area.
    struct Button {
        const char* text;
        int x, y, width, height;
        bool enabled;
    };
    // The crash window's buttons: "Close Now" alone, or "Send Report" and "Close Now" when a
    // report server is set. Returns the count (1 or 2).
    static int GetCrashWindowButtons(Button buttons[2]);

    static QuorAppBase* mApp; // set by the application's constructor as its last act
    static std::string mErrorTitle;
    static std::string mErrorText;
    static std::string mUserText;
    static std::string mAttachmentFile;
    static bool mAttach;
    static std::atomic<bool> mClosed;
    static int mSubmitTicks;
};

} // namespace Quor

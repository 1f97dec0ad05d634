// QuorAppBase: reading the command line and acting on its options.
#include "app/QuorAppBase.h"

#include "app/Common.h"
#include "platform/Crash.h"
#include "platform/Shell.h"

#include <cstdlib>

namespace Quor {

void QuorAppBase::ParseCommandLine()
{
    std::string line = plat::GetCommandLine();
    std::string rest;
    bool haveRest = false;
    size_t start = 0;
    if (!line.empty() && line[0] == '"') {
        size_t close = line.find('"', 1);
        if (close != std::string::npos) {
            start = close + 1;
            haveRest = true;
        }
    } else {
        haveRest = true;
    }
    if (haveRest) {
        size_t space = line.find(' ', start);
        if (space != std::string::npos)
            rest = line.substr(space + 1);
    }
    mCmdLineParsed = true;
    SplitCommandLine(rest);
}

void QuorAppBase::SplitCommandLine(const std::string& text)
{
    bool inQuotes = false;
    bool inValue = false;
    std::string name;
    std::string value;
    // Every parameter starts afresh, also after one with an empty name (which is dropped), so
    // that "=x -play" still hands over "-play".
    auto finish = [&]() {
        std::string n = name;
        std::string v = value;
        name.clear();
        value.clear();
        inValue = false;
        if (!n.empty())
            HandleCmdLineParam(n, v);
    };
    for (size_t i = 0; i < text.size() && !mShutdown; ++i) {
        char c = text[i];
        bool endParam = false;
        if (c == '"') {
            inQuotes = !inQuotes;
            endParam = !inQuotes;
        } else if (c == ' ' && !inQuotes) {
            endParam = true;
        } else if (c == '=') {
            inValue = true;
        } else if (inValue) {
            value += c;
        } else {
            name += c;
        }
        if (endParam)
            finish();
    }
    if (!mShutdown)
        finish();
}

void QuorAppBase::HandleCmdLineParam(const std::string& name, const std::string& value)
{
    if (name == "-play") {
        mPlayingDemo = true;
        mRecordingDemo = false;
    } else if (name == "-recnum") {
        int count = std::atoi(value.c_str());
        if (count <= 0)
            count = 5;
        int number = GetDemoFileNum(count, true) + 1;
        // Numbered demo files are found, deleted, recorded and played in one folder: the
        // application-data folder.
        mDemoFileName = GetAppDataFolder() + mDemoFilePrefix + StrFormat("%d.dmo", number);
        mRecordingDemo = true;
        mPlayingDemo = false;
    } else if (name == "-playnum") {
        int index = std::atoi(value.c_str()) - 1;
        if (index < 0)
            index = 0;
        int number = GetDemoFileNum(-1, false) - index;
        mDemoFileName = GetAppDataFolder() + mDemoFilePrefix + StrFormat("%d.dmo", number);
        mPlayingDemo = true;
        mRecordingDemo = false;
    } else if (name == "-record") {
        mRecordingDemo = true;
        mPlayingDemo = false;
    } else if (name == "-demofile") {
        mDemoFileName = value;
        if (!IsAbsoluteDemoName(mDemoFileName))
            mDemoFileName = GetAppDataFolder() + mDemoFileName;
    } else if (name == "-crash") {
        // A deliberate fault, for the crash catcher: a one-byte write to address 0.
        plat::CrashWriteToNull();
    } else if (name == "-screensaver") {
        mIsScreenSaver = true;
    } else if (name == "-changedir") {
        mChangeDirTo = value;
    } else {
        Popup(GetString("INVALID_COMMANDLINE_PARAM", "Invalid command line parameter: ") + name);
        DoExit(1);
    }
}

} // namespace Quor

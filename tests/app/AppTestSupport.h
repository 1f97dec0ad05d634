// A test application derived from the application base, with a clock the test drives, and
// fakes of the sound manager and the music player that record what they are asked.
#pragma once

#include "app/QuorAppBase.h"
#include "tests/support/TestSupport.h"
#include "sound/MusicInterface.h"
#include "sound/SoundInstance.h"
#include "sound/SoundManager.h"

#include <atomic>
#include <string>
#include <vector>

namespace quortest {

// Time passes only when the loop sleeps (or the test advances it). The cursor thread reads it
// too.
class FakeClock : public Quor::AppClock {
public:
    std::atomic<uint32_t> mNow{1000};
    uint32_t mSleepCalls = 0;
    uint64_t mSlept = 0;

    uint32_t GetTime() override { return mNow; }
    uint32_t GetTickCount() override { return mNow; }
    void Sleep(uint32_t ms) override
    {
        ++mSleepCalls;
        mSlept += ms;
        mNow += ms;
    }
};

class FakeSoundInstance : public Quor::SoundInstance {
public:
    std::vector<std::string>* mLog;
    explicit FakeSoundInstance(std::vector<std::string>* log) : mLog(log) {}
    void Release() override { delete this; }
    void SetVolume(double) override {}
    void SetPan(int) override {}
    void AdjustPitch(double) override {}
    void SetBaseVolume(double v) override { mLog->push_back("volume " + std::to_string(v)); }
    void SetBasePan(int p) override { mLog->push_back("pan " + std::to_string(p)); }
    bool Play(bool looping, bool autoRelease) override
    {
        mLog->push_back(std::string("play ") + (looping ? "loop" : "once") +
                        (autoRelease ? " auto" : ""));
        if (autoRelease)
            delete this;
        return true;
    }
    void Stop() override {}
    bool IsPlaying() override { return false; }
    bool IsReleased() override { return false; }
    double GetVolume() override { return 1.0; }
};

class FakeSoundManager : public Quor::SoundManager {
public:
    std::vector<std::string> mLog;
    double mVolume = -1;
    double mMaster = 0.5;
    int mLoadedId = 3;

    bool Initialized() override { return true; }
    int LoadSound(const std::string&) override { return -1; }
    bool LoadSoundToId(int, const std::string&) override { return false; }
    void ReleaseSound(int) override {}
    void SetVolume(double v) override { mVolume = v; }
    bool SetBaseVolume(int, double) override { return true; }
    bool SetBasePan(int, int) override { return true; }
    Quor::SoundInstance* GetSoundInstance(int id) override
    {
        return id == mLoadedId ? new FakeSoundInstance(&mLog) : nullptr;
    }
    void ReleaseSounds() override {}
    void ReleaseChannels() override {}
    double GetMasterVolume() override { return mMaster; }
    void SetMasterVolume(double v) override { mMaster = v; }
    void SetCooperativeWindow(void*, bool) override {}
    void StopAllSounds() override { mLog.push_back("stop all"); }
    int GetFreeSoundId() override { return 0; }
    int GetNumSounds() override { return 0; }
};

class FakeMusic : public Quor::MusicInterface {
public:
    double mVolume = -1;
    int mUpdates = 0;
    void SetVolume(double v) override { mVolume = v; }
    void Update() override { ++mUpdates; }
};

// Readies an application to start as the tests start it: command line taken as read, no
// loading thread, no single-copy check, a window of the given size.
inline void PrepareWindowed(Quor::QuorAppBase& app, const std::string& product, int width, int height)
{
    app.mCmdLineParsed = true;
    app.mLoadingThreadWanted = false;
    app.mOnlyAllowOneCopyToRun = false;
    app.mProductName = product;
    app.mWidth = width;
    app.mHeight = height;
    app.mWindowed = true;
}

class TestApp : public Quor::QuorAppBase {
public:
    FakeClock mFakeClock;
    std::vector<int> mPressed;
    std::vector<int> mDepressed;
    std::vector<int> mRedrawUpdateCounts; // update count at each redraw step
    int mBringToFront = 0;
    int mShutdownAfterUpdates = -1;

    TestApp()
    {
        SetClock(&mFakeClock);
        // Init makes this folder current; files named without a folder stay in the scratch folder.
        mChangeDirTo = RunDir().string();
    }

    void ButtonPress(int id) override { mPressed.push_back(id); }
    void ButtonDepress(int id) override { mDepressed.push_back(id); }
    void BringToFront(int, int) override { ++mBringToFront; }
    bool Redraw() override
    {
        mRedrawUpdateCounts.push_back(mUpdateCount);
        return QuorAppBase::Redraw();
    }
    void UpdateFrames() override
    {
        QuorAppBase::UpdateFrames();
        if (mShutdownAfterUpdates >= 0 && mUpdateCount >= mShutdownAfterUpdates)
            Shutdown();
    }
};

} // namespace quortest

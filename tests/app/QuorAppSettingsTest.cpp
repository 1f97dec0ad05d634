// Settings kept through the application's registry operations, and the whole-file helpers.
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

#include "platform/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using quortest::TestApp;

namespace {

std::string SettingsFile(const std::string& key)
{
    return plat::SettingsFilePath("SOFTWARE\\" + key);
}

} // namespace

TEST(Settings, RunEndWritesTheNineValuesAndTheNextStartReadsThem)
{
    const std::string key = "QuorTest\\RoundTrip";
    {
        TestApp app;
        app.mRegistryKey = key;
        app.mMusicVolume = 0.857;
        app.mSfxVolume = 0.3;
        app.mWindowed = true;
        app.mPreferredX = 12;
        app.mPreferredY = -1;
        app.mCustomCursorsEnabled = true;
        app.mWaitForVSync = true;
        app.Mute(false); // a user mute is kept
        app.WriteToRegistry();
    }
    TestApp app;
    app.mRegistryKey = key;
    app.ReadFromRegistry();
    EXPECT_DOUBLE_EQ(app.mMusicVolume, 0.85);
    EXPECT_DOUBLE_EQ(app.mSfxVolume, 0.3);
    EXPECT_EQ(app.mMuteCount, 1);
    EXPECT_TRUE(app.mWindowed);
    EXPECT_EQ(app.mPreferredX, 12);
    EXPECT_EQ(app.mPreferredY, -1);
    EXPECT_TRUE(app.mCustomCursorsEnabled);
    EXPECT_TRUE(app.mWaitForVSync);
    EXPECT_TRUE(app.mLastShutdownWasGraceful);
    int inProgress = 0;
    ASSERT_TRUE(app.RegistryReadInteger("InProgress", &inProgress));
    EXPECT_EQ(inProgress, 1); // set while running

    // A run that never wrote its settings back leaves the marker: the next start sees it.
    TestApp next;
    next.mRegistryKey = key;
    next.ReadFromRegistry();
    EXPECT_FALSE(next.mLastShutdownWasGraceful);
}

TEST(Settings, PlayedDemoClearsTheRunningMarkOnly)
{
    const std::string key = "QuorTest\\PlayedDemo";
    {
        TestApp app;
        app.mRegistryKey = key;
        app.ReadFromRegistry(); // before the command line: the mark reaches the disk
        app.mPlayingDemo = true;
        app.mDemoWindowClosed = true; // the stream has ended: writes report success
        app.mMusicVolume = 0.11;
        app.WriteToRegistry();
    }
    TestApp next;
    next.mRegistryKey = key;
    next.ReadFromRegistry();
    EXPECT_TRUE(next.mLastShutdownWasGraceful);
    int volume = -1;
    EXPECT_FALSE(next.RegistryReadInteger("MusicVolume", &volume)); // the demo's settings stay off the disk
}

TEST(Settings, MutedStoresOnlyTheUserMute)
{
    struct Case {
        bool autoMute;
        int stored;
    } cases[] = {{true, 0}, {false, 1}};
    for (const Case& c : cases) {
        TestApp app;
        app.mRegistryKey = "QuorTest\\Muted";
        app.Mute(c.autoMute);
        app.WriteToRegistry();
        int muted = -1;
        ASSERT_TRUE(app.RegistryReadInteger("Muted", &muted));
        EXPECT_EQ(muted, c.stored) << c.autoMute;
    }
}

TEST(Settings, ScreenSaverLeavesInProgressAlone)
{
    TestApp app;
    app.mRegistryKey = "QuorTest\\ScreenSaver";
    app.mIsScreenSaver = true;
    app.ReadFromRegistry();
    int value = 0;
    EXPECT_FALSE(app.RegistryReadInteger("InProgress", &value));
}

TEST(Settings, SubKeysTypesAndMissingValues)
{
    TestApp app;
    app.mRegistryKey = "QuorTest\\Types";
    ASSERT_TRUE(app.RegistryWriteInteger("D3DTester\\Reason", 7));
    ASSERT_TRUE(app.RegistryWriteString("D3DTester\\Text", "caf\xE9 ok"));
    int number = 0;
    EXPECT_FALSE(app.RegistryReadInteger("Reason", &number)); // not in the main key
    ASSERT_TRUE(app.RegistryReadInteger("D3DTester\\Reason", &number));
    EXPECT_EQ(number, 7);
    std::string text;
    ASSERT_TRUE(app.RegistryReadString("D3DTester\\Text", &text));
    EXPECT_EQ(text, "caf\xE9 ok");
    // A string where a number is expected is ignored and the value stays untouched.
    number = 42;
    EXPECT_FALSE(app.RegistryReadInteger("D3DTester\\Text", &number));
    EXPECT_EQ(number, 42);
    EXPECT_TRUE(std::filesystem::exists(SettingsFile("QuorTest\\Types\\D3DTester")));
    EXPECT_TRUE(app.RegistryEraseValue("D3DTester\\Reason"));
    EXPECT_FALSE(app.RegistryReadInteger("D3DTester\\Reason", &number));
}

TEST(Settings, EmptyKeyReadsAndWritesNothing)
{
    TestApp app;
    app.mRecordingDemo = true;
    EXPECT_FALSE(app.RegistryWriteInteger("MusicVolume", 5));
    int value = 0;
    EXPECT_FALSE(app.RegistryReadInteger("MusicVolume", &value));
    EXPECT_EQ(app.mDemoBuffer.GetDataLen(), 0); // nothing recorded
}

TEST(Settings, CorruptFileGivesDefaults)
{
    const std::string key = "QuorTest\\Corrupt";
    std::filesystem::create_directories(std::filesystem::path(SettingsFile(key)).parent_path());
    quortest::WriteFile(SettingsFile(key), std::string("QuorSettings 1\nMusicVolume=dword 12x\n"));
    TestApp app;
    app.mRegistryKey = key;
    app.ReadFromRegistry();
    EXPECT_DOUBLE_EQ(app.mMusicVolume, 0.85);
    // The store works again after the next write.
    int value = 0;
    ASSERT_TRUE(app.RegistryReadInteger("InProgress", &value));
    EXPECT_EQ(value, 1);
}

TEST(Settings, FailedWriteIsReportedAndRecordedAsFailed)
{
    // A file where the key's folder must go: the write cannot succeed.
    const std::string key = "QuorTest\\Blocked";
    std::string folder = std::filesystem::path(SettingsFile(key + "\\Sub")).parent_path();
    std::filesystem::create_directories(std::filesystem::path(folder).parent_path());
    quortest::WriteFile(folder, std::string("in the way"));
    TestApp app;
    app.mRegistryKey = key;
    app.mRecordingDemo = true;
    EXPECT_FALSE(app.RegistryWriteInteger("Sub\\Value", 1));
    // The demo stream holds command 12 with the failure bit.
    app.mDemoBuffer.SeekFront();
    EXPECT_EQ(app.mDemoBuffer.ReadNumBits(4, false), 0);
    EXPECT_EQ(app.mDemoBuffer.ReadNumBits(1, false), 0);
    EXPECT_EQ(app.mDemoBuffer.ReadNumBits(5, false), 12);
    EXPECT_EQ(app.mDemoBuffer.ReadNumBits(1, false), 0);
}

TEST(Settings, PlaybackConsumesTheWholeRecordedValue)
{
    const std::string key = "QuorTest\\Playback";
    TestApp recorder;
    recorder.mRegistryKey = key;
    ASSERT_TRUE(recorder.RegistryWriteString("Long", "0123456789"));
    recorder.mRecordingDemo = true;
    uint8_t bytes[64];
    uint32_t type = 0;
    uint32_t length = sizeof(bytes);
    ASSERT_TRUE(recorder.RegistryRead("Long", &type, bytes, &length));
    ASSERT_TRUE(recorder.RegistryWriteInteger("After", 5));

    TestApp player;
    player.mRegistryKey = key;
    player.mPlayingDemo = true;
    player.mDemoBuffer.SetData(recorder.mDemoBuffer.GetDataPtr(),
                               recorder.mDemoBuffer.GetDataLen());
    uint8_t small[4] = {};
    length = sizeof(small);
    ASSERT_TRUE(player.RegistryRead("Long", &type, small, &length));
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(small), 4), "0123");
    // The next record is still read in step: the write's recorded success.
    EXPECT_TRUE(player.RegistryWriteInteger("After", 6));
    int after = 0;
    ASSERT_TRUE(recorder.RegistryReadInteger("After", &after));
    EXPECT_EQ(after, 5); // playback did not touch the store
}

TEST(WholeFile, WriteReadAndFailureKeepsTheOldFile)
{
    quortest::TempDir dir;
    TestApp app;
    std::string name = dir.File("deep/er/profile.dat");
    Quor::Buffer out;
    out.WriteString("profile");
    out.WriteLong(1234);
    ASSERT_TRUE(app.WriteBufferToFile(name, &out));
    Quor::Buffer in;
    ASSERT_TRUE(app.ReadBufferFromFile(name, &in));
    EXPECT_EQ(in.ReadString(), "profile");
    EXPECT_EQ(in.ReadLong(), 1234);

    // A folder where the temporary file would go cannot be written: failure, old file kept.
    std::filesystem::permissions(dir.File("deep/er"), std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::owner_exec);
    bool writable = ::access(dir.File("deep/er").c_str(), W_OK) == 0; // root ignores modes
    if (!writable) {
        EXPECT_FALSE(app.WriteBytesToFile(name, "x", 1));
        Quor::Buffer again;
        ASSERT_TRUE(app.ReadBufferFromFile(name, &again));
        EXPECT_EQ(again.ReadString(), "profile");
    }
    std::filesystem::permissions(dir.File("deep/er"), std::filesystem::perms::owner_all);

    // A file in place of a folder always fails.
    quortest::WriteFile(dir.File("plain"), std::string("x"));
    EXPECT_FALSE(app.WriteBytesToFile(dir.File("plain/sub/file.dat"), "x", 1));
    Quor::Buffer missing;
    EXPECT_FALSE(app.ReadBufferFromFile(dir.File("nothing.dat"), &missing));
}

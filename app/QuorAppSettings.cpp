// QuorAppBase: the settings store ("registry"), the settings written at the end of a run, and
// the whole-file helpers. All of them take part in demo recording and playback.
#include "app/QuorAppBase.h"

#include "app/Buffer.h"
#include "app/Common.h"
#include "platform/Files.h"
#include "platform/Settings.h"
#include "resources/PakInterface.h"

#include <cstring>
#include <vector>

namespace Quor {

namespace {

enum DemoCommand {
    DEMO_REGISTRY_READ = 11,
    DEMO_REGISTRY_WRITE = 12,
    DEMO_FILE_READ = 15,
    DEMO_FILE_WRITE = 16,
};

// Splits "sub\name" into the key path below the application's key and the value's name.
void SplitValueName(const std::string& registryKey, const std::string& valueName,
                    std::string* keyPath, std::string* name)
{
    *keyPath = "SOFTWARE\\" + registryKey;
    size_t slash = valueName.rfind('\\');
    if (slash == std::string::npos) {
        *name = valueName;
        return;
    }
    *keyPath += "\\" + valueName.substr(0, slash);
    *name = valueName.substr(slash + 1);
}

} // namespace

void QuorAppBase::WriteDemoResult(int command, bool success)
{
    WriteDemoTimingBlock();
    mDemoBuffer.WriteNumBits(0, 1);
    mDemoBuffer.WriteNumBits(command, 5);
    mDemoBuffer.WriteNumBits(success ? 1 : 0, 1);
}

bool QuorAppBase::ReadDemoResult()
{
    ReadDemoTimingBlock();
    mDemoNeedsCommand = true;
    return mDemoBuffer.ReadNumBits(1, false) != 0;
}

bool QuorAppBase::RegistryWrite(const std::string& valueName, uint32_t type, const uint8_t* data,
                                uint32_t length)
{
    if (mRegistryKey.empty())
        return false;
    if (mPlayingDemo) {
        if (mDemoWindowClosed)
            return true;
        return ReadDemoResult();
    }
    std::string keyPath;
    std::string name;
    SplitValueName(mRegistryKey, valueName, &keyPath, &name);
    // A write that does not reach the file is reported as failed.
    bool success = plat::SettingsWrite(keyPath, name, type, data, length);
    if (mRecordingDemo)
        WriteDemoResult(DEMO_REGISTRY_WRITE, success);
    return success;
}

bool QuorAppBase::RegistryWriteString(const std::string& valueName, const std::string& text)
{
    return RegistryWrite(valueName, plat::SETTING_STRING,
                         reinterpret_cast<const uint8_t*>(text.data()), uint32_t(text.size()));
}

bool QuorAppBase::RegistryWriteInteger(const std::string& valueName, int value)
{
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = uint8_t(uint32_t(value) >> (8 * i));
    return RegistryWrite(valueName, plat::SETTING_DWORD, bytes, 4);
}

bool QuorAppBase::RegistryWriteBoolean(const std::string& valueName, bool value)
{
    return RegistryWriteInteger(valueName, value ? 1 : 0);
}

bool QuorAppBase::RegistryRead(const std::string& valueName, uint32_t* type, uint8_t* data,
                               uint32_t* length)
{
    if (mRegistryKey.empty())
        return false;
    uint32_t capacity = length ? *length : 0;

    if (mPlayingDemo) {
        if (mDemoWindowClosed)
            return false;
        if (!ReadDemoResult())
            return false;
        uint32_t recordedType = uint32_t(mDemoBuffer.ReadLong());
        uint32_t recordedLength = ReadDemoLength();
        // The whole recorded value is consumed, even when the caller's buffer holds less, so
        // that the stream stays in step.
        for (uint32_t i = 0; i < recordedLength; ++i) {
            uint8_t byte = mDemoBuffer.ReadByte();
            if (data && i < capacity)
                data[i] = byte;
        }
        if (type)
            *type = recordedType;
        if (length)
            *length = recordedLength < capacity ? recordedLength : capacity;
        return true;
    }

    std::string keyPath;
    std::string name;
    SplitValueName(mRegistryKey, valueName, &keyPath, &name);
    uint32_t foundType = 0;
    std::vector<uint8_t> bytes;
    bool success = plat::SettingsRead(keyPath, name, &foundType, &bytes);
    // A value larger than the caller's buffer cannot be read, as the store reports it.
    if (success && bytes.size() > capacity)
        success = false;
    if (success) {
        if (type)
            *type = foundType;
        if (data && !bytes.empty())
            std::memcpy(data, bytes.data(), bytes.size());
        if (length)
            *length = uint32_t(bytes.size());
    }
    if (mRecordingDemo) {
        WriteDemoResult(DEMO_REGISTRY_READ, success);
        if (success) {
            mDemoBuffer.WriteLong(int32_t(foundType));
            mDemoBuffer.WriteLong(int32_t(bytes.size()));
            mDemoBuffer.WriteBytes(bytes.data(), int(bytes.size()));
        }
    }
    return success;
}

bool QuorAppBase::RegistryReadString(const std::string& valueName, std::string* text)
{
    uint8_t bytes[1024];
    uint32_t type = 0;
    uint32_t length = sizeof(bytes);
    if (!RegistryRead(valueName, &type, bytes, &length) || type != plat::SETTING_STRING)
        return false;
    if (text)
        text->assign(reinterpret_cast<const char*>(bytes), strnlen(reinterpret_cast<const char*>(bytes), length));
    return true;
}

bool QuorAppBase::RegistryReadInteger(const std::string& valueName, int* value)
{
    uint8_t bytes[4] = {0, 0, 0, 0};
    uint32_t type = 0;
    uint32_t length = 4;
    if (!RegistryRead(valueName, &type, bytes, &length) || type != plat::SETTING_DWORD ||
        length != 4)
        return false;
    if (value)
        *value = int(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                     uint32_t(bytes[3]) << 24);
    return true;
}

bool QuorAppBase::RegistryReadBoolean(const std::string& valueName, bool* value)
{
    int number = 0;
    if (!RegistryReadInteger(valueName, &number))
        return false;
    if (value)
        *value = number != 0;
    return true;
}

bool QuorAppBase::RegistryEraseValue(const std::string& valueName)
{
    if (mRegistryKey.empty())
        return false;
    std::string keyPath;
    std::string name;
    SplitValueName(mRegistryKey, valueName, &keyPath, &name);
    return plat::SettingsErase(keyPath, name);
}

void QuorAppBase::WriteToRegistry()
{
    RegistryWriteInteger("MusicVolume", int(mMusicVolume * 100));
    RegistryWriteInteger("SfxVolume", int(mSfxVolume * 100));
    RegistryWriteInteger("Muted", (mMuteCount - mAutoMuteCount > 0) ? 1 : 0);
    RegistryWriteInteger("ScreenMode", mWindowed ? 0 : 1);
    RegistryWriteInteger("PreferredX", mPreferredX);
    RegistryWriteInteger("PreferredY", mPreferredY);
    RegistryWriteInteger("CustomCursors", mCustomCursorsEnabled ? 1 : 0);
    RegistryWriteInteger("InProgress", 0);
    RegistryWriteBoolean("WaitForVSync", mWaitForVSync);
    // A played demo's writes come from its stream and stay off the disk, but start-up set the
    // running mark on the disk before the command line was read: it is cleared there too, or
    // the next start would take this run for one that did not end.
    if (mPlayingDemo && !mRegistryKey.empty() && !IsScreenSaver()) {
        std::string keyPath;
        std::string name;
        SplitValueName(mRegistryKey, "InProgress", &keyPath, &name);
        const uint8_t zero[4] = {0, 0, 0, 0};
        plat::SettingsWrite(keyPath, name, plat::SETTING_DWORD, zero, 4);
    }
}

void QuorAppBase::ReadFromRegistry()
{
    mReadRegistryDone = true;
    mRegistryKey = GetString("RegistryKey", mRegistryKey);
    if (mRegistryKey.empty())
        return;

    int value = 0;
    if (RegistryReadInteger("MusicVolume", &value))
        mMusicVolume = value / 100.0;
    if (RegistryReadInteger("SfxVolume", &value))
        mSfxVolume = value / 100.0;
    if (RegistryReadInteger("Muted", &value))
        mMuteCount = value;
    if (RegistryReadInteger("ScreenMode", &value))
        mWindowed = value == 0;
    if (RegistryReadInteger("PreferredX", &value))
        mPreferredX = value;
    if (RegistryReadInteger("PreferredY", &value))
        mPreferredY = value;
    if (RegistryReadInteger("CustomCursors", &value))
        EnableCustomCursors(value != 0);
    if (RegistryReadInteger("WaitForVSync", &value))
        mWaitForVSync = value != 0;
    if (RegistryReadInteger("InProgress", &value))
        mLastShutdownWasGraceful = value == 0;

    if (!IsScreenSaver())
        RegistryWriteInteger("InProgress", 1);
}

bool QuorAppBase::WriteBytesToFile(const std::string& fileName, const void* data,
                                   uint32_t length)
{
    if (mPlayingDemo) {
        if (mDemoWindowClosed)
            return true;
        return ReadDemoResult();
    }
    std::string folder = GetFileDir(fileName);
    if (!folder.empty())
        CreateDirectories(folder);
    // Written to a temporary file beside it, flushed and renamed: the old file stays whole
    // when anything fails, and the failure is reported.
    bool success = plat::WriteWholeFile(fileName, data, length);
    if (mRecordingDemo)
        WriteDemoResult(DEMO_FILE_WRITE, success);
    return success;
}

bool QuorAppBase::WriteBufferToFile(const std::string& fileName, const Buffer* buffer)
{
    return WriteBytesToFile(fileName, buffer->GetDataPtr(), uint32_t(buffer->GetDataLen()));
}

bool QuorAppBase::ReadBufferFromFile(const std::string& fileName, Buffer* buffer,
                                     bool dontWriteToDemo)
{
    if (!mPlayingDemo || dontWriteToDemo) {
        bool record = mRecordingDemo && !dontWriteToDemo;
        PakFile* file = PakFOpen(fileName.c_str(), "rb");
        if (!file) {
            if (record)
                WriteDemoResult(DEMO_FILE_READ, false);
            return false;
        }
        PakFSeek(file, 0, SEEK_END);
        long size = PakFTell(file);
        PakFSeek(file, 0, SEEK_SET);
        std::vector<uint8_t> bytes(size > 0 ? size_t(size) : 0);
        size_t got = bytes.empty() ? 0 : PakFRead(bytes.data(), 1, bytes.size(), file);
        PakFClose(file);
        if (got != bytes.size()) {
            if (record)
                WriteDemoResult(DEMO_FILE_READ, false);
            return false;
        }
        buffer->Clear();
        buffer->WriteBytes(bytes.data(), int(bytes.size()));
        if (record) {
            WriteDemoResult(DEMO_FILE_READ, true);
            mDemoBuffer.WriteLong(int32_t(bytes.size()));
            mDemoBuffer.WriteBytes(bytes.data(), int(bytes.size()));
        }
        return true;
    }

    if (mDemoWindowClosed)
        return false;
    if (!ReadDemoResult())
        return false;
    uint32_t size = ReadDemoLength();
    buffer->Clear();
    for (uint32_t i = 0; i < size; ++i)
        buffer->WriteByte(mDemoBuffer.ReadByte());
    return true;
}

} // namespace Quor

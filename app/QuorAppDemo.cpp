// QuorAppBase: the demo stream's record headers, the synchronisation of outside values, the
// numbered demo files, the demo file itself, the playback step and the playback controls.
#include "app/QuorAppBase.h"

#include "app/Buffer.h"
#include "app/Common.h"
#include "app/MTRand.h"
#include "display/DDInterface.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Settings.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <vector>

namespace Quor {

namespace {

const uint32_t kDemoMagic = 0x42BEEF78;
const uint32_t kDemoVersion = 2;

bool ReadU32(FILE* file, uint32_t* value)
{
    uint8_t bytes[4];
    if (std::fread(bytes, 1, 4, file) != 4)
        return false;
    *value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
             uint32_t(bytes[3]) << 24;
    return true;
}

} // namespace

void QuorAppBase::WriteDemoTimingBlock()
{
    int delta = mUpdateCount - mLastDemoUpdateCnt;
    while (delta > 15) {
        mDemoBuffer.WriteNumBits(15, 4);
        mLastDemoUpdateCnt += 15;
        mDemoBuffer.WriteNumBits(0, 1);
        mDemoBuffer.WriteNumBits(31, 5);
        ++mDemoCmdNum;
        delta = mUpdateCount - mLastDemoUpdateCnt;
    }
    mDemoBuffer.WriteNumBits(delta, 4);
    ++mDemoCmdNum;
    mLastDemoUpdateCnt = mUpdateCount;
}

bool QuorAppBase::ReadDemoTimingBlock()
{
    if (mDemoNeedsCommand) {
        mDemoCmdBitPos = mDemoBuffer.GetReadBitPos();
        mLastDemoUpdateCnt += mDemoBuffer.ReadNumBits(4, false);
        mDemoIsShortCmd = mDemoBuffer.ReadNumBits(1, false) == 1;
        mDemoCmdOrder = mDemoBuffer.ReadNumBits(mDemoIsShortCmd ? 1 : 5, false);
        ++mDemoCmdNum;
        mDemoNeedsCommand = false;
    }
    return mUpdateCount == mLastDemoUpdateCnt;
}

void QuorAppBase::SkipDemoPayload(int command)
{
    Buffer& b = mDemoBuffer;
    auto skipBytes = [&b](uint32_t count) { b.SetReadBitPos(b.GetReadBitPos() + int(count) * 8); };
    switch (command) {
    case 11: // registry value read: success, then type, length and data
        if (b.ReadNumBits(1, false) != 0) {
            b.ReadLong();
            skipBytes(ReadDemoLength());
        }
        break;
    case 12: // registry value written, buffer written to a file: success
    case 16:
        b.ReadNumBits(1, false);
        break;
    case 15: // whole file read: success, then length and bytes
        if (b.ReadNumBits(1, false) != 0)
            skipBytes(ReadDemoLength());
        break;
    case 17: { // HTTP transfer result: id, result code, content (a string as ReadString takes it)
        b.ReadLong();
        b.ReadByte();
        const int length = b.ReadShort();
        if (length > 0)
            skipBytes(uint32_t(std::min(length, DemoBytesLeft())));
        break;
    }
    case 18: // synchronised data: length and bytes
        skipBytes(ReadDemoLength());
        break;
    default:
        break;
    }
}

bool QuorAppBase::DemoPlayedOut() const
{
    // The shortest record takes 10 bits: fewer left are the padding of the last byte. A record
    // whose header was read is still to be played, whatever follows it.
    const int kShortestRecordBits = 10;
    return mDemoNeedsCommand &&
           mDemoBuffer.GetDataBitSize() - mDemoBuffer.GetReadBitPos() < kShortestRecordBits;
}

int QuorAppBase::DemoBytesLeft() const
{
    int bits = mDemoBuffer.GetDataBitSize() - mDemoBuffer.GetReadBitPos();
    return bits > 0 ? bits / 8 : 0;
}

uint32_t QuorAppBase::ReadDemoLength()
{
    uint32_t length = uint32_t(mDemoBuffer.ReadLong());
    uint32_t left = uint32_t(DemoBytesLeft());
    return length < left ? length : left;
}

void QuorAppBase::DemoSyncBuffer(Buffer* buffer)
{
    if (mPlayingDemo && !mDemoWindowClosed) {
        ReadDemoTimingBlock();
        mDemoNeedsCommand = true;
        uint32_t length = ReadDemoLength();
        buffer->Clear();
        for (uint32_t i = 0; i < length; ++i)
            buffer->WriteByte(mDemoBuffer.ReadByte());
    } else if (mRecordingDemo) {
        WriteDemoTimingBlock();
        mDemoBuffer.WriteNumBits(0, 1);
        mDemoBuffer.WriteNumBits(18, 5);
        mDemoBuffer.WriteLong(buffer->GetDataLen());
        mDemoBuffer.WriteBytes(buffer->GetDataPtr(), buffer->GetDataLen());
    }
}

void QuorAppBase::DemoSyncString(std::string& text)
{
    Buffer buffer;
    buffer.WriteString(text);
    DemoSyncBuffer(&buffer);
    buffer.SeekFront();
    text = buffer.ReadString();
}

void QuorAppBase::DemoSyncBool(bool& value)
{
    Buffer buffer;
    buffer.WriteBoolean(value);
    DemoSyncBuffer(&buffer);
    buffer.SeekFront();
    value = buffer.ReadBoolean();
}

int QuorAppBase::GetDemoFileNum(int maxCount, bool deleteOld)
{
    // The numbered files live in the application-data folder, where they are recorded.
    std::string folder = GetAppDataFolder();
    std::set<int> numbers;
    for (const plat::FindData& entry : plat::FindFiles(folder + mDemoFilePrefix + "*.dmo")) {
        if (entry.isDirectory)
            continue;
        int number = 0;
        char tail = 0;
        std::string format = mDemoFilePrefix;
        std::string name = entry.name;
        if (name.size() <= format.size() || name.compare(0, format.size(), format) != 0)
            continue;
        if (std::sscanf(name.c_str() + format.size(), "%d.dm%c", &number, &tail) == 2 &&
            tail == 'o' && StrFormat("%d.dmo", number) == name.substr(format.size()))
            numbers.insert(number);
    }
    if (deleteOld && maxCount > 0 && int(numbers.size()) >= maxCount)
        plat::DeleteFile(folder + mDemoFilePrefix + StrFormat("%d.dmo", *numbers.begin()));
    return numbers.empty() ? 0 : *numbers.rbegin();
}

bool QuorAppBase::ReadDemoFile(std::string& error)
{
    FILE* file = plat::OpenFile(mDemoFileName, "rb");
    if (!file) {
        error = "Demo file not found: " + mDemoFileName;
        return false;
    }
    auto fail = [&](const std::string& text) {
        error = text;
        std::fclose(file);
        return false;
    };

    uint32_t magic = 0;
    if (!ReadU32(file, &magic) || magic != kDemoMagic)
        return fail("Invalid demo file.");
    uint32_t version = 0;
    uint32_t seed = 0;
    // Only the two versions ever written are understood; a later layout would be misread.
    if (!ReadU32(file, &version) || version < 1 || version > kDemoVersion ||
        !ReadU32(file, &seed))
        return fail("Invalid demo file.");
    mRandomSeed = seed;
    SRand(seed);

    uint8_t lengthBytes[2];
    if (std::fread(lengthBytes, 1, 2, file) != 2)
        return fail("Invalid demo file.");
    size_t nameLength = size_t(lengthBytes[0]) | size_t(lengthBytes[1]) << 8;
    std::string name(nameLength < 255 ? nameLength : 255, '\0');
    if (!name.empty() && std::fread(name.data(), 1, name.size(), file) != name.size())
        return fail("Invalid demo file.");
    if (nameLength > name.size())
        std::fseek(file, long(nameLength - name.size()), SEEK_CUR);
    if (name != mProductName)
        return fail("This demo file appears to be for '" + name + "'");

    long position = std::ftell(file);
    std::fseek(file, 0, SEEK_END);
    long left = std::ftell(file) - position;
    std::fseek(file, position, SEEK_SET);

    if (version >= 2) {
        uint32_t blockLength = 0;
        if (left < 4 || !ReadU32(file, &blockLength))
            return fail("Invalid demo file.");
        left -= 4;
        if (long(blockLength) >= left)
            return fail("Invalid demo file.");
        std::vector<uint8_t> block(blockLength);
        if (blockLength && std::fread(block.data(), 1, blockLength, file) != blockLength)
            return fail("Invalid demo file.");
        Buffer markers;
        markers.SetData(block.data(), int(blockLength));
        int count = markers.ReadLong();
        int read = 0;
        mDemoMarkers.clear();
        // Every pair up to the end of the block is a marker, whatever the count says.
        while (!markers.AtEnd()) {
            std::string markerName = markers.ReadString();
            uint32_t update = uint32_t(markers.ReadLong());
            mDemoMarkers.emplace_back(markerName, update);
            ++read;
        }
        if (read < count)
            return fail("Invalid demo file.");
        left -= long(blockLength);
    }

    uint32_t demoEnd = 0;
    if (left < 4 || !ReadU32(file, &demoEnd))
        return fail("Invalid demo file.");
    left -= 4;
    if (left <= 0)
        return fail("Invalid demo file.");
    mDemoLength = int(demoEnd);

    std::vector<uint8_t> stream(static_cast<size_t>(left));
    if (std::fread(stream.data(), 1, stream.size(), file) != stream.size())
        return fail("Invalid demo file.");
    std::fclose(file);
    mDemoBuffer.Clear();
    mDemoBuffer.SetData(stream.data(), int(stream.size()));
    mDemoBuffer.SeekFront();
    return true;
}

bool QuorAppBase::WriteDemoFile()
{
    if (!mRecordingDemo)
        return true;
    Buffer markers;
    markers.WriteLong(int32_t(mDemoMarkers.size()));
    for (const auto& [name, update] : mDemoMarkers) {
        markers.WriteString(name);
        markers.WriteLong(int32_t(update));
    }
    Buffer file;
    file.WriteLong(int32_t(kDemoMagic));
    file.WriteLong(int32_t(kDemoVersion));
    file.WriteLong(int32_t(mRandomSeed));
    file.WriteShort(int16_t(mProductName.size()));
    file.WriteBytes(reinterpret_cast<const uint8_t*>(mProductName.data()),
                    int(mProductName.size()));
    file.WriteLong(markers.GetDataLen());
    file.WriteBytes(markers.GetDataPtr(), markers.GetDataLen());
    file.WriteLong(mUpdateCount);
    file.WriteBytes(mDemoBuffer.GetDataPtr(), mDemoBuffer.GetDataLen());
    // Its folder (the application-data folder on a first run) is made first, and the file is
    // written whole through a temporary file: an interrupted write never leaves half a demo.
    std::string folder = GetFileDir(mDemoFileName);
    if (!folder.empty())
        CreateDirectories(folder);
    if (plat::WriteWholeFile(mDemoFileName, file.GetDataPtr(), size_t(file.GetDataLen())))
        return true;
    // The run's recording is lost: say so in the error log rather than end silently.
    LogScreenError("Demo file could not be written: " + mDemoFileName);
    return false;
}

} // namespace Quor

namespace Quor {

namespace {

// The cursor thread draws the software cursor at the played-back mouse; it reads the position
// under the display lock.
void SetDemoMouse(QuorAppBase& theApp, int theX, int theY)
{
    std::optional<DDInterface::AutoLock> aLock;
    if (theApp.mDdInterface != nullptr)
        aLock.emplace(theApp.mDdInterface->mCritSect);
    theApp.mDemoMouseX = theX;
    theApp.mDemoMouseY = theY;
}

} // namespace

void QuorAppBase::ProcessDemo()
{
    if (!mPlayingDemo || mDemoWindowClosed)
        return;
    while (!mShutdown) {
        if (mUpdateCount != mLastDemoUpdateCnt || DemoPlayedOut())
            return;
        if (!ReadDemoTimingBlock())
            return;
        mDemoNeedsCommand = true;
        if (mDemoIsShortCmd) {
            if (mDemoCmdOrder == 0) {
                const int dx = mDemoBuffer.ReadNumBits(6, true);
                const int dy = mDemoBuffer.ReadNumBits(6, true);
                SetDemoMouse(*this, mDemoMouseX + dx, mDemoMouseY + dy);
                mWidgetManager->MouseMove(mDemoMouseX, mDemoMouseY);
            } else {
                bool down = mDemoBuffer.ReadNumBits(1, false) != 0;
                int clickCount = mDemoBuffer.ReadNumBits(3, true);
                if (down)
                    mWidgetManager->MouseDown(mDemoMouseX, mDemoMouseY, clickCount);
                else
                    mWidgetManager->MouseUp(mDemoMouseX, mDemoMouseY, clickCount);
            }
            continue;
        }
        switch (mDemoCmdOrder) {
        case 0:
        {
            const int x = mDemoBuffer.ReadNumBits(12, false);
            const int y = mDemoBuffer.ReadNumBits(12, false);
            SetDemoMouse(*this, x, y);
            mWidgetManager->MouseMove(mDemoMouseX, mDemoMouseY);
        }
            break;
        case 1:
            mActive = mDemoBuffer.ReadNumBits(1, false) != 0;
            if (!mFatalError && !mShutdown) {
                FocusChanged();
                if (mActive && !mWindowed)
                    mWidgetManager->SetAllDirty();
                if (mPendingURL && !mActive)
                    URLOpenSucceeded(mOpeningURL);
            }
            break;
        case 2: {
            bool minimized = mDemoBuffer.ReadBoolean();
            if (minimized != mMinimized && !mShutdown) {
                mMinimized = minimized;
                if (minimized)
                    Mute(true);
                else
                    Unmute(true);
            }
            break;
        }
        case 3: {
            const int key = mDemoBuffer.ReadNumBits(8, false);
            const bool* held = mWidgetManager->mKeyDown;
            // Enter with Alt held and Control not was the switch of screen modes: the live run
            // cleared the key table and kept the key from the widgets.
            if (key == 13 && held[18] && !held[17])
                ClearKeyStates();
            else
                mWidgetManager->KeyDown(key);
            break;
        }
        case 4:
            mWidgetManager->KeyUp(mDemoBuffer.ReadNumBits(8, false));
            break;
        case 5: {
            bool wide = mDemoBuffer.ReadNumBits(1, false) != 0;
            int character = mDemoBuffer.ReadNumBits(wide ? 16 : 8, false);
            mWidgetManager->KeyChar(char(character & 0xFF));
            break;
        }
        case 6:
            Shutdown();
            break;
        case 7:
            mMouseIn = true;
            ApplyCursor();
            break;
        case 8:
            mMouseIn = false;
            mWidgetManager->MouseExit();
            ApplyCursor();
            break;
        case 9:
            mDemoLoadingComplete = true;
            break;
        case 21:
            mWidgetManager->MouseWheel(mDemoBuffer.ReadNumBits(8, true));
            break;
        case 23:
            mWindowed = mDemoBuffer.ReadBoolean();
            mSyncRefreshRate = mDemoBuffer.ReadNumBits(8, false);
            break;
        case 11: case 12: case 15: case 16: case 17: case 18:
            // Recorded outside data that nothing read back at its time: skipped whole.
            SkipDemoPayload(mDemoCmdOrder);
            break;
        default:
            break;
        }
    }
}

} // namespace Quor

namespace Quor {

namespace {

// "%02d:%02d:%02d" of a count of seconds.
std::string ClockText(int seconds)
{
    return StrFormat("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

// The registry value of the jump dialog, read and written in the store itself: while a demo
// plays the application's registry operations answer from the recording.
const char kJumpTimeValue[] = "DemoJumpTime";

} // namespace

void QuorAppBase::DemoPlaybackKey(int character)
{
    const int frameTime = mFrameTime > 0 ? mFrameTime : 1;
    switch (std::toupper(character & 0xFF)) {
    case '+':
        mUpdateMultiplier *= 1.5;
        break;
    case '-':
        mUpdateMultiplier /= 1.5;
        break;
    case '=':
        mUpdateMultiplier = 1.0;
        break;
    case 'P':
        mPaused = !mPaused;
        ResetUpdateTimer();
        break;
    case 'N':
        mDemoJumpTarget = mUpdateCount;
        mDemoSingleStep = true;
        break;
    case 'M':
        mDemoRunToEnd = true;
        break;
    case 'L':
        ShowMarkerList();
        break;
    case 'J':
        ShowJumpToTime();
        break;
    case 'S':
        ToggleDemoSound();
        break;
    case '0':
        mDemoJumpTarget = mDemoLength;
        break;
    case '4': case '5': case '6': case '7': case '8': case '9': {
        static const int kBeforeEnd[] = {120000, 90000, 60000, 30000, 10000, 5000};
        mDemoJumpTarget = mDemoLength - kBeforeEnd[(character & 0xFF) - '4'] / frameTime;
        break;
    }
    default:
        break;
    }
}

int QuorAppBase::ShowMarkerList()
{
    std::vector<std::string> entries;
    std::vector<int> updates;
    for (const auto& [name, update] : mDemoMarkers) {
        int at = int(update);
        if (at <= mUpdateCount)
            continue;
        int seconds = int(int64_t(mDemoLength - at) * mFrameTime / 1000);
        entries.push_back(name + " (" + ClockText(seconds) + ")");
        updates.push_back(at);
    }
    int chosen = plat::ShowListDialog("Marker List", entries);
    // The list may have been open while time went on: only a marker still ahead is a target.
    if (chosen >= 0 && updates[size_t(chosen)] > mUpdateCount)
        mDemoJumpTarget = updates[size_t(chosen)];
    ResetUpdateTimer();
    return chosen;
}

int QuorAppBase::ShowJumpToTime()
{
    std::string keyPath = "SOFTWARE\\" + mRegistryKey;
    std::string text;
    uint32_t type = 0;
    std::vector<uint8_t> stored;
    if (!mRegistryKey.empty() && plat::SettingsRead(keyPath, kJumpTimeValue, &type, &stored) &&
        type == plat::SETTING_STRING) {
        if (stored.size() > 1000)
            stored.resize(1000);
        text.assign(stored.begin(), stored.end());
        text = text.c_str(); // up to a terminator, as a stored string ends
    }
    int result = plat::ShowTextEntryDialog("Jump To Time", text, 500);
    if (result == plat::IDOK) {
        if (!mRegistryKey.empty())
            plat::SettingsWrite(keyPath, kJumpTimeValue, plat::SETTING_STRING, text.data(),
                                text.size());
        int64_t seconds = 0;
        size_t start = 0;
        for (;;) {
            size_t colon = text.find(':', start);
            seconds = seconds * 60 + std::atoi(text.substr(start, colon - start).c_str());
            if (colon == std::string::npos)
                break;
            start = colon + 1;
        }
        const int frameTime = mFrameTime > 0 ? mFrameTime : 1;
        mDemoJumpTarget = mDemoLength - int(((seconds + 1) * 1000) / frameTime);
    }
    ResetUpdateTimer();
    return result;
}

void QuorAppBase::ToggleDemoSound()
{
    if (GetMusicVolume() == 0.0) {
        SetMusicVolume(mDemoSavedMusicVolume);
    } else {
        mDemoSavedMusicVolume = GetMusicVolume();
        SetMusicVolume(0.0);
    }
    if (GetSfxVolume() == 0.0) {
        SetSfxVolume(mDemoSavedSfxVolume);
    } else {
        mDemoSavedSfxVolume = GetSfxVolume();
        SetSfxVolume(0.0);
    }
}

} // namespace Quor

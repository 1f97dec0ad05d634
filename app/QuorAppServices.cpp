// QuorAppBase: sound playback and volumes, images shared by name, the live image set, the
// clipboard, cursors and the 3-D switch.
#include "app/QuorAppBase.h"

#include "app/Common.h"
#include "graphics/MemoryImage.h"
#include "graphics/SharedImage.h"
#include "platform/Shell.h"
#include "sound/MusicInterface.h"
#include "sound/SoundInstance.h"
#include "sound/SoundManager.h"

namespace Quor {

void QuorAppBase::PlaySample(int id)
{
    if (!mSoundManager)
        return;
    SoundInstance* instance = mSoundManager->GetSoundInstance(id);
    if (instance)
        instance->Play(false, true);
}

void QuorAppBase::PlaySamplePan(int id, int pan)
{
    if (!mSoundManager)
        return;
    SoundInstance* instance = mSoundManager->GetSoundInstance(id);
    if (instance) {
        instance->SetBasePan(pan);
        instance->Play(false, true);
    }
}

void QuorAppBase::PlaySampleVolumePan(int id, int pan, double volume)
{
    if (!mSoundManager)
        return;
    SoundInstance* instance = mSoundManager->GetSoundInstance(id);
    if (instance) {
        instance->SetBaseVolume(volume);
        instance->SetBasePan(pan);
        instance->Play(false, true);
    }
}

double QuorAppBase::GetMasterVolume()
{
    return mSoundManager ? mSoundManager->GetMasterVolume() : 0.0;
}

void QuorAppBase::SetMasterVolume(double volume)
{
    mSfxVolume = volume;
    if (mSoundManager)
        mSoundManager->SetMasterVolume(volume);
}

double QuorAppBase::GetMusicVolume()
{
    return mMusicVolume;
}

double QuorAppBase::GetSfxVolume()
{
    return mSfxVolume;
}

bool QuorAppBase::IsMuted()
{
    return mMuteCount > 0;
}

void QuorAppBase::SetMusicVolume(double volume)
{
    mMusicVolume = volume;
    if (mMusicInterface)
        mMusicInterface->SetVolume(mMuteCount > 0 ? 0.0 : volume);
}

void QuorAppBase::SetSfxVolume(double volume)
{
    mSfxVolume = volume;
    if (mSoundManager)
        mSoundManager->SetVolume(mMuteCount > 0 ? 0.0 : volume);
}

void QuorAppBase::Mute(bool autoMute)
{
    ++mMuteCount;
    if (autoMute)
        ++mAutoMuteCount;
    SetMusicVolume(mMusicVolume);
    SetSfxVolume(mSfxVolume);
}

void QuorAppBase::Unmute(bool autoMute)
{
    if (mMuteCount > 0) {
        --mMuteCount;
        // The automatic count never goes below zero: an automatic unmute without a matching
        // automatic mute (focus regained after a user mute) leaves it alone.
        if (autoMute && mAutoMuteCount > 0)
            --mAutoMuteCount;
    }
    SetMusicVolume(mMusicVolume);
    SetSfxVolume(mSfxVolume);
}

void QuorAppBase::SetCursor(int cursorNum)
{
    mCursorNum = cursorNum;
    ApplyCursor();
}

void QuorAppBase::EnableCustomCursors(bool enabled)
{
    mCustomCursorsEnabled = enabled;
    ApplyCursor();
}

void QuorAppBase::AddMemoryImage(MemoryImage* image)
{
    std::lock_guard<std::recursive_mutex> lock(mImageSetLock);
    mMemoryImageSet.insert(image);
}

void QuorAppBase::RemoveMemoryImage(MemoryImage* image)
{
    {
        std::lock_guard<std::recursive_mutex> lock(mImageSetLock);
        mMemoryImageSet.erase(image);
    }
    DisplayRemoveImage(image);
}

SharedImageHandle QuorAppBase::GetSharedImage(const std::string& fileName,
                                              const std::string& variant, bool* created)
{
    SharedImageKey key{StringToUpper(fileName), StringToUpper(variant)};
    SharedImageHandle handle;
    SharedImage* record = nullptr;
    bool isNew = false;
    {
        std::lock_guard<std::recursive_mutex> lock(mImageSetLock);
        auto it = mSharedImageMap.find(key);
        if (it == mSharedImageMap.end()) {
            it = mSharedImageMap.emplace(key, std::make_unique<SharedImage>()).first;
            isNew = true;
            std::lock_guard<std::mutex> loading(mSharedImageLoadMutex);
            mSharedImagesLoading.insert(key);
        }
        record = it->second.get();
        handle = record;
    }
    if (created)
        *created = isNew;

    if (isNew) {
        Image* image = MakeSharedImage(fileName);
        {
            std::lock_guard<std::recursive_mutex> lock(mImageSetLock);
            record->mImage = image;
        }
        std::lock_guard<std::mutex> loading(mSharedImageLoadMutex);
        mSharedImagesLoading.erase(key);
        mSharedImageLoaded.notify_all();
    } else {
        // Another thread may still be loading this entry: wait until it is complete.
        std::unique_lock<std::mutex> loading(mSharedImageLoadMutex);
        mSharedImageLoaded.wait(loading, [&] { return mSharedImagesLoading.count(key) == 0; });
    }
    return handle;
}

void QuorAppBase::CleanSharedImages()
{
    std::lock_guard<std::recursive_mutex> lock(mImageSetLock);
    // The flag is taken before the scan: a last release that lands behind the scan raises it
    // again for the next upkeep.
    if (!mCleanSharedImages.exchange(false))
        return;
    std::lock_guard<std::mutex> loading(mSharedImageLoadMutex);
    for (auto it = mSharedImageMap.begin(); it != mSharedImageMap.end();) {
        if (it->second->mRefCount == 0 && mSharedImagesLoading.count(it->first) == 0) {
            delete it->second->mImage;
            it = mSharedImageMap.erase(it);
        } else {
            ++it;
        }
    }
}

void QuorAppBase::CopyToClipboard(const std::string& text)
{
    if (mPlayingDemo)
        return;
    plat::SetClipboardText(text);
}

std::string QuorAppBase::GetClipboard()
{
    std::string text;
    if (!mPlayingDemo)
        text = plat::GetClipboardText();
    DemoSyncString(text);
    return text;
}

} // namespace Quor

// MusicTrack and MusicTrackList: the timed songs of the country screens.
#include "game/shell/MusicTrackList.h"

#include "game/shell/GameApp.h"
#include "sound/MusicInterface.h"

namespace Quor {

namespace {

// Every start of a track fades its song in from silence at this step per music update.
constexpr double kTrackFadeSpeed = 0.002;

} // namespace

MusicTrack::MusicTrack(int id, MusicTrackList* owner, const std::string& fileName, double playLength,
                       bool repeat, double startDelay, double repeatPause)
    : owner(owner), id(id), fileName(fileName), playLength(playLength), startDelay(startDelay),
      repeatPause(repeatPause), repeat(repeat), startTimeLeft(startDelay)
{
    if (MusicInterface* music = owner->Music())
        music->LoadMusic(id, fileName);
}

MusicTrack::~MusicTrack()
{
    if (MusicInterface* music = owner->Music())
        music->UnloadMusic(id);
}

bool MusicTrack::Update(double dt)
{
    MusicInterface* music = owner->Music();
    if (playTimeLeft > 0.0) {
        playTimeLeft -= dt;
        if (playTimeLeft <= 0.0) {
            if (music)
                music->StopMusic(id);
            if (!repeat)
                return true;
        }
    }
    if (startTimeLeft > 0.0) {
        startTimeLeft -= dt;
        if (startTimeLeft <= 0.0) {
            if (music)
                music->FadeIn(id, 0, kTrackFadeSpeed, true);
            playTimeLeft = playLength;
            if (repeat)
                startTimeLeft = repeatPause + playLength;
        }
    }
    return false;
}

MusicTrackList::MusicTrackList(GameApp* app) : mApp(app) {}

MusicTrackList::~MusicTrackList()
{
    if (MusicInterface* music = Music())
        music->UnloadAllMusic();
    DeleteTracks();
}

MusicInterface* MusicTrackList::Music() const
{
    return mApp ? mApp->mMusicInterface : nullptr;
}

void MusicTrackList::Insert(int id, MusicTrack* track)
{
    auto it = mTracks.find(id);
    if (it != mTracks.end()) {
        if (it->second == track)
            return;
        delete it->second;
        it->second = track;
        return;
    }
    mTracks.emplace(id, track);
}

void MusicTrackList::UpdateAll(double dt)
{
    for (auto& [id, track] : mTracks) {
        if (track->Update(dt))
            mFinished.push_back(id);
    }
    for (int id : mFinished) {
        auto it = mTracks.find(id);
        if (it != mTracks.end()) {
            delete it->second;
            mTracks.erase(it);
        }
    }
    mFinished.clear();
}

void MusicTrackList::StopAll()
{
    if (MusicInterface* music = Music())
        music->UnloadAllMusic();
    DeleteTracks();
}

void MusicTrackList::DeleteTracks()
{
    // Taken out of the map first: a track's destructor reaches the scheduler.
    std::map<int, MusicTrack*> tracks;
    tracks.swap(mTracks);
    for (auto& [id, track] : tracks)
        delete track;
}

} // namespace Quor

// The music scheduler of the country screens: songs on the application's music player that start
// after a delay, play for a set time and, when they repeat, come back after a pause. Times are
// seconds of game time, advanced by the caller.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace Quor {

class GameApp;
class MusicInterface;
class MusicTrackList;

// One scheduled song, loaded under its id when it is made and unloaded when it is deleted.
class MusicTrack {
public:
    MusicTrack(int id, MusicTrackList* owner, const std::string& fileName, double playLength,
               bool repeat, double startDelay, double repeatPause);
    ~MusicTrack();
    MusicTrack(const MusicTrack&) = delete;
    MusicTrack& operator=(const MusicTrack&) = delete;

    // Advances the track by dt seconds: stops it when its play time is over, starts it when its
    // wait is over. True once a track without repeat has played: it is finished.
    bool Update(double dt);

    MusicTrackList* owner;
    int id;
    std::string fileName;
    double playLength;
    double startDelay;
    double repeatPause;
    bool repeat;
    double playTimeLeft = 0.0;
    double startTimeLeft;
};

class MusicTrackList {
public:
    explicit MusicTrackList(GameApp* app);
    // Unloads every song of the music player and deletes every track.
    ~MusicTrackList();
    MusicTrackList(const MusicTrackList&) = delete;
    MusicTrackList& operator=(const MusicTrackList&) = delete;

    // Takes the track; a track already under the id is deleted first.
    void Insert(int id, MusicTrack* track);
    // Advances every track in ascending id order, then deletes the finished ones.
    void UpdateAll(double dt);
    // Unloads every song and deletes every track; the scheduler stays usable.
    void StopAll();

    // The application's music player (null while it has none).
    MusicInterface* Music() const;
    GameApp* App() const { return mApp; }
    const std::map<int, MusicTrack*>& Tracks() const { return mTracks; }

private:
    void DeleteTracks();

    std::map<int, MusicTrack*> mTracks;
    std::vector<int> mFinished; // scratch list of UpdateAll
    GameApp* mApp;
};

} // namespace Quor

// The music scheduler of the country screens: timed songs on the application's music player.
// Only what the application's life needs is here yet (made with the application, stopping and
// unloading every song, gone with it); the timed country programme comes with the music code.
#pragma once

namespace Quor {

class GameApp;

class MusicTrackList {
public:
    explicit MusicTrackList(GameApp* app);
    // Unloads every song of the music player.
    ~MusicTrackList();
    MusicTrackList(const MusicTrackList&) = delete;
    MusicTrackList& operator=(const MusicTrackList&) = delete;

    // Unloads every song; the scheduler stays usable.
    void StopAll();

private:
    GameApp* mApp;
};

} // namespace Quor

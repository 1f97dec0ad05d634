// The music player interface, which is also the silent player: loading fails, nothing ever
// plays, every other operation does nothing. The real players derive from it.
#pragma once

#include <string>

namespace Quor {

class MusicInterface {
public:
    virtual ~MusicInterface() = default;

    virtual bool LoadMusic(int id, const std::string& fileName) { (void)id; (void)fileName; return false; }
    virtual void PlayMusic(int id, int offset, bool noLoop) { (void)id; (void)offset; (void)noLoop; }
    virtual void StopMusic(int id) { (void)id; }
    virtual void PauseMusic(int id) { (void)id; }
    virtual void ResumeMusic(int id) { (void)id; }
    virtual void StopAllMusic() {}
    virtual void UnloadMusic(int id) { (void)id; }
    virtual void UnloadAllMusic() {}
    virtual void PauseAllMusic() {}
    virtual void ResumeAllMusic() {}
    virtual void FadeIn(int id, int offset, double speed, bool noLoop)
    {
        (void)id; (void)offset; (void)speed; (void)noLoop;
    }
    virtual void FadeOut(int id, bool stopWhenSilent, double speed)
    {
        (void)id; (void)stopWhenSilent; (void)speed;
    }
    virtual void FadeOutAll(bool stopWhenSilent, double speed)
    {
        (void)stopWhenSilent; (void)speed;
    }
    virtual void SetSongVolume(int id, double volume) { (void)id; (void)volume; }
    virtual void SetSongMaxVolume(int id, double volume) { (void)id; (void)volume; }
    virtual bool IsPlaying(int id) { (void)id; return false; }
    virtual void SetVolume(double volume) { (void)volume; }
    virtual void SetMusicAmplify(int id, double amplify) { (void)id; (void)amplify; }
    virtual void Update() {}
};

} // namespace Quor

// The background sounds of a scene: each cue plays one sound effect again and again, after a
// fixed interval or an interval with a random part, for a limited life or until the scene
// clears its collection.
#pragma once

#include <map>
#include <vector>

namespace Quor {

class QuorAppBase;

struct AmbientSoundCue {
    int mSoundId = -1;
    int mPan = 0;
    double mVolume = 1.0;     // base volume of each play
    double mLife = -999.0;    // seconds until removed; -999.0 or less: never
    double mInterval = 0.0;   // seconds between plays (the base of the random form)
    double mCountdown = 0.0;  // seconds until the next play
    bool mRandom = false;     // each new countdown adds a random part
    double mSpread = 0.0;     // the random part lies in 0 .. spread - 0.01, in hundredths
};

class AmbientSoundCues {
public:
    explicit AmbientSoundCues(QuorAppBase* app);
    ~AmbientSoundCues();
    AmbientSoundCues(const AmbientSoundCues&) = delete;
    AmbientSoundCues& operator=(const AmbientSoundCues&) = delete;

    // Takes the cue under the lowest free key (returned) and plays its sound once at once.
    int Add(AmbientSoundCue* cue);
    // Advances every cue by the seconds of one update: due cues play and count down again,
    // cues whose life ran out are removed.
    void Update(double seconds);
    // Stops every sound effect of the program, not only the cues', and deletes every cue.
    void Clear();

    const std::map<int, AmbientSoundCue*>& GetCues() const { return mCues; }

private:
    void Play(const AmbientSoundCue& cue);

    QuorAppBase* mApp;
    std::map<int, AmbientSoundCue*> mCues;
    std::vector<int> mRemoveList;
};

} // namespace Quor

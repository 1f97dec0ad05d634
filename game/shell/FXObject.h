// A keyframe effect: the cels of one image shown in turn, moved, turned, scaled and faded along
// up to four keyframe tracks, ending by itself by its passes or its hold time.
#pragma once

#include "graphics/Color.h"
#include "graphics/Matrix.h"

#include <memory>
#include <vector>

namespace Quor {

class EffectList;
class Graphics;
class Image;
struct FXDef;

// One key of a track; the track owns it.
struct Keyframe {
    enum Kind { TRANSLATE = 0, ROTATE = 1, SCALE = 2, ALPHA = 3, CEL = 4 };
    enum Subtype { TRANS_X = 5, TRANS_Y = 6, CLOCKWISE = 7, ANTI_CLOCKWISE = 8 };

    int mKind = TRANSLATE;
    int mSubtype = 0;  // TRANS_X / TRANS_Y with TRANSLATE, CLOCKWISE / ANTI_CLOCKWISE with ROTATE
    double mTime = 0.0; // seconds from the start of the track; keys come in rising time order
    double mVal = 0.0;  // pixels, radians, factor, 0-255 or cel column, by kind
};

class FXObject {
public:
    enum FrameMode {
        FRAMES_BY_CLOCK = 0,     // cels by the frame clock
        FRAMES_BY_ANIMATION = 1, // the cel the image's own animation shows
        FRAMES_BY_TRACK = 2,     // the cel a cel track chose
    };
    static constexpr int kMaxTracks = 4;
    static constexpr double kNoHoldTime = -999.0;   // ends when the passes run out
    static constexpr double kDeriveNotifyTime = -1.0;

    EffectList* mOwnerList = nullptr; // set by EffectList::Add when the notify flag is set
    int mX = 0;                       // top-left of the cel on the screen
    int mY = 0;
    int mCelWidth = 0;
    int mCelHeight = 0;
    int mFrameCount = 0;
    double mFrameClock = 0.0;   // seconds into the current pass over the cels
    double mTimePerFrame = 0.0; // seconds a cel shows (frame mode 1: a start offset)
    bool mLoop = false;         // keeps the effect running when no passes are left
    int mPassesLeft = 0;        // negative: never runs out
    Image* mImage = nullptr;    // not owned
    int mFrameMode = FRAMES_BY_CLOCK;
    int mOutsideCount = 0;      // update count last passed to Update (frame mode 1)
    int mCelIndex = 0;          // column shown in frame mode 2
    double mRotation = 0.0;     // radians
    double mScale = 1.0;
    int mAlpha = 255;
    bool mMirrored = false;     // drawn mirrored left-right, unrotated
    double mElapsed = 0.0;      // seconds since Start; the time of every track
    std::vector<Keyframe*> mTracks[kMaxTracks]; // owned keys
    bool mTrackLoop[kMaxTracks] = {false, false, false, false};
    int mTrackCount = 0;
    std::unique_ptr<Transform2D> mTransform; // made by Start
    int mUpdateCount = 0;       // updates since Start
    std::unique_ptr<Color> mColor; // when set, the cel is drawn in this colour
    bool mNotifyFlag = false;
    int mNotifyId = 0;          // passed back through the owner list; 0 = none
    double mHoldTime = 0.0;     // lifetime when positive; see Update
    double mNotifyTime = kDeriveNotifyTime; // seconds until the notify id is posted

    // The full form: an effect of frameCount cels of celWidth x celHeight side by side in one
    // row of the image, not started.
    FXObject(int x, int y, int celWidth, int celHeight, Image* image, int frameCount, bool loop,
             int passes, int notifyId, double timePerFrame, double holdTime, double rotation,
             double notifyTime);
    // An effect from an effect definition, showing the given image (the definition's own image
    // as the caller found it); placed at 0,0 and not started. The definition is only read.
    FXObject(const FXDef& def, Image* image);
    // An empty still effect at 0,0 without image, for InitAnimated to set up.
    FXObject();
    FXObject(const FXObject&) = delete;
    FXObject& operator=(const FXObject&) = delete;
    virtual ~FXObject();

    // A new identity transform, every clock and counter back to 0, and the notify time
    // derived when it is to be.
    void Start();
    // Takes the keys (ownership passes) into the next free track and applies the first key at
    // once. A fifth track, an empty vector or a null key is refused: the keys are freed and
    // false returned.
    bool SetTrack(std::vector<Keyframe*> keys, bool loop);
    // The effect posts the id (0: none) to its list once the seconds have passed; set before
    // the effect is added to a list.
    void SetNotify(int notifyId, double seconds);
    // Advances the effect by the seconds of one update; true when it has ended.
    bool Update(int updateCount, double seconds);
    virtual void Draw(Graphics* g);

    // Cel timing that cannot run (no frames, no time per frame): such an effect shows cel 0
    // and ends by its hold time alone.
    bool CelTimingRuns() const;

private:
    void StepTrack(int track);
};

} // namespace Quor

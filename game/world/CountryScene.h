// The living scenery of a country screen: boats, birds, walkers, cars, smoke, flowers, waves,
// snow, city lights and their background sounds, built from one table of rows per country,
// advanced every tick and drawn in two layers around the place buttons.
#pragma once

#include <cstdint>
#include <memory>

namespace Quor {

class AmbientSoundCues;
class EffectList;
class FXObject;
class GameApp;
class Image;

class CountryScene {
public:
    enum Layer { BACK = 0, FRONT = 1 };
    // How an object is made and which cels it shows.
    enum Cels {
        STILL,         // full form, one cel of 999 s
        CYCLE,         // full form, every column in turn over `value` seconds
        FRAME_DELAY,   // full form, every column for the image animation's frame delay / 100 s
        FLAP,          // full form, cels chosen by the wing-flap track
        OFFSET,        // the image's own animation, `value` updates into it
        HALF_CYCLE,    // the same, half an animation cycle + `value` updates into it
        RANDOM_OFFSET, // the same, a random number of updates into it
        DATA_ENTRY,    // the effect definition with the id `value`
    };
    // One scenery object; the tracks are written "kind t:v t:v ...; kind ..." with the kinds
    // x, y, scale, alpha, rot (anticlockwise), cel, flap (the wing beat, no keys) and
    // "sweep s e" (cel i at s x i seconds for every column, then cel 0 at e seconds).
    struct Row {
        Layer layer = BACK;
        Image* const* image = nullptr;  // the resource variable; none for DATA_ENTRY
        int x = 0;                      // DATA_ENTRY: 0,0 keeps the definition's place
        int y = 0;
        Cels cels = STILL;
        double value = 0.0;
        double scale = 1.0;
        bool mirrored = false;
        double rotation = 0.0;
        uint32_t colour = 0;    // 0xAARRGGBB the object is drawn in; 0: its own colours
        double phase = 0.0;     // the track clock after the start
        double celClock = 0.0;  // the cel clock after the start
        const char* tracks = "";
    };
    struct Cue {
        const int* sound;  // the resource variable
        double interval;
        bool random;
        double spread;
    };
    struct Light {
        int kind;  // 0: a random kind 1-3
        int x, y;
    };
    // A country's scenery: its cues, then its rows, then its lights, then the rows drawn over
    // the lights.
    struct Script {
        const Cue* cues;
        int cueCount;
        const Row* rows;
        int rowCount;
        const Light* lights;
        int lightCount;
        const Row* lastRows;
        int lastRowCount;
    };

    // Builds the whole scene of a country (0-7; any other number makes an empty scene).
    CountryScene(GameApp* app, int country);
    ~CountryScene();
    CountryScene(const CountryScene&) = delete;
    CountryScene& operator=(const CountryScene&) = delete;

    // Runs the country's script.
    void Build();
    // Advances the cues, then the back layer, then the front layer.
    void Update(double dt);
    // Deletes every object and both layers, stops every sound and deletes the cues. The scene
    // is of no further use.
    void Destroy();

    // The wing beat: cel 0 for 1.5 s, then three quick flaps, a 2.6 s cycle.
    static void AddFlapTrack(FXObject* object);
    // Four flickers, lit until 12 s, out by 12.2 s, dark until 20 s.
    static void AddTwinkleTrack(FXObject* object);
    // One city light of a kind (1-3, any other 1) with a random size and a random whole-second
    // phase, added to the front layer.
    FXObject* SpawnTwinkleLight(int kind, int x, int y);

    // The script of a country; null outside 0-7.
    static const Script* ScriptOf(int country);
    // Makes one row's object (not started); null when its effect definition is missing.
    FXObject* MakeObject(const Row& row) const;
    // Arms a cue (its first wait drawn when it is random) and adds it, which plays it once.
    void AddCue(const Cue& cue);
    // A random whole number of seconds below the cycle of the object's first track; 0 when that
    // cycle is under a hundredth of a second or there is no track.
    static double RandomPhase(const FXObject* object);

    GameApp* mApp;
    std::unique_ptr<EffectList> mBackLayer;   // behind the place buttons
    std::unique_ptr<EffectList> mFrontLayer;  // in front of them
    std::unique_ptr<AmbientSoundCues> mSoundCues;
    int mCountry;

private:
    void AddRows(const Row* rows, int count);
};

// Appends the tracks written in a row's notation to an object; the image's columns size a
// sweep. False (and the object unchanged from the faulty track on) when the text is malformed.
bool AddSceneTracks(FXObject* object, const char* tracks, int columns);

} // namespace Quor

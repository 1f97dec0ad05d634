// The travel animation the world map plays after a ticket is paid: a train, a ship or a plane
// crosses the darkened map with its sounds for 6, 7 or 8 seconds, then hands back to the map.
// A plain object owned by the map, updated from the map's tick and drawn at the end of its draw.
#pragma once

namespace Quor {

class AmbientSoundCues;
class EffectList;
class GamePhase;
class Graphics;
class Image;

class WorldTravel {
public:
    // The means of transport; the value is also the number of travel days.
    enum Mode { MODE_TRAIN = 1, MODE_PLANE = 2, MODE_SHIP = 5 };
    enum { ID_TRAIN_ARRIVED = 1, ID_TRIP_OVER = 999 };
    // Pictures of a mode (at most four).
    static constexpr int kImageSlots = 4;

    // Loads the pictures of the mode, starts its movers, timers and sounds. A picture that
    // cannot be loaded is left out (its mover is not made); the timers still end the trip.
    WorldTravel(int mode, GamePhase* owner);
    WorldTravel(const WorldTravel&) = delete;
    WorldTravel& operator=(const WorldTravel&) = delete;
    // Frees the pictures and every effect, stops and clears the sounds.
    virtual ~WorldTravel();

    // Advances the sounds, the movers and the fade by dt seconds; true once the trip is over.
    // The caller frees the animation after this returns, never during it.
    bool Update(double dt);
    void Draw(Graphics* g);
    // Marks the trip as over; the next return of Update reports it.
    virtual void Finish();

    // Seconds from the start to the end of the trip.
    static double TravelTime(int mode);

    int mMode;
    bool mTrainArrived = false;
    bool mFinished = false;
    int mAlpha = 254;
    bool mFadingIn = true;
    bool mFadingOut = false;
    Image* mImages[kImageSlots] = {};  // owned; null where a picture did not load
    EffectList* mEffects;              // owned
    AmbientSoundCues* mSounds;         // owned

private:
    // Loads a picture into a slot, cut into columns with a cycling animation when it has more
    // than one.
    Image* LoadPicture(int slot, const char* file, int columns, int frameDelay);
    void MakeTrain(int screenWidth);
    void MakeShip();
    void MakePlane();

    GamePhase* mOwner; // not owned
};

} // namespace Quor

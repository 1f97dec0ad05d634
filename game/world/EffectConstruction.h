// Building keyframe effects the ways the game world, the quests and the tutorial do: an image's
// own animation, an effect definition of the game data by its id, and tracks key by key.
#pragma once

#include "game/shell/GameTables.h"

#include <vector>

namespace Quor {

class FXObject;
class Image;
struct Keyframe;

// Sets the effect up to show the image's own animation at x, y: one looping cel of the image's
// column width, endless, without tracks, colour or mirror; the cel shown is the animation's cel at
// frameOffset + the update count. A play-once animation holds for its total time / 100 whole
// seconds, any other for no time. An image without an animation shows cel 0 as a still (one log
// line); a null image draws nothing (one log line).
void InitAnimated(FXObject* object, int x, int y, Image* image, int frameOffset, double playTime);

// A new effect from the first definition with the id, at 0,0 and not started; null (and nothing
// made) when no definition has the id or the definition's picture is not loaded (one log line).
FXObject* CreateFXObject(const FXDefList* defs, int id);

// Appends a fresh key to a track under construction.
void PushKeyframe(std::vector<Keyframe*>& track, int kind, int subtype, double time, double value);

} // namespace Quor

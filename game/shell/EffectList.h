// The keyframe effects of one screen or scene: added (and started), updated, drawn and deleted
// together, with the notify id that an effect posts handed back to the screen once.
#pragma once

#include <memory>
#include <vector>

namespace Quor {

class FXObject;
class Graphics;

class EffectList {
public:
    std::vector<std::unique_ptr<FXObject>> mEffects; // insertion order
    int mPendingNotifyId = 0;                        // posted by an effect; 0 = none

    EffectList();
    EffectList(const EffectList&) = delete;
    EffectList& operator=(const EffectList&) = delete;
    ~EffectList();

    // Starts the effect and takes it; an effect with a notify id posts to this list.
    void Add(FXObject* effect);
    // Destroys the first entry that is the effect; nothing for null or an effect not listed.
    void Remove(FXObject* effect);
    // Updates every effect in order and destroys those that ended. The result is the notify
    // id to act on: a posted one first, else that of an ended effect, else 0.
    int UpdateAll(int updateCount, double seconds);
    void DrawAll(Graphics* g);
    // Destroys every effect, last first; a posted notify id stays.
    void DeleteAll();
};

} // namespace Quor

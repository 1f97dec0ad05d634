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
    std::vector<int> mPostedIds;                     // every id posted since the last update

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
    // The same update, handing back every notify id of it in the order they came: each posted
    // id and the id of each effect that ended before posting its own.
    std::vector<int> UpdateAllNotices(int updateCount, double seconds);
    // Records an id an effect posts.
    void Post(int notifyId);
    void DrawAll(Graphics* g);
    // Destroys every effect, last first; a posted notify id stays.
    void DeleteAll();

private:
    // Updates and prunes the effects; the notices in order and the last ended effect's id.
    void UpdateEffects(int updateCount, double seconds, std::vector<int>* notices, int* lastEnded);
};

} // namespace Quor

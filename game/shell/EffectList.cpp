#include "game/shell/EffectList.h"

#include "game/shell/FXObject.h"

#include <algorithm>

namespace Quor {

EffectList::EffectList() = default;

EffectList::~EffectList()
{
    DeleteAll();
}

void EffectList::Add(FXObject* effect)
{
    if (effect == nullptr)
        return;
    effect->Start();
    mEffects.emplace_back(effect);
    if (effect->mNotifyFlag)
        effect->mOwnerList = this;
}

void EffectList::Remove(FXObject* effect)
{
    if (effect == nullptr)
        return;
    auto it = std::find_if(mEffects.begin(), mEffects.end(),
                           [effect](const std::unique_ptr<FXObject>& e) { return e.get() == effect; });
    if (it != mEffects.end())
        mEffects.erase(it);
}

int EffectList::UpdateAll(int updateCount, double seconds)
{
    int result = 0;
    UpdateEffects(updateCount, seconds, nullptr, &result);
    if (mPendingNotifyId != 0) {
        result = mPendingNotifyId;
        mPendingNotifyId = 0;
    }
    return result;
}

std::vector<int> EffectList::UpdateAllNotices(int updateCount, double seconds)
{
    std::vector<int> notices;
    UpdateEffects(updateCount, seconds, &notices, nullptr);
    mPendingNotifyId = 0;
    return notices;
}

void EffectList::UpdateEffects(int updateCount, double seconds, std::vector<int>* notices, int* lastEnded)
{
    std::vector<size_t> ended;
    mPostedIds.clear();
    for (size_t i = 0; i < mEffects.size(); ++i) {
        FXObject* effect = mEffects[i].get();
        const bool done = effect->Update(updateCount, seconds);
        if (notices)
            notices->insert(notices->end(), mPostedIds.begin(), mPostedIds.end());
        mPostedIds.clear();
        if (done) {
            ended.push_back(i);
            if (effect->mNotifyFlag) {
                if (notices)
                    notices->push_back(effect->mNotifyId);
                if (lastEnded)
                    *lastEnded = effect->mNotifyId;
            }
        }
    }
    for (size_t k = ended.size(); k-- > 0;)
        mEffects.erase(mEffects.begin() + static_cast<std::ptrdiff_t>(ended[k]));
}

void EffectList::Post(int notifyId)
{
    mPendingNotifyId = notifyId;
    mPostedIds.push_back(notifyId);
}

void EffectList::DrawAll(Graphics* g)
{
    for (const auto& effect : mEffects)
        effect->Draw(g);
}

void EffectList::DeleteAll()
{
    while (!mEffects.empty())
        mEffects.pop_back();
}

} // namespace Quor

#include "game/world/Mission.h"

#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Image.h"
#include "platform/Sys.h"

#include <cstdio>
#include <map>
#include <string>

namespace Quor {

namespace {

enum PreQuestType {
    PRE_QUEST_FINISHED = 1,
    PRE_DAY = 2,
    PRE_MONEY = 3,
    PRE_RECIPE = 4,
    PRE_STOCK = 5,
    PRE_MATERIAL = 6,
    PRE_COUNTRY = 7,
};

enum QuestTargetType {
    TARGET_DELIVER = 1,
    TARGET_MATERIAL = 2,
    TARGET_MONEY = 3,
    TARGET_PRODUCTION = 4,
    TARGET_TALK = 5,
    TARGET_SELL = 7,
};

bool IsDone(const QuestState& state, int index)
{
    auto it = state.targets.find(index);
    return it != state.targets.end() && it->second;
}

bool Qualifies(const StockItem& item, int product, int rating1, int rating2)
{
    return item.productId == product && item.rating1 >= rating1 && item.rating2 >= rating2;
}

// Takes `need` pieces of the product from the stock in list order, emptying the items it
// passes; true when the need was covered (the item that covers it keeps its rest).
bool TakePieces(std::vector<StockItem>& stock, int product, int rating1, int rating2, int need)
{
    for (StockItem& item : stock) {
        if (!Qualifies(item, product, rating1, rating2))
            continue;
        if (item.quantity >= need) {
            item.quantity -= need;
            return true;
        }
        need -= item.quantity;
        item.quantity = 0;
    }
    return false;
}

} // namespace

bool Mission::Prop(const QuestRecord& quest, const QuestEntry& entry, std::size_t n, int& value) const
{
    if (n < entry.Prop.size()) {
        value = entry.Prop[n];
        return true;
    }
    char line[160];
    std::snprintf(line, sizeof(line), "Quest %d: an entry of type %d has no Prop[%zu]; it counts as not met\n",
                  quest.Id, entry.Type, n);
    plat::DebugOutput(line);
    return false;
}

void Mission::RebuildQuestList()
{
    if (GamePanel* info = mOwner->mPanels[PANEL_INFO])
        info->RebuildQuestList();
}

void Mission::CheckQuestUnlocks(int finishedQuestId)
{
    PlayerProfile& profile = *mOwner->mProfile;
    for (const auto& [id, quest] : mOwner->mApp->questTable) {
        if (profile.quests.count(id))
            continue;
        bool holds = true;
        for (const QuestEntry& entry : quest.PreQuest) {
            int p[4] = {};
            int needed = 0;
            switch (entry.Type) {
            case PRE_QUEST_FINISHED: case PRE_DAY: case PRE_MONEY: case PRE_RECIPE: case PRE_COUNTRY:
                needed = 1;
                break;
            case PRE_MATERIAL:
                needed = 2;
                break;
            case PRE_STOCK:
                needed = 4;
                break;
            default:
                break;
            }
            for (int n = 0; n < needed && holds; ++n)
                holds = Prop(quest, entry, std::size_t(n), p[n]);
            if (!holds)
                break;
            switch (entry.Type) {
            case PRE_QUEST_FINISHED:
                if (finishedQuestId == -1) {
                    auto named = profile.quests.find(p[0]);
                    holds = named != profile.quests.end() && named->second.finished;
                } else {
                    holds = p[0] == finishedQuestId;
                }
                break;
            case PRE_DAY:
                holds = profile.day >= p[0];
                break;
            case PRE_MONEY:
                holds = profile.money >= p[0];
                break;
            case PRE_RECIPE: {
                auto recipe = profile.recipes.find(p[0]);
                holds = recipe != profile.recipes.end() && recipe->second;
                break;
            }
            case PRE_STOCK: {
                long long pieces = 0;
                for (const StockItem& item : profile.stock)
                    if (Qualifies(item, p[0], p[1], p[2]))
                        pieces += item.quantity;
                holds = pieces >= p[3];
                break;
            }
            case PRE_MATERIAL: {
                auto material = profile.materials.find(p[0]);
                holds = material != profile.materials.end() && material->second >= p[1];
                break;
            }
            case PRE_COUNTRY: {
                auto country = profile.countries.find(p[0]);
                holds = country != profile.countries.end() && country->second;
                break;
            }
            default:
                break;
            }
            if (!holds)
                break;
        }
        if (!holds)
            continue;
        std::map<int32_t, bool> targets;
        for (std::size_t i = 0; i < quest.Target.size(); ++i)
            targets[int32_t(i)] = false;
        profile.quests[id] = QuestState(id, id, false, targets);
    }
}

void Mission::UpdateQuestTargets()
{
    PlayerProfile& profile = *mOwner->mProfile;
    const auto& questTable = mOwner->mApp->questTable;
    for (auto& [id, state] : profile.quests) {
        if (state.finished || !IsDone(state, 0))
            continue;
        auto found = questTable.find(id);
        if (found == questTable.end())
            continue;
        const QuestRecord& quest = found->second;
        std::vector<StockItem> stock = profile.stock;
        for (auto& [index, done] : state.targets) {
            if (index < 0 || std::size_t(index) >= quest.Target.size())
                continue;
            const QuestEntry& target = quest.Target[std::size_t(index)];
            int p[5] = {};
            int needed = 0;
            switch (target.Type) {
            case TARGET_DELIVER:
                needed = 4;
                break;
            case TARGET_MATERIAL:
                needed = 2;
                break;
            case TARGET_MONEY:
                needed = 1;
                break;
            case TARGET_PRODUCTION:
                needed = 5;
                break;
            default:
                continue;  // set by the dialog or by sales, never here
            }
            bool readable = true;
            for (int n = 0; n < needed && readable; ++n)
                readable = Prop(quest, target, std::size_t(n), p[n]);
            bool met = false;
            if (readable) {
                switch (target.Type) {
                case TARGET_DELIVER:
                    met = TakePieces(stock, p[0], p[1], p[2], p[3]);
                    break;
                case TARGET_MATERIAL: {
                    auto material = profile.materials.find(p[0]);
                    met = (material == profile.materials.end() ? 0 : material->second) >= p[1];
                    break;
                }
                case TARGET_MONEY:
                    met = profile.money >= p[0];
                    break;
                case TARGET_PRODUCTION: {
                    const ProductionRecord* record = profile.FindProductRecord(p[1]);
                    auto factory = profile.factories.find(p[0]);
                    met = record != nullptr && factory != profile.factories.end() && record->rate >= p[2] &&
                          record->rating1 >= p[3] && record->rating2 >= p[4] && factory->second.productId == p[1];
                    break;
                }
                default:
                    break;
                }
            }
            if (!done && met) {
                SetTargetDone(&done, true);
            } else if (done && !met) {
                if (target.Type == TARGET_DELIVER || target.Type == TARGET_MATERIAL) {
                    done = false;
                    RebuildQuestList();
                } else {
                    SetTargetDone(&done, false);
                }
            }
        }
    }
}

void Mission::CheckSaleTargets(int productId, int quantity)
{
    PlayerProfile& profile = *mOwner->mProfile;
    const auto& questTable = mOwner->mApp->questTable;
    for (auto& [id, state] : profile.quests) {
        if (state.finished)
            continue;
        auto found = questTable.find(id);
        if (found == questTable.end())
            continue;
        const QuestRecord& quest = found->second;
        for (std::size_t i = 0; i < quest.Target.size(); ++i) {
            const QuestEntry& target = quest.Target[i];
            if (target.Type != TARGET_SELL)
                continue;
            auto flag = state.targets.find(int32_t(i));
            if (flag == state.targets.end() || flag->second)
                continue;
            int p[4] = {};
            bool readable = true;
            for (int n = 0; n < 4 && readable; ++n)
                readable = Prop(quest, target, std::size_t(n), p[n]);
            if (readable && p[0] == productId && p[1] < 3 && p[2] < 3 && p[3] <= quantity)
                SetTargetDone(&flag->second, true);
        }
    }
}

void Mission::SetTargetDone(bool* flag, bool value)
{
    *flag = value;
    RebuildQuestList();
    if (!value)
        return;
    Image* image = FX_C_MISSION_STEP_FIN;
    // One pass of its single cel: the effect ends with its alpha track at one second.
    auto* effect = new FXObject(228, 723, image ? image->GetWidth() : 0, image ? image->GetHeight() : 0, image, 1,
                                false, 1, 0, 1.0, FXObject::kNoHoldTime, 0.0, FXObject::kDeriveNotifyTime);
    std::vector<Keyframe*> keys;
    for (auto [time, alpha] : {std::pair{0.0, 0.0}, {0.1, 255.0}, {0.2, 0.0}, {0.3, 255.0}, {1.0, 0.0}})
        keys.push_back(new Keyframe{Keyframe::ALPHA, 0, time, alpha});
    effect->SetTrack(std::move(keys), false);
    mOwner->mEffects->Add(effect);
    mOwner->mApp->PlaySample(SE_MIS_STEP_FIN);
}

int Mission::FindOfferedQuest(int npcId, bool offeredOnly)
{
    PlayerProfile& profile = *mOwner->mProfile;
    const auto& questTable = mOwner->mApp->questTable;
    const int country = npcId / 10 - 1;
    const int slot = npcId % 10;
    std::vector<const QuestRecord*> open;
    for (const auto& [id, state] : profile.quests) {
        auto found = questTable.find(id);
        if (!state.finished && found != questTable.end())
            open.push_back(&found->second);
    }
    // The heaviest candidate; a later one replaces it only when strictly heavier.
    auto best = [](const std::vector<const QuestRecord*>& candidates) {
        const QuestRecord* chosen = nullptr;
        for (const QuestRecord* quest : candidates)
            if (chosen == nullptr || quest->Weight > chosen->Weight)
                chosen = quest;
        return chosen ? chosen->Id : -1;
    };

    std::vector<const QuestRecord*> candidates;
    for (const QuestRecord* quest : open) {
        const QuestState& state = profile.quests.at(quest->Id);
        for (const auto& [index, done] : state.targets) {
            if (done || index < 0 || std::size_t(index) >= quest->Target.size())
                continue;
            const QuestEntry& target = quest->Target[std::size_t(index)];
            if (target.Type != TARGET_TALK)
                continue;
            int place = 0;
            if (!Prop(*quest, target, 0, place))
                break;  // a talk step that names no place offers nothing
            const bool here = place / 10 - 1 == country && place % 10 == slot;
            if (here) {
                candidates.push_back(quest);
                break;
            }
            if (index == 0)
                break;  // a quest starts only at its first character
        }
    }
    if (!candidates.empty() || offeredOnly)
        return best(candidates);

    for (const QuestRecord* quest : open) {
        const QuestState& state = profile.quests.at(quest->Id);
        for (const auto& [index, done] : state.targets) {
            if (!done || index < 0 || std::size_t(index) >= quest->Target.size())
                continue;
            const QuestEntry& target = quest->Target[std::size_t(index)];
            if (target.Type == TARGET_TALK && !target.Prop.empty() && target.Prop[0] == npcId) {
                candidates.push_back(quest);
                break;
            }
        }
    }
    return best(candidates);
}

int Mission::PickQuestSpeech(int questId)
{
    const auto& questTable = mOwner->mApp->questTable;
    auto found = questTable.find(questId);
    if (found == questTable.end())
        return -1;
    const QuestRecord& quest = found->second;
    static const QuestState kNoState;
    auto stateEntry = mOwner->mProfile->quests.find(questId);
    const QuestState& state = stateEntry == mOwner->mProfile->quests.end() ? kNoState : stateEntry->second;

    int index = -1;
    int lastDone = -1;
    for (std::size_t i = 0; i < quest.Target.size(); ++i) {
        const QuestEntry& target = quest.Target[i];
        if (target.Type != TARGET_TALK || target.Prop.empty())
            continue;
        const int place = target.Prop[0];
        if (place / 10 - 1 != mCountry || place % 10 != mSlot)
            continue;
        if (!IsDone(state, int(i))) {
            index = int(i);
            break;
        }
        lastDone = int(i);
    }
    if (index < 0)
        index = lastDone >= 0 ? lastDone : 0;
    mTargetIndex = index;
    mCharacterId = -1;
    if (std::size_t(index) >= quest.Target.size()) {
        char line[96];
        std::snprintf(line, sizeof(line), "Quest %d has no targets; no speech\n", questId);
        plat::DebugOutput(line);
        return -1;
    }
    const QuestEntry& target = quest.Target[std::size_t(index)];
    int value = 0;
    if (Prop(quest, target, 1, value))
        mCharacterId = value;
    if (IsDone(state, index)) {
        if (target.Prop.empty())
            return Prop(quest, target, 0, value) ? value : -1;
        return target.Prop.back();
    }
    int first = 0;
    int before = 0;
    int ready = 0;
    if (!Prop(quest, target, 2, first) || !Prop(quest, target, 3, before))
        return -1;
    if (first == -1)
        return before;
    if (first < -1)
        return -1;
    for (int j = first; j < index; ++j)
        if (!IsDone(state, j))
            return before;
    return Prop(quest, target, 4, ready) ? ready : -1;
}

bool Mission::HandInQuest(QuestState& state, int targetIndex)
{
    PlayerProfile& profile = *mOwner->mProfile;
    const auto& questTable = mOwner->mApp->questTable;
    auto found = questTable.find(mQuestId);
    const bool valid =
        found != questTable.end() && targetIndex >= 0 && std::size_t(targetIndex) < found->second.Target.size();
    bool ok = valid;
    if (!valid) {
        char line[128];
        std::snprintf(line, sizeof(line), "Quest %d has no target %d to hand in\n", mQuestId, targetIndex);
        plat::DebugOutput(line);
    } else {
        const QuestRecord& quest = found->second;
        int first = 0;
        ok = Prop(quest, quest.Target[std::size_t(targetIndex)], 2, first);
        // What the handed-in targets ask for is taken from copies, kept only when all of it
        // could be paid.
        std::vector<StockItem> stock = profile.stock;
        std::map<int32_t, int32_t> materials = profile.materials;
        int32_t money = profile.money;
        for (int j = first; ok && first > 0 && j < targetIndex; ++j) {
            const QuestEntry& target = quest.Target[std::size_t(j)];
            int p[4] = {};
            if (!IsDone(state, j)) {
                ok = false;
                break;
            }
            switch (target.Type) {
            case TARGET_DELIVER:
                ok = Prop(quest, target, 0, p[0]) && Prop(quest, target, 1, p[1]) && Prop(quest, target, 2, p[2]) &&
                     Prop(quest, target, 3, p[3]) && TakePieces(stock, p[0], p[1], p[2], p[3]);
                break;
            case TARGET_MATERIAL: {
                if (!Prop(quest, target, 0, p[0]) || !Prop(quest, target, 1, p[1])) {
                    ok = false;
                    break;
                }
                auto material = materials.find(p[0]);
                const int count = material == materials.end() ? 0 : material->second;
                ok = count >= p[1];
                if (ok && material != materials.end())
                    material->second -= p[1];
                break;
            }
            case TARGET_MONEY:
                ok = Prop(quest, target, 0, p[0]) && money >= p[0];
                if (ok)
                    money -= p[0];
                break;
            default:
                break;
            }
        }
        if (ok) {
            profile.stock = std::move(stock);
            profile.RemoveEmptyStockItems();
            for (auto& [id, count] : materials) {
                auto held = profile.materials.find(id);
                if (held != profile.materials.end() && held->second != count) {
                    held->second = count;
                    profile.EraseMaterialIfEmpty(id);
                }
            }
            profile.money = money;
            state.targets[targetIndex] = true;
        }
    }
    mHandedIn = true;

    if (valid) {
        bool talkLeft = false;
        const QuestRecord& quest = found->second;
        for (std::size_t i = 0; i < quest.Target.size(); ++i)
            if (quest.Target[i].Type == TARGET_TALK && !IsDone(state, int(i)))
                talkLeft = true;
        if (!talkLeft) {
            state.finished = true;
            CheckQuestUnlocks(mQuestId);
            RebuildQuestList();
        }
    }
    if (GamePanel* info = mOwner->mPanels[PANEL_INFO])
        info->Rebuild(mQuestId, targetIndex);
    RebuildQuestList();
    UpdateQuestTargets();
    return ok;
}

} // namespace Quor

#include "editor/CharacterChecks.h"

#include <set>

namespace Quor {

namespace {

constexpr int32_t kTalkTarget = 5;
constexpr int32_t kRecipeReward = 4;

// A Prop the entry lacks reads as -1, so the entry shows up as a problem.
int32_t Prop(const QuestEntry& entry, size_t index)
{
    return index < entry.Prop.size() ? entry.Prop[index] : -1;
}

// The blueprint a target asks for, or nothing for the other types.
bool TargetBlueprint(const QuestEntry& target, int32_t* blueprint)
{
    switch (target.Type) {
    case 1:
    case 7:
        *blueprint = Prop(target, 0);
        return true;
    case 4:
        *blueprint = Prop(target, 1);
        return true;
    default:
        return false;
    }
}

} // namespace

bool SpeechSetInUse(const std::map<int32_t, QuestRecord>& quests, int32_t npcId, int32_t setId)
{
    for (const auto& [id, quest] : quests)
        for (const QuestEntry& target : quest.Target) {
            if (target.Type != kTalkTarget || Prop(target, 1) != npcId)
                continue;
            for (size_t i = 3; i < target.Prop.size(); ++i)
                if (target.Prop[i] == setId)
                    return true;
        }
    return false;
}

std::vector<CheckRow> CheckMissRows(const std::map<int32_t, QuestRecord>& quests,
                                    const std::map<int32_t, NpcRecord>& npcs)
{
    std::vector<CheckRow> rows;
    for (const auto& [id, quest] : quests)
        for (const QuestEntry& target : quest.Target) {
            if (target.Type != kTalkTarget)
                continue;
            const int32_t npcId = Prop(target, 1);
            auto npc = npcs.find(npcId);
            for (size_t i = 3; i < target.Prop.size(); ++i) {
                const int32_t set = target.Prop[i];
                if (set != -1 && (npc == npcs.end() || !npc->second.Speech.count(set)))
                    rows.push_back({npcId, set, quest.Id});
            }
        }
    return rows;
}

std::vector<CheckRow> CheckRewardRows(const std::map<int32_t, QuestRecord>& quests)
{
    std::vector<CheckRow> rows;
    for (const auto& [id, quest] : quests)
        for (const QuestEntry& reward : quest.Reward) {
            const int32_t paidBy = Prop(reward, 0);
            if (paidBy < 0 || size_t(paidBy) >= quest.Target.size() || quest.Target[size_t(paidBy)].Type != kTalkTarget)
                rows.push_back({quest.Id, paidBy, reward.Type});
        }
    return rows;
}

std::vector<CheckRow> CheckBlueprintRows(const std::map<int32_t, QuestRecord>& quests)
{
    std::vector<CheckRow> rows;
    std::set<int32_t> given{1};
    for (const auto& [id, quest] : quests)
        for (size_t k = 0; k < quest.Target.size(); ++k) {
            const QuestEntry& target = quest.Target[k];
            int32_t blueprint = 0;
            if (TargetBlueprint(target, &blueprint) && !given.count(blueprint))
                rows.push_back({quest.Id, blueprint, target.Type});
            for (const QuestEntry& reward : quest.Reward)
                if (reward.Type == kRecipeReward && Prop(reward, 0) == int32_t(k) && reward.Prop.size() > 1)
                    given.insert(reward.Prop[1]);
        }
    return rows;
}

std::string CheckRowText(int kind, const CheckRow& row)
{
    const char* labels[3] = {nullptr, nullptr, nullptr};
    switch (kind) {
    case CHECK_MISS:
        labels[0] = "NPC : ", labels[1] = " , SP : ", labels[2] = " , QID : ";
        break;
    case CHECK_REWARD:
        labels[0] = "QID : ", labels[1] = " , GetIndx : ", labels[2] = " , RType : ";
        break;
    case CHECK_BLUEPRINTS:
        labels[0] = "QID : ", labels[1] = " , BPID : ", labels[2] = " , TarType : ";
        break;
    default:
        return "";
    }
    return labels[0] + std::to_string(row.a) + labels[1] + std::to_string(row.b) + labels[2] + std::to_string(row.c);
}

} // namespace Quor

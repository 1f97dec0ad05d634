#include "editor/QuestEntryRules.h"

#include "editor/EditorSelectList.h"

#include <algorithm>
#include <map>

namespace Quor {

namespace {

// The game tables an Id may have to name.
enum IdTable { NO_TABLE, BLUEPRINTS, SOURCES, CHARACTERS, QUESTS, AWARDS, PLACES };

template <typename Record>
std::optional<int32_t> Smallest(const std::map<int32_t, Record>& table)
{
    if (table.empty())
        return std::nullopt;
    return table.begin()->first;
}

template <typename Record>
bool Holds(const std::map<int32_t, Record>& table, int32_t id)
{
    return table.count(id) != 0;
}

std::optional<int32_t> SmallestId(IdTable table, const GameTables& t)
{
    switch (table) {
    case BLUEPRINTS:
        return Smallest(t.blueprintTable);
    case SOURCES:
        return Smallest(t.sourceTable);
    case CHARACTERS:
        return Smallest(t.npcTable);
    case QUESTS:
        return Smallest(t.questTable);
    case AWARDS:
        return Smallest(t.awardTable);
    case PLACES:
        // The places of the country map are its countries.
        return Smallest(t.countryMapTable);
    default:
        return std::nullopt;
    }
}

bool TableHolds(IdTable table, const GameTables& t, int32_t id)
{
    switch (table) {
    case BLUEPRINTS:
        return Holds(t.blueprintTable, id);
    case SOURCES:
        return Holds(t.sourceTable, id);
    case CHARACTERS:
        return Holds(t.npcTable, id);
    case QUESTS:
        return Holds(t.questTable, id);
    case AWARDS:
        return Holds(t.awardTable, id);
    case PLACES:
        return Holds(t.countryMapTable, id);
    default:
        return true;
    }
}

// A Prop's limit at OK.
struct Limit {
    enum Kind { NONE, RANGE, AT_LEAST, IN_TABLE, FACTORY } kind = NONE;
    int32_t low = 0;
    int32_t high = 0;
    int32_t belowValue = 0;  // what a value below the range becomes
    int32_t aboveValue = 0;  // and one above it
    IdTable table = NO_TABLE;
};

constexpr Limit Range(int32_t low, int32_t high)
{
    return {Limit::RANGE, low, high, low, high, NO_TABLE};
}
constexpr Limit AtLeast(int32_t low, int32_t replacement)
{
    return {Limit::AT_LEAST, low, 0, replacement, 0, NO_TABLE};
}
constexpr Limit InTable(IdTable table)
{
    return {Limit::IN_TABLE, 0, 0, 0, 0, table};
}
constexpr Limit kLevel = Range(1, 3);
constexpr Limit kQty = Range(1, 999);
constexpr Limit kMoney = Range(1, 999999999);
constexpr Limit kCountry = Range(0, 7);
constexpr Limit kFactory{Limit::FACTORY, 0, 0, 0, 0, NO_TABLE};
constexpr Limit kTalkCountry{Limit::RANGE, 12, 90, 12, 82, NO_TABLE};

// How one caption row shows a Prop: its format, and the table whose record's name it shows.
struct Caption {
    const char* format;  // "%d" stands for the value; null: the name only
    IdTable named = NO_TABLE;
};

// Everything known of one type of one list.
struct EntryRule {
    const char* name;
    const char* button;  // null: no type button
    std::vector<Limit> limits;  // by Prop
    std::vector<Caption> captions;  // by Prop
    int pickList = 0;
    int pickedProp = -1;
    int moneyProp = -1;
};

const std::map<int, EntryRule>& Rules(int list)
{
    static const Caption kProduct{"Set : %d", BLUEPRINTS};
    static const Caption kSource{nullptr, SOURCES};
    static const std::map<int, EntryRule> kTargets = {
        {1, {"Product", "Product", {InTable(BLUEPRINTS), kLevel, kLevel, kQty},
             {kProduct, {"SLV : %d"}, {"CLV : %d"}, {"QTY : %d"}}, PICK_BLUEPRINTS, 0}},
        {2, {"Source", "Source", {InTable(SOURCES), kQty}, {kSource, {"QTY : %d"}}, PICK_MATERIALS, 0}},
        {3, {"Money", "Money", {kMoney}, {{"$ : %d"}}, 0, -1, 0}},
        {4, {"Factory", "Factory", {kFactory, InTable(BLUEPRINTS), Range(5, 40), kLevel, kLevel},
             {{"FacID : %d"}, {nullptr, BLUEPRINTS}, {"QTY : %d"}, {"SLV : %d"}, {"CLV : %d"}}, PICK_BLUEPRINTS, 1}},
        {5, {"NPC", "Speech", {kTalkCountry, InTable(CHARACTERS), AtLeast(-1, -1)},
             {{"Country ID : %d"}, {nullptr, CHARACTERS}, {"Pre step from : %d"}}, PICK_CHARACTERS, 1}},
        {6, {"No this type", "Country", {}, {}}},
        {7, {"Sell", "Sell", {}, {}, PICK_BLUEPRINTS, 0}},
    };
    static const std::map<int, EntryRule> kPreQuests = {
        {1, {"Quest", "Quest", {InTable(QUESTS)}, {{"QID : %d"}}}},
        {2, {"Date", "Date", {AtLeast(1, 1)}, {{"Date : %d"}}}},
        {3, {"Money", "Money", {kMoney}, {{"$ %d"}}, 0, -1, 0}},
        {4, {"BluePrint", "BluePrint", {InTable(BLUEPRINTS)}, {{"BP ID : %d"}}, PICK_BLUEPRINTS, 0}},
        {5, {"Product", "Product", {InTable(BLUEPRINTS), kLevel, kLevel, kQty},
             {kProduct, {"SLV : %d"}, {"CLV : %d"}, {"QTY : %d"}}, PICK_BLUEPRINTS, 0}},
        {6, {"Source", "Source", {InTable(SOURCES), kQty}, {kSource, {"QTY : %d"}}, PICK_MATERIALS, 0}},
        {7, {"Country", "Country", {kCountry}, {{"CID : %d"}}}},
    };
    // A reward's first Prop is the target that pays it.
    static const Limit kPaidBy = AtLeast(0, 0);
    static const Caption kPaidByCaption{"Get from Target : %d"};
    static const std::map<int, EntryRule> kRewards = {
        {1, {"Money", "Money", {kPaidBy, kMoney}, {kPaidByCaption, {"$ %d"}}, 0, -1, 1}},
        {2, {"Product", "Product", {kPaidBy, InTable(BLUEPRINTS), kLevel, kLevel, kQty},
             {kPaidByCaption, kProduct, {"SLV : %d"}, {"CLV : %d"}, {"QTY : %d"}}, PICK_BLUEPRINTS, 1}},
        {3, {"Source", "Source", {kPaidBy, InTable(SOURCES), kQty}, {kPaidByCaption, kSource, {"QTY : %d"}},
             PICK_MATERIALS, 1}},
        {4, {"BluePrint", "BluePrint", {kPaidBy, InTable(BLUEPRINTS)}, {kPaidByCaption, {"BP ID : %d"}}, PICK_BLUEPRINTS,
             1}},
        {5, {"Country", "Country", {kPaidBy, kCountry}, {kPaidByCaption, {"CID : %d"}}}},
        {6, {"Award", "Award", {kPaidBy, InTable(AWARDS)}, {kPaidByCaption, {"Award : %d"}}}},
        {7, {"Factory", "Factory", {kPaidBy, InTable(PLACES)}, {kPaidByCaption, {"Factory : %d"}}}},
        {8, {"Tutor", nullptr, {kPaidBy}, {kPaidByCaption}}},
        {9, {"MiniGame", nullptr, {kPaidBy}, {kPaidByCaption}}},
    };
    static const std::map<int, EntryRule> kNone;
    switch (list) {
    case LIST_TARGET:
        return kTargets;
    case LIST_PREQUEST:
        return kPreQuests;
    case LIST_REWARD:
        return kRewards;
    default:
        return kNone;
    }
}

const EntryRule* Rule(int list, int type)
{
    const auto& rules = Rules(list);
    auto found = rules.find(type);
    return found == rules.end() ? nullptr : &found->second;
}

std::string Format(const char* format, int32_t value)
{
    std::string text = format;
    const std::size_t at = text.find("%d");
    if (at != std::string::npos)
        text.replace(at, 2, std::to_string(value));
    return text;
}

std::string RecordName(IdTable table, const GameTables& t, int32_t id)
{
    switch (table) {
    case BLUEPRINTS:
        if (auto found = t.blueprintTable.find(id); found != t.blueprintTable.end())
            return found->second.Name;
        break;
    case SOURCES:
        if (auto found = t.sourceTable.find(id); found != t.sourceTable.end())
            return found->second.Name;
        break;
    case CHARACTERS:
        if (auto found = t.npcTable.find(id); found != t.npcTable.end())
            return found->second.Name;
        break;
    default:
        break;
    }
    return "";
}

} // namespace

std::vector<QuestEntry>& QuestList(QuestRecord& quest, int list)
{
    switch (list) {
    case LIST_PREQUEST:
        return quest.PreQuest;
    case LIST_REWARD:
        return quest.Reward;
    default:
        return quest.Target;
    }
}

const char* EntryTypeName(int list, int type)
{
    const EntryRule* rule = Rule(list, type);
    return rule ? rule->name : "No this type";
}

const char* TypeButtonLabel(int list, int type)
{
    const EntryRule* rule = Rule(list, type);
    return rule && rule->button ? rule->button : "";
}

QuestEntry NewQuestEntry(int list, const GameTables& tables)
{
    QuestEntry entry;
    entry.Type = 1;
    switch (list) {
    case LIST_TARGET:
        entry.Des = "New Target";
        entry.Prop = {SmallestId(BLUEPRINTS, tables).value_or(0), 1, 1, 1};
        break;
    case LIST_PREQUEST:
        entry.Des = "New PreQuest";
        entry.Prop = {SmallestId(QUESTS, tables).value_or(0)};
        break;
    default:
        entry.Des = "New Reward";
        entry.Prop = {0, 4123};
        break;
    }
    return entry;
}

std::vector<int32_t> DefaultProps(int list, int type, bool middleTarget, const GameTables& tables)
{
    auto smallest = [&](IdTable table) { return SmallestId(table, tables).value_or(0); };
    switch (list) {
    case LIST_TARGET:
        switch (type) {
        case 1:
        case 7:
            return {1, 1, 1, 1};
        case 2:
            return {1, 1};
        case 3:
        case 6:
            return {type == 3 ? 1 : 0};
        case 4:
            return {0, 1, 1, 1, 1};
        case 5:
            if (middleTarget)
                return {0, 0, 1, 1, 1, 1, 1};
            return {0, 0, 1, 1, 1, 1};
        default:
            return {};
        }
    case LIST_PREQUEST:
        switch (type) {
        case 1:
            return {smallest(QUESTS)};
        case 2:
        case 7:
            return {1};
        case 3:
            return {10000};
        case 4:
            return {smallest(BLUEPRINTS)};
        case 5:
            return {smallest(BLUEPRINTS), 1, 1, 1};
        case 6:
            return {smallest(SOURCES), 1};
        default:
            return {};
        }
    case LIST_REWARD:
        switch (type) {
        case 1:
        case 5:
            return {0, 1};
        case 2:
            return {0, smallest(BLUEPRINTS), 1, 1, 1};
        case 3:
            return {0, smallest(SOURCES), 1};
        case 4:
            return {0, smallest(BLUEPRINTS)};
        case 6:
            return {0, smallest(AWARDS)};
        case 7:
            return {0, smallest(PLACES)};
        default:
            return {};
        }
    default:
        return {};
    }
}

bool IsMoneyProp(int list, int type, std::size_t prop)
{
    const EntryRule* rule = Rule(list, type);
    return rule && rule->moneyProp >= 0 && std::size_t(rule->moneyProp) == prop;
}

std::optional<int32_t> PropReplacement(int list, int type, std::size_t prop, int32_t value, const GameTables& tables)
{
    const EntryRule* rule = Rule(list, type);
    if (!rule || prop >= rule->limits.size())
        return std::nullopt;
    const Limit& limit = rule->limits[prop];
    switch (limit.kind) {
    case Limit::RANGE:
        if (value < limit.low)
            return limit.belowValue;
        if (value > limit.high)
            return limit.aboveValue;
        return std::nullopt;
    case Limit::AT_LEAST:
        if (value < limit.low)
            return limit.belowValue;
        return std::nullopt;
    case Limit::IN_TABLE:
        if (TableHolds(limit.table, tables, value))
            return std::nullopt;
        return SmallestId(limit.table, tables);
    case Limit::FACTORY:
        if (value == 0 || value == 2 || value == 5 || value == 7)
            return std::nullopt;
        return 0;
    default:
        return std::nullopt;
    }
}

int PickListFor(int list, int type)
{
    const EntryRule* rule = Rule(list, type);
    return rule ? rule->pickList : 0;
}

int PickedProp(int list, int type)
{
    const EntryRule* rule = Rule(list, type);
    return rule ? rule->pickedProp : -1;
}

std::vector<std::string> EntryCaptions(int list, const QuestEntry& entry, const GameTables& tables)
{
    std::vector<std::string> rows;
    const EntryRule* rule = Rule(list, entry.Type);
    if (!rule)
        return rows;
    // A Prop the entry lacks has no caption.
    const std::size_t count = std::min(rule->captions.size(), entry.Prop.size());
    for (std::size_t i = 0; i < count; ++i) {
        const Caption& caption = rule->captions[i];
        std::string row = caption.format ? Format(caption.format, entry.Prop[i]) : "";
        if (caption.named != NO_TABLE) {
            const std::string name = RecordName(caption.named, tables, entry.Prop[i]);
            if (!name.empty())
                row += row.empty() ? name : "  " + name;
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> SpeechLines(const QuestEntry& target, std::size_t place, std::size_t targets)
{
    static const char* const kReceive[] = {"Accept this Quest?           : ", "Really? I wait for your product. : ",
                                           "I want XXX product          : "};
    static const char* const kComplete[] = {"XXX was not finish?         : ", "Give me XXX?             : ",
                                            "Great jobs! I give you rewards : "};
    static const char* const kMiddle[] = {"Give me XXX?              : ", "XXX was not finish?         : ",
                                          "Thanks! Reward...           : ", "Then, you need to...         : "};
    constexpr std::size_t kFirstSpeech = 3;
    const bool first = place == 0;
    const bool last = !first && place + 1 == targets;
    std::vector<std::string> rows;
    rows.push_back(first ? "Speech Set : Quest Receive" : last ? "Speech Set : Quest Complete" : "Speech Set : Middle Quest");
    const char* const* labels = first ? kReceive : last ? kComplete : kMiddle;
    const std::size_t count = first || last ? 3 : 4;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t prop = kFirstSpeech + k;
        const bool present = prop < target.Prop.size();
        const bool middle = !first && !last;
        if (middle && k == 3 && !present) {
            rows.push_back(std::string(labels[k]) + "ERROR, plx reset this Target type");
            continue;
        }
        if (!present)
            continue;
        const int32_t value = target.Prop[prop];
        if (middle && (k == 1 || k == 3) && value == -1)
            rows.push_back(std::string(labels[k]) + "ERROR, it can't be -1");
        else
            rows.push_back(labels[k] + std::to_string(value));
    }
    return rows;
}

} // namespace Quor

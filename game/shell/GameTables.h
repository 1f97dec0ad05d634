// The game's content tables read from the XML files under "properties/": materials, blueprints,
// quests, characters, country places, awards, effect definitions and the mini-game tuning block.
// GameApp holds one set; the data editor and the tests may hold others.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Quor {

// One material that suppliers sell.
struct SourceRecord {
    int32_t Id = 0;
    std::string Name;
    std::string Img;  // image resource name
    int32_t Price = 0;  // base unit price in dollars

    bool operator==(const SourceRecord&) const = default;
};

// One dinnerware recipe.
struct BlueprintRecord {
    int32_t Id = 0;
    std::string Name;
    std::string Img;
    int32_t CountryId = 0;
    std::map<int32_t, int32_t> materialQty;   // material Id -> quantity needed
    std::map<int32_t, int32_t> colorSources;  // material Id -> colour flag

    bool operator==(const BlueprintRecord&) const = default;
};

// One award of the award gallery.
struct AwardRecord {
    int32_t Id = 0;
    std::string Name;
    std::string Img;
    std::string Des;
    int32_t X = 0;  // where the award screen places the award's button
    int32_t Y = 0;

    bool operator==(const AwardRecord&) const = default;
};

// Kinds and subtypes of a keyframe track, as stored in FXKeyframeDef::type and ::subtype.
struct FXKeyframeType {
    enum : int32_t {
        TRANSLATE = 0,
        ROTATE = 1,
        SCALE = 2,
        ALPHA = 3,
        TRANS_X = 5,
        TRANS_Y = 6,
        CLOCKWISE = 7,
        ANTI_CLOCKWISE = 8,
    };
};

// One keyframe track of an effect definition.
struct FXKeyframeDef {
    bool loop = false;
    int32_t type = 0;
    int32_t subtype = 0;
    std::map<double, double> keys;  // time (seconds) -> value, ascending by time

    bool operator==(const FXKeyframeDef&) const = default;
};

// One effect definition. Ids are not unique: lookups take the first of an id in list order.
struct FXDef {
    int32_t id = 0;
    int32_t img = 0;        // resource id of the image; 333 when the name is no known resource
    int32_t frame = 0;      // cels side by side in the image
    double timePerLoop = 0.0;  // seconds for one pass over all cels
    bool isLoop = false;
    int32_t playTime = 0;
    double holdTime = 0.0;
    std::map<int32_t, FXKeyframeDef> keyframes;  // index within the effect (file order) -> track

    bool operator==(const FXDef&) const = default;
};

using FXDefList = std::vector<FXDef>;

// The tuning values of the mini-games, the factory prices and the credits fade, in block order.
struct MiniGameTuning {
    double m1BasicSpeed1 = 0.0;
    double m1BasicSpeed2 = 0.0;
    double m1BasicSpeed3 = 0.0;
    int32_t m1Distance = 0;
    double m1Time = 0.0;
    double m1TimeDeduct = 0.0;
    double m1Lv1Pass = 0.0;
    double m1Lv2Pass = 0.0;
    double m1Lv3Pass = 0.0;
    double m3BasicSpeed = 0.0;
    double m3MulSpeed = 0.0;
    double m3Time = 0.0;
    double m3Lv1Pass = 0.0;
    double m3Lv2Pass = 0.0;
    double m2Time = 0.0;
    double m2BonusMulti = 0.0;
    double m4LvMax = 0.0;
    double m4LvStart = 0.0;
    double m4LvUpQty = 0.0;
    double m4BasicSpeed2 = 0.0;
    double m4BasicSpeed3 = 0.0;
    double m4BasicSpeed4 = 0.0;
    double m4BasicSpeed5 = 0.0;
    double m4LvSpeed = 0.0;
    double m5Time = 0.0;
    double m5TimeDeduct = 0.0;
    double m5Lv1Pass = 0.0;
    double m5Lv2Pass = 0.0;
    double m5Lv3Pass = 0.0;
    double m5TimeDropBowl = 0.0;
    double m5TimeDropBowlLvMulti = 0.0;
    int32_t m5SrcLvMulti = 0;
    int32_t m5SrcNumAdd1 = 0;
    int32_t m5SrcNumAdd2 = 0;
    int32_t m5SrcNumAdd3 = 0;
    double m6Prepare = 0.0;
    int32_t m6Chance = 0;
    int32_t gp_fac_jap = 0;  // factory price in Japan
    int32_t gp_fac_chi = 0;  // in China
    int32_t gp_fac_usa = 0;  // in the USA
    int32_t credit_fade = 0;

    // The start values: everything 0 except the level and speed values of the wine game.
    void SetDefaults();

    bool operator==(const MiniGameTuning&) const = default;
};

// One entry of a quest's condition, reward or target list; Prop is read by position per Type.
struct QuestEntry {
    int32_t Type = 0;
    std::string Des;
    std::string SubDes;  // targets only
    std::vector<int32_t> Prop;

    QuestEntry() = default;
    QuestEntry(int32_t type, std::string des, std::string subDes)
        : Type(type), Des(std::move(des)), SubDes(std::move(subDes)) {}

    bool operator==(const QuestEntry&) const = default;
};

struct QuestRecord {
    int32_t Id = 0;
    int32_t CountryId = 0;
    int32_t Weight = 0;
    std::string Des;
    std::vector<QuestEntry> PreQuest;
    std::vector<QuestEntry> Reward;
    std::vector<QuestEntry> Target;

    bool operator==(const QuestRecord&) const = default;
};

// One speech set of a character: a dialog kind and its lines (pages) in file order.
struct NpcSpeech {
    int32_t Id = 0;
    int32_t Type = 0;
    std::vector<std::string> Des;

    bool operator==(const NpcSpeech&) const = default;
};

struct NpcRecord {
    int32_t Id = 0;
    std::string Name;
    std::string Img;  // portrait image resource name
    std::map<int32_t, NpcSpeech> Speech;  // speech Id -> set

    bool operator==(const NpcRecord&) const = default;
};

// A screen position of a country screen's place (button or its highlight image).
struct PlacePoint {
    int32_t x = 0;
    int32_t y = 0;

    bool operator==(const PlacePoint&) const = default;
};

// A character that may stand in a slot of a country's mission house.
struct NpcSlot {
    int32_t Rid = 0;  // slot
    int32_t Nid = 0;  // character Id

    bool operator==(const NpcSlot&) const = default;
};

// Place types of the country screen, the keys of placePos and placeOverPos.
enum PlaceType : int32_t {
    PLACE_CELLAR = 0,
    PLACE_SUPPLIER = 1,
    PLACE_MISSION = 2,
    PLACE_TRAVEL = 3,
    PLACE_FACTORY = 4,
};

struct CountryMapRecord {
    int32_t Id = 0;  // country index 0-7
    std::string Name;
    std::map<int32_t, PlacePoint> placePos;      // place Type -> button position (x, y)
    std::map<int32_t, PlacePoint> placeOverPos;  // place Type -> highlight position (nx, ny)
    std::vector<NpcSlot> npcSlots;               // in file order, duplicates kept
    std::vector<int32_t> sourceIds;              // materials the supplier sells, in file order

    bool operator==(const CountryMapRecord&) const = default;
};

// One set of game-data tables. Every map iterates in ascending Id order.
struct GameTables {
    std::optional<FXDefList> fxDefs;  // absent until FXData.xml has been opened once per load
    std::map<int32_t, SourceRecord> sourceTable;
    std::map<int32_t, BlueprintRecord> blueprintTable;
    std::map<int32_t, QuestRecord> questTable;
    std::map<int32_t, NpcRecord> npcTable;
    std::map<int32_t, CountryMapRecord> countryMapTable;
    std::map<int32_t, AwardRecord> awardTable;
    MiniGameTuning miniGameTuning;

    // Files ("properties/....xml") whose last reading stopped at a syntax error: their tables
    // hold only what came before it, so nothing may write them back from these tables.
    std::set<std::string> readIncomplete;

    GameTables() { miniGameTuning.SetDefaults(); }

    bool IsReadIncomplete(const std::string& fileName) const
    {
        return readIncomplete.count(fileName) != 0;
    }

    bool operator==(const GameTables&) const = default;
};

} // namespace Quor

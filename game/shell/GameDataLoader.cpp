#include "game/shell/GameDataLoader.h"

#include "app/Common.h"
#include "app/QuorAppBase.h"
#include "game/shell/DataAttributes.h"
#include "game/shell/ResourceBinding.h"
#include "resources/XMLParser.h"

#include <cstdio>
#include <utility>

namespace Quor {

namespace {

const std::string kEmpty;

// A malformed number reads as 0: the parser sets the value to 0 when it refuses.
int32_t ToInt(const std::string& text)
{
    int value = 0;
    StringToInt(text, &value);
    return value;
}

bool IsStart(const XMLElement& e, const char* section)
{
    return e.mType == XMLElement::TYPE_START && e.mSection == section;
}

void SetKeyframeType(FXKeyframeDef& k, const std::string& type, const std::string& subtype)
{
    k.subtype = 0;
    if (type == "TRANSLATE") {
        k.type = FXKeyframeType::TRANSLATE;
        if (subtype == "TRANS_X")
            k.subtype = FXKeyframeType::TRANS_X;
        else if (subtype == "TRANS_Y")
            k.subtype = FXKeyframeType::TRANS_Y;
    } else if (type == "ROTATE") {
        k.type = FXKeyframeType::ROTATE;
        if (subtype == "CLOCKWISE")
            k.subtype = FXKeyframeType::CLOCKWISE;
        else if (subtype == "ANTI_CLOCKWISE")
            k.subtype = FXKeyframeType::ANTI_CLOCKWISE;
    } else if (type == "SCALE") {
        k.type = FXKeyframeType::SCALE;
    } else if (type == "ALPHA") {
        k.type = FXKeyframeType::ALPHA;
    } else {
        k.type = FXKeyframeType::TRANSLATE;
    }
}

// The tuning block's attributes, in the order the file's reader takes them.
struct TuningDouble {
    const char* name;
    double MiniGameTuning::*field;
};
struct TuningInt {
    const char* name;
    int32_t MiniGameTuning::*field;
};

#define TUNING(f) {#f, &MiniGameTuning::f}
const TuningDouble kTuningDoubles[] = {
    TUNING(m1BasicSpeed1), TUNING(m1BasicSpeed2), TUNING(m1BasicSpeed3), TUNING(m1Time),
    TUNING(m1TimeDeduct), TUNING(m1Lv1Pass), TUNING(m1Lv2Pass), TUNING(m1Lv3Pass),
    TUNING(m2Time), TUNING(m2BonusMulti), TUNING(m3BasicSpeed), TUNING(m3MulSpeed),
    TUNING(m3Time), TUNING(m3Lv1Pass), TUNING(m3Lv2Pass), TUNING(m4LvMax), TUNING(m4LvStart),
    TUNING(m4LvUpQty), TUNING(m4BasicSpeed2), TUNING(m4BasicSpeed3), TUNING(m4BasicSpeed4),
    TUNING(m4BasicSpeed5), TUNING(m4LvSpeed), TUNING(m5Time), TUNING(m5TimeDeduct),
    TUNING(m5Lv1Pass), TUNING(m5Lv2Pass), TUNING(m5Lv3Pass), TUNING(m5TimeDropBowl),
    TUNING(m5TimeDropBowlLvMulti), TUNING(m6Prepare),
};
const TuningInt kTuningInts[] = {
    TUNING(m1Distance), TUNING(m5SrcLvMulti), TUNING(m5SrcNumAdd1), TUNING(m5SrcNumAdd2),
    TUNING(m5SrcNumAdd3), TUNING(m6Chance), TUNING(gp_fac_jap), TUNING(gp_fac_chi),
    TUNING(gp_fac_usa), TUNING(credit_fade),
};
#undef TUNING
static_assert(std::size(kTuningDoubles) + std::size(kTuningInts) == 41);

// The entry lists of a quest by their element names.
bool IsQuestList(const std::string& name)
{
    return name == "PreQuest" || name == "Reward" || name == "Target";
}

std::vector<QuestEntry>* QuestList(QuestRecord& quest, const std::string& name)
{
    return name == "PreQuest" ? &quest.PreQuest : name == "Reward" ? &quest.Reward : &quest.Target;
}

// Inserts a record under its Id; when the Id is taken the table keeps its first record and the
// new one lives on in the scratch record, so that the elements which follow it attach to it
// and are dropped with it. Returns the record later elements attach to.
template <class Record>
Record* InsertFirstWins(std::map<int32_t, Record>& table, Record&& record, Record& scratch)
{
    int32_t id = record.Id;
    auto [it, inserted] = table.try_emplace(id, std::move(record));
    if (inserted)
        return &it->second;
    scratch = std::move(record);  // try_emplace leaves the record untouched when the Id is taken
    return &scratch;
}

} // namespace

GameDataLoader::GameDataLoader(XMLParser& parser, GameTables& tables, QuorAppBase* app)
    : mParser(parser), mTables(tables), mApp(app)
{
}

bool GameDataLoader::LoadGameData()
{
    mTables.fxDefs.reset();
    if (!LoadFile("properties/FXData.xml", &GameDataLoader::LoadFXData))
        return false;
    if (!LoadFile("properties/DataSource.xml", &GameDataLoader::LoadSourceData))
        return false;
    if (!LoadFile("properties/DataBluePrint.xml", &GameDataLoader::LoadBluePrintData))
        return false;
    mTables.questTable.clear();
    for (int n = 0; n <= 1; ++n) {
        if (!LoadFile(StrFormat("properties/DataQuest_%d.xml", n), &GameDataLoader::LoadQuestData))
            return false;
    }
    if (!LoadFile("properties/DataNPC.xml", &GameDataLoader::LoadNPCData))
        return false;
    if (!LoadFile("properties/DataCountryMap.xml", &GameDataLoader::LoadCountryMapData))
        return false;
    if (!LoadFile("properties/DataAward.xml", &GameDataLoader::LoadAwardData))
        return false;
    return LoadFile("properties/DataMG.xml", &GameDataLoader::LoadMiniGameData);
}

bool GameDataLoader::LoadFile(const std::string& fileName, Reader reader)
{
    if (mParser.OpenFile(fileName)) {
        ReadOpenedFile(fileName, reader);
        return true;
    }
    std::string text = "Couldn't open " + fileName + ". Error returned:\n\"" +
                       mParser.GetErrorText() + "\"";
    mLog.push_back(text);
    if (mApp) {
        mApp->mShutdownRequested = true;
        mApp->MsgBox(text, "Error", 0);
    }
    return false;
}

void GameDataLoader::ReadOpenedFile(const std::string& fileName, Reader reader)
{
    mFileName = fileName;
    mTables.readIncomplete.erase(fileName);
    (this->*reader)();
}

bool GameDataLoader::Next(XMLElement& element)
{
    if (mParser.NextElement(&element))
        return true;
    if (mParser.HasFailed()) {
        WriteLog(SyntaxErrorLine(mFileName, mParser));
        mTables.readIncomplete.insert(mFileName);
    }
    return false;
}

void GameDataLoader::Skip(const std::string& what, const std::string& why)
{
    WriteLog("In " + mFileName + " on line " + std::to_string(mParser.GetCurrentLineNum()) + ": " +
             what + " was skipped: " + why + ".");
}

void GameDataLoader::WriteLog(const std::string& line)
{
    mLog.push_back(line);
    if (mApp) {
        mApp->LogScreenError(line);
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

bool GameDataLoader::LoadFXData()
{
    FXDefList& defs = mTables.fxDefs.emplace();
    int32_t keyframe = -1;  // index of the effect's last keyframe
    XMLElement e;
    while (Next(e)) {
        if (!IsStart(e, "FXData"))
            continue;
        if (e.mValue == "FX") {
            FXDef& def = defs.emplace_back();
            def.id = IntAttr(e, "id");
            def.img = ResourceIdByName(Attr(e, "img").c_str());
            def.frame = IntAttr(e, "frame");
            def.timePerLoop = DoubleAttr(e, "timePerLoop");
            def.isLoop = BoolAttr(e, "isLoop");
            def.playTime = IntAttr(e, "playTime");
            def.holdTime = DoubleAttr(e, "holdTime");
            keyframe = -1;
        } else if (e.mValue == "Keyframe") {
            if (defs.empty()) {
                Skip("<Keyframe>", "it comes before the first <FX>");
                continue;
            }
            FXKeyframeDef& track = defs.back().keyframes[++keyframe];
            track.loop = BoolAttr(e, "loop");
            SetKeyframeType(track, Attr(e, "type"), Attr(e, "subtype"));
        } else if (e.mValue == "Key") {
            if (keyframe < 0) {
                Skip("<Key>", "its <FX> has no <Keyframe> before it");
                continue;
            }
            defs.back().keyframes[keyframe].keys.emplace(DoubleAttr(e, "time"),
                                                         DoubleAttr(e, "val"));
        }
    }
    return true;
}

bool GameDataLoader::LoadSourceData()
{
    mTables.sourceTable.clear();
    XMLElement e;
    while (Next(e)) {
        if (!IsStart(e, "DataSource") || e.mValue != "Source")
            continue;
        SourceRecord record;
        record.Id = IntAttr(e, "Id");
        record.Name = Attr(e, "Name");
        record.Img = Attr(e, "Img");
        record.Price = IntAttr(e, "Price");
        mTables.sourceTable.try_emplace(record.Id, std::move(record));
    }
    return true;
}

bool GameDataLoader::LoadBluePrintData()
{
    auto& table = mTables.blueprintTable;
    table.clear();
    XMLElement e;
    while (Next(e)) {
        if (!IsStart(e, "DataBluePrint"))
            continue;
        if (e.mValue == "BluePrint") {
            BlueprintRecord record;
            record.Id = IntAttr(e, "Id");
            record.Name = Attr(e, "Name");
            record.Img = Attr(e, "Img");
            record.CountryId = IntAttr(e, "CountryId");
            table.try_emplace(record.Id, std::move(record));
        } else if (e.mValue == "Source" || e.mValue == "ColorSrc") {
            bool isSource = e.mValue == "Source";
            int32_t bpId = IntAttr(e, "BpId");
            auto it = table.find(bpId);
            if (it == table.end()) {
                Skip("<" + e.mValue + "> of blueprint " + std::to_string(bpId),
                     "no <BluePrint> with that Id comes before it");
                continue;
            }
            auto& lines = isSource ? it->second.materialQty : it->second.colorSources;
            lines.emplace(IntAttr(e, "Id"), IntAttr(e, isSource ? "Qty" : "IsColor"));
        }
    }
    return true;
}

bool GameDataLoader::LoadQuestData()
{
    QuestRecord scratch;
    QuestRecord* quest = nullptr;
    XMLElement e;
    while (Next(e)) {
        if (e.mType == XMLElement::TYPE_TEXT) {
            // Section "Quest/<list>/Prop": one number for the last entry of that list.
            const std::string& section = e.mSection;
            if (section.size() <= 11 || section.compare(0, 6, "Quest/") != 0 ||
                section.compare(section.size() - 5, 5, "/Prop") != 0)
                continue;
            std::string listName = section.substr(6, section.size() - 11);
            if (!IsQuestList(listName))
                continue;
            std::vector<QuestEntry>* list = quest ? QuestList(*quest, listName) : nullptr;
            if (!list || list->empty()) {
                Skip("<Prop> of a <" + listName + ">",
                     list ? "its quest has no <" + listName + "> before it"
                          : "it comes before the first <Data>");
                continue;
            }
            list->back().Prop.push_back(ToInt(e.mValue));
            continue;
        }
        if (!IsStart(e, "Quest"))
            continue;
        if (e.mValue == "Data") {
            QuestRecord record;
            record.Id = IntAttr(e, "Id");
            record.CountryId = IntAttr(e, "CountryId");
            record.Weight = IntAttr(e, "Weight");
            record.Des = Attr(e, "Des");
            quest = InsertFirstWins(mTables.questTable, std::move(record), scratch);
            continue;
        }
        if (!IsQuestList(e.mValue))
            continue;
        if (!quest) {
            Skip("<" + e.mValue + ">", "it comes before the first <Data>");
            continue;
        }
        // Only targets carry a second description.
        const std::string& subDes = e.mValue == "Target" ? Attr(e, "SubDes") : kEmpty;
        QuestList(*quest, e.mValue)->emplace_back(IntAttr(e, "Type"), Attr(e, "Des"), subDes);
    }
    return true;
}

bool GameDataLoader::LoadNPCData()
{
    mTables.npcTable.clear();
    NpcRecord scratch;
    NpcRecord* npc = nullptr;
    XMLElement e;
    while (Next(e)) {
        if (e.mType == XMLElement::TYPE_TEXT && e.mSection == "NPC/Speech/Des") {
            if (!npc) {
                Skip("<Des>", "it comes before the first <Data>");
                continue;
            }
            // Lines go to the set whose key is the number of sets less one, which is the set
            // read last when the sets are numbered 0, 1, 2 ... in file order.
            int32_t key = int32_t(npc->Speech.size()) - 1;
            NpcSpeech& speech = npc->Speech[key];
            speech.Id = key;
            speech.Des.push_back(e.mValue);
            continue;
        }
        if (!IsStart(e, "NPC"))
            continue;
        if (e.mValue == "Data") {
            NpcRecord record;
            record.Id = IntAttr(e, "Id");
            record.Name = Attr(e, "Name");
            record.Img = Attr(e, "Img");
            npc = InsertFirstWins(mTables.npcTable, std::move(record), scratch);
        } else if (e.mValue == "Speech") {
            if (!npc) {
                Skip("<Speech>", "it comes before the first <Data>");
                continue;
            }
            NpcSpeech speech;
            speech.Id = IntAttr(e, "Id");
            speech.Type = IntAttr(e, "Type");
            npc->Speech.try_emplace(speech.Id, std::move(speech));
        }
    }
    return true;
}

bool GameDataLoader::LoadCountryMapData()
{
    mTables.countryMapTable.clear();
    CountryMapRecord scratch;
    CountryMapRecord* country = nullptr;
    XMLElement e;
    while (Next(e)) {
        if (!IsStart(e, "DataCountryMap"))
            continue;
        if (e.mValue == "CountryMap") {
            CountryMapRecord record;
            record.Id = IntAttr(e, "Id");
            record.Name = Attr(e, "Name");
            country = InsertFirstWins(mTables.countryMapTable, std::move(record), scratch);
            continue;
        }
        if (e.mValue != "Pos" && e.mValue != "Npc" && e.mValue != "Source")
            continue;
        if (!country) {
            Skip("<" + e.mValue + ">", "it comes before the first <CountryMap>");
            continue;
        }
        if (e.mValue == "Pos") {
            int32_t type = IntAttr(e, "Type");
            country->placePos.try_emplace(type, PlacePoint{IntAttr(e, "x"), IntAttr(e, "y")});
            country->placeOverPos.try_emplace(type, PlacePoint{IntAttr(e, "nx"), IntAttr(e, "ny")});
        } else if (e.mValue == "Npc") {
            country->npcSlots.push_back(NpcSlot{IntAttr(e, "Rid"), IntAttr(e, "Nid")});
        } else {
            country->sourceIds.push_back(IntAttr(e, "Id"));
        }
    }
    return true;
}

bool GameDataLoader::LoadAwardData()
{
    mTables.awardTable.clear();
    XMLElement e;
    while (Next(e)) {
        if (!IsStart(e, "DataAward") || e.mValue != "Award")
            continue;
        AwardRecord record;
        record.Id = IntAttr(e, "Id");
        record.Name = Attr(e, "Name");
        record.Img = Attr(e, "Img");
        record.Des = Attr(e, "Des");
        record.X = IntAttr(e, "X");
        record.Y = IntAttr(e, "Y");
        mTables.awardTable.try_emplace(record.Id, std::move(record));
    }
    return true;
}

bool GameDataLoader::LoadMiniGameData()
{
    MiniGameTuning& tuning = mTables.miniGameTuning;
    XMLElement e;
    while (Next(e)) {
        if (!IsStart(e, "DataMG") || e.mValue != "MG")
            continue;
        for (const TuningDouble& f : kTuningDoubles)
            tuning.*f.field = DoubleAttr(e, f.name);
        for (const TuningInt& f : kTuningInts)
            tuning.*f.field = IntAttr(e, f.name);
    }
    return true;
}

} // namespace Quor

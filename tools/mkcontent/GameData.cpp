// The game data: reading it with the program's parser, the series recipes and the lint.
#include "tools/mkcontent/GameData.h"

#include <algorithm>
#include <functional>
#include <set>
#include <sstream>

#include "app/Common.h"
#include "resources/XMLParser.h"
#include "tools/mkcontent/Names.h"
#include "tools/mkcontent/Table.h"

namespace mkcontent {

const std::string* XmlItem::Find(const std::string& name) const {
    auto it = attributes.find(name);
    return it == attributes.end() ? nullptr : &it->second;
}

int XmlItem::Int(const std::string& name) const {
    int value = 0;
    if (const std::string* text = Find(name)) Quor::StringToInt(*text, &value);
    return value;
}

XmlFile ReadXmlFile(const std::string& path, const std::string& name) {
    XmlFile file;
    file.name = name;
    Quor::XMLParser parser;
    if (!parser.OpenFile(path)) {
        file.error = parser.GetErrorText();
        return file;
    }
    file.opened = true;
    Quor::XMLElement e;
    while (parser.NextElement(&e)) {
        if (e.mType != Quor::XMLElement::TYPE_START && e.mType != Quor::XMLElement::TYPE_TEXT) continue;
        XmlItem item;
        item.line = parser.GetCurrentLineNum();
        item.isText = e.mType == Quor::XMLElement::TYPE_TEXT;
        item.section = e.mSection;
        item.value = e.mValue;
        item.attributes = e.mAttributes;
        file.items.push_back(std::move(item));
    }
    if (parser.HasFailed()) {
        file.error = parser.GetErrorText();
        file.errorLine = parser.GetCurrentLineNum();
    }
    return file;
}

namespace {

const char* const kShapes[] = {"Plate", "Bowl", "Cup", "Teapot", "Vase"};
const size_t kShapeMaterials[] = {2, 3, 2, 4, 5};
const size_t kShapeGlazes[] = {1, 2, 1, 3, 2};

constexpr int kLastBody = 21;  // materials 1-21 are body materials, 22-36 glazes
constexpr int kFirstGlaze = 22, kLastGlaze = 36;

bool IsBody(int id) { return id >= 1 && id <= kLastBody; }
bool IsGlaze(int id) { return id >= kFirstGlaze && id <= kLastGlaze; }

std::vector<int> SplitInts(const Table& table, const Table::Row& row, const std::string& column) {
    std::vector<int> values;
    std::stringstream in(table.Cell(row, column));
    for (std::string part; std::getline(in, part, ',');) {
        int value = 0;
        if (!Quor::StringToInt(part, &value)) table.Fail(row, "column " + column + " holds \"" + part + "\", not a number");
        values.push_back(value);
    }
    return values;
}

// The materials each country's supplier sells, in slot order.
std::map<int, std::vector<int>> SoldMaterials(const XmlFile& countries) {
    std::map<int, std::vector<int>> sold;
    int country = -1;
    for (const XmlItem& e : countries.items) {
        if (e.isText || e.section != "DataCountryMap") continue;
        if (e.value == "CountryMap") country = e.Int("Id");
        else if (e.value == "Source" && country >= 0) sold[country].push_back(e.Int("Id"));
    }
    return sold;
}

} // namespace

std::vector<Recipe> SeriesRecipes(const std::string& contentDir) {
    const std::string mapName = "properties/DataCountryMap.xml";
    XmlFile countries = ReadXmlFile(contentDir + "/" + mapName, mapName);
    if (!countries.opened || !countries.error.empty())
        throw ContentError(contentDir + "/" + mapName + ": cannot be read: " + countries.error);
    std::map<int, std::vector<int>> sold = SoldMaterials(countries);

    Table table = Table::Load(contentDir + "/series.tsv");
    std::vector<Recipe> recipes;
    int expected = 1;
    for (const Table::Row& row : table.Rows()) {
        int series = table.Int(row, "series", -1);
        if (series != expected) table.Fail(row, "series " + std::to_string(expected) + " comes next");
        ++expected;
        int country = series % 8;
        std::vector<int> body;
        for (int id : sold[country])
            if (IsBody(id)) body.push_back(id);
        if (body.size() < 2)
            table.Fail(row, "country " + std::to_string(country) + " sells fewer than two body materials");
        std::vector<int> glazes = SplitInts(table, row, "glazes");
        if (glazes.empty() || glazes.size() > 3) table.Fail(row, "needs one to three glazes");
        for (int id : glazes)
            if (!IsGlaze(id)) table.Fail(row, "glaze " + std::to_string(id) + " is not one of 22-36");
        for (size_t k = 0; k < 5; ++k) {
            Recipe r;
            r.id = series * 5 + int(k) + 1;
            r.name = table.Cell(row, "name") + " " + kShapes[k];
            r.img = "PD_" + std::to_string(r.id);
            r.country = country;
            size_t materials = std::min(kShapeMaterials[k], body.size());
            for (size_t i = 0; i < materials; ++i) r.materials.push_back({body[(k + i) % body.size()], i == 0 ? 2 : 1});
            size_t stages = std::min(kShapeGlazes[k], glazes.size());
            for (size_t j = 0; j < stages; ++j) r.glazes.push_back({glazes[(k + j) % glazes.size()], int(j) + 1});
            recipes.push_back(std::move(r));
        }
    }
    if (expected != 16) throw ContentError(contentDir + "/series.tsv: needs the series 1-15");
    return recipes;
}

std::string MergeRecipes(const std::string& handWritten, const std::vector<Recipe>& recipes) {
    const std::string closing = "</DataBluePrint>";
    size_t at = handWritten.rfind(closing);
    if (at == std::string::npos) throw ContentError("properties/DataBluePrint.xml: has no " + closing);
    std::string added = "  <!-- Made by the content tool from series.tsv. -->\n";
    for (const Recipe& r : recipes) {
        added += "  <BluePrint Id=\"" + std::to_string(r.id) + "\" Name=\"" + r.name + "\" Img=\"" + r.img +
                 "\" CountryId=\"" + std::to_string(r.country) + "\"/>\n";
        for (auto [id, qty] : r.materials)
            added += "  <Source BpId=\"" + std::to_string(r.id) + "\" Id=\"" + std::to_string(id) + "\" Qty=\"" +
                     std::to_string(qty) + "\"/>\n";
        for (auto [id, stage] : r.glazes)
            added += "  <ColorSrc BpId=\"" + std::to_string(r.id) + "\" Id=\"" + std::to_string(id) +
                     "\" IsColor=\"" + std::to_string(stage) + "\"/>\n";
    }
    return handWritten.substr(0, at) + added + handWritten.substr(at);
}

namespace {

const char* const kDataFiles[] = {"FXData.xml",      "DataSource.xml",     "DataBluePrint.xml",
                                   "DataQuest_0.xml", "DataQuest_1.xml",    "DataNPC.xml",
                                   "DataCountryMap.xml", "DataAward.xml",   "DataMG.xml",
                                   "DataTutor.xml"};

const char* const kTuning[] = {
    "m1BasicSpeed1", "m1BasicSpeed2", "m1BasicSpeed3", "m1Distance", "m1Time", "m1TimeDeduct", "m1Lv1Pass",
    "m1Lv2Pass", "m1Lv3Pass", "m2Time", "m2BonusMulti", "m3BasicSpeed", "m3MulSpeed", "m3Time", "m3Lv1Pass",
    "m3Lv2Pass", "m4LvMax", "m4LvStart", "m4LvUpQty", "m4BasicSpeed2", "m4BasicSpeed3", "m4BasicSpeed4",
    "m4BasicSpeed5", "m4LvSpeed", "m5Time", "m5TimeDeduct", "m5Lv1Pass", "m5Lv2Pass", "m5Lv3Pass",
    "m5TimeDropBowl", "m5TimeDropBowlLvMulti", "m5SrcLvMulti", "m5SrcNumAdd1", "m5SrcNumAdd2", "m5SrcNumAdd3",
    "m6Prepare", "m6Chance", "gp_fac_jap", "gp_fac_chi", "gp_fac_usa", "credit_fade"};
static_assert(std::size(kTuning) == 41);

const char* const kTutorAttributes[] = {"Id", "Next", "Type", "Pass", "Des", "Time", "X",
                                        "Y",  "W",    "H",    "Img",  "ImgX", "ImgY", "Action"};

constexpr int kTutorEnd = -999;
const char* const kSeriesTable = "series.tsv";

struct Speech {
    int line = 0;
    int type = 0;
};
struct Character {
    int line = 0;
    std::vector<Speech> speeches;  // by Id (ids run 0, 1, 2 ... in file order)
};
struct Entry {
    int line = 0;
    int type = 0;
    std::vector<int> props;
};
struct Quest {
    int line = 0;
    std::vector<Entry> pre, rewards, targets;
};
struct Country {
    int line = 0;
    std::vector<std::pair<int, int>> slots;  // slot, character
    std::vector<int> sources;
};
struct Step {
    int line = 0;
    int next = 0, pass = 0, action = 0;
};

class Linter {
public:
    Linter(const std::string& dir, const std::string& namesFile) : mDir(dir) {
        for (const ResourceName& n : LoadResourceNames(namesFile))
            if (n.id >= 0 && n.kind == Kind::Image) mNumbered.insert(n.name);
    }

    std::vector<std::string> Run() {
        for (const char* name : kDataFiles) Read(name);
        Materials();
        Recipes();
        Countries();
        Characters();
        Quests();
        Awards();
        Effects();
        Tuning();
        Tutorial();
        Slots();
        TalkTargets();
        Rewards();
        SkipMatchesTheTutorial();
        return mMessages;
    }

private:
    void Report(const std::string& file, int line, const std::string& rule, const std::string& text) {
        const std::string path = file == kSeriesTable ? file : "properties/" + file;
        mMessages.push_back(path + ":" + std::to_string(line) + ": [" + rule + "] " + text);
    }

    void Read(const std::string& name) {
        XmlFile file = ReadXmlFile(mDir + "/properties/" + name, "properties/" + name);
        if (!file.opened) Report(name, 0, "read", "cannot be opened: " + file.error);
        else if (!file.error.empty())
            Report(name, file.errorLine, "read", "the parser stops here (" + file.error + "); the rest is not read");
        mFiles[name] = std::move(file);
    }

    // The start tags directly inside root (root "" for files without one).
    std::vector<const XmlItem*> Tags(const std::string& file, const std::string& section, const std::string& tag) {
        std::vector<const XmlItem*> found;
        for (const XmlItem& e : mFiles[file].items)
            if (!e.isText && e.section == section && e.value == tag) found.push_back(&e);
        return found;
    }

    void Image(const std::string& file, const XmlItem& e, const char* attribute, const std::string& prefix) {
        const std::string* img = e.Find(attribute);
        std::string name = img ? *img : "";
        if (name.compare(0, prefix.size(), prefix) != 0 || !mNumbered.count(name))
            Report(file, e.line, "image", std::string(attribute) + " \"" + name + "\" is no numbered picture " + prefix + "<n>");
    }

    // Ids from first on without gaps or repeats; returns the records by Id.
    std::map<int, const XmlItem*> Contiguous(const std::string& file, const std::vector<const XmlItem*>& records,
                                             const char* attribute, int first, const std::string& what) {
        std::map<int, const XmlItem*> byId;
        int expected = first;
        for (const XmlItem* e : records) {
            int id = e->Int(attribute);
            if (!byId.emplace(id, e).second) Report(file, e->line, "ids", what + " " + std::to_string(id) + " is repeated");
            else if (id != expected)
                Report(file, e->line, "ids", what + " " + std::to_string(id) + " where " + std::to_string(expected) + " comes next");
            expected = std::max(expected, id) + 1;
        }
        return byId;
    }

    void Materials() {
        auto records = Tags("DataSource.xml", "DataSource", "Source");
        mMaterials = Contiguous("DataSource.xml", records, "Id", 1, "material");
        for (const XmlItem* e : records) Image("DataSource.xml", *e, "Img", "S_");
    }

    void Recipe(const std::string& file, const mkcontent::Recipe& r, int line) {
        auto where = [&](const std::string& text) { Report(file, line, "recipe", "recipe " + std::to_string(r.id) + " " + text); };
        if (r.id < 1 || r.id > 80) where("has an Id outside 1-80");
        if (r.country < 0 || r.country > 7) where("is made in country " + std::to_string(r.country) + ", not one of 0-7");
        if (r.materials.size() < 2 || r.materials.size() > 5) where("needs 2-5 materials, has " + std::to_string(r.materials.size()));
        for (auto [id, qty] : r.materials)
            if (!IsBody(id) || !mMaterials.count(id) || qty < 1)
                where("uses material " + std::to_string(id) + " x " + std::to_string(qty) + ", not a body material 1-21 of at least 1");
        if (r.glazes.empty() || r.glazes.size() > 3) where("needs 1-3 glazes, has " + std::to_string(r.glazes.size()));
        for (auto [id, stage] : r.glazes)
            if (!IsGlaze(id) || !mMaterials.count(id) || stage < 1 || stage > 3)
                where("has glaze " + std::to_string(id) + " at stage " + std::to_string(stage) + ", not a glaze 22-36 at stage 1-3");
    }

    void Recipes() {
        const std::string file = "DataBluePrint.xml";
        std::vector<mkcontent::Recipe> recipes;
        std::vector<const XmlItem*> heads;
        for (const XmlItem& e : mFiles[file].items) {
            if (e.isText || e.section != "DataBluePrint") continue;
            if (e.value == "BluePrint") {
                mkcontent::Recipe r;
                r.id = e.Int("Id");
                r.img = e.Find("Img") ? *e.Find("Img") : "";
                r.country = e.Int("CountryId");
                recipes.push_back(r);
                heads.push_back(&e);
                Image(file, e, "Img", "PD_");
            } else if (e.value == "Source" || e.value == "ColorSrc") {
                if (recipes.empty() || recipes.back().id != e.Int("BpId")) {
                    Report(file, e.line, "recipe", "<" + e.value + "> of recipe " + std::to_string(e.Int("BpId")) +
                                                       " does not follow that recipe's <BluePrint>");
                    continue;
                }
                if (e.value == "Source") recipes.back().materials.push_back({e.Int("Id"), e.Int("Qty")});
                else recipes.back().glazes.push_back({e.Int("Id"), e.Int("IsColor")});
            }
        }
        for (size_t i = 0; i < recipes.size(); ++i) Recipe(file, recipes[i], heads[i]->line);
        // The series table's recipes follow the hand-written ones.
        std::vector<mkcontent::Recipe> series;
        try {
            series = SeriesRecipes(mDir);
        } catch (const ContentError& error) {
            Report(file, 0, "recipe", std::string("the series recipes cannot be made: ") + error.what());
        }
        std::vector<XmlItem> seriesHeads;
        for (const mkcontent::Recipe& r : series) {
            Recipe(kSeriesTable, r, 0);
            XmlItem head;
            head.attributes = {{"Id", std::to_string(r.id)}};
            seriesHeads.push_back(head);
        }
        for (const XmlItem& h : seriesHeads) heads.push_back(&h);
        Contiguous(file, heads, "Id", 1, "recipe");
    }

    void Countries() {
        const std::string file = "DataCountryMap.xml";
        std::vector<const XmlItem*> records;
        for (const XmlItem& e : mFiles[file].items) {
            if (e.isText || e.section != "DataCountryMap") continue;
            if (e.value == "CountryMap") {
                records.push_back(&e);
                mCountries[e.Int("Id")] = Country{e.line, {}, {}};
            } else if (!records.empty() && e.value == "Npc") {
                mCountries[records.back()->Int("Id")].slots.push_back({e.Int("Rid"), e.Int("Nid")});
            } else if (!records.empty() && e.value == "Source") {
                mCountries[records.back()->Int("Id")].sources.push_back(e.Int("Id"));
            }
        }
        Contiguous(file, records, "Id", 0, "country");
        std::set<int> sold;
        for (auto& [id, c] : mCountries) sold.insert(c.sources.begin(), c.sources.end());
        for (auto& [id, e] : mMaterials)
            if (!sold.count(id)) Report("DataSource.xml", e->line, "sold", "material " + std::to_string(id) + " is sold in no country");
    }

    void Characters() {
        const std::string file = "DataNPC.xml";
        int current = 0;
        for (const XmlItem& e : mFiles[file].items) {
            if (e.isText || e.section != "NPC") continue;
            if (e.value == "Data") {
                current = e.Int("Id");
                if (mCharacters.count(current)) Report(file, e.line, "ids", "character " + std::to_string(current) + " is repeated");
                mCharacters[current] = Character{e.line, {}};
                Image(file, e, "Img", "NPC_");
            } else if (e.value == "Speech" && mCharacters.count(current)) {
                auto& speeches = mCharacters[current].speeches;
                if (e.Int("Id") != int(speeches.size()))
                    Report(file, e.line, "ids", "speech " + std::to_string(e.Int("Id")) + " of character " +
                                                    std::to_string(current) + " where " + std::to_string(speeches.size()) + " comes next");
                speeches.push_back({e.line, e.Int("Type")});
            }
        }
    }

    void Quests() {
        for (const char* file : {"DataQuest_0.xml", "DataQuest_1.xml"}) {
            Quest* quest = nullptr;
            Entry* entry = nullptr;
            for (const XmlItem& e : mFiles[file].items) {
                if (e.isText) {
                    if (entry && e.section.size() > 5 && e.section.compare(e.section.size() - 5, 5, "/Prop") == 0) {
                        int value = 0;
                        Quor::StringToInt(e.value, &value);
                        entry->props.push_back(value);
                    }
                    continue;
                }
                if (e.section != "Quest") continue;
                if (e.value == "Data") {
                    int id = e.Int("Id");
                    if (mQuests.count(id)) Report(file, e.line, "ids", "quest " + std::to_string(id) + " is repeated");
                    quest = &mQuests[id];
                    quest->line = e.line;
                    mQuestFile[id] = file;
                    entry = nullptr;
                } else if (quest && (e.value == "PreQuest" || e.value == "Reward" || e.value == "Target")) {
                    auto& list = e.value == "PreQuest" ? quest->pre : e.value == "Reward" ? quest->rewards : quest->targets;
                    list.push_back({e.line, e.Int("Type"), {}});
                    entry = &list.back();
                }
            }
        }
        if (!mQuests.count(1)) Report("DataQuest_0.xml", 0, "quest1", "quest 1, which every new player starts with, is missing");
    }

    void Awards() {
        auto records = Tags("DataAward.xml", "DataAward", "Award");
        Contiguous("DataAward.xml", records, "Id", 0, "award");
        for (const XmlItem* e : records) Image("DataAward.xml", *e, "Img", "MA_A");
    }

    void Effects() {
        auto records = Tags("FXData.xml", "FXData", "FX");
        for (int id : {2, 4, 5, 101}) {
            auto it = std::find_if(records.begin(), records.end(), [&](const XmlItem* e) { return e->Int("id") == id; });
            if (it == records.end()) Report("FXData.xml", 0, "effect", "effect " + std::to_string(id) + " is missing");
        }
        for (const XmlItem* e : records) Image("FXData.xml", *e, "img", "");
    }

    void Tuning() {
        auto records = Tags("DataMG.xml", "DataMG", "MG");
        if (records.size() != 1) Report("DataMG.xml", 0, "tuning", "needs exactly one <MG>, has " + std::to_string(records.size()));
        for (const XmlItem* e : records)
            for (const char* name : kTuning)
                if (!e->Find(name)) Report("DataMG.xml", e->line, "tuning", std::string("attribute ") + name + " is missing (it would read 0)");
    }

    void Tutorial() {
        const std::string file = "DataTutor.xml";
        for (const XmlItem* e : Tags(file, "DataTutor", "Tutor")) {
            for (const char* name : kTutorAttributes)
                if (!e->Find(name)) Report(file, e->line, "tutor", std::string("attribute ") + name + " is missing (it would read 0)");
            int id = e->Int("Id");
            if (!mSteps.emplace(id, Step{e->line, e->Int("Next"), e->Int("Pass"), e->Int("Action")}).second)
                Report(file, e->line, "ids", "step " + std::to_string(id) + " is repeated");
        }
        if (!mSteps.count(0)) {
            Report(file, 0, "tutor", "step 0, where every tutorial starts, is missing");
            return;
        }
        if (auto it = mSteps.find(39); it != mSteps.end() && it->second.pass == 10001)
            Report(file, it->second.line, "tutor", "step 39 waits for 10001, which the cellar's SELL button passes at step 38 already");
        // Walk the script from step 0 along Next and the branches of actions 608 and 702.
        std::set<int> seen;
        std::vector<int> path{0};
        std::function<void(int)> walk = [&](int id) {
            const Step& step = mSteps[id];
            std::vector<int> nexts{step.next};
            if (step.action == 608) nexts = {609, 610, 611};
            if (step.action == 702) nexts = {709, 710, 711};
            if (step.action == 99999)
                Report(file, step.line, "tutor-end", "action 99999 leaves the tutorial unfinished in the saved game; end with Next -999");
            for (int next : nexts) {
                if (next == kTutorEnd) continue;
                if (!mSteps.count(next)) {
                    Report(file, step.line, "tutor", "step " + std::to_string(id) + " goes on to step " + std::to_string(next) + ", which is missing");
                    continue;
                }
                if (std::find(path.begin(), path.end(), next) != path.end()) {
                    Report(file, step.line, "tutor-end", "step " + std::to_string(id) + " leads back to step " +
                                                              std::to_string(next) + ": the tutorial never ends");
                    continue;
                }
                if (!seen.insert(next).second) continue;
                path.push_back(next);
                walk(next);
                path.pop_back();
            }
        };
        walk(0);
        bool ends = std::any_of(mSteps.begin(), mSteps.end(), [&](const auto& s) {
            return (s.first == 0 || seen.count(s.first)) && s.second.next == kTutorEnd;
        });
        if (!ends) Report(file, 0, "tutor-end", "no step reached from step 0 ends the tutorial with Next -999");
    }

    void Slots() {
        std::set<int> checked;  // characters whose speeches have been looked at
        for (const auto& [id, country] : mCountries) {
            for (int slot = 0; slot <= 2; ++slot) {
                bool found = false;
                for (auto [s, character] : country.slots) {
                    if (s != slot) continue;
                    auto it = mCharacters.find(character);
                    if (it == mCharacters.end()) {
                        Report("DataCountryMap.xml", country.line, "slot", "slot " + std::to_string(slot) + " lists character " +
                                                                               std::to_string(character) + ", who is missing");
                        continue;
                    }
                    if (checked.insert(character).second)
                        for (const Speech& speech : it->second.speeches)
                            if (speech.type != 1)
                                Report("DataNPC.xml", speech.line, "slot", "character " + std::to_string(character) +
                                       " is listed for slot " + std::to_string(slot) + " of country " + std::to_string(id) +
                                       ", where idle talk may pick this speech of Type " + std::to_string(speech.type) +
                                       "; listed characters speak only Type 1");
                    found = true;
                }
                if (!found)
                    Report("DataCountryMap.xml", country.line, "slot", "country " + std::to_string(id) + " lists no character for slot " + std::to_string(slot));
            }
        }
    }

    // The Type-5 targets of a quest, by index.
    static std::vector<size_t> TalkTargets(const Quest& quest) {
        std::vector<size_t> talks;
        for (size_t i = 0; i < quest.targets.size(); ++i)
            if (quest.targets[i].type == 5) talks.push_back(i);
        return talks;
    }

    void TalkTargets() {
        for (const auto& [id, quest] : mQuests) {
            const std::string& file = mQuestFile[id];
            std::vector<size_t> talks = TalkTargets(quest);
            for (size_t n = 0; n < talks.size(); ++n) {
                const Entry& t = quest.targets[talks[n]];
                bool middle = talks[n] != 0 && n + 1 != talks.size();
                size_t wanted = middle ? 7 : 6;
                std::string what = "quest " + std::to_string(id) + " target " + std::to_string(talks[n]);
                if (t.props.size() != wanted) {
                    Report(file, t.line, "talk", what + " has " + std::to_string(t.props.size()) + " Props, a " +
                                                     (middle ? "middle" : "first or last") + " talk target has " + std::to_string(wanted));
                    if (t.props.size() < 6) continue;
                }
                int place = t.props[0], country = place / 10 - 1, slot = place % 10;
                if (!mCountries.count(country) || slot > 2)
                    Report(file, t.line, "talk", what + " names place " + std::to_string(place) + ", no slot 0-2 of a country");
                auto character = mCharacters.find(t.props[1]);
                if (character == mCharacters.end()) {
                    Report(file, t.line, "talk", what + " names character " + std::to_string(t.props[1]) + ", who is missing");
                    continue;
                }
                for (size_t p = 3; p < t.props.size(); ++p)
                    if (t.props[p] < 0 || size_t(t.props[p]) >= character->second.speeches.size())
                        Report(file, t.line, "talk", what + " Prop " + std::to_string(p) + " names speech " + std::to_string(t.props[p]) +
                                                         ", which character " + std::to_string(t.props[1]) + " does not have");
            }
        }
    }

    // Quests that can be handed in only after quest 4, the tutorial's last one, is finished.
    bool AfterTutorial(int id, std::set<int>& visiting) {
        if (id == 4) return true;
        if (!mQuests.count(id) || !visiting.insert(id).second) return false;
        for (const Entry& pre : mQuests[id].pre)
            if (pre.type == 1 && !pre.props.empty() && AfterTutorial(pre.props[0], visiting)) return true;
        return false;
    }

    void Rewards() {
        for (const auto& [id, quest] : mQuests) {
            std::vector<size_t> talks = TalkTargets(quest);
            for (const Entry& r : quest.rewards) {
                std::string what = "quest " + std::to_string(id) + " reward of Type " + std::to_string(r.type);
                bool paid = !r.props.empty() && r.props[0] >= 0 &&
                            std::find(talks.begin(), talks.end(), size_t(r.props[0])) != talks.end();
                if (!paid)
                    Report(mQuestFile[id], r.line, "reward", what + " names target " + (r.props.empty() ? "none" : std::to_string(r.props[0])) +
                                                                  ", not a talk target");
                std::set<int> visiting;
                if (r.type == 8 && (id == 4 || !AfterTutorial(id, visiting)))
                    Report(mQuestFile[id], r.line, "tutor-reward", what + " starts a tutorial step, but the quest can be handed in while the "
                                                                   "tutorial runs: a second tutorial frame would open");
            }
        }
    }

    // Skipping the tutorial grants recipes 1-4, Germany, both mini-games, materials 1, 7 and 25
    // and finishes quests 1-4; playing it must end in the same state.
    void SkipMatchesTheTutorial() {
        std::set<std::pair<int, int>> granted{{4, 1}};  // every new player owns recipe 1
        for (int id = 1; id <= 4; ++id) {
            if (!mQuests.count(id)) {
                Report("DataQuest_0.xml", 0, "skip", "tutorial quest " + std::to_string(id) + " is missing");
                continue;
            }
            for (const Entry& r : mQuests[id].rewards)
                if (r.props.size() >= 2) granted.insert({r.type, r.props[1]});
        }
        const std::pair<int, int> wanted[] = {{4, 2}, {4, 3}, {4, 4}, {5, 1}, {9, 1}, {9, 2}, {3, 25}};
        const char* names[] = {"recipe 2", "recipe 3", "recipe 4", "Germany", "mini-game 1", "mini-game 2", "material 25"};
        for (size_t i = 0; i < std::size(wanted); ++i)
            if (!granted.count(wanted[i]))
                Report("DataQuest_0.xml", mQuests.count(1) ? mQuests[1].line : 0, "skip",
                       std::string("the rewards of quests 1-4 never give ") + names[i] + ", which skipping the tutorial gives");
        // The tutorial buys material 1 in the supplier's slot 0 and material 7 in slot 1.
        auto england = mCountries.find(0);
        if (england == mCountries.end() || england->second.sources.size() < 2 || england->second.sources[0] != 1 ||
            england->second.sources[1] != 7)
            Report("DataCountryMap.xml", england == mCountries.end() ? 0 : england->second.line, "skip",
                   "England's supplier must sell material 1 in slot 0 and material 7 in slot 1, which the tutorial buys");
    }

    std::string mDir;
    std::set<std::string> mNumbered;
    std::map<std::string, XmlFile> mFiles;
    std::vector<std::string> mMessages;
    std::map<int, const XmlItem*> mMaterials;
    std::map<int, Country> mCountries;
    std::map<int, Character> mCharacters;
    std::map<int, Quest> mQuests;
    std::map<int, std::string> mQuestFile;
    std::map<int, Step> mSteps;
};

} // namespace

std::vector<std::string> LintGameData(const std::string& contentDir, const std::string& namesFile) {
    return Linter(contentDir, namesFile).Run();
}

} // namespace mkcontent

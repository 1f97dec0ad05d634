#include "editor/QuestFiles.h"

#include "editor/EditorFiles.h"

namespace Quor {

namespace {

void PropLines(std::string& out, const std::vector<int32_t>& props, int64_t firstReplaced, bool replaceFirst)
{
    for (size_t i = 0; i < props.size(); ++i) {
        out += "\t\t<Prop>";
        out += i == 0 && replaceFirst ? std::to_string(firstReplaced) : std::to_string(props[i]);
        out += "</Prop>\n";
    }
}

constexpr int32_t kTalkTarget = 5;

} // namespace

std::string QuestElementBytes(const QuestRecord& quest, const std::string& baseName)
{
    const bool convertTalks = baseName == "DataQuestChange";
    std::string out = "<Quest>\n\t<Data\n";
    out += "\t\tId = \"" + std::to_string(quest.Id) + "\"\n";
    out += "\t\tCountryId = \"" + std::to_string(quest.CountryId) + "\"\n";
    out += "\t\tWeight = \"" + std::to_string(quest.Weight) + "\"\n";
    out += "\t\tDes = \"" + EscapeXmlText(quest.Des) + "\"\n";
    out += "\t/>\n";
    for (const QuestEntry& e : quest.PreQuest) {
        out += "\t<PreQuest\tType = \"" + std::to_string(e.Type) + "\"";
        // The reader keeps a condition's Des, so one that has a text carries it.
        if (!e.Des.empty())
            out += "\tDes = \"" + EscapeXmlText(e.Des) + "\"";
        out += ">\n";
        PropLines(out, e.Prop, 0, false);
        out += "\t</PreQuest>\n";
    }
    out += "\n";
    for (const QuestEntry& e : quest.Reward) {
        out += "\t<Reward\t\tType = \"" + std::to_string(e.Type) + "\"\tDes = \"" + EscapeXmlText(e.Des) + "\">\n";
        PropLines(out, e.Prop, 0, false);
        out += "\t</Reward>\n";
    }
    out += "\n";
    for (const QuestEntry& e : quest.Target) {
        out += "\t<Target\t\tType = \"" + std::to_string(e.Type) + "\"\tDes = \"" + EscapeXmlText(e.Des) +
               "\"\tSubDes = \"" + EscapeXmlText(e.SubDes) + "\">\n";
        const bool convert = convertTalks && e.Type == kTalkTarget && !e.Prop.empty();
        PropLines(out, e.Prop, convert ? int64_t(e.Prop[0]) * 10 + 12 : 0, convert);
        out += "\t</Target>\n";
    }
    out += "</Quest>\n\n\n\n";
    return out;
}

std::string NpcElementBytes(const NpcRecord& npc)
{
    std::string out = "<NPC>\n\t<Data\n";
    out += "\t\tId = \"" + std::to_string(npc.Id) + "\"\n";
    out += "\t\tName = \"" + EscapeXmlText(npc.Name) + "\"\n";
    out += "\t\tImg = \"" + EscapeXmlText(npc.Img) + "\"\n";
    out += "\t/>\n";
    for (const auto& [key, speech] : npc.Speech) {
        out += "\t<Speech\t\tId = \"" + std::to_string(speech.Id) + "\"\tType = \"" + std::to_string(speech.Type) +
               "\">\n";
        for (const std::string& line : speech.Des)
            out += "\t\t<Des>" + EscapeXmlText(line) + "</Des>\n";
        out += "\t</Speech>\n";
    }
    out += "</NPC>\n\n\n\n";
    return out;
}

std::string NpcFileBytes(const std::map<int32_t, NpcRecord>& npcs)
{
    std::string out = kQuestFileHeader;
    for (const auto& [id, npc] : npcs)
        out += NpcElementBytes(npc);
    return out;
}

std::vector<EditorFile> DataQuestFiles(const std::string& baseName, const std::map<int32_t, QuestRecord>& quests,
                                       const std::map<int32_t, NpcRecord>& npcs)
{
    std::vector<EditorFile> files(3);
    files[0].path = "properties/" + baseName + "_0.xml";
    files[1].path = "properties/" + baseName + "_1.xml";
    files[2].path = baseName == "DataQuest" ? "properties/DataNPC.xml" : "properties/" + baseName + "_DataNPC.xml";
    files[0].bytes = files[1].bytes = kQuestFileHeader;
    for (const auto& [id, quest] : quests)
        files[id > kLastQuestOfFirstFile ? 1 : 0].bytes += QuestElementBytes(quest, baseName);
    files[2].bytes = NpcFileBytes(npcs);
    return files;
}

namespace {

std::string LineProblem(const std::string& line)
{
    if (line.empty())
        return "is empty";
    for (size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c < 32)
            return "holds a control character";
        if (c == ' ' && (i == 0 || i + 1 == line.size()))
            return "starts or ends with a blank";
        if (c == ' ' && line[i + 1] == ' ')
            return "holds two blanks in a row";
    }
    return "";
}

} // namespace

std::string NpcTableProblem(const std::map<int32_t, NpcRecord>& npcs)
{
    for (const auto& [id, npc] : npcs) {
        const std::string who = "character " + std::to_string(id);
        int32_t expected = 0;
        for (const auto& [key, speech] : npc.Speech) {
            if (key != expected || speech.Id != expected)
                return who + " has speech set " + std::to_string(speech.Id) + " where set " +
                       std::to_string(expected) + " belongs (sets must be numbered 0, 1, 2 ... )";
            for (size_t i = 0; i < speech.Des.size(); ++i) {
                std::string problem = LineProblem(speech.Des[i]);
                if (!problem.empty())
                    return "line " + std::to_string(i + 1) + " of speech set " + std::to_string(key) + " of " + who +
                           " " + problem;
            }
            ++expected;
        }
    }
    return "";
}

} // namespace Quor

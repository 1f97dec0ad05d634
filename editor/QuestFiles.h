// The bytes of the quest and character files the data editor writes ("<base>_0.xml",
// "<base>_1.xml" and the character file), and the check that a character table reads back as it
// is held.
#pragma once

#include "game/shell/GameTables.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Quor {

// The declaration and the empty line every quest and character file starts with.
inline constexpr const char* kQuestFileHeader = "<?xml version=\"1.0\"?>\n\n";

// Quests up to this Id (zero and negatives too) go to the "_0" file, the rest to "_1".
constexpr int32_t kLastQuestOfFirstFile = 100;

// The longest base name the three quest-mode paths hold: "properties/<name>_DataNPC.xml" has at
// most 49 characters.
constexpr std::size_t kMaxQuestBaseName = 26;

// One Quest element. Under the base name "DataQuestChange" the first Prop of every talk target
// (type 5) is written as ten times it plus 12; the record itself is not changed.
std::string QuestElementBytes(const QuestRecord& quest, const std::string& baseName);

// One NPC element: its Data part, then each speech set (its own Id, its Type, its lines).
std::string NpcElementBytes(const NpcRecord& npc);

// A whole character file: the header and one NPC element per character in ascending Id order.
std::string NpcFileBytes(const std::map<int32_t, NpcRecord>& npcs);

struct EditorFile {
    std::string path;
    std::string bytes;

    bool operator==(const EditorFile&) const = default;
};

// The three files SAVE writes in the quest mode, in writing order: "properties/<base>_0.xml",
// "properties/<base>_1.xml" (only the header when no Id exceeds 100) and the character file,
// "properties/DataNPC.xml" for the base name "DataQuest" exactly, else
// "properties/<base>_DataNPC.xml".
std::vector<EditorFile> DataQuestFiles(const std::string& baseName, const std::map<int32_t, QuestRecord>& quests,
                                       const std::map<int32_t, NpcRecord>& npcs);

// Why the character table would read back changed from its file, "" when it would not: the
// reader numbers the speech sets of a character 0, 1, 2 ... in file order, and a line read back
// loses blanks at its ends, runs of blanks and control characters.
std::string NpcTableProblem(const std::map<int32_t, NpcRecord>& npcs);

} // namespace Quor

// The data editor's file side: the bytes of the material and blueprint files, the escaping of
// their texts, the checked number parse of the edit fields and the rule for the base name that
// SAVE writes under.
#pragma once

#include "game/shell/GameTables.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace Quor {

// '&', '<', '>' and '"' as the entities the XML parser decodes; every other byte as it is.
std::string EscapeXmlText(const std::string& text);

// "properties/DataSource.xml" as the material table: declaration, root, one Source element of
// six lines per material in ascending Id order.
std::string DataSourceBytes(const std::map<int32_t, SourceRecord>& materials);

// Erases from every blueprint the colour sources of materials it does not use.
void PruneColorSources(std::map<int32_t, BlueprintRecord>& blueprints);

// "properties/DataBluePrint.xml" as the blueprint table: per blueprint its BluePrint element,
// one Source line per material, one ColorSrc line per colour source and an empty line.
std::string DataBluePrintBytes(const std::map<int32_t, BlueprintRecord>& blueprints);

// An edit field's number: an optional '-' and decimal digits, or "0x" and hexadecimal digits,
// with the value inside the signed 32-bit range. False (and 0) for anything else, "-" and "0x"
// alone included.
bool ParseFieldInt(const std::string& text, int32_t* value);

// The longest base name "properties/<name>.xml" may hold: the path has at most 49 characters.
constexpr std::size_t kMaxBaseName = 34;

// Why a base name cannot name an editor file, "" when it can: it must hold 1 to maxChars
// characters, each a letter, a digit, '_' or '-'.
std::string BaseNameProblem(const std::string& baseName, std::size_t maxChars);

} // namespace Quor

// The save file of a player profile, "P<slot>.dat" in the user's data folder: one bit stream of
// fixed-width fields (least significant bit first), bools as bytes, texts with a 16-bit length
// and doubles as six-decimal texts, then the twelve lists. Encoding, decoding in place, the
// path, and the two hidden account names applied after a profile is read.
#pragma once

#include "game/shell/PlayerProfile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Quor {

// Longest list the file holds: counts are 16 bits. A longer list saves its newest entries.
constexpr size_t kMaxProfileListEntries = 65535;
// Most targets one quest keeps in the file.
constexpr size_t kMaxProfileQuestTargets = 31;

// The bytes of the save file; current marks the profile of the current slot. Values wider than
// their field are clamped to the field's range.
std::vector<uint8_t> EncodePlayerProfile(const PlayerProfile& profile, bool current);

// Reads save-file bytes into the profile: the fields in place, each list emptied and read anew
// (a repeated map key keeps its first entry); gameOverCounter is left alone. Reads past the end
// give zeros, empty texts and empty lists. Returns the current-slot flag of the file.
bool DecodePlayerProfile(const uint8_t* data, size_t size, PlayerProfile& profile);

// The six-decimal text of a double, whatever the process locale.
std::string FormatProfileDouble(double value);

// The two hidden account names change a profile read under them (name compared byte for byte);
// true when one matched.
bool ApplyHiddenAccount(PlayerProfile& profile);
// The hidden names and the names their profiles receive.
extern const char* const kHiddenAccountNames[2];
extern const char* const kHiddenAccountNewNames[2];

// The folder of the five save files (no trailing separator) and the file of a slot.
std::string PlayerProfileFolder();
std::string PlayerProfilePath(int slot);

} // namespace Quor

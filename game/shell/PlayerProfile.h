// The player profile record: what one player's game keeps. Five of them live on the GameApp
// (slots 0-4). Only the identity part that start-up and the screens by number read is here yet;
// money, calendar, company, stock, recipes, factories, quests and the logs come with the profile
// code, which also brings the save file.
#pragma once

#include <cstdint>
#include <string>

namespace Quor {

// The version stamp of every valid profile; start-up resets all five when one differs.
constexpr int32_t ProfileVersionStamp = 90009;
// The tutorial step of a profile that has no tutorial pending.
constexpr int32_t TutorialFinished = -999;

struct PlayerProfile {
    int32_t versionStamp = 0;
    int32_t tutorialStep = 0;  // id of the pending tutorial step; TutorialFinished for none
    int32_t slotIndex = 0;     // the profile's own slot 0-4
    std::string name;          // empty: a free slot
};

} // namespace Quor

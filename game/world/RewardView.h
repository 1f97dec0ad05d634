// What a reward looks like on screen, shared by the screens that show one: its caption, the file
// of its picture and the row the picture stands on. A reward is a list of ints: the reward type
// first, then its values (money {1, amount}; dinnerware {2, product, rating 1, rating 2,
// quantity}; material {3, material, quantity}; recipe {4, blueprint}; country {5, country};
// award {6, award}; factory {7, country}; mini-game {9, 1 or 2}).
#pragma once

#include <string>
#include <vector>

namespace Quor {

// The kinds of reward.
enum RewardType {
    REWARD_MONEY = 1,
    REWARD_DINNERWARE = 2,
    REWARD_MATERIAL = 3,
    REWARD_RECIPE = 4,
    REWARD_COUNTRY = 5,
    REWARD_AWARD = 6,
    REWARD_FACTORY = 7,
    REWARD_TUTORIAL = 8,
    REWARD_MINI_GAME = 9,
};

struct GameTables;

// What differs between the screens: the recipe caption's format (one %s, the blueprint's name),
// the picture files of the two mini-games and the rows their pictures stand on.
struct RewardLook {
    const char* recipeCaption;
    const char* miniGamePictures[2];
    int miniGameRows[2];
};

// The look of the mini-games' reward popup.
extern const RewardLook kRewardPopupLook;

// The caption of a reward; "" for a type without one or a list too short for its values. A name
// whose id the tables do not hold reads "".
std::string RewardCaption(const GameTables& tables, const std::vector<int>& reward, const RewardLook& look);
// The image file of the reward's picture; "" when it has none.
std::string RewardPicturePath(const std::vector<int>& reward, const RewardLook& look);
// The y of the picture's top; the picture is centred horizontally.
int RewardPictureRow(const std::vector<int>& reward, const RewardLook& look);

} // namespace Quor

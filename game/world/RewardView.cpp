#include "game/world/RewardView.h"

#include "game/shell/GameTables.h"

#include <cstdio>
#include <map>

namespace Quor {

const RewardLook kRewardPopupLook = {
    "Bonus Pottery : \nYou get %s !",
    {"images/game_main/btn_mg1.png", "images/game_main/btn_mg2.png"},
    {258, 258},
};

namespace {

// The number of ints each type reads, its type included.
int ValuesOf(int type)
{
    switch (type) {
    case REWARD_DINNERWARE:
        return 5;
    case REWARD_MATERIAL:
        return 3;
    case REWARD_MONEY:
    case REWARD_RECIPE:
    case REWARD_COUNTRY:
    case REWARD_AWARD:
    case REWARD_FACTORY:
    case REWARD_MINI_GAME:
        return 2;
    default:
        return 0;
    }
}

template <class Record>
std::string NameOf(const std::map<int32_t, Record>& table, int id)
{
    const auto found = table.find(id);
    return found == table.end() ? std::string() : found->second.Name;
}

std::string Format(const char* format, int number, const std::string& name)
{
    char text[512];
    std::snprintf(text, sizeof(text), format, number, name.c_str());
    return text;
}

std::string Format(const char* format, const std::string& name)
{
    char text[512];
    std::snprintf(text, sizeof(text), format, name.c_str());
    return text;
}

std::string Format(const char* format, int number)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, number);
    return text;
}

bool Readable(const std::vector<int>& reward)
{
    return !reward.empty() && ValuesOf(reward[0]) > 0 && int(reward.size()) >= ValuesOf(reward[0]);
}

// 0 or 1 for the two mini-games, -1 for any other value.
int MiniGameIndex(const std::vector<int>& reward)
{
    return reward[1] == 1 || reward[1] == 2 ? reward[1] - 1 : -1;
}

} // namespace

std::string RewardCaption(const GameTables& tables, const std::vector<int>& reward, const RewardLook& look)
{
    if (!Readable(reward))
        return "";
    switch (reward[0]) {
    case REWARD_MONEY:
        return Format("Bonus Money : \nYou get $%d !", reward[1]);
    case REWARD_DINNERWARE:
        return Format("Bonus Dinnerware : \nYou get %d %s !", reward[4], NameOf(tables.blueprintTable, reward[1]));
    case REWARD_MATERIAL:
        return Format("Bonus Material : \nYou get %d %s !", reward[2], NameOf(tables.sourceTable, reward[1]));
    case REWARD_RECIPE:
        return Format(look.recipeCaption, NameOf(tables.blueprintTable, reward[1]));
    case REWARD_COUNTRY:
        return Format("Release Country : \n%s !", NameOf(tables.countryMapTable, reward[1]));
    case REWARD_AWARD:
        return Format("Bonus Award : \nYou get %s !", NameOf(tables.awardTable, reward[1]));
    case REWARD_FACTORY:
        return Format("OPEN FACTORY : \nYou get %s !", NameOf(tables.countryMapTable, reward[1]));
    case REWARD_MINI_GAME: {
        const int game = MiniGameIndex(reward);
        if (game < 0)
            return "";
        return game == 0 ? "OPEN MINI GAME : REFINE SHAPING" : "OPEN MINI GAME : GLAZE SELECTION";
    }
    default:
        return "";
    }
}

std::string RewardPicturePath(const std::vector<int>& reward, const RewardLook& look)
{
    if (!Readable(reward))
        return "";
    switch (reward[0]) {
    case REWARD_MONEY:
        return "images/product_big/money.png";
    case REWARD_DINNERWARE:
    case REWARD_RECIPE:
        return Format("images/product_big/bp_%d.png", reward[1]);
    case REWARD_MATERIAL:
        return Format("images/source_big/s_%d.png", reward[1]);
    case REWARD_COUNTRY:
    case REWARD_FACTORY:
        return Format("images/game_main/btn_c%d.png", reward[1]);
    case REWARD_MINI_GAME: {
        const int game = MiniGameIndex(reward);
        return game < 0 ? "" : look.miniGamePictures[game];
    }
    default:
        return "";
    }
}

int RewardPictureRow(const std::vector<int>& reward, const RewardLook& look)
{
    if (!Readable(reward))
        return 0;
    switch (reward[0]) {
    case REWARD_MONEY:
        return 152;
    case REWARD_DINNERWARE:
    case REWARD_RECIPE:
        return 142;
    case REWARD_MATERIAL:
        return 160;
    case REWARD_COUNTRY:
    case REWARD_FACTORY:
        return 240;
    case REWARD_MINI_GAME: {
        const int game = MiniGameIndex(reward);
        return game < 0 ? 0 : look.miniGameRows[game];
    }
    default:
        return 0;
    }
}

} // namespace Quor

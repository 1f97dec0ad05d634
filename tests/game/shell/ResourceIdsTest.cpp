// The generated resource variables and bind functions, and the numbered-id lookups: the list's
// shape, binding with a missing name, countries, the animation retiming and the lookup tables.
#include <gtest/gtest.h>

#include "game/shell/DCapResource.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceManager.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>

using namespace Quor;

namespace {

// A manager that hands out the images, fonts and sounds the test put in it; any other id throws
// as a real manager does for a missing resource.
class FakeResources : public ResourceManager {
public:
    std::map<std::string, std::unique_ptr<Image>> mImages;
    std::map<std::string, int> mSounds;

    FakeResources() : ResourceManager(nullptr) {}

    Image* AddImage(const std::string& id)
    {
        auto image = std::make_unique<MemoryImage>();
        Image* raw = image.get();
        mImages[id] = std::move(image);
        return raw;
    }

    // Every image name of a group's list, so that its bind succeeds.
    void AddGroup(const char* group)
    {
        std::size_t count = 0;
        const ResourceBinding* list = ResourceGroupBindings(group, &count);
        for (std::size_t i = 0; i < count; ++i)
            if (list[i].kind == ResourceKind::Image)
                AddImage(list[i].name);
            else if (list[i].kind == ResourceKind::Sound)
                mSounds[list[i].name] = static_cast<int>(i) + 1;
    }

    SharedImageHandle GetImageThrow(const std::string& id) override
    {
        auto it = mImages.find(id);
        if (it == mImages.end())
            throw ResourceManagerException("Image resource not found: " + id);
        SharedImageHandle handle;
        handle = it->second.get();
        return handle;
    }
    int GetSoundThrow(const std::string& id) override
    {
        auto it = mSounds.find(id);
        if (it == mSounds.end())
            throw ResourceManagerException("Sound resource not found: " + id);
        return it->second;
    }
    Font* GetFontThrow(const std::string& id) override { throw ResourceManagerException("Font resource not found: " + id); }
};

std::size_t GroupSize(const char* group)
{
    std::size_t count = 0;
    ResourceGroupBindings(group, &count);
    return count;
}

// Binding tests write the program-wide variables: every test that binds clears them afterwards.
class ResourceBindTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (std::size_t i = 0; i < kResourceGroupCount; ++i)
            UnbindResourceGroup(kResourceGroupNames[i]);
    }
};

} // namespace

TEST(ResourceIdsTest, ListHasTheGroupsNamesAndNumbersOfTheGame)
{
    // 769 bound names in 23 groups, plus the one numbered variable no group binds.
    std::size_t bound = 0;
    for (std::size_t i = 0; i < kResourceGroupCount; ++i)
        bound += GroupSize(kResourceGroupNames[i]);
    EXPECT_EQ(bound, 769u);
    EXPECT_EQ(kResourceGroupCount, 23u);
    EXPECT_EQ(kAllResourceVariableCount, 770u);
    for (std::size_t i = 1; i < kResourceGroupCount; ++i)
        EXPECT_LT(std::strcmp(kResourceGroupNames[i - 1], kResourceGroupNames[i]), 0);

    const std::map<std::string, std::size_t> sizes = {
        {"Fx", 31}, {"GameMain", 260}, {"GameReward", 2}, {"GameWorldMap", 1}, {"Init", 123},
        {"MenuAcc", 17}, {"MenuAward", 70}, {"MenuBlueprint", 21}, {"MenuHelp", 9}, {"MenuMain", 23},
        {"MenuPopup", 9}, {"MenuScore", 7}, {"Mg", 8}, {"Sound", 35}, {"Tutor", 22},
        {"GameCountry0", 14}, {"GameCountry1", 13}, {"GameCountry2", 16}, {"GameCountry3", 16},
        {"GameCountry4", 16}, {"GameCountry5", 18}, {"GameCountry6", 16}, {"GameCountry7", 22}};
    for (const auto& [group, size] : sizes)
        EXPECT_EQ(GroupSize(group.c_str()), size) << group;
    EXPECT_EQ(GroupSize("GameCountry8"), 0u);

    // Kinds of "Init": 17 fonts, 105 images, 1 sound; "Sound" holds sounds only.
    std::map<ResourceKind, int> initKinds;
    std::size_t count = 0;
    const ResourceBinding* init = ResourceGroupBindings("Init", &count);
    for (std::size_t i = 0; i < count; ++i)
        ++initKinds[init[i].kind];
    EXPECT_EQ(initKinds[ResourceKind::Font], 17);
    EXPECT_EQ(initKinds[ResourceKind::Image], 105);
    EXPECT_EQ(initKinds[ResourceKind::Sound], 1);
    const ResourceBinding* sound = ResourceGroupBindings("Sound", &count);
    for (std::size_t i = 0; i < count; ++i)
        EXPECT_EQ(sound[i].kind, ResourceKind::Sound) << sound[i].name;

    // Every numbered name has its own variable, and the numbered fonts are exactly 5-15.
    for (int id = 0; id < RESOURCE_ID_MAX; ++id) {
        EXPECT_EQ(ResourceIdByName(ResourceNameById(id)), id);
        EXPECT_EQ(ResourceIdByObject(ResourceRefById(id)), id);
        EXPECT_EQ(kNumberedResources[id].kind == ResourceKind::Font, id >= 5 && id <= 15) << id;
    }
}

TEST(ResourceIdsTest, LookupsOfNumberedNames)
{
    const std::pair<const char*, int> names[] = {
        {"IMG_CURSOR", 0}, {"IMG_SPLASH_4", 4}, {"FONT_T14", 15}, {"FX_C_BIRD", 20}, {"GC0_BG", 21},
        {"GC1_BG", 34}, {"GC2_BG", 45}, {"GC3_BG", 58}, {"GC4_BG", 69}, {"GC5_BG", 80}, {"GC6_BG", 93},
        {"GC7_BG", 104}, {"GC7_BTN_FACTORY_O", 116}, {"GM_BTN_C_0", 117}, {"GM_BTN_C_7_O", 132},
        {"GM_I_LV0", 133}, {"PD_0", 137}, {"PD_80", 217}, {"S_1", 218}, {"S_36", 253}, {"NPC_1", 254},
        {"NPC_25", 278}, {"MH_3", 281}, {"MA_A0", 282}, {"MA_A16_D", 332},
        {"mh_3", 333}, {"GM_BG_CELLAR", 333}, {"", 333}, {"MH_", 333}};
    for (const auto& [name, id] : names)
        EXPECT_EQ(ResourceIdByName(name), id) << name;
    EXPECT_EQ(ResourceIdByName(nullptr), 333);

    EXPECT_STREQ(ResourceNameById(0), "IMG_CURSOR");
    EXPECT_STREQ(ResourceNameById(333), "");
    EXPECT_STREQ(ResourceNameById(-1), "");

    EXPECT_EQ(ResourceIdByObject(&FONT_T14), 15);
    EXPECT_EQ(ResourceIdByObject(&GM_BG_CELLAR), 333);
    EXPECT_EQ(ResourceIdByObject(&SE_CLICK), 333);
    EXPECT_EQ(ResourceIdByObject(nullptr), 333);

    // The checked accessor: null outside 0-332, and typed reads that refuse the wrong kind.
    EXPECT_EQ(ResourceRefById(15), static_cast<void*>(&FONT_T14));
    for (int id : {-1, 333, 100000})
        EXPECT_EQ(ResourceRefById(id), nullptr) << id;
    EXPECT_EQ(ResourceImageById(15), nullptr);
    EXPECT_EQ(ResourceFontById(0), nullptr);
    EXPECT_EQ(ResourceImageById(333), nullptr);
    EXPECT_EQ(ResourceImageById(4), nullptr);  // IMG_SPLASH_4: nothing binds it
}

TEST_F(ResourceBindTest, MissingNameStopsTheBindAndKeepsTheLaterVariables)
{
    FakeResources rm;
    rm.AddGroup("MenuHelp");
    ASSERT_TRUE(BindMenuHelpResources(&rm));
    Image* oldMh2 = MH_2;
    Image* oldRight = MH_BTN_RIGHT_C;
    ASSERT_NE(oldMh2, nullptr);

    FakeResources second;
    second.AddGroup("MenuHelp");
    second.mImages.erase("MH_2");
    EXPECT_FALSE(BindMenuHelpResources(&second));
    EXPECT_EQ(MH_1, second.mImages["MH_1"].get());
    EXPECT_EQ(MH_2, oldMh2);
    EXPECT_EQ(MH_BTN_RIGHT_C, oldRight);
    EXPECT_EQ(ResourceImageById(MH_1_ID), MH_1);

    // Deleting the group leaves no stale picture behind.
    UnbindResourceGroup("MenuHelp");
    EXPECT_EQ(MH_1, nullptr);
    EXPECT_EQ(MH_BTN_RIGHT_C, nullptr);
}

TEST_F(ResourceBindTest, CountriesBindTheirOwnNamesOnly)
{
    FakeResources rm;
    for (int c = 0; c < 8; ++c)
        rm.AddGroup(("GameCountry" + std::to_string(c)).c_str());
    EXPECT_TRUE(BindGameCountryResources(&rm, 8));
    EXPECT_TRUE(BindGameCountryResources(&rm, -1));
    EXPECT_EQ(GC3_BG, nullptr);
    EXPECT_EQ(GC2_BG, nullptr);

    EXPECT_TRUE(BindGameCountryResources(&rm, 3));
    std::size_t count = 0;
    const ResourceBinding* list = ResourceGroupBindings("GameCountry3", &count);
    ASSERT_EQ(count, 16u);
    for (std::size_t i = 0; i < count; ++i)
        EXPECT_EQ(*static_cast<Image**>(list[i].variable), rm.mImages[list[i].name].get()) << list[i].name;
    EXPECT_EQ(GC2_BG, nullptr);
    EXPECT_EQ(GC4_BG, nullptr);
}

TEST_F(ResourceBindTest, RetimedAnimationsHoldTheirFirstCel)
{
    struct Case {
        const char* group;
        const char* name;
        int hold;
    };
    const Case cases[] = {{"Fx", "FX_C_UI_DATE", 300}, {"GameCountry3", "GC3_CUP", 400},
                          {"GameMain", "GM_FACTORY_MG2", 70}, {"GameMain", "GM_FACTORY_MG3", 70}};
    for (const Case& c : cases) {
        FakeResources rm;
        rm.AddGroup(c.group);
        Image* image = rm.mImages[c.name].get();
        image->mNumCols = 4;
        image->mAnimInfo = new ImageAnimation();
        image->mAnimInfo->mAnimType = ImageAnimation::AnimType_Loop;
        image->mAnimInfo->mFrameDelay = 90;
        image->mAnimInfo->SetUp(4, 0, 0);
        if (std::strcmp(c.group, "Fx") == 0)
            ASSERT_TRUE(BindFxResources(&rm));
        else if (std::strcmp(c.group, "GameMain") == 0)
            ASSERT_TRUE(BindGameMainResources(&rm));
        else
            ASSERT_TRUE(BindGameCountryResources(&rm, 3));
        EXPECT_EQ(image->mAnimInfo->mPerFrameDelay, (std::vector<int>{c.hold, 90, 90, 90})) << c.name;
        EXPECT_EQ(image->mAnimInfo->mTotalAnimTime, c.hold + 3 * 90) << c.name;
    }
    // A still image named there is left alone.
    FakeResources rm;
    rm.AddGroup("Fx");
    EXPECT_TRUE(BindFxResources(&rm));
    EXPECT_EQ(FX_C_UI_DATE->mAnimInfo, nullptr);
}

TEST_F(ResourceBindTest, SoundsBindTheirIds)
{
    FakeResources rm;
    rm.AddGroup("Sound");
    ASSERT_TRUE(BindSoundResources(&rm));
    EXPECT_EQ(SE_CLICK, 1);
    EXPECT_EQ(SE_ENV_WIND, 35);
    // Deleting the group keeps sound ids (they are numbers, not pointers).
    UnbindResourceGroup("Sound");
    EXPECT_EQ(SE_CLICK, 1);
}

TEST_F(ResourceBindTest, DeletingAGroupClearsItsPictures)
{
    FakeResources rm;
    rm.AddGroup("MenuHelp");
    rm.AddGroup("Fx");
    ASSERT_TRUE(BindMenuHelpResources(&rm));
    ASSERT_TRUE(BindFxResources(&rm));

    DCapResource game(nullptr);
    game.DeleteResources("MenuHelp");
    EXPECT_EQ(MH_1, nullptr);
    EXPECT_EQ(ResourceImageById(MH_3_ID), nullptr);
    EXPECT_NE(FX_C_BIRD, nullptr);
    game.DeleteResources("");
    EXPECT_EQ(FX_C_BIRD, nullptr);
}

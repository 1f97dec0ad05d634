// What the factory, chooser and recipe-book tests share: four factory countries and a country
// without a factory price, blueprints with short and full recipes, factory prices, the bought
// effect's definition, a profile in England with some clay, and a game screen whose country
// screen, factory, book and popups are real while the rest are recording stand-ins (sounds go
// into the same trace as the stand-ins' calls).
#pragma once

#include "tests/game/world/WorldFixture.h"

#include "game/shell/ResourceBinding.h"
#include "game/world/BpSelect.h"
#include "game/world/CountryMap.h"
#include "game/world/Factory.h"
#include "game/world/MessagePopup.h"
#include "game/world/Pottery.h"
#include "tests/support/GoldenImage.h"

#include <algorithm>

namespace worldtest {

constexpr int kClay = 3;
constexpr int kGlaze = 8;

class FactoryTest : public WorldTest {
protected:
    // England (0), Japan (2), China (5) and the USA (7) with a factory each, India (3) with five
    // places but no price; blueprints 1 up to the count, those up to 7 of England, the rest of
    // Japan; each needs 2 clay, blueprint 2 also 5 glaze. The player is in England with 10 clay.
    void StartFactories(int blueprints = 9)
    {
        Start();
        LoadSounds();
        app->countryMapTable.clear();
        const char* names[] = {"England", "", "Japan", "India", "", "China", "", "USA"};
        for (int country : {0, 2, 3, 5, 7}) {
            CountryMapRecord& map = app->countryMapTable[country];
            map.Id = country;
            map.Name = names[country];
            for (int place = 0; place < 5; ++place)
                map.placePos[place] = {100 + place * 150, 400};
        }
        app->blueprintTable.clear();
        for (int id = 1; id <= blueprints; ++id) {
            BlueprintRecord& blueprint = app->blueprintTable[id];
            blueprint.Id = id;
            blueprint.Name = "Piece " + std::to_string(id);
            blueprint.Img = "PD_" + std::to_string(id);
            blueprint.CountryId = id <= 7 ? 0 : 2;
            blueprint.materialQty[kClay] = 2;
            if (id == 2)
                blueprint.materialQty[kGlaze] = 5;
        }
        app->sourceTable.clear();
        app->sourceTable[kClay] = SourceRecord{kClay, "Clay", "S_3", 8};
        app->sourceTable[kGlaze] = SourceRecord{kGlaze, "Glaze", "S_8", 12};
        app->awardTable.clear();
        app->awardTable[0].Name = "Morning";
        app->awardTable[0].Des = "The first series";
        app->miniGameTuning.gp_fac_jap = 5000;
        app->miniGameTuning.gp_fac_chi = 8000;
        app->miniGameTuning.gp_fac_usa = 12000;
        FXDef bought;
        bought.id = 2;
        bought.img = ResourceIdByName("PD_1");
        bought.frame = 1;
        bought.timePerLoop = 1.0;
        app->fxDefs.emplace().push_back(bought);
        app->profiles.clear();
        app->CreateDefaultProfile("Player");
        Profile().tutorialStep = TutorialFinished;
        Profile().money = 1000;
        Profile().materials[kClay] = 10;
        app->soundTrace = &record.trace;
    }

    // Owns blueprints 1 up to the count, none of the others.
    void Own(int count)
    {
        for (auto& [id, owned] : Profile().recipes)
            owned = id <= count;
    }
    StandInPhase* EnterGame()
    {
        return Enter(new StandInPhase(app.get(), &record,
                                      {PANEL_COUNTRY_MAP, PANEL_FACTORY, PANEL_POTTERY, PANEL_WARNING, PANEL_YES_NO}));
    }
    static Factory* FactoryOf(GamePhase* phase) { return dynamic_cast<Factory*>(phase->mPanels[PANEL_FACTORY]); }
    // Opens the factory of the country and lets it slide into place.
    Factory* OpenFactory(GamePhase* phase, int country)
    {
        Profile().country = country;
        phase->ShowPanel(PANEL_FACTORY, country);
        TickOnce();
        return FactoryOf(phase);
    }
    // The chooser of the factory opened with its button and faded in.
    BpSelect* OpenChooser(Factory* factory)
    {
        Click(factory->mChooseButton);
        BpSelect* chooser = factory->mBpSelect;
        for (int i = 0; i < 30 && chooser != nullptr && chooser->mFadingIn; ++i)
            TickOnce();
        return chooser;
    }
    void TickOnce()
    {
        mCount += 2;
        UpdateAt(mCount);
    }
    // The trace without the stand-ins' ticks.
    Trace Calls() const
    {
        Trace calls;
        for (const std::string& line : record.trace)
            if (line.size() < 2 || line[0] != 't' || line[1] < '0' || line[1] > '9')
                calls.push_back(line);
        return calls;
    }
    static std::string Sound(int id) { return "sound " + std::to_string(id); }

    int mCount = 0;
};

} // namespace worldtest

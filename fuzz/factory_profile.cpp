// Arbitrary bytes read as the save file P0.dat by the profile reader, then every factory opened
// on that profile (with its blueprint chooser walked through every country, scroll position and
// row where it opens) and every usable page of the recipe book, all drawn on a memory screen.
#include "fuzz/MiniGameFuzz.h"
#include "game/shell/ProfileFile.h"
#include "game/world/BpSelect.h"
#include "game/world/Factory.h"
#include "game/world/Pottery.h"
#include "widgets/ButtonWidget.h"

#include <cstdlib>
#include <random>

namespace {

struct FactoryRig {
    std::string mData = (std::filesystem::temp_directory_path() /
                         ("quor_fuzz_factory_" + std::to_string(std::random_device{}())))
                            .string();
    quorfuzz::MiniGameRig* mRig;

    FactoryRig()
    {
        setenv("XDG_DATA_HOME", mData.c_str(), 1);
        mRig = new quorfuzz::MiniGameRig({"MenuBlueprint"});
        Quor::GameApp& app = mRig->app;
        // Blueprints of every country and of none, with recipes of the game's materials.
        for (int id = 1; id <= 82; ++id) {
            Quor::BlueprintRecord& blueprint = app.blueprintTable[id];
            blueprint = Quor::BlueprintRecord{id, "B", "PD_" + std::to_string(id % 81), id % 10 - 1, {}, {}};
            blueprint.materialQty[id % 7] = id % 5;
            blueprint.materialQty[20 + id % 3] = 1;
        }
        for (int id = 0; id < 24; ++id)
            app.sourceTable[id] = Quor::SourceRecord{id, "M", "S_" + std::to_string(id), 1};
        for (int country = 0; country < 8; ++country)
            app.countryMapTable[country].Name = "C";
        app.awardTable[0].Name = "A";
        app.miniGameTuning.gp_fac_jap = 100;
        app.miniGameTuning.gp_fac_chi = 0;
        app.miniGameTuning.gp_fac_usa = -5;
        std::filesystem::create_directories(Quor::PlayerProfileFolder());
    }
    ~FactoryRig()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mData, ignored);
    }

    void Update()
    {
        Quor::GameApp& app = mRig->app;
        app.mUpdateCount += 2;
        app.mWidgetManager->UpdateFrame();
        app.ProcessSafeDeletes();
    }
    void Draw()
    {
        Quor::WidgetManager& m = *mRig->app.mWidgetManager;
        m.mImage = &mRig->screen;
        m.SetDirtyFull();
        m.DrawScreen();
        m.mImage = nullptr;
    }

    void WalkChooser(Quor::Factory* factory)
    {
        factory->OpenBpSelect(factory->ProductId());
        for (int i = 0; i < 30 && factory->mBpSelect != nullptr && factory->mBpSelect->mFadingIn; ++i)
            Update();
        Quor::BpSelect* chooser = factory->mBpSelect;
        if (chooser == nullptr)
            return;
        Draw();
        const auto lists = chooser->mLists;
        for (const auto& [country, ids] : lists) {
            chooser->ButtonDepress(Quor::BpSelect::ID_COUNTRY + country);
            for (double value : {0.0, 151.0, 1e9, -7.0}) {
                chooser->ScrollPosition(Quor::BpSelect::ID_SCROLLBAR, value);
                chooser->ScrollbarReleased(Quor::BpSelect::ID_SCROLLBAR, value);
                for (int row = 0; row < Quor::BpSelect::kRows; ++row) {
                    chooser->ButtonMouseEnter(row);
                    Draw();
                    chooser->ButtonMouseLeave(row);
                }
            }
            chooser->ButtonDepress(Quor::BpSelect::ID_CLOSE);
        }
        chooser->ButtonDepress(0);  // nothing to choose in the country list
        if (!lists.empty()) {
            chooser->ButtonDepress(Quor::BpSelect::ID_COUNTRY + lists.begin()->first);
            chooser->ButtonDepress(0);
        } else {
            chooser->ButtonDepress(Quor::BpSelect::ID_CLOSE);
        }
        for (int i = 0; i < 30 && factory->mBpSelect != nullptr; ++i)
            Update();
    }

    void OpenFactories()
    {
        Quor::GamePhase* phase = mRig->phase;
        Quor::PlayerProfile& profile = mRig->app.GetCurrentProfile();
        for (int country = 0; country < 8; ++country) {
            profile.country = country;
            phase->ShowPanel(Quor::PANEL_FACTORY, country);
            Update();
            auto* factory = dynamic_cast<Quor::Factory*>(phase->mPanels[Quor::PANEL_FACTORY]);
            if (factory == nullptr)
                continue;
            Draw();
            for (int id : {0, 1, 2})
                factory->ButtonMouseEnter(id), factory->ButtonMouseLeave(id);
            if (factory->mMode == Quor::Factory::MODE_OWNED)
                WalkChooser(factory);
            for (int id : {0, 1, 2, 10001}) {
                factory->ButtonDepress(id);
                if (phase->mPanels[Quor::PANEL_FACTORY] != factory)
                    break;
            }
            Draw();
            for (int panel : {Quor::PANEL_FACTORY, Quor::PANEL_MINI_GAME, Quor::PANEL_WARNING, Quor::PANEL_YES_NO})
                phase->ClosePanel(panel);
            Update();
        }
    }

    void ReadBook()
    {
        Quor::GamePhase* phase = mRig->phase;
        phase->ShowPanel(Quor::PANEL_POTTERY, 0);
        Update();
        auto* book = dynamic_cast<Quor::Pottery*>(phase->mPanels[Quor::PANEL_POTTERY]);
        if (book == nullptr)
            std::abort();
        Draw();
        std::vector<int> pages;
        for (Quor::ButtonWidget* button : book->mBlueprintButtons)
            if (!button->mDisabled)
                pages.push_back(button->mId);
        for (int id : pages) {
            book->ButtonDepress(id);
            for (int i = 0; i < int(book->mMaterialButtons.size()) + 1; ++i) {
                book->ButtonMouseEnter(Quor::Pottery::ID_MATERIAL + i);
                Draw();
                book->ButtonMouseLeave(Quor::Pottery::ID_MATERIAL + i);
            }
            book->ButtonDepress(Quor::Pottery::ID_BACK);
            Update();
        }
        phase->ClosePanel(Quor::PANEL_POTTERY);
        Update();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FactoryRig rig;
    if (!rig.mRig->LoadSlot0(data, size))
        return 0;
    rig.OpenFactories();
    rig.ReadBook();
    return 0;
}

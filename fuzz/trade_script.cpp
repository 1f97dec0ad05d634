// Loads the first part of the bytes as the save file P0.dat through the profile reader, then
// plays the rest as a script on the supplier and the cellar of the profile's country: typing into
// the quantity fields, +10 and +50, Enter and the add buttons, scrolling both bars to any
// position, the remove buttons, selling all, production in one or all factories, the game-over
// test with the rescue's OK, and leaving and reopening the places.
#include "fuzz/MiniGameFuzz.h"
#include "game/shell/EffectList.h"
#include "game/shell/PlayerProfile.h"
#include "game/shell/ProfileFile.h"
#include "game/world/Cellar.h"
#include "game/world/GameOver.h"
#include "game/world/Supplier.h"
#include "platform/Files.h"
#include "widgets/EditWidget.h"

#include <cstdlib>
#include <filesystem>

using namespace Quor;

namespace {

// A small world: eight materials, recipes 1-3, every country selling some of them.
void FillTables(GameApp& app)
{
    for (int id = 1; id <= 8; ++id)
        app.sourceTable[id] = SourceRecord{id, "M", "S_" + std::to_string(id), id * 7 % 23};
    app.sourceTable[8].Price = 2000000000;  // a price whose orders no int holds
    app.blueprintTable[1] = BlueprintRecord{1, "P", "PD_1", 0, {{1, 2}, {7, 1}}, {}};
    app.blueprintTable[2] = BlueprintRecord{2, "P", "PD_2", 0, {{2, 1}, {8, 1}}, {}};
    app.blueprintTable[3] = BlueprintRecord{3, "P", "PD_3", 0, {{3, 3}, {99, 1}}, {}};  // a material without record
    for (int country = 0; country < 8; ++country) {
        CountryMapRecord& record = app.countryMapTable[country];
        record.Id = country;
        for (int k = 0; k <= country + 6; ++k)
            record.sourceIds.push_back(1 + (k + country) % 9);  // 9: no record
    }
    FXDef purchase;
    purchase.id = 2;
    purchase.img = ResourceIdByName("FX_C_REWARD_UP");
    purchase.frame = 1;
    purchase.timePerLoop = 0.5;
    app.fxDefs = FXDefList{purchase};
}

TradePanel* OpenPlace(GamePhase* phase)
{
    for (int id : {PANEL_SUPPLIER, PANEL_CELLAR})
        if (auto* panel = dynamic_cast<TradePanel*>(phase->mPanels[id]))
            return panel;
    return nullptr;
}

} // namespace

// The final rescue draws its label with a system font, whose font matching in fontconfig keeps
// memory the leak checker cannot see from here; that library's allocations are not this
// target's to answer for.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorfuzz::MiniGameRig* rig = [] {
        auto* made = new quorfuzz::MiniGameRig();
        setenv("XDG_DATA_HOME", (made->mDir / "data").c_str(), 1);
        FillTables(made->app);
        return made;
    }();
    GameApp& app = rig->app;
    GamePhase* phase = rig->phase;
    WidgetManager& m = *app.mWidgetManager;

    quorfuzz::ByteReader in(data, size);
    const size_t fileSize = std::min<size_t>(in.Take<uint16_t>(), size > 2 ? size - 2 : 0);
    std::filesystem::create_directories(PlayerProfileFolder());
    if (!plat::WriteWholeFile(PlayerProfilePath(0), data + std::min<size_t>(2, size), fileSize))
        std::abort();
    for (size_t i = 0; i < fileSize; ++i)
        in.Take<uint8_t>();
    app.currentProfile = 0;
    app.LoadPlayerProfile(0);

    for (int step = 0; step < 300 && !in.Empty(); ++step) {
        const uint8_t op = in.Take<uint8_t>();
        const uint8_t arg = in.Take<uint8_t>();
        TradePanel* place = OpenPlace(phase);
        const int slot = place != nullptr && !place->mSlots.empty() ? arg % int(place->mSlots.size()) : 0;
        switch (op % 12) {
        case 0:
            phase->ShowPanel(arg & 1 ? PANEL_SUPPLIER : PANEL_CELLAR, phase->mProfile->country);
            break;
        case 1:
            if (place != nullptr) {
                m.SetFocus(place->mSlots[size_t(slot)].field);
                m.KeyChar(char(arg & 0x80 ? '0' + arg % 10 : arg));
            }
            break;
        case 2:
            if (place != nullptr)
                place->ButtonDepress((arg & 1 ? TradePanel::ID_ADD50 : TradePanel::ID_ADD10) + slot);
            break;
        case 3:
            if (place != nullptr) {
                m.SetFocus(place->mSlots[size_t(slot)].field);
                m.KeyDown(arg & 1 ? 13 : arg & 2 ? 9 : 8);
            }
            break;
        case 4:
            if (place != nullptr)
                place->ButtonDepress(slot);
            break;
        case 5:
            if (place != nullptr)
                place->ScrollbarReleased(1 + (arg & 1), double(in.Take<int32_t>()) / (arg & 2 ? 1.0 : 7.0));
            break;
        case 6:
            if (place != nullptr)
                place->ButtonDepress(TradePanel::ID_REMOVE + arg);
            break;
        case 7:
            if (place != nullptr)
                place->ButtonDepress(arg & 1 ? int(Cellar::ID_SELL_ALL) : int(Supplier::ID_MESSAGE_OK));
            break;
        case 8:
            if (arg & 1)
                phase->ProduceInAllFactories();
            else
                phase->ProduceInFactory(arg / 2 % 9);
            phase->ClosePanel(PANEL_WARNING);
            break;
        case 9:
            phase->CheckGameOver();
            if (auto* rescue = dynamic_cast<GameOver*>(phase->mPanels[PANEL_GAME_OVER]))
                rescue->ButtonDepress(arg & 1 ? MessagePopup::ID_FIRST : MessagePopup::ID_BLOCKER);
            break;
        case 10:
            if (place != nullptr)
                place->ButtonDepress(TradePanel::ID_EXIT);
            break;
        default:
            phase->mProfile->tutorialStep = arg % 3 == 0 ? TutorialFinished : arg % 70;
            break;
        }
        ++app.mUpdateCount;
        m.UpdateFrame();
        app.ProcessSafeDeletes();
        if (step % 100 == 99) {
            m.mImage = &rig->screen;
            m.SetDirtyFull();
            m.DrawScreen();
            m.mImage = nullptr;
        }
    }
    for (int id : {PANEL_SUPPLIER, PANEL_CELLAR, PANEL_GAME_OVER, PANEL_WARNING})
        phase->ClosePanel(id);
    phase->mEffects->DeleteAll();
    ++app.mUpdateCount;
    m.UpdateFrame();
    app.ProcessSafeDeletes();
    return 0;
}

// The game screen's operations that move the economy: the day roll, production in one factory or
// in all of them, the recipe check, the sorted stock, the sale price, the game-over test and the
// way back to the main menu.
#include "game/world/GamePhase.h"

#include "game/shell/GameApp.h"
#include "game/shell/MusicTrackList.h"
#include "game/shell/PlayerProfile.h"
#include "game/world/GamePanel.h"
#include "game/world/MessagePopup.h"
#include "platform/Sys.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Quor {

namespace {

const char kShortOfMaterials[] =
    "There are not enough required materials to produce this dinnerware. Please check the recipe book.";
const char kLineNotSetUp[] = "The product line of this factory has not yet finished setup. Remember to play "
                             "'Production Machine' in order to set the production rate.";
const char kNoFactoryReady[] = "There are not enough materials for this dinnerware. Or the product line was not "
                               "finished setup. Please check the factories' status.";

// A factor of the day: 0.900 to 1.099 in steps of 0.001.
double DrawDayFactor()
{
    return 0.9 + (std::rand() % 200) / 1000.0;
}

// Truncates toward zero, holding the value inside the int range (NaN gives 0).
int TruncateToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(INT_MAX))
        return INT_MAX;
    if (value <= double(INT_MIN))
        return INT_MIN;
    return int(value);
}

} // namespace

void GamePhase::RollDay()
{
    if (mProfile->day < INT32_MAX)
        ++mProfile->day;
    mProfile->buyFactor = DrawDayFactor();
    mProfile->sellFactor = DrawDayFactor();
}

void GamePhase::LogMissingRecord(const char* kind, int id)
{
    if (!mMissingRecordsLogged.insert({kind, id}).second)
        return;
    char line[96];
    std::snprintf(line, sizeof(line), "No %s record for id %d; it counts as nothing\n", kind, id);
    plat::DebugOutput(line);
}

void GamePhase::OpenWarning(const char* message)
{
    if (mPanels[PANEL_WARNING] != nullptr) {
        // Refused with a log line; the open warning keeps its own message.
        ShowPanel(PANEL_WARNING, 0);
        return;
    }
    ShowPanel(PANEL_WARNING, 0);
    if (auto* warning = dynamic_cast<MessagePopup*>(mPanels[PANEL_WARNING]))
        warning->SetMessage(message);
}

bool GamePhase::HasRecipeMaterials(int productId)
{
    auto blueprint = mApp->blueprintTable.find(productId);
    if (blueprint == mApp->blueprintTable.end()) {
        LogMissingRecord("blueprint", productId);
        return false;
    }
    for (const auto& [materialId, quantity] : blueprint->second.materialQty)
        if (!mProfile->HasMaterial(materialId, quantity))
            return false;
    return true;
}

void GamePhase::AddToStock(const StockItem& item)
{
    Quor::AddToStock(*mProfile, item.productId, item.rating1, item.rating2, item.quantity);
}

bool GamePhase::ProducePiece(const ProductionRecord& record, int stockIndex)
{
    if (!HasRecipeMaterials(record.productId))
        return false;
    for (const auto& [materialId, quantity] : mApp->blueprintTable.at(record.productId).materialQty)
        mProfile->materials[materialId] -= quantity;
    if (stockIndex < 0 || size_t(stockIndex) >= mProfile->stock.size()) {
        AddToStock({record.productId, record.rating1, record.rating2, 1});
    } else if (int32_t& quantity = mProfile->stock[size_t(stockIndex)].quantity; quantity < INT32_MAX) {
        ++quantity;
    }
    return true;
}

int GamePhase::RunFactory(const ProductionRecord& record, bool stopAtFirstFailure)
{
    int made = 0;
    int stockIndex = -1;
    for (int piece = 0; piece < record.rate; ++piece) {
        // The entry is looked for until there is one; then every further piece goes into it.
        for (size_t i = 0; stockIndex < 0 && i < mProfile->stock.size(); ++i) {
            const StockItem& entry = mProfile->stock[i];
            if (entry.productId == record.productId && entry.rating1 == record.rating1 &&
                entry.rating2 == record.rating2)
                stockIndex = int(i);
        }
        if (ProducePiece(record, stockIndex))
            ++made;
        else if (stopAtFirstFailure)
            break;
    }
    return made;
}

void GamePhase::AfterProduction()
{
    if (GamePanel* mission = mPanels[PANEL_MISSION])
        mission->UpdateQuestTargets();
    if (GamePanel* cellar = mPanels[PANEL_CELLAR])
        cellar->RefreshSlots();
    if (GamePanel* mission = mPanels[PANEL_MISSION])
        mission->CheckQuestUnlocks(-1);
    if (GamePanel* info = mPanels[PANEL_INFO])
        info->RefreshFactoryStatus();
}

void GamePhase::ProduceInFactory(int country)
{
    auto factory = mProfile->factories.find(country);
    if (factory == mProfile->factories.end() || !factory->second.firstFlag)
        return;
    const int productId = factory->second.productId;
    if (productId == -1 || !HasRecipeMaterials(productId)) {
        OpenWarning(kShortOfMaterials);
        return;
    }
    const ProductionRecord* record = mProfile->FindProductRecord(productId);
    if (record == nullptr || record->rate <= 0) {
        OpenWarning(kLineNotSetUp);
        return;
    }
    RollDay();
    // A copy: the record lives in the profile, which the pieces change.
    RunFactory(ProductionRecord(*record), false);
    AfterProduction();
    if (GamePanel* info = mPanels[PANEL_INFO])
        info->ShowProductionResult();
}

bool GamePhase::AnyFactoryReady()
{
    for (const auto& [country, factory] : mProfile->factories) {
        if (factory.productId == -1 || !HasRecipeMaterials(factory.productId))
            continue;
        const ProductionRecord* record = mProfile->FindProductRecord(factory.productId);
        if (record != nullptr && record->rate > 0)
            return true;
    }
    return false;
}

bool GamePhase::RunAllFactories()
{
    bool any = false;
    for (const auto& [country, factory] : mProfile->factories) {
        if (factory.productId == -1)
            continue;
        const ProductionRecord* record = mProfile->FindProductRecord(factory.productId);
        if (record == nullptr || record->rate <= 0)
            continue;
        if (RunFactory(ProductionRecord(*record), true) > 0)
            any = true;
    }
    return any;
}

bool GamePhase::ProduceInAllFactories()
{
    if (!AnyFactoryReady()) {
        OpenWarning(kNoFactoryReady);
        return false;
    }
    RollDay();
    const bool made = RunAllFactories();
    AfterProduction();
    return made;
}

int GamePhase::DinnerwareSalePrice(int productId, int rating1, int rating2)
{
    auto blueprint = mApp->blueprintTable.find(productId);
    if (blueprint == mApp->blueprintTable.end()) {
        LogMissingRecord("blueprint", productId);
        return 0;
    }
    int64_t cost = 0;
    for (const auto& [materialId, quantity] : blueprint->second.materialQty) {
        auto material = mApp->sourceTable.find(materialId);
        if (material == mApp->sourceTable.end()) {
            LogMissingRecord("material", materialId);
            continue;
        }
        cost += int64_t(quantity) * material->second.Price;
    }
    const double ratingFactor = (int64_t(rating1) + rating2 - 2) * 0.1 + 1.0;
    int p = TruncateToInt(double(cost) * 1.5 * mProfile->sellFactor * ratingFactor);
    const int sold = mProfile->CountRecentSales(productId);
    if (sold > 1000)
        p = TruncateToInt(p * 0.5);
    else if (sold > 500)
        p = TruncateToInt(p * 0.7);
    else if (sold > 100)
        p = TruncateToInt(p * 0.9);
    return TruncateToInt(((int64_t(rating1) + rating2 - 1) / 100.0 + 1.0) * p);
}

void GamePhase::CheckGameOver()
{
    constexpr int kRescueMoney = 150;
    constexpr int kRescuesBeforeTheEnd = 100;
    if (mPanels[PANEL_GAME_OVER] != nullptr || mProfile->tutorialStep != TutorialFinished ||
        mProfile->money >= kRescueMoney || !mProfile->stock.empty())
        return;
    ShowPanel(PANEL_GAME_OVER, mProfile->gameOverCounter < kRescuesBeforeTheEnd ? 1 : 3);
}

void GamePhase::ReturnToMainMenu(bool save)
{
    GameApp* app = mApp;
    app->musicTracks->StopAll();
    if (save)
        app->SavePlayerProfile(app->currentProfile);
    else
        app->LoadPlayerProfile(app->currentProfile);
    // This screen is freed after the current update; nothing of it is touched below.
    app->RemoveScreen(SCREEN_GAME);
    app->ShowScreen(SCREEN_MAIN_MENU, 0);
}

} // namespace Quor

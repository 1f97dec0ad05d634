#include "game/minigames/MgSkeleton.h"

#include "game/minigames/MgUi.h"
#include "game/shell/FXMath.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "display/DDImage.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/Sys.h"
#include "widgets/ButtonWidget.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace Quor {

MgSkeleton::MgSkeleton(MgUi* host, int gameNumber)
    : mOwnerScreen(host->mOwner), mHost(host), mGameNumber(gameNumber)
{
}

MgSkeleton::~MgSkeleton()
{
    LeaveScreen();
}

void MgSkeleton::OnEffectDone(int id)
{
    (void)id;
}

void MgSkeleton::LoadImages() {}

void MgSkeleton::BuildBoard() {}

void MgSkeleton::StartGame() {}

void MgSkeleton::TimeUp() {}

void MgSkeleton::StopGame() {}

void MgSkeleton::RaiseLevel() {}

void MgSkeleton::Finish()
{
    mFinished = true;
    if (ButtonWidget* end = mHost->mEndButton) {
        end->SetVisible(true);
        mHost->AddControl(end);
    }
}

bool MgSkeleton::ShowReward()
{
    return true;
}

bool MgSkeleton::UpdateReward(double dt)
{
    (void)dt;
    return true;
}

void MgSkeleton::DrawPanel(Graphics* g)
{
    (void)g;
}

void MgSkeleton::Tick(double dt)
{
    (void)dt;
}

void MgSkeleton::EndPlay()
{
    mStarted = false;
    mPlayEnded = true;
}

void MgSkeleton::AddToScreen(Widget* widget)
{
    if (widget == nullptr || mOwnerScreen == nullptr)
        return;
    if (std::find(mOnScreen.begin(), mOnScreen.end(), widget) == mOnScreen.end())
        mOnScreen.push_back(widget);
    mOwnerScreen->AddWidget(widget);
}

void MgSkeleton::RemoveFromScreen(Widget* widget)
{
    auto it = std::find(mOnScreen.begin(), mOnScreen.end(), widget);
    if (it == mOnScreen.end())
        return;
    mOnScreen.erase(it);
    if (widget->mParent != nullptr)
        widget->mParent->RemoveWidget(widget);
}

void MgSkeleton::LeaveScreen()
{
    for (Widget* widget : mOnScreen)
        if (widget->mParent != nullptr)
            widget->mParent->RemoveWidget(widget);
    mOnScreen.clear();
}

GameApp* MgSkeleton::App() const
{
    return mOwnerScreen->mApp;
}

Image* MgSkeleton::LoadPicture(const std::string& path)
{
    Image* picture = App()->LoadImageFile(path, true);
    if (picture == nullptr) {
        plat::DebugOutput(("Mini-game picture " + path + " could not be read; it is left out\n").c_str());
        return nullptr;
    }
    mPictures.emplace_back(picture);
    return picture;
}

std::vector<int> MgSkeleton::DrawDecoys(std::set<int>& taken, int count) const
{
    const std::map<int32_t, SourceRecord>& table = App()->sourceTable;
    const int records = static_cast<int>(std::min<size_t>(table.size(), RAND_MAX));
    // Only keys 1..records can come up; those naming a material not yet taken are the hits.
    auto hit = [&](int key) {
        auto it = table.find(key);
        return it != table.end() && taken.count(it->second.Id) == 0;
    };
    std::vector<int> drawn;
    while (static_cast<int>(drawn.size()) < count) {
        int first = -1;
        for (int key = 1; key <= records && first < 0; ++key)
            if (hit(key))
                first = key;
        if (first < 0) {
            char line[128];
            std::snprintf(line, sizeof(line), "No material is left for a decoy; %d of %d taken\n",
                          static_cast<int>(drawn.size()), count);
            plat::DebugOutput(line);
            break;
        }
        // A hit exists, so the draws end; after very many misses the first hit is taken.
        int key = -1;
        for (int tries = 0; tries < 64 + 16 * records && key < 0; ++tries) {
            const int r = std::rand() % records + 1;
            if (hit(r))
                key = r;
        }
        if (key < 0)
            key = first;
        const int id = table.at(key).Id;
        taken.insert(id);
        drawn.push_back(id);
    }
    return drawn;
}

void MgSkeleton::WriteCentred(Graphics* g, Font* font, const Color& color, const std::string& text, int left, int width,
                              int baseline)
{
    if (font == nullptr)
        return;
    g->SetFont(font);
    g->SetColor(color);
    g->DrawString(text, left + (width - font->StringWidth(text)) / 2, baseline);
}

int MgSkeleton::TuningInt(double value)
{
    return TruncToInt(value);
}

int MgSkeleton::AddSaturated(int a, int b)
{
    const long long sum = static_cast<long long>(a) + b;
    return static_cast<int>(std::clamp<long long>(sum, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace Quor

#include "game/minigames/MgSkeleton.h"

#include "game/minigames/MgUi.h"
#include "game/shell/FXMath.h"
#include "game/shell/GameApp.h"
#include "game/world/GamePhase.h"
#include "display/DDImage.h"
#include "graphics/Image.h"
#include "platform/Sys.h"
#include "widgets/ButtonWidget.h"

#include <algorithm>
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

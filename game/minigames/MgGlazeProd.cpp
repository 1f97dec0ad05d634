#include "game/minigames/MgGlazeProd.h"

#include "game/minigames/MgDraw.h"
#include "game/minigames/MgGlaze.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

namespace Quor {

MgGlazeProd::MgGlazeProd(MgGlaze* game) : mGame(game)
{
    mBackground = game->mImages[MgGlaze::PD_BG];
    for (int stage = 1; stage <= 3; ++stage)
        mStages[stage] = game->mImages[MgGlaze::PD_BG + stage];
    // The product has no place of its own on the panel: it stands in the frame beside the list.
    Resize(190, 260, mBackground != nullptr ? mBackground->GetWidth() : 0,
           mBackground != nullptr ? mBackground->GetHeight() : 0);
    for (int glaze : game->mRequired)
        mApplied[glaze] = false;
}

bool MgGlazeProd::ApplyGlaze(int glaze)
{
    auto it = mApplied.find(glaze);
    if (it == mApplied.end() || it->second)
        return false;
    it->second = true;
    if (AllApplied())
        mGame->ProductComplete();
    return true;
}

bool MgGlazeProd::AllApplied() const
{
    for (const auto& [glaze, applied] : mApplied)
        if (!applied)
            return false;
    return true;
}

void MgGlazeProd::ClearGlazes()
{
    for (auto& [glaze, applied] : mApplied)
        applied = false;
}

void MgGlazeProd::Draw(Graphics* g)
{
    g->DrawImage(mBackground, mX, mY);
    for (int stage = 1; stage <= 3; ++stage) {
        // A stage shows once every glaze of it is on.
        bool any = false, all = true;
        for (const auto& [glaze, applied] : mApplied)
            if (mGame->mStageOf[glaze] == stage) {
                any = true;
                all = all && applied;
            }
        if (any && all)
            g->DrawImage(mStages[stage], mX, mY);
    }
    for (size_t i = 0; i < mGame->mRequired.size(); ++i) {
        const int glaze = mGame->mRequired[i];
        const int x = 204 + 67 * static_cast<int>(i);
        const bool applied = mApplied[glaze];
        g->PushState();
        if (applied) {
            g->DrawImage(MP_TICK_BG, x + 36, 520);
            g->SetColorizeImages(true);
            g->SetColor(Color(128, 128, 128));
        }
        g->DrawImage(mGame->GlazePicture(glaze), x - 17, 470);
        g->PopState();
        mgdraw::WriteText(g, FONT_C_MGSOURCE, Color(60, 40, 20), mgdraw::Format("%lld", glaze - 21LL), x, 525, 35);
    }
}

} // namespace Quor

#include "game/minigames/MgDraw.h"

#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/EffectConstruction.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/Sys.h"

#include <algorithm>
#include <cstdio>

namespace Quor::mgdraw {

std::vector<Keyframe*> Track(int kind, int subtype, std::initializer_list<std::pair<double, double>> keys)
{
    std::vector<Keyframe*> track;
    for (const auto& [time, value] : keys)
        track.push_back(new Keyframe{kind, subtype, time, value});
    return track;
}

FXObject* MakeEffect(Image* image, int x, int y, double timePerCel, double holdTime, int notifyId, bool loop)
{
    const int cels = image != nullptr ? std::max(1, image->mNumCols) : 1;
    const int celWidth = image != nullptr ? image->GetWidth() / cels : 0;
    const int celHeight = image != nullptr ? image->GetHeight() : 0;
    return new FXObject(x, y, celWidth, celHeight, image, cels, loop, loop ? -1 : 1, notifyId, timePerCel, holdTime, 0.0,
                        FXObject::kDeriveNotifyTime);
}

FXObject* PlayOnce(Image* image, int x, int y, double seconds, int notifyId)
{
    const int cels = image != nullptr ? std::max(1, image->mNumCols) : 1;
    return MakeEffect(image, x, y, seconds / cels, seconds, notifyId);
}

FXObject* Timer(double seconds, int notifyId)
{
    return MakeEffect(IMG_NONE, 0, 0, seconds, seconds, notifyId);
}

void DrawScaled(Graphics* g, Image* image, int x, int y, float scale)
{
    if (image == nullptr)
        return;
    g->PushState();
    g->SetScale(scale, scale, static_cast<float>(x), static_cast<float>(y));
    g->DrawImage(image, x, y);
    g->PopState();
}

void DrawTurned(Graphics* g, Image* image, int x, int y, double angle)
{
    if (image == nullptr)
        return;
    g->DrawImageRotatedInt(image, x, y, image->GetWidth() / 2, image->GetHeight() / 2, nullptr, angle);
}

void WriteText(Graphics* g, Font* font, const Color& color, const std::string& text, int x, int y, int width,
               int lineSpacing)
{
    if (font == nullptr)
        return;
    g->SetFont(font);
    g->SetColor(color);
    g->DrawWrappedTextAt(text, x, y, width, lineSpacing);
}

std::string Format(const char* format, long long value)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

void AddClosingEffect(GameApp* app, EffectList* effects, int x, int y)
{
    constexpr double kShowTime = 3.0;
    FXObject* closing = CreateFXObject(app->fxDefs ? &*app->fxDefs : nullptr, 2);
    if (closing == nullptr) {
        // Without its effect the result still comes after its time.
        plat::DebugOutput("Effect 2 is not in the effect data; the result shows without it\n");
        effects->Add(Timer(kShowTime, 1));
        return;
    }
    closing->mX = x;
    closing->mY = y;
    closing->mHoldTime = std::max(closing->mHoldTime, kShowTime);
    closing->mNotifyTime = kShowTime;
    closing->mNotifyFlag = true;
    closing->mNotifyId = 1;
    effects->Add(closing);
}

void AddPerfectSign(EffectList* effects, Image* sign, int screenWidth)
{
    const int width = sign != nullptr ? sign->GetWidth() : 0;
    FXObject* effect = MakeEffect(sign, (screenWidth - width) / 2, 250, 3.0, 3.0, 0);
    effect->SetTrack(Track(Keyframe::SCALE, 0, {{0.0, 0.0}, {0.3, 1.0}, {2.7, 1.0}, {3.0, 0.0}}), false);
    effects->Add(effect);
}

Image* RecipePicture(const BlueprintRecord* recipe)
{
    return recipe != nullptr ? ResourceImageById(ResourceIdByName(recipe->Img.c_str())) : nullptr;
}

void DrawResultPanel(Graphics* g, const BlueprintRecord* recipe, const char* title, const std::string& bonusLine,
                     Image* gamePicture, Image* const stars[4], int result)
{
    g->DrawImage(MG_RESULT_BG, 230, 195);
    WriteText(g, FONT_B18, Color(0, 0, 0), recipe != nullptr ? recipe->Name : std::string(), 274, 290, 215, 25);
    WriteText(g, FONT_B18, Color(135, 0, 0), title, 528, 290, 225);
    WriteText(g, FONT_B18, Color(50, 100, 255), bonusLine, 438, 480, 405);
    g->DrawImage(RecipePicture(recipe), 315, 360);
    g->DrawImage(gamePicture, 615, 315);
    g->DrawImage(stars[1], 530, 375);
    g->DrawImage(stars[result >= 2 ? 2 : 0], 615, 375);
    g->DrawImage(stars[result == 3 ? 3 : 0], 700, 375);
}

} // namespace Quor::mgdraw

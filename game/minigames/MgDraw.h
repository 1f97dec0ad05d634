// Small drawing and effect helpers the mini-games share: keyframe tracks, effects of a picture's
// cels and invisible timers, turned and scaled pictures, wrapped text, the closing effect, the
// perfect sign and the result panel.
#pragma once

#include "graphics/Color.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace Quor {

class EffectList;
class FXObject;
class Font;
class GameApp;
class Graphics;
class Image;
struct BlueprintRecord;
struct Keyframe;

namespace mgdraw {

// A track of keys (time, value) of one kind and subtype.
std::vector<Keyframe*> Track(int kind, int subtype, std::initializer_list<std::pair<double, double>> keys);

// An effect of the image's cels, each shown for the time, held for holdTime (a one-cel picture
// or an invisible timer gets one frame that long).
FXObject* MakeEffect(Image* image, int x, int y, double timePerCel, double holdTime, int notifyId, bool loop = false);
// An effect that shows all its cels once in the time.
FXObject* PlayOnce(Image* image, int x, int y, double seconds, int notifyId = 0);
// An invisible effect that only reports its id after the time.
FXObject* Timer(double seconds, int notifyId);

void DrawScaled(Graphics* g, Image* image, int x, int y, float scale);
// The picture turned about its centre.
void DrawTurned(Graphics* g, Image* image, int x, int y, double angle);
void WriteText(Graphics* g, Font* font, const Color& color, const std::string& text, int x, int y, int width,
               int lineSpacing = -1);
std::string Format(const char* format, long long value);

// The result display every game closes with: effect 2 of the effect data at (x, y), reporting id
// 1 after 3 s (an invisible 3 s timer with a log line when the data lacks it).
void AddClosingEffect(GameApp* app, EffectList* effects, int x, int y);
// A perfect sign centred on the screen's width at y 250, growing in 0.3 s, held and shrinking
// away by 3 s.
void AddPerfectSign(EffectList* effects, Image* sign, int screenWidth);

// The product's picture, named by its recipe; null without one.
Image* RecipePicture(const BlueprintRecord* recipe);

// The result panel over a finished game: the panel, the product's name, the game's title, the
// bonus line, the product and the game's picture, and three stars (star0 to star3 given): the
// first always lit, the second from a result of 2, the third at 3.
void DrawResultPanel(Graphics* g, const BlueprintRecord* recipe, const char* title, const std::string& bonusLine,
                     Image* gamePicture, Image* const stars[4], int result);

} // namespace mgdraw
} // namespace Quor

#include "game/shell/PlaceholderScreen.h"

#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Color.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"

namespace Quor {

PlaceholderScreen::PlaceholderScreen(GameApp* app) : mApp(app) {}

void PlaceholderScreen::Draw(Graphics* g)
{
    g->SetColor(Color(24, 20, 16));
    g->FillRect(0, 0, mWidth, mHeight);
    // The fonts of "Init"; nothing is written while they are not bound.
    Font* font = FONT_DEFAULT;
    if (!font)
        return;
    g->SetFont(font);
    g->SetColor(Color(240, 226, 200));
    const char* const lines[] = {"Tallowmere", "The menus are not built yet.", "Close the window to quit."};
    int y = mHeight / 2 - font->GetLineSpacing();
    for (const char* line : lines) {
        g->DrawString(line, (mWidth - font->StringWidth(line)) / 2, y);
        y += font->GetLineSpacing() + 4;
    }
}

} // namespace Quor

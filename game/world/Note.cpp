#include "game/world/Note.h"

#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/SysFont.h"

namespace Quor {

namespace {

constexpr double kShowDelay = 1.0;  // seconds

} // namespace

Note::Note(GamePhase* owner) : GamePanel(owner), mFont(new SysFont("Arial", 12)) {}

Note::~Note()
{
    delete mFont;
}

void Note::SetText(const std::string& text, int x, int y)
{
    mArmed = true;
    mText = text;
    mX = x;
    mY = y;
    mDelay = kShowDelay;
}

void Note::Hide()
{
    mArmed = false;
    mShowing = false;
}

void Note::Tick(double dt)
{
    if (!mArmed || mDelay <= 0.0)
        return;
    mDelay -= dt;
    if (mDelay <= 0.0) {
        mShowing = true;
        if (mOwner != nullptr)
            mOwner->SetDirty();
    }
}

void Note::Draw(Graphics* g)
{
    if (!mShowing)
        return;
    const int w = mFont->StringWidth(mText);
    const int h = mFont->GetHeight();
    g->SetColor(Color::White);
    g->FillRect(mX - 1, mY, w + 2, h);
    g->SetColor(Color::Black);
    g->DrawRect(mX - 1, mY, w + 2, h);
    g->SetFont(mFont);
    g->DrawString(mText, mX, mY + h - 3);
}

} // namespace Quor

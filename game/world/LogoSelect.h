// The company identity screen (screen 10): logo, icon, font, text colour and company name, with a
// card that shows them together. Every choice goes into the current profile at once; OK saves
// the profile and goes back to the main menu.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/EditListener.h"
#include "widgets/Widget.h"

#include <string>
#include <vector>

namespace Quor {

class ButtonWidget;
class EditWidget;
class Font;
class GameApp;
class Image;
struct PlayerProfile;

class LogoSelect : public Widget, public ButtonListener, public EditListener {
public:
    enum {
        ID_OK = 999,
        ID_LOGO_PREV = 10001,
        ID_LOGO_NEXT = 10002,
        ID_ICON_PREV = 10003,
        ID_ICON_NEXT = 10004,
        ID_FONT_PREV = 10005,
        ID_FONT_NEXT = 10006,
        ID_NAME = 11000
    };
    static constexpr int kLogoCount = 8;
    static constexpr int kColourCount = 8;
    static constexpr int kFontCount = 6;
    static constexpr int kNameLimit = 10;
    static constexpr int kCardX = 405;
    static constexpr int kCardY = 406;
    static constexpr int kCardTextWidth = 165;

    struct Rgb {
        int red;
        int green;
        int blue;
    };
    static constexpr Rgb kColours[kColourCount] = {{255, 0, 0},    {0, 0, 255},    {255, 239, 24}, {0, 178, 82},
                                                   {156, 85, 165}, {255, 162, 16}, {0, 0, 0},      {255, 255, 255}};

    explicit LogoSelect(GameApp* app);
    ~LogoSelect() override;

    void Draw(Graphics* g) override;

    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;
    bool AllowKey(int id, int keyCode) override;
    bool AllowChar(int id, char c) override;

    // The font of a company font index; an index outside 0-5 (a damaged file) shows font 0.
    static Font* CompanyFont(int index);
    // The resource name of a company font ("FONT_S14" for 3).
    static std::string CompanyFontName(int index);
    // An index as shown: one outside 0 .. count - 1 shows as 0.
    static int Shown(int index, int count);

    GameApp* mApp;
    PlayerProfile* mProfile;  // not owned
    Widget* mBackdrop;        // owned child
    ButtonWidget* mOkButton;  // owned children
    ButtonWidget* mArrowButtons[6] = {};
    std::vector<ButtonWidget*> mColourButtons;
    EditWidget* mNameField;
    Image* mBackground = nullptr;  // owned pictures; null where a file did not load
    Image* mOkImages[3] = {};
    std::vector<Image*> mLogos;
    std::vector<Image*> mIcons;
    std::vector<Image*> mSwatches;
    std::vector<Image*> mSwatchesOver;

private:
    void LoadImages();
    void ReleaseImages();
    // Moves an index one step within 0 .. count - 1; an index outside it moves from 0.
    static void Step(int32_t& index, int delta, int count);
};

} // namespace Quor

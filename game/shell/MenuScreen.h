// What the menu screens share: loading a screen's resource group at once when the screen is
// built, the image buttons a screen draws itself inside its own fade, and image sizes that take
// a missing image as empty.
#pragma once

namespace Quor {

class ButtonListener;
class ButtonWidget;
class GameApp;
class Graphics;
class Image;
class ResourceManager;
class Widget;

enum class GroupLoad { Loaded, Aborted, Failed };

// Loads the group resource by resource and binds it. Stops after the current resource when the
// application begins to shut down (Aborted: nothing bound, nothing reported). A failed load or
// binding shows the resource error and ends the program (Failed).
GroupLoad LoadScreenGroup(GameApp* app, const char* group, bool (*bind)(ResourceManager*));

// Deletes the group's resources and clears its variables.
void ReleaseScreenGroup(GameApp* app, const char* group);

// A button with its three images, placed at x, y with the size of its normal image. Unless
// treeDraws, the widget tree does not draw it: its screen draws it with DrawIfVisible.
ButtonWidget* MakeImageButton(int id, ButtonListener* listener, Image* normal, Image* over, Image* down, int x,
                              int y, bool treeDraws = false);

// Takes a screen out of the widget manager, hands it to the deferred deletion and empties the
// slot when it holds this screen.
void CloseScreen(GameApp* app, Widget* screen, int slot);

// The answer to the mouse entering a screen's button: the hover sound and the hand cursor.
void ShowButtonHover(GameApp* app, Widget* screen);

// A popup over the main menu draws the menu first, when it is open.
void DrawMainMenuBelow(GameApp* app, Graphics* g);

// Takes an owned child out of its screen and deletes it; nothing for null.
void DeleteChild(Widget* screen, Widget* child);

int ImageWidth(const Image* image);
int ImageHeight(const Image* image);

} // namespace Quor

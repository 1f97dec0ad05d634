// Program entry of the game: makes the one application object, starts it and runs it until the
// player quits, then destroys it. The exit status is non-zero after a fatal error.
#include "game/shell/GameApp.h"
#include "platform/Shell.h"

int main(int argc, char** argv)
{
    plat::SetCommandLine(argc, argv);
    auto* app = new Quor::GameApp();
    app->Init();
    app->Start();
    int status = app->exitStatus;
    delete app;
    return status;
}

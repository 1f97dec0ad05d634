// Program entry of the game.
#include <cstdio>

int main(int, char**)
{
    std::printf("tallowmere %s\n", TALLOWMERE_VERSION);
    return 0;
}

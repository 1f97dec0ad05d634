#include "game/world/Mission.h"

namespace Quor {

Mission::Mission(GamePhase* owner) : GamePanel(owner) {}

} // namespace Quor

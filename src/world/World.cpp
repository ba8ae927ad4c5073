#include "world/World.h"

namespace orb {

void World::clearBodies()
{
    posX.fill(0);
    posY.fill(0);
    momX.fill(0);
    momY.fill(0);
    gravity.fill(0);
    outOfPlay.fill(0);
    bodyType.fill(0);
    colRed.fill(0);
    colGreen.fill(0);
    colBlue.fill(0);
}

}  // namespace orb

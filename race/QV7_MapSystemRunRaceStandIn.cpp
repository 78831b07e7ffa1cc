// Stand-in until the race loop lands: the race ends at once, not won.
#include "race/QV7_MapSystem.h"

void QV7_MapSystem::RunRace(QV7_MapSystem* session)
{
    if (session)
        session->won = 0;
}

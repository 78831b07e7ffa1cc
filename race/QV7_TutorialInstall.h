// The tutorial's place in the race: its hooks in the race loop, the in-race
// restart and the weapons' target hits. The tutorial of a race is made when
// the race hands it the HUD and lives until the next tutorial race.
#pragma once

class QV7_Tutorial;

// Sets the tutorial's hooks (the race loop's five, the restart's and the
// weapons' target count); the others are left as they are.
void InstallTutorialHooks();
// The tutorial of the running tutorial race, or null.
QV7_Tutorial* CurrentTutorial();

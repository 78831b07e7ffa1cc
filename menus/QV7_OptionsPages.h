// The options screens: graphics, sound and controllers.
#pragma once

// The options screen, entered from the main menu at its current fade value.
// For now the graphics page with its Back button only.
void RunOptionsPage(float fade);

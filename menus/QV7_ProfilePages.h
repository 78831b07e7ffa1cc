// The pilot profile screens.
#pragma once

// The profile screen, entered from the main menu at its current fade value.
// For now the page with its Back button and a quick race on the first island.
void RunProfilePage(float fade);

// The pilot profile screens.
#pragma once

// The profile screen, entered from the main menu at its current fade value.
// For now the page with its Back button only.
void RunProfilePage(float fade);

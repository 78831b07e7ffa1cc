// The pages of this edition that announce the fuller one: shown when the game
// is left, after the demo race, and in place of the multiplayer screens.
#pragma once

// Fades pageId out, holds the single-player advert, fades it out, and fades
// pageId back in, except for "ID_MAIN_MENU_EXIT", after which the game ends.
void ShowDemoAdvertPage(const char* pageId);
// The page shown once the demo race is over.
void ShowDemoEndPage();
// The multiplayer advert, between the main menu's fade out and back in.
void ShowDemoMultiplayerPage();

// The pilot profile screens: the profile list with the turning figure of the
// selected pilot, creating and deleting profiles, the difficulty question and
// the start of a career in the garage hub.
#pragma once

class QV7_Menu_Picture;

// The profile screen, entered from the main menu at its current fade value.
void RunProfilePage(float fade);
// 0 cancelled or empty name, 1 Escape, 2 quit, else what creating the profile gave (3).
int RunCreateProfilePage();
// 1 confirmed (or quit), 0 cancelled.
int RunDifficultyPage();
// The difficulty page when the profile has not chosen one, then the garage
// hub; 1 after the hub returns, 0 when the difficulty page was cancelled.
int StartCareer();

void ShowProfileCantGoPopup();
// 1 for yes; 0 for no or a quit.
int RunDeleteProfileConfirm();
void ShowProfileCantDeletePopup();

// Draw callbacks of the preview picture: the player's figure idling, turning
// to its move animation while the mouse is over the picture.
void AnimateMalePlayerModel(const char* id, QV7_Menu_Picture* control);
void AnimateFemalePlayerModel(const char* id, QV7_Menu_Picture* control);

// Row r of the profile list shows profile count - 1 - r (newest first); -1
// for a row outside the list.
int ProfileIndexOfRow(int row, int count);

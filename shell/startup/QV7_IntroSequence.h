// The intro movie, the two logos with the music cross-fade, and the loading
// screen that fades into the main menu.
#pragma once

class QV7_TextureList;
class QV7_SoundSystem;

// 0 when the player skipped the movie, 1 otherwise (finished, timed out, not played or faulted).
int PlayIntroVideo();

// The movie, then (unless it was skipped) the logos; then the second music
// piece and the loading screen at 5 and 6 percent.
void RunIntroAndLogos(QV7_TextureList& loadingTextures, QV7_SoundSystem& sound);

// The loading screen at 100 percent fading into the main menu's backdrop.
void FadeInMainMenu(QV7_TextureList& loadingTextures);

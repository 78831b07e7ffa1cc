// The credits: the menu file's string list scrolling up the credits page.
#pragma once

// Fades from the main menu (at fade) to the credits, scrolls them, and fades
// back to the main menu. A press, Escape, Space or Enter during the opening
// fades skips the scrolling; during the scrolling it ends it.
void RunCreditsPage(float fade);

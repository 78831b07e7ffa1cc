// The main menu screen.
#pragma once

// Runs the main menu until the player leaves the game or the frame gate quits.
void RunMainMenu();

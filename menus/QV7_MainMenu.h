// The main menu: the first screen after start-up and the root of every
// front-end screen, and its exit question.
#pragma once

// Set when the first championship race is won; the main menu clears it and
// fades in from black again.
extern bool g_demoFinished;

// Runs the main menu until the player leaves the game or the frame gate quits.
void RunMainMenu();
// The exit question over the main menu: 1 to leave the game (Yes or quit), 0 (No).
int RunExitConfirm();

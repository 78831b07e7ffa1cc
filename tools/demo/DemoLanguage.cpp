// Texts of the demo's English language file.
#include "tools/demo/DemoLanguage.h"

LanguageGroups DemoLanguageGroups()
{
    LanguageGroups groups;
    // Group 0: the action names, by language entry.
    groups.push_back({"Respawn",         "Accelerate",
                      "Turbo",           "Reverse",
                      "Steer Left",      "Steer Right",
                      "Shoot",           "Hand Brake",
                      "Shield",          "Jammer",
                      "Select Weapon 1", "Select Weapon 2",
                      "Select Weapon 3", "Select Weapon 4",
                      "Select Weapon 5", "Camera Mode 1",
                      "Camera Mode 2",   "Camera Mode 3",
                      "Hide HUD",        "Pause",
                      "Screenshot",      "Horn",
                      "Team Chat",       "All Chat",
                      "Next Weapon",     "Previous Weapon"});
    // Group 1: the tutorial's instructions by lesson and step; each %s is
    // the name of a bound key, in the order the lesson gives them.
    groups.push_back({
        // Driving
        "Welcome to the driving school! Try the controls: %s accelerates, %s and %s steer and %s brakes and "
        "reverses. Use each of them once.\r\n\r\nPress T to close this panel, and again to read it later.",
        "Now drive through the next checkpoint. When you are stuck or upside down, %s puts you back at the "
        "last checkpoint you passed: drive through the checkpoint, then press %s.\r\n\r\n(%s works only "
        "after a checkpoint.)",
        "Pass one more checkpoint, then take a sharp turn with the hand brake: hold %s while you steer. "
        "Press "
        "%s once after the checkpoint to go on.",
        "Well done. Now drive a whole lap: follow the arrow over your buggy from checkpoint to checkpoint "
        "until you cross the finish again.",
        "Lap completed! You have learnt to drive. Press any key to leave the lesson.",
        // Targets
        "Time to shoot. Aim at the red and white target beside the track and press %s to fire.",
        "Good shot! Now hit ten targets within a minute and a half. Fire with %s; every target counts once.",
        "Ten targets! The last round: hit 27 targets within three minutes, the distant ones as well.",
        "A sharpshooter! You have finished the shooting lesson. Press any key to leave it.",
        "Not enough targets this time. Try again: ten targets within a minute and a half.",
        "Not enough targets this time. Try again: 27 targets within three minutes.",
        // Equipment
        "Your buggy carries a shield. Press %s to raise it and wait until it has closed again.",
        "The jammer sends out a wave that throws other buggies off. Press %s to send one out.",
        "The turbo gives you a burst of speed. Hold %s for two seconds; your turbo is kept full here.",
        "An opponent has joined you! Wreck his buggy before he completes a lap.",
        "Opponent wrecked! Now beat him: complete a lap before he does.",
        "You beat your opponent! The equipment lesson is done. Press any key to leave it.",
        "Your opponent completed a lap first. Try again: wreck him before he gets round.",
        "Your opponent completed his lap first. Try again: finish the lap before him.",
        // Racing
        "Your first race: two laps against three opponents. Finish first to pass the lesson.",
        "You won the race! You are ready for the championship. Press any key to leave the lesson.",
        "You did not finish first. The race starts again from the grid.",
    });
    return groups;
}

bool WriteDemoLanguage(const std::string& dataDir)
{
    return WriteLanguageFile(dataDir + "LANG.lng", DemoLanguageGroups());
}

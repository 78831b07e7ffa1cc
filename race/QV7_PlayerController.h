// The human driver of the player's racer. Its driving, camera and budgets
// grow here; the fields shared with the computer driver are in the base.
#pragma once

#include "race/QV7_DriveController.h"

class QV7_PlayerController : public QV7_DriveController
{
  public:
    QV7_PlayerController() { cameraMode = CAMERA_MODE_NEAR; }
    // The chase camera of this driver's buggy (once a frame), its hand-over
    // to the scene camera, and its reset (camera keys, respawns).
    void UpdateCamera() { UpdateFor(buggy, cameraMode, true); }
    void ApplyCamera() const { Apply(cameraMode); }
    void ResetCamera() { ResetFor(buggy, cameraMode, true); }

    // The notices the start grid clears with respawnRequested.
    void ClearGridNotices()
    {
        respawnRequested = 0;
        wrongCheckpointNotice = 0;
        drownedNotice = 0;
        destroyedNotice = 0;
    }

    int destroyedNotice = 0;
    int wrongCheckpointNotice = 0;
    int drownedNotice = 0;
    int lowPowerNotice = 0;
    int noAmmoNotice = 0;
};

// The computer driver of an opponent racer. Its driving along the waypoints,
// camera and budgets grow here; the shared fields are in the base.
#pragma once

#include "race/QV7_DriveController.h"

class QV7_AIController : public QV7_DriveController
{
  public:
    QV7_AIController()
    {
        handBrakeOn = 1;
        cameraMode = CAMERA_MODE_FAR;
    }
    void UpdateCamera() { UpdateFor(buggy, cameraMode, false); }
    void ApplyCamera() const { Apply(cameraMode); }
    void ResetCamera() { ResetFor(buggy, cameraMode, false); }
    // The one word the start grid clears.
    void ClearGridNotices() { respawnRequested = 0; }
};

// The computer driver of an opponent racer. Its driving along the waypoints,
// camera and budgets grow here; the shared fields are in the base.
#pragma once

#include "race/QV7_DriveController.h"

class QV7_AIController : public QV7_DriveController
{
  public:
    QV7_AIController() { handBrakeOn = 1; }
    // The one word the start grid clears.
    void ClearGridNotices() { respawnRequested = 0; }
};

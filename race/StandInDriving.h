// Plain driving until the drivers' own Drive takes over the physics group's
// drive hook: the player's racer from the keyboard bindings (accelerate,
// reverse, steer, hand-brake), computer racers along the island's path.
// Every racer waits for its grid line's release. The race loop installs it
// only while the hook is empty.
#pragma once

class QV7_Buggy;

void StandInDrive(QV7_Buggy& buggy);

// The hinge-2 settings of one frame: wheel speed and force of the driven
// wheels (negative speed rolls the buggy along its nose), steering angle of
// the steered ones (positive turns toward world -z).
void ApplyDrive(QV7_Buggy& buggy, float wheelSpeed, float force, float steer);

// One checkpoint of the loaded map: the floating markers a racer may pass it
// by, their placement matrices and this frame's visibility, the checkpoint
// that must be passed after it, and when and by whom it was last passed.
#pragma once

#include "platform/d3dx/D3DXMath.h"

#include <cstdint>
#include <vector>

// A marker as the file stores it: the ground point under it and its yaw.
struct CheckpointMarker
{
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float yaw = 0.0f;
};

struct CheckpointRecord
{
    std::vector<CheckpointMarker> markers;
    std::vector<D3DXMATRIX> markerMatrices;
    std::vector<uint8_t> markerVisible;
    CheckpointRecord* link1 = nullptr;
    CheckpointRecord* next = nullptr;
    float sincePassed = 0.0f; // ms
    int32_t passedByPlayer = 0;
};

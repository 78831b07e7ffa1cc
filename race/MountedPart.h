// One part on a buggy (or one piece of equipment a player owns): the database
// object it is, by item index, and where it sits on the buggy.
#pragma once

#include "platform/d3dx/D3DXMath.h"

#include <cstdint>

struct MountedPart
{
    MountedPart() { D3DXMatrixIdentity(&mount); }

    // Position of the object in the buggy database's objects list; -1 when absent.
    int32_t item = -1;
    // Translation in the last row.
    D3DXMATRIX mount;
    // 1: the part is drawn.
    int32_t visible = 0;
};

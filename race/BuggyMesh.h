// One mesh of the buggy database: a mesh object that keeps its
// system-memory mesh and a placement per subset (the parts a racer moves on
// their own: wheels, barrels), and the centre of each subset's vertices, the
// point a part turns about.
#pragma once

#include "world/LodMeshObject.h"

#include <vector>

class BuggyMesh : public LodMeshObject
{
  public:
    BuggyMesh() = default;
    void Release() override;

    // world = Scaling(scale) x Rotation(yaw, pitch, roll), translation = position.
    void UpdateMatrix();
    // Fills the subset sphere centres from the vertices as the reader left them.
    void ComputeSubsetCentres();
    // The centre of subset i's vertices; the origin for a subset with no faces.
    D3DXVECTOR3 SubsetCentre(uint32_t subset) const;

    std::vector<D3DXVECTOR3> m_SubsetSphereCentres; // one per subset
};

// Buggy meshes: placement and the per-subset centres.
#include "race/BuggyMesh.h"

void BuggyMesh::Release()
{
    m_SubsetSphereCentres.clear();
    LodMeshObject::Release();
}

void BuggyMesh::UpdateMatrix()
{
    BuildPlacementMatrix(*this);
}

// Each subset's centre is that of the bounding sphere of its attribute
// range's vertices; the reader's attribute sort gives every subset one range.
void BuggyMesh::ComputeSubsetCentres()
{
    m_SubsetSphereCentres.assign(m_SubsetCount, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    for (uint32_t subset = 0; subset < m_SubsetCount; ++subset)
    {
        const D3DXATTRIBUTERANGE* range = SubsetRange(subset);
        if (!range || range->VertexCount == 0 ||
            size_t(range->VertexStart) + range->VertexCount > m_Vertices.size())
            continue;
        float radius = 0.0f;
        D3DXComputeBoundingSphere(
            reinterpret_cast<const D3DXVECTOR3*>(m_Vertices[range->VertexStart].position), range->VertexCount,
            MESH_VERTEX_SIZE, &m_SubsetSphereCentres[subset], &radius);
    }
}

D3DXVECTOR3 BuggyMesh::SubsetCentre(uint32_t subset) const
{
    return subset < m_SubsetSphereCentres.size() ? m_SubsetSphereCentres[subset]
                                                 : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

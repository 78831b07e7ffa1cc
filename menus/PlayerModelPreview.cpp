#include "menus/PlayerModelPreview.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "figures/AnimatedMesh.h"
#include "figures/QV7_TriggersSystem.h"
#include "gui/QV7_Menu_Picture.h"
#include "race/QV7_ItemDatabase.h"

#include <algorithm>

namespace
{
ID3DXAnimationSet* SetNamed(ID3DXAnimationController& controller, const char* name)
{
    ID3DXAnimationSet* set = nullptr;
    if (FAILED(controller.GetAnimationSetByName(name, &set)))
        return nullptr;
    return set;
}

// The bounds of the figure's skinned mesh as loaded; false without one.
bool FigureBounds(const AnimatedMesh& figure, D3DXVECTOR3& low, D3DXVECTOR3& high)
{
    ID3DXMesh* mesh = figure.m_Skinned ? figure.m_Skinned->MeshData.pMesh : nullptr;
    void* vertices = nullptr;
    if (!mesh || mesh->GetNumVertices() == 0 || FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &vertices)))
        return false;
    const HRESULT result =
        D3DXComputeBoundingBox(static_cast<const D3DXVECTOR3*>(vertices), mesh->GetNumVertices(),
                               mesh->GetNumBytesPerVertex(), &low, &high);
    mesh->UnlockVertexBuffer();
    return SUCCEEDED(result);
}

double TrackPosition(ID3DXAnimationController& controller, UINT track)
{
    D3DXTRACK_DESC desc{};
    controller.GetTrackDesc(track, &desc);
    return desc.Position;
}
} // namespace

PlayerModelPreview::PlayerModelPreview(const char* idleTrigger, const char* moveTrigger)
    : m_IdleName(idleTrigger), m_MoveName(moveTrigger)
{
}

void PlayerModelPreview::SetUp(ID3DXAnimationController& controller, const TriggerRecord& idle,
                               const TriggerRecord& move)
{
    const char* names[2] = {idle.m_AnimationSetName, move.m_AnimationSetName};
    for (UINT track = 0; track < 2; ++track)
    {
        ID3DXAnimationSet* set = SetNamed(controller, names[track]);
        if (set)
        {
            controller.SetTrackAnimationSet(track, set);
            m_Periods[track] = std::max(set->GetPeriod(), 1e-3);
            set->Release();
        }
        controller.SetTrackPriority(track, D3DXPRIORITY_HIGH);
        controller.SetTrackSpeed(track, 1.0f);
        controller.SetTrackEnable(track, TRUE);
        controller.SetTrackPosition(track, 0.0);
    }
    m_Active = 0;
    m_Fading = false;
    controller.SetTrackWeight(0, 1.0f);
    controller.SetTrackWeight(1, 0.0f);
    m_SetUpFor = &controller;
}

void PlayerModelPreview::StartCrossFade(int target)
{
    if (m_Fading || target == m_Active)
        return;
    m_Fading = true;
    m_FadedMs = 0.0f;
}

void PlayerModelPreview::UpdateTracks(ID3DXAnimationController& controller, float frameMs, bool mouseOver)
{
    for (UINT track = 0; track < 2; ++track)
        if (TrackPosition(controller, track) > m_Periods[track])
            controller.SetTrackPosition(track, 0.0);
    if (mouseOver && m_Active == 0)
        StartCrossFade(1);
    // Back to idle only in the last second of the move, so the move is never cut off.
    if (!mouseOver && m_Active == 1 && TrackPosition(controller, 1) >= m_Periods[1] - 1.0)
        StartCrossFade(0);
    if (!m_Fading)
        return;
    m_FadedMs += frameMs;
    const float towards = std::min(1.0f, m_FadedMs / kCrossFadeMs);
    const int target = 1 - m_Active;
    controller.SetTrackWeight(UINT(target), towards);
    controller.SetTrackWeight(UINT(m_Active), 1.0f - towards);
    if (towards >= 1.0f)
    {
        m_Fading = false;
        m_Active = target;
    }
}

void PlayerModelPreview::Draw(const char*, QV7_Menu_Picture* control)
{
    if (!control || !g_itemDatabase)
        return;
    const TriggerRecord* idle = g_itemDatabase->figures.FindTrigger(m_IdleName);
    const TriggerRecord* move = g_itemDatabase->figures.FindTrigger(m_MoveName);
    // A figure left out by the loader (or by DebugAnim) shows nothing.
    if (!idle || !move || !idle->m_AnimatedMesh || !idle->m_AnimatedMesh->m_Controller)
        return;
    ID3DXAnimationController& controller = *idle->m_AnimatedMesh->m_Controller;
    if (m_SetUpFor != &controller)
        SetUp(controller, *idle, *move);
    const float frameMs = g_frameManager ? std::max(1.0f, float(g_frameManager->m_LastFrameMs)) : 1.0f;
    UpdateTracks(controller, frameMs, control->IsMouseOver() != 0);
    const D3DXVECTOR3 eye(0.0f, 200.0f, -600.0f), target(0.0f, 0.0f, 300.0f);
    SetCameraEye(eye.x, eye.y, eye.z);
    SetCameraTarget(target.x, target.y, target.z);
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 40.0f, 80.0f, 150.0f);
    if (!m_HaveBounds)
        m_HaveBounds = FigureBounds(*idle->m_AnimatedMesh, m_Low, m_High);
    // Figures come in any size: the view is narrowed onto the figure so it
    // fills the picture, whatever its scale.
    D3DXMATRIX projection = control->m_Projection;
    if (m_HaveBounds)
    {
        const RECT picture{control->m_Left, control->m_Top, control->m_Right, control->m_Bottom};
        projection = FramingProjection(m_Low, m_High, world, eye, target, picture);
        if (g_device)
            g_device->SetTransform(D3DTS_PROJECTION, &projection);
    }
    QV7_TriggersSystem::DrawTrigger(idle, world, projection);
}

D3DXMATRIX PlayerModelPreview::FramingProjection(const D3DXVECTOR3& low, const D3DXVECTOR3& high,
                                                 const D3DXMATRIX& world, const D3DXVECTOR3& eye,
                                                 const D3DXVECTOR3& target, const RECT& picture)
{
    D3DXMATRIX view, worldView;
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    D3DXMatrixMultiply(&worldView, &world, &view);
    // The box's corners on the near plane: their extent is what must fit.
    float left = 1e30f, right = -1e30f, bottom = 1e30f, top = -1e30f;
    for (int corner = 0; corner < 8; ++corner)
    {
        const D3DXVECTOR3 point(corner & 1 ? high.x : low.x, corner & 2 ? high.y : low.y,
                                corner & 4 ? high.z : low.z);
        D3DXVECTOR3 seen;
        D3DXVec3TransformCoord(&seen, &point, &worldView);
        const float depth = std::max(seen.z, 1.0f);
        left = std::min(left, seen.x / depth), right = std::max(right, seen.x / depth);
        bottom = std::min(bottom, seen.y / depth), top = std::max(top, seen.y / depth);
    }
    // The picture in clip space: the menu page is 800 x 600, drawn over the whole screen.
    const float pictureLeft = float(picture.left) / 400.0f - 1.0f,
                pictureRight = float(picture.right) / 400.0f - 1.0f;
    const float pictureTop = 1.0f - float(picture.top) / 300.0f,
                pictureBottom = 1.0f - float(picture.bottom) / 300.0f;
    constexpr float kMargin = 1.2f;
    const float halfWidth = std::max((right - left) / 2.0f * kMargin, 1e-6f);
    const float halfHeight = std::max((top - bottom) / 2.0f * kMargin, 1e-6f);
    // Clip units per near-plane unit, the same scale in pixels both ways (a
    // clip unit is 400 pixels across and 300 down).
    const float scaleY = std::min((pictureTop - pictureBottom) / 2.0f / halfHeight,
                                  (pictureRight - pictureLeft) / 2.0f / halfWidth / 0.75f);
    const float scaleX = 0.75f * scaleY;
    // A frustum [l, r] maps x to (2x - (r + l)) / (r - l): solve for the figure's
    // centre landing on the picture's centre.
    const auto bounds = [](float scale, float figureCentre, float pictureCentre, float& low, float& high)
    {
        const float span = 2.0f / scale;
        const float sum = (scale * figureCentre - pictureCentre) * span;
        low = (sum - span) / 2.0f;
        high = (sum + span) / 2.0f;
    };
    float l, r, b, t;
    bounds(scaleX, (left + right) / 2.0f, (pictureLeft + pictureRight) / 2.0f, l, r);
    bounds(scaleY, (bottom + top) / 2.0f, (pictureBottom + pictureTop) / 2.0f, b, t);
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveOffCenterLH(&projection, l, r, b, t, 1.0f, 40000.0f);
    return projection;
}

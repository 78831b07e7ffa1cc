// The scene camera's matrices, device updates and frustum tests.
#include "engine/QV7_Camera.h"

#include "engine/QV7_Engine.h"

QV7_Camera* g_camera = nullptr;
bool (*QV7_Camera::s_MovieMode)() = nullptr;
void (*QV7_Camera::s_SkyViewChanged)() = nullptr;

namespace
{
constexpr float kPi = 3.14159265358979f;
constexpr float kFovExtra = 0.15f;
constexpr float kNearDistance = 1.0f;
constexpr float kFarDistance = 40000.0f;

bool MovieMode()
{
    return QV7_Camera::s_MovieMode && QV7_Camera::s_MovieMode();
}

void SkyViewChanged()
{
    if (QV7_Camera::s_SkyViewChanged)
        QV7_Camera::s_SkyViewChanged();
}

// The engine's viewport; the device's when there is no engine.
float ViewportAspect()
{
    D3DVIEWPORT9 viewport{};
    if (g_engine && g_engine->m_Viewport.Height > 0)
        viewport = g_engine->m_Viewport;
    else if (g_device)
        g_device->GetViewport(&viewport);
    return viewport.Height > 0 ? float(viewport.Width) / float(viewport.Height) : 1.0f;
}

void SendTransform(D3DTRANSFORMSTATETYPE state, const D3DXMATRIX& matrix)
{
    if (g_device)
        g_device->SetTransform(state, &matrix);
}

float Distance(const D3DXPLANE& plane, const D3DXVECTOR3& point)
{
    return plane.a * point.x + plane.b * point.y + plane.c * point.z + plane.d;
}
} // namespace

QV7_Camera::QV7_Camera()
{
    m_Fov = kPi / 4.0f;
    m_Eye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_Target = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    g_camera = this;
    // The first pose looks slightly up and to the side; after a reset the
    // camera looks level along x.
    StartPose(D3DXVECTOR3(10.0f, 21.0f, 12.0f));
}

QV7_Camera::~QV7_Camera()
{
    if (g_camera == this)
        g_camera = nullptr;
}

void QV7_Camera::StartPose(const D3DXVECTOR3& target)
{
    D3DXMatrixIdentity(&m_World);
    D3DXMatrixIdentity(&m_View);
    D3DXMatrixIdentity(&m_Projection);
    // The eye is set only through SetEye, so that a reset during movie mode
    // leaves the frozen eye where it is.
    UpdateProjection();
    SetEye(0.0f, 20.0f, 0.0f);
    SetTarget(target.x, target.y, target.z);
}

void QV7_Camera::OnLostReset(int lost)
{
    if (lost == 1)
        return;
    StartPose(D3DXVECTOR3(10.0f, 20.0f, 0.0f));
}

void QV7_Camera::SetEye(float x, float y, float z)
{
    if (!MovieMode())
    {
        m_Eye = D3DXVECTOR3(x, y, z);
        SkyViewChanged();
    }
    UpdateView();
}

void QV7_Camera::SetTarget(float x, float y, float z)
{
    m_Target = D3DXVECTOR3(x, y, z);
    UpdateView();
}

void QV7_Camera::SendView()
{
    SendTransform(D3DTS_VIEW, m_View);
}

void QV7_Camera::UpdateView()
{
    if (!MovieMode())
    {
        const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&m_View, &m_Eye, &m_Target, &up);
    }
    SendView();
    UpdateFrustum();
}

void QV7_Camera::UpdateProjection()
{
    D3DXMatrixPerspectiveFovLH(&m_Projection, m_Fov + kFovExtra, ViewportAspect(), kNearDistance,
                               kFarDistance);
    SendTransform(D3DTS_PROJECTION, m_Projection);
    UpdateFrustum();
}

void QV7_Camera::SetPerspective(D3DXMATRIX* out, float farPlane)
{
    if (out)
        D3DXMatrixPerspectiveFovLH(out, kPi / 4.0f, ViewportAspect(), kNearDistance, farPlane);
}

void QV7_Camera::UpdateFrustum()
{
    D3DXMATRIX p;
    D3DXMatrixMultiply(&p, &m_View, &m_Projection);
    // Column j of the combined matrix, as (P1j, P2j, P3j, P4j).
    auto column = [&](int j) { return D3DXPLANE(p.m[0][j], p.m[1][j], p.m[2][j], p.m[3][j]); };
    const D3DXPLANE x = column(0), y = column(1), z = column(2), w = column(3);
    auto plus = [](const D3DXPLANE& a, const D3DXPLANE& b)
    { return D3DXPLANE(a.a + b.a, a.b + b.b, a.c + b.c, a.d + b.d); };
    auto minus = [](const D3DXPLANE& a, const D3DXPLANE& b)
    { return D3DXPLANE(a.a - b.a, a.b - b.b, a.c - b.c, a.d - b.d); };
    const D3DXPLANE planes[kPlaneCount] = {plus(w, x), minus(w, x), minus(w, y),
                                           plus(w, y), plus(w, z),  minus(w, z)};
    for (int i = 0; i < kPlaneCount; ++i)
        D3DXPlaneNormalize(&m_FrustumPlanes[i], &planes[i]);
}

bool QV7_Camera::IsSphereVisible(const D3DXMATRIX* world, const D3DXVECTOR3* centre, const QV7_Camera* camera,
                                 float radius)
{
    D3DXVECTOR3 position;
    D3DXVec3TransformCoord(&position, centre, world);
    for (const D3DXPLANE& plane : camera->m_FrustumPlanes)
        if (Distance(plane, position) < -radius - kCullMargin)
            return false;
    return true;
}

bool QV7_Camera::IsBoxVisible(const D3DXMATRIX* world, const D3DXVECTOR3* minimum, const D3DXVECTOR3* maximum,
                              const QV7_Camera* camera)
{
    D3DXVECTOR3 corners[8];
    for (int i = 0; i < 8; ++i)
    {
        const D3DXVECTOR3 corner(i & 1 ? maximum->x : minimum->x, i & 2 ? maximum->y : minimum->y,
                                 i & 4 ? maximum->z : minimum->z);
        D3DXVec3TransformCoord(&corners[i], &corner, world);
    }
    for (const D3DXPLANE& plane : camera->m_FrustumPlanes)
    {
        bool allOutside = true;
        for (const D3DXVECTOR3& corner : corners)
            allOutside = allOutside && Distance(plane, corner) < -kCullMargin;
        if (allOutside)
            return false;
    }
    return true;
}

void SetCameraEye(float x, float y, float z)
{
    if (g_camera)
        g_camera->SetEye(x, y, z);
}

void SetCameraTarget(float x, float y, float z)
{
    if (g_camera)
        g_camera->SetTarget(x, y, z);
}

void SetCameraYawPitchRoll(float yaw, float pitch, float roll)
{
    QV7_Camera* camera = g_camera;
    if (!camera)
        return;
    if (!MovieMode())
    {
        D3DXQUATERNION rotation;
        D3DXQuaternionRotationYawPitchRoll(&rotation, yaw, pitch, roll);
        const D3DXVECTOR3 centre(0.0f, 0.0f, 0.0f);
        D3DXMATRIX pose;
        D3DXMatrixAffineTransformation(&pose, 1.0f, &centre, &rotation, &camera->m_Eye);
        D3DXMatrixInverse(&camera->m_View, nullptr, &pose);
        camera->m_Target = D3DXVECTOR3(yaw, pitch, roll);
    }
    SendTransform(D3DTS_VIEW, camera->m_View);
    camera->UpdateFrustum();
}

// The scene camera: the world, view and projection matrices every renderer
// uses, sent to the device whenever they change, and the six frustum planes
// the mesh renderers cull bounding spheres against. One camera exists per
// device (g_camera); the race cameras, the menu previews, the water
// reflection and the shadow pass move it.
#pragma once

#include "platform/d3dx/D3DXMath.h"

class QV7_Camera
{
  public:
    enum Plane
    {
        kLeft,
        kRight,
        kTop,
        kBottom,
        kNear,
        kFar,
        kPlaneCount
    };
    // Objects this far outside a plane still count as visible, so that
    // meshes touching the frustum's edge never pop.
    static constexpr float kCullMargin = 30.0f;

    QV7_Camera();
    ~QV7_Camera();
    QV7_Camera(const QV7_Camera&) = delete;
    QV7_Camera& operator=(const QV7_Camera&) = delete;

    // 1 (lost) does nothing; 0 puts the camera back to its start pose.
    void OnLostReset(int lost);
    void SetEye(float x, float y, float z);
    void SetTarget(float x, float y, float z);
    void UpdateView();
    void UpdateProjection();
    void UpdateFrustum();

    // A perspective of pi/4 and the viewport's aspect, near 1, the given far;
    // the camera is left alone.
    static void SetPerspective(D3DXMATRIX* out, float farPlane);
    static bool IsSphereVisible(const D3DXMATRIX* world, const D3DXVECTOR3* centre, const QV7_Camera* camera,
                                float radius);
    // A box given by its corners in object space: culled only when all eight
    // corners lie beyond one plane by more than the margin.
    static bool IsBoxVisible(const D3DXMATRIX* world, const D3DXVECTOR3* minimum, const D3DXVECTOR3* maximum,
                             const QV7_Camera* camera);

    // The race's movie mode (a console switch) freezes the eye and the view;
    // the sky dome wants to know when the view changed. Both are set by their
    // owners; null means no race and no sky.
    static bool (*s_MovieMode)();
    static void (*s_SkyViewChanged)();

    D3DXMATRIX m_World;
    D3DXMATRIX m_View;
    D3DXMATRIX m_Projection;
    D3DXVECTOR3 m_Eye;
    // The look-at point; after SetCameraYawPitchRoll the yaw, pitch and roll.
    D3DXVECTOR3 m_Target;
    D3DXPLANE m_FrustumPlanes[kPlaneCount];
    // The base vertical field of view; the projection adds 0.15 radians.
    float m_Fov = 0.0f;

  private:
    void StartPose(const D3DXVECTOR3& target);
    void SendView();
};

extern QV7_Camera* g_camera;

void SetCameraEye(float x, float y, float z);
void SetCameraTarget(float x, float y, float z);
void SetCameraYawPitchRoll(float yaw, float pitch, float roll);

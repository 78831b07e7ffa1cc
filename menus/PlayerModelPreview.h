// The turning player figure of the profile page: the idle animation on track
// 0, the move animation on track 1, cross-faded over a second when the mouse
// comes onto the picture and back once the move has played out after it left.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "platform/gfx/D3D9.h"

struct TriggerRecord;
class ID3DXAnimationController;
class QV7_Menu_Picture;

class PlayerModelPreview
{
  public:
    static constexpr float kCrossFadeMs = 1000.0f;

    PlayerModelPreview(const char* idleTrigger, const char* moveTrigger);

    // The picture's draw callback: sets the camera, runs the tracks and draws
    // the figure with the picture's projection. Nothing without the figure.
    void Draw(const char* id, QV7_Menu_Picture* control);
    // The track rules alone, for a frame of frameMs with the mouse over the picture or not.
    void UpdateTracks(ID3DXAnimationController& controller, float frameMs, bool mouseOver);

    int ActiveTrack() const { return m_Active; }
    bool CrossFading() const { return m_Fading; }

    // A projection that shows a figure of these bounds (figure space) placed
    // at world, seen from eye towards target, centred in the picture's
    // rectangle (800 x 600 page units) with a margin round it; near 1, far 40000.
    static D3DXMATRIX FramingProjection(const D3DXVECTOR3& low, const D3DXVECTOR3& high,
                                        const D3DXMATRIX& world, const D3DXVECTOR3& eye,
                                        const D3DXVECTOR3& target, const RECT& picture);

  private:
    void SetUp(ID3DXAnimationController& controller, const TriggerRecord& idle, const TriggerRecord& move);
    void StartCrossFade(int target);

    const char* m_IdleName;
    const char* m_MoveName;
    ID3DXAnimationController* m_SetUpFor = nullptr;
    double m_Periods[2] = {1.0, 1.0};
    int m_Active = 0;
    bool m_Fading = false;
    float m_FadedMs = 0.0f;
    // The figure's bind-pose bounds, read once.
    bool m_HaveBounds = false;
    D3DXVECTOR3 m_Low{}, m_High{};
};

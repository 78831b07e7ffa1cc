// The preview's cross-fade between two controller tracks.
#include "figures/CrossFadeAnimationTracks.h"

#include "engine/QV7_FrameManager.h"

#include <algorithm>

namespace
{
float s_elapsedMs = 0.0f;
float s_outgoingSpeed = 0.0f;
} // namespace

bool CrossFadeAnimationTracks(ID3DXAnimationController* controller, UINT incomingTrack, UINT outgoingTrack,
                              float durationMs, float rate)
{
    if (!controller)
        return true;
    const float frameMs = g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
    if (s_elapsedMs == 0.0f)
    {
        controller->SetTrackPosition(incomingTrack, 0.0);
        D3DXTRACK_DESC outgoing{};
        controller->GetTrackDesc(outgoingTrack, &outgoing);
        s_outgoingSpeed = outgoing.Speed;
        controller->SetTrackSpeed(outgoingTrack, 0.0f);
        s_elapsedMs += frameMs;
    }
    else
    {
        s_elapsedMs += frameMs;
        // The last frame may pass the duration: the weights never pass 1.
        const float w = std::clamp(rate * 0.000001f * s_elapsedMs, 0.0f, 1.0f);
        controller->SetTrackWeight(incomingTrack, w);
        controller->SetTrackWeight(outgoingTrack, 1.0f - w);
    }
    if (s_elapsedMs <= durationMs)
        return false;
    s_elapsedMs = 0.0f;
    controller->SetTrackSpeed(outgoingTrack, s_outgoingSpeed);
    return true;
}

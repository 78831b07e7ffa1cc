// The one implementation of ID3DXAnimationController: registered outputs
// (frame matrices by frame name), registered animation sets, and tracks that
// play sets at their own position, speed and weight. A figure's controller is
// shared by every user of the figure, so all state lives in the tracks.
#pragma once

#include "platform/d3dx/D3DXAnimation.h"
#include "platform/gfx/Resources.h"

#include <string>
#include <vector>

namespace d3dx
{
class AnimationController : public gfx::RefCounted<ID3DXAnimationController>
{
  public:
    AnimationController(UINT maxOutputs, UINT maxSets, UINT maxTracks);
    ~AnimationController() override;

    UINT GetMaxNumAnimationOutputs() override { return m_MaxOutputs; }
    UINT GetMaxNumAnimationSets() override { return m_MaxSets; }
    UINT GetMaxNumTracks() override { return UINT(m_Tracks.size()); }
    HRESULT RegisterAnimationOutput(const char* name, D3DXMATRIX* matrix, D3DXVECTOR3* scale,
                                    D3DXQUATERNION* rotation, D3DXVECTOR3* translation) override;
    HRESULT RegisterAnimationSet(ID3DXAnimationSet* set) override;
    HRESULT UnregisterAnimationSet(ID3DXAnimationSet* set) override;
    UINT GetNumAnimationSets() override { return UINT(m_Sets.size()); }
    HRESULT GetAnimationSet(UINT index, ID3DXAnimationSet** set) override;
    HRESULT GetAnimationSetByName(const char* name, ID3DXAnimationSet** set) override;
    HRESULT AdvanceTime(double timeDelta, void* callbackHandler) override;
    HRESULT ResetTime() override;
    double GetTime() override { return m_Time; }
    HRESULT SetTrackAnimationSet(UINT track, ID3DXAnimationSet* set) override;
    HRESULT GetTrackAnimationSet(UINT track, ID3DXAnimationSet** set) override;
    HRESULT SetTrackPriority(UINT track, D3DXPRIORITY_TYPE priority) override;
    HRESULT SetTrackSpeed(UINT track, float speed) override;
    HRESULT SetTrackWeight(UINT track, float weight) override;
    HRESULT SetTrackPosition(UINT track, double position) override;
    HRESULT SetTrackEnable(UINT track, BOOL enable) override;
    HRESULT SetTrackDesc(UINT track, const D3DXTRACK_DESC* desc) override;
    HRESULT GetTrackDesc(UINT track, D3DXTRACK_DESC* desc) override;
    HRESULT SetPriorityBlend(float blendWeight) override;
    float GetPriorityBlend() override { return m_PriorityBlend; }

  private:
    struct Output
    {
        std::string name;
        D3DXMATRIX* matrix;
        D3DXVECTOR3* scale;
        D3DXQUATERNION* rotation;
        D3DXVECTOR3* translation;
    };
    struct Track
    {
        D3DXTRACK_DESC desc{D3DXPRIORITY_HIGH, 1.0f, 1.0f, 0.0, FALSE};
        ID3DXAnimationSet* set = nullptr;
        // Per output, the set's animation for it (-1 for none); rebuilt when
        // the set or the outputs change.
        std::vector<int> animationOfOutput;
        size_t mappedOutputs = 0;
    };
    // A weighted sum of poses.
    struct Blend
    {
        float weight = 0.0f;
        D3DXVECTOR3 scale{0.0f, 0.0f, 0.0f};
        D3DXQUATERNION rotation{0.0f, 0.0f, 0.0f, 0.0f};
        D3DXVECTOR3 translation{0.0f, 0.0f, 0.0f};
        bool any = false;
    };
    void MapOutputs(Track& track);
    void AddTrack(Track& track, size_t output, Blend& blend);
    void WriteOutput(const Output& output, const Blend& high, const Blend& low);
    Track* TrackAt(UINT track) { return track < m_Tracks.size() ? &m_Tracks[track] : nullptr; }

    UINT m_MaxOutputs;
    UINT m_MaxSets;
    std::vector<Output> m_Outputs;
    std::vector<ID3DXAnimationSet*> m_Sets;
    std::vector<Track> m_Tracks;
    double m_Time = 0.0;
    float m_PriorityBlend = 0.0f;
};
} // namespace d3dx

// An animation set made of keyframes, as a .x AnimationSet gives them: per
// animated frame, scale and translation keys interpolated linearly and
// rotation keys by slerp, times in seconds (ticks / ticks per second). Matrix
// keys are split into scale, rotation and translation keys when the set is
// made. Before the first key a track holds the first key's value, after the
// last the last's.
#pragma once

#include "platform/d3dx/D3DXAnimation.h"
#include "platform/d3dx/XFileDescription.h"
#include "platform/gfx/Resources.h"

#include <string>
#include <vector>

namespace d3dx
{
class KeyframedAnimationSet : public gfx::RefCounted<ID3DXAnimationSet>
{
  public:
    // ticksPerSecond 0 stands for the default 4800.
    KeyframedAnimationSet(const XAnimationSet& set, DWORD ticksPerSecond);

    const char* GetName() override { return m_Name.c_str(); }
    double GetPeriod() override { return m_Period; }
    double GetPeriodicPosition(double position) override;
    UINT GetNumAnimations() override { return UINT(m_Animations.size()); }
    HRESULT GetAnimationNameByIndex(UINT index, const char** name) override;
    HRESULT GetAnimationIndexByName(const char* name, UINT* index) override;
    HRESULT GetSRT(double periodicPosition, UINT animation, D3DXVECTOR3* scale, D3DXQUATERNION* rotation,
                   D3DXVECTOR3* translation) override;

  private:
    template <class Value> struct Key
    {
        double time;
        Value value;
    };
    struct Animation
    {
        std::string frameName;
        std::vector<Key<D3DXVECTOR3>> scales;
        std::vector<Key<D3DXQUATERNION>> rotations; // as D3DXMatrixRotationQuaternion takes them
        std::vector<Key<D3DXVECTOR3>> translations;
    };
    Animation MakeAnimation(const XAnimation& source, double secondsPerTick);

    std::string m_Name;
    std::vector<Animation> m_Animations;
    double m_Period = 0.0;
};
} // namespace d3dx

// Keyframed animation sets: sampling and the period.
#include "platform/d3dx/KeyframedAnimationSet.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace d3dx
{
namespace
{
template <class Keys> void SortByTime(Keys& keys)
{
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
}

template <class Keys> double LastTime(const Keys& keys)
{
    return keys.empty() ? 0.0 : keys.back().time;
}

// The keys around t and how far t lies from the first to the second.
template <class Keys> size_t Bracket(const Keys& keys, double t, float& fraction)
{
    fraction = 0.0f;
    if (!(t > keys.front().time)) // NaN too
        return 0;
    if (t >= keys.back().time)
        return keys.size() - 1;
    const auto next = std::upper_bound(keys.begin(), keys.end(), t,
                                       [](double time, const auto& key) { return time < key.time; });
    const size_t index = size_t(next - keys.begin()) - 1;
    const double span = keys[index + 1].time - keys[index].time;
    fraction = span > 0.0 ? float((t - keys[index].time) / span) : 0.0f;
    return index;
}

template <class Keys> D3DXVECTOR3 SampleVector(const Keys& keys, double t, const D3DXVECTOR3& none)
{
    if (keys.empty())
        return none;
    float fraction = 0.0f;
    const size_t i = Bracket(keys, t, fraction);
    if (fraction == 0.0f)
        return keys[i].value;
    D3DXVECTOR3 out;
    return *D3DXVec3Lerp(&out, &keys[i].value, &keys[i + 1].value, fraction);
}

template <class Keys> D3DXQUATERNION SampleRotation(const Keys& keys, double t)
{
    if (keys.empty())
        return D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    float fraction = 0.0f;
    const size_t i = Bracket(keys, t, fraction);
    if (fraction == 0.0f)
        return keys[i].value;
    D3DXQUATERNION out;
    return *D3DXQuaternionSlerp(&out, &keys[i].value, &keys[i + 1].value, fraction);
}
} // namespace

KeyframedAnimationSet::KeyframedAnimationSet(const XAnimationSet& set, DWORD ticksPerSecond)
    : m_Name(set.name)
{
    const double secondsPerTick = 1.0 / double(ticksPerSecond ? ticksPerSecond : kDefaultTicksPerSecond);
    for (const XAnimation& source : set.animations)
    {
        m_Animations.push_back(MakeAnimation(source, secondsPerTick));
        const Animation& made = m_Animations.back();
        m_Period = std::max(
            {m_Period, LastTime(made.scales), LastTime(made.rotations), LastTime(made.translations)});
    }
}

KeyframedAnimationSet::Animation KeyframedAnimationSet::MakeAnimation(const XAnimation& source,
                                                                      double secondsPerTick)
{
    Animation animation;
    animation.frameName = source.frameName;
    for (const XMatrixKey& key : source.matrices)
    {
        D3DXVECTOR3 scale, translation;
        D3DXQUATERNION rotation;
        if (FAILED(D3DXMatrixDecompose(&scale, &rotation, &translation, &key.value)))
            continue; // a flattened matrix has no rotation to give
        const double time = key.tick * secondsPerTick;
        animation.scales.push_back({time, scale});
        animation.rotations.push_back({time, rotation});
        animation.translations.push_back({time, translation});
    }
    for (const XVectorKey& key : source.scales)
        animation.scales.push_back({key.tick * secondsPerTick, key.value});
    for (const XRotationKey& key : source.rotations)
    {
        D3DXQUATERNION rotation = FrameRotationOfKey(key.value);
        D3DXQuaternionNormalize(&rotation, &rotation);
        animation.rotations.push_back({key.tick * secondsPerTick, rotation});
    }
    for (const XVectorKey& key : source.positions)
        animation.translations.push_back({key.tick * secondsPerTick, key.value});
    SortByTime(animation.scales);
    SortByTime(animation.rotations);
    SortByTime(animation.translations);
    return animation;
}

double KeyframedAnimationSet::GetPeriodicPosition(double position)
{
    if (!(m_Period > 0.0) || !std::isfinite(position))
        return 0.0;
    const double wrapped = std::fmod(position, m_Period);
    return wrapped < 0.0 ? wrapped + m_Period : wrapped;
}

HRESULT KeyframedAnimationSet::GetAnimationNameByIndex(UINT index, const char** name)
{
    if (!name || index >= m_Animations.size())
        return D3DERR_INVALIDCALL;
    *name = m_Animations[index].frameName.c_str();
    return D3D_OK;
}

HRESULT KeyframedAnimationSet::GetAnimationIndexByName(const char* name, UINT* index)
{
    if (!name || !index)
        return D3DERR_INVALIDCALL;
    for (UINT i = 0; i < m_Animations.size(); ++i)
        if (m_Animations[i].frameName == name)
        {
            *index = i;
            return D3D_OK;
        }
    return D3DERR_NOTFOUND;
}

HRESULT KeyframedAnimationSet::GetSRT(double periodicPosition, UINT animation, D3DXVECTOR3* scale,
                                      D3DXQUATERNION* rotation, D3DXVECTOR3* translation)
{
    if (animation >= m_Animations.size())
        return D3DERR_INVALIDCALL;
    const Animation& a = m_Animations[animation];
    if (scale)
        *scale = SampleVector(a.scales, periodicPosition, D3DXVECTOR3(1.0f, 1.0f, 1.0f));
    if (rotation)
        *rotation = SampleRotation(a.rotations, periodicPosition);
    if (translation)
        *translation = SampleVector(a.translations, periodicPosition, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    return D3D_OK;
}
} // namespace d3dx

// Tracks, sampling and blending.
#include "platform/d3dx/AnimationController.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace d3dx
{
AnimationController::AnimationController(UINT maxOutputs, UINT maxSets, UINT maxTracks)
    : m_MaxOutputs(maxOutputs), m_MaxSets(maxSets), m_Tracks(maxTracks)
{
}

AnimationController::~AnimationController()
{
    for (Track& track : m_Tracks)
        if (track.set)
            track.set->Release();
    for (ID3DXAnimationSet* set : m_Sets)
        set->Release();
}

HRESULT AnimationController::RegisterAnimationOutput(const char* name, D3DXMATRIX* matrix, D3DXVECTOR3* scale,
                                                     D3DXQUATERNION* rotation, D3DXVECTOR3* translation)
{
    if (!name || m_Outputs.size() >= m_MaxOutputs)
        return D3DERR_INVALIDCALL;
    m_Outputs.push_back({name, matrix, scale, rotation, translation});
    return D3D_OK;
}

HRESULT AnimationController::RegisterAnimationSet(ID3DXAnimationSet* set)
{
    if (!set || m_Sets.size() >= m_MaxSets || std::find(m_Sets.begin(), m_Sets.end(), set) != m_Sets.end())
        return D3DERR_INVALIDCALL;
    set->AddRef();
    m_Sets.push_back(set);
    return D3D_OK;
}

HRESULT AnimationController::UnregisterAnimationSet(ID3DXAnimationSet* set)
{
    const auto found = std::find(m_Sets.begin(), m_Sets.end(), set);
    if (found == m_Sets.end())
        return D3DERR_INVALIDCALL;
    for (Track& track : m_Tracks)
        if (track.set == set)
            SetTrackAnimationSet(UINT(&track - m_Tracks.data()), nullptr);
    m_Sets.erase(found);
    set->Release();
    return D3D_OK;
}

HRESULT AnimationController::GetAnimationSet(UINT index, ID3DXAnimationSet** set)
{
    if (!set || index >= m_Sets.size())
        return D3DERR_INVALIDCALL;
    *set = m_Sets[index];
    (*set)->AddRef();
    return D3D_OK;
}

HRESULT AnimationController::GetAnimationSetByName(const char* name, ID3DXAnimationSet** set)
{
    if (!set || !name)
        return D3DERR_INVALIDCALL;
    *set = nullptr;
    for (ID3DXAnimationSet* candidate : m_Sets)
        if (std::strcmp(candidate->GetName(), name) == 0)
        {
            *set = candidate;
            candidate->AddRef();
            return D3D_OK;
        }
    return D3DERR_NOTFOUND;
}

void AnimationController::MapOutputs(Track& track)
{
    track.animationOfOutput.assign(m_Outputs.size(), -1);
    for (size_t o = 0; o < m_Outputs.size(); ++o)
    {
        UINT index = 0;
        if (SUCCEEDED(track.set->GetAnimationIndexByName(m_Outputs[o].name.c_str(), &index)))
            track.animationOfOutput[o] = int(index);
    }
    track.mappedOutputs = m_Outputs.size();
}

void AnimationController::AddTrack(Track& track, size_t output, Blend& blend)
{
    const int animation = track.animationOfOutput[output];
    const float w = track.desc.Weight;
    if (animation < 0 || w == 0.0f)
        return;
    D3DXVECTOR3 scale, translation;
    D3DXQUATERNION rotation;
    const double at = track.set->GetPeriodicPosition(track.desc.Position);
    if (FAILED(track.set->GetSRT(at, UINT(animation), &scale, &rotation, &translation)))
        return;
    // Both q and -q are the same turn; sum those on the same side.
    if (blend.any && D3DXQuaternionDot(&blend.rotation, &rotation) < 0.0f)
        rotation = -rotation;
    blend.scale += scale * w;
    blend.translation += translation * w;
    blend.rotation += rotation * w;
    blend.weight += w;
    blend.any = true;
}

void AnimationController::WriteOutput(const Output& output, const Blend& high, const Blend& low)
{
    Blend pose = high.any ? high : low;
    if (high.any && low.any && m_PriorityBlend != 0.0f)
    {
        const float b = m_PriorityBlend;
        D3DXQUATERNION lowRotation = low.rotation;
        if (D3DXQuaternionDot(&lowRotation, &pose.rotation) < 0.0f)
            lowRotation = -lowRotation;
        pose.scale = high.scale * (1.0f - b) + low.scale * b;
        pose.translation = high.translation * (1.0f - b) + low.translation * b;
        pose.rotation = high.rotation * (1.0f - b) + lowRotation * b;
    }
    if (D3DXQuaternionLength(&pose.rotation) > 0.0f)
        D3DXQuaternionNormalize(&pose.rotation, &pose.rotation);
    else
        pose.rotation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    if (output.matrix)
    {
        D3DXMATRIX s, r, t;
        D3DXMatrixScaling(&s, pose.scale.x, pose.scale.y, pose.scale.z);
        D3DXMatrixRotationQuaternion(&r, &pose.rotation);
        D3DXMatrixTranslation(&t, pose.translation.x, pose.translation.y, pose.translation.z);
        *output.matrix = s * r * t;
    }
    if (output.scale)
        *output.scale = pose.scale;
    if (output.rotation)
        *output.rotation = pose.rotation;
    if (output.translation)
        *output.translation = pose.translation;
}

HRESULT AnimationController::AdvanceTime(double timeDelta, void* /*callbackHandler*/)
{
    if (!std::isfinite(timeDelta))
        return D3DERR_INVALIDCALL;
    m_Time += timeDelta;
    for (Track& track : m_Tracks)
    {
        track.desc.Position += timeDelta * track.desc.Speed;
        if (track.set && track.mappedOutputs != m_Outputs.size())
            MapOutputs(track);
    }
    for (size_t o = 0; o < m_Outputs.size(); ++o)
    {
        Blend high, low;
        for (Track& track : m_Tracks)
            if (track.set && track.desc.Enable)
                AddTrack(track, o, track.desc.Priority == D3DXPRIORITY_LOW ? low : high);
        if (high.any || low.any)
            WriteOutput(m_Outputs[o], high, low);
    }
    return D3D_OK;
}

HRESULT AnimationController::ResetTime()
{
    m_Time = 0.0;
    return D3D_OK;
}

HRESULT AnimationController::SetTrackAnimationSet(UINT track, ID3DXAnimationSet* set)
{
    Track* t = TrackAt(track);
    if (!t)
        return D3DERR_INVALIDCALL;
    if (set)
        set->AddRef();
    if (t->set)
        t->set->Release();
    t->set = set;
    t->animationOfOutput.clear();
    if (set)
        MapOutputs(*t);
    return D3D_OK;
}

HRESULT AnimationController::GetTrackAnimationSet(UINT track, ID3DXAnimationSet** set)
{
    Track* t = TrackAt(track);
    if (!t || !set)
        return D3DERR_INVALIDCALL;
    *set = t->set;
    if (*set)
        (*set)->AddRef();
    return D3D_OK;
}

HRESULT AnimationController::SetTrackPriority(UINT track, D3DXPRIORITY_TYPE priority)
{
    Track* t = TrackAt(track);
    return t ? (t->desc.Priority = priority, D3D_OK) : D3DERR_INVALIDCALL;
}

HRESULT AnimationController::SetTrackSpeed(UINT track, float speed)
{
    Track* t = TrackAt(track);
    return t ? (t->desc.Speed = speed, D3D_OK) : D3DERR_INVALIDCALL;
}

HRESULT AnimationController::SetTrackWeight(UINT track, float weight)
{
    Track* t = TrackAt(track);
    return t ? (t->desc.Weight = weight, D3D_OK) : D3DERR_INVALIDCALL;
}

HRESULT AnimationController::SetTrackPosition(UINT track, double position)
{
    Track* t = TrackAt(track);
    return t ? (t->desc.Position = position, D3D_OK) : D3DERR_INVALIDCALL;
}

HRESULT AnimationController::SetTrackEnable(UINT track, BOOL enable)
{
    Track* t = TrackAt(track);
    return t ? (t->desc.Enable = enable ? TRUE : FALSE, D3D_OK) : D3DERR_INVALIDCALL;
}

HRESULT AnimationController::SetTrackDesc(UINT track, const D3DXTRACK_DESC* desc)
{
    Track* t = TrackAt(track);
    return t && desc ? (t->desc = *desc, D3D_OK) : D3DERR_INVALIDCALL;
}

HRESULT AnimationController::GetTrackDesc(UINT track, D3DXTRACK_DESC* desc)
{
    Track* t = TrackAt(track);
    return t && desc ? (*desc = t->desc, D3D_OK) : D3DERR_INVALIDCALL;
}

HRESULT AnimationController::SetPriorityBlend(float blendWeight)
{
    m_PriorityBlend = blendWeight;
    return D3D_OK;
}
} // namespace d3dx

HRESULT D3DXCreateAnimationController(UINT maxNumAnimationOutputs, UINT maxNumAnimationSets,
                                      UINT maxNumTracks, UINT /*maxNumEvents*/,
                                      ID3DXAnimationController** controller)
{
    if (!controller)
        return D3DERR_INVALIDCALL;
    try
    {
        *controller =
            new d3dx::AnimationController(maxNumAnimationOutputs, maxNumAnimationSets, maxNumTracks);
        return D3D_OK;
    }
    catch (const std::bad_alloc&)
    {
        *controller = nullptr;
        return E_OUTOFMEMORY;
    }
}

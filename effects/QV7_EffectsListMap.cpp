#include "effects/QV7_EffectsListMap.h"

#include "effects/QV7_EffectsList.h"
#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Logger.h"

const char* const kWeaponEffectNames[kWeaponEffects] = {
    "Water splashes", "Sparks",     "Stars",           "Beam",      "Crash",      "Explode",   "Flamer",
    "Flamer high",    "Ice cannon", "Ice cannon high", "Chain gun", nullptr,      "cannon",    nullptr,
    "Tesla Coil",     nullptr,      "Fire hit",        "Ice hit",   "Cannon hit", "Tesla hit", "Shiel hit"};

bool (*g_effectOwnerRotation)(const QV7_Buggy* owner, D3DXMATRIX* rotation) = nullptr;

namespace
{
constexpr size_t kPlacedRecordBytes = 40;
constexpr float kInstanceViewDistanceSq = 100000000.0f;

float DistanceSq(const D3DXVECTOR3& a)
{
    const D3DXVECTOR3 eye = g_camera ? g_camera->m_Eye : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 d = a - eye;
    return D3DXVec3LengthSq(&d);
}

D3DXMATRIX ScaleRotation(float scale, float height, const D3DXVECTOR3& rotation)
{
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, scale, height, scale);
    if (rotation.x != 0.0f || rotation.y != 0.0f || rotation.z != 0.0f)
    {
        D3DXQUATERNION q;
        D3DXMATRIX r;
        D3DXQuaternionRotationYawPitchRoll(&q, rotation.x, rotation.y, rotation.z);
        D3DXMatrixRotationQuaternion(&r, &q);
        D3DXMatrixMultiply(&m, &m, &r);
    }
    return m;
}

void SetTranslation(D3DXMATRIX& m, const D3DXVECTOR3& p)
{
    m._41 = p.x;
    m._42 = p.y;
    m._43 = p.z;
}

D3DXVECTOR3 Carried(const D3DXVECTOR3& p, const D3DXVECTOR3& oldOrigin, const D3DXVECTOR3& newOrigin,
                    const D3DXMATRIX& first, const D3DXMATRIX& second)
{
    D3DXVECTOR3 local = p - oldOrigin, a, b;
    D3DXVec3TransformCoord(&a, &local, &first);
    D3DXVec3TransformCoord(&b, &a, &second);
    return b + newOrigin;
}
} // namespace

QV7_EffectsListMap::QV7_EffectsListMap() = default;

QV7_EffectsListMap::~QV7_EffectsListMap()
{
    m_Instances.Clear();
    m_PlacedEffects.Clear();
}

void QV7_EffectsListMap::LoadPlacedEffects(BinaryReader& file)
{
    const size_t available = file.Remaining() >= 4 ? (file.Remaining() - 4) / kPlacedRecordBytes : 0;
    const uint32_t count = file.Size() == 0 ? 0 : file.ReadUInt32();
    if (file.Failed() || count > available)
        QV7_Logger::Log(g_logger, "ERROR: Placed effects file short: %u records, room for %u", count,
                        unsigned(available));
    for (uint32_t i = 0; i < count && i < available; ++i)
    {
        PlacedEffect* placed = m_PlacedEffects.Add();
        placed->m_TemplateId = file.ReadUInt32();
        for (float* f : {&placed->m_Position.x, &placed->m_Position.y, &placed->m_Position.z,
                         &placed->m_Rotation.x, &placed->m_Rotation.y, &placed->m_Rotation.z})
            *f = file.ReadFloat();
        placed->m_Scale = file.ReadFloat();
        placed->m_Value = file.ReadInt32();
        const float distance = file.ReadFloat();
        placed->m_ViewDistanceSq = distance * distance;
    }
}

void QV7_EffectsListMap::Load(const std::string& path)
{
    BinaryReader file;
    if (!file.OpenFile(path))
        QV7_Logger::Log(g_logger, "ERROR: Unable to read placed effects '%s', no placed effects",
                        path.c_str());
    else
        LoadPlacedEffects(file);
    BindSlots();
}

void QV7_EffectsListMap::BindSlots()
{
    for (int r = 0; r < kEffectRacers; ++r)
    {
        for (int w = 0; w < 4; ++w)
        {
            m_WheelDust[r][w] = CreateInstanceByName("Wheel dust", 0);
            m_WheelDustAlt[r][w] = CreateInstanceByName("Wheel dust 1", 0);
            for (EffectInstance* dust : {m_WheelDust[r][w], m_WheelDustAlt[r][w]})
                if (dust)
                    dust->m_Active = 0;
        }
        for (EffectInstance*& slot : m_RacerEffects[r])
            slot = nullptr;
        m_RacerEffectsB[r][0] = m_RacerEffectsB[r][1] = nullptr;
        m_RacerExtraEffect[r] = nullptr;
        if ((m_BrokenEffect[r] = CreateInstanceByName("Broken", 1)))
        {
            m_BrokenEffect[r]->m_Active = 0;
            m_BrokenEffect[r]->m_Hidden = 1;
        }
        m_ShieldEffect[r] = CreateInstanceByName("Shield", 1);
        m_JammerEffect[r] = CreateInstanceByName("Shield jammer", 1);
        m_ChainEffect[r] = CreateInstanceByName("Chaing", 1);
        for (EffectInstance* locked : {m_ShieldEffect[r], m_JammerEffect[r], m_ChainEffect[r]})
            if (locked)
            {
                locked->m_Active = 0;
                locked->m_LockEffect = 1;
                locked->m_SecondPass = 1;
                locked->m_NoZWrite = 1;
                locked->m_Hidden = 1;
                locked->m_Scale = 1.0f;
            }
    }
    for (int i = 0; i < kWeaponEffects; ++i)
        m_WeaponEffects.entries[i] = kWeaponEffectNames[i] && m_GlobalLibrary
                                         ? m_GlobalLibrary->FindTemplateByName(kWeaponEffectNames[i])
                                         : nullptr;
}

EffectInstance* QV7_EffectsListMap::CreateInstance(EffectTemplate* effect, int autoDelete)
{
    if (!effect)
    {
        if (logNullTemplate)
            QV7_Logger::Log(g_logger, "ERROR: Effect instance of no template not created");
        logNullTemplate = false;
        return nullptr;
    }
    EffectInstance* instance = m_Instances.Add();
    instance->m_Template = effect;
    instance->m_Loop = effect->loop;
    for (EffectEmitter* emitter : effect->emitters)
    {
        EmitterState* state = instance->m_EmitterStates.Add();
        state->m_RenderSettings.words = emitter->render;
        state->m_RenderSettings.origin = emitter->origin;
    }
    instance->m_AutoDelete = autoDelete;
    return instance;
}

EffectInstance* QV7_EffectsListMap::CreateInstanceByName(const char* name, int globalLibrary)
{
    QV7_EffectsList* library = globalLibrary == 1 ? m_GlobalLibrary : m_MapLibrary;
    EffectTemplate* effect = library ? library->FindTemplateByName(name) : nullptr;
    return effect ? CreateInstance(effect, 0) : nullptr;
}

void QV7_EffectsListMap::ForgetInstance(const EffectInstance* instance)
{
    auto clear = [instance](EffectInstance*& slot)
    {
        if (slot == instance)
            slot = nullptr;
    };
    for (int r = 0; r < kEffectRacers; ++r)
    {
        for (int w = 0; w < 4; ++w)
        {
            clear(m_WheelDust[r][w]);
            clear(m_WheelDustAlt[r][w]);
        }
        for (EffectInstance*& slot : m_RacerEffects[r])
            clear(slot);
        clear(m_RacerEffectsB[r][0]);
        clear(m_RacerEffectsB[r][1]);
        clear(m_BrokenEffect[r]);
        clear(m_ShieldEffect[r]);
        clear(m_JammerEffect[r]);
        clear(m_ChainEffect[r]);
        clear(m_RacerExtraEffect[r]);
    }
    for (EffectInstance* other : m_Instances)
        clear(other->m_Parent);
}

void QV7_EffectsListMap::DeleteInstance(EffectInstance* instance)
{
    if (!instance)
        return;
    if (m_Instances.IndexOf(instance) < 0)
    {
        m_Instances.Delete(instance); // logs the pointer not found
        return;
    }
    ForgetInstance(instance);
    m_Instances.Delete(instance);
}

void QV7_EffectsListMap::RemoveOwnerInstances(QV7_Buggy* owner, int racerRow)
{
    for (int i = m_Instances.Count() - 1; i >= 0; --i)
        if (m_Instances[i]->m_AutoDelete == 1 && m_Instances[i]->m_Owner == owner)
            DeleteInstance(m_Instances[i]);
    if (racerRow < 0 || racerRow >= kEffectRacers)
        return;
    auto stop = [](EffectInstance* slot)
    {
        if (!slot)
            return;
        slot->Reset(1);
        slot->m_Active = 0;
    };
    for (EffectInstance* slot : m_WheelDust[racerRow])
        stop(slot);
    for (EffectInstance* slot : m_WheelDustAlt[racerRow])
        stop(slot);
    for (EffectInstance* slot : m_RacerEffects[racerRow])
        stop(slot);
    for (EffectInstance* slot : m_RacerEffectsB[racerRow])
        stop(slot);
}

void QV7_EffectsListMap::ClearRacerRow(int racerRow)
{
    if (racerRow < 0 || racerRow >= kEffectRacers)
        return;
    for (EffectInstance* slot : m_RacerEffects[racerRow])
        DeleteInstance(slot);
    for (EffectInstance* slot : m_RacerEffectsB[racerRow])
        DeleteInstance(slot);
    DeleteInstance(m_RacerExtraEffect[racerRow]);
}

void QV7_EffectsListMap::PurgeFinished()
{
    for (int i = m_Instances.Count() - 1; i >= 0; --i)
        if (m_Instances[i]->m_AutoDelete == 1)
            DeleteInstance(m_Instances[i]);
}

void QV7_EffectsListMap::TransformAttachedParticles(D3DXVECTOR3 oldOrigin, D3DXVECTOR3 newOrigin,
                                                    D3DXMATRIX first, D3DXMATRIX second)
{
    for (EffectInstance* instance : m_Instances)
    {
        if (instance->m_CarryParticles == 1)
            for (EmitterState* state : instance->m_EmitterStates)
            {
                for (InstanceParticle* p : state->m_Particles)
                    p->position = Carried(p->position, oldOrigin, newOrigin, first, second);
                for (EffectMeshParticle* p : state->m_MeshParticles)
                    p->position = Carried(p->position, oldOrigin, newOrigin, first, second);
            }
        if (instance->m_CarryPosition == 1)
            instance->m_Position = Carried(instance->m_Position, oldOrigin, newOrigin, first, second);
    }
}

void QV7_EffectsListMap::FollowOwner(EffectInstance& instance) const
{
    if (instance.m_FollowOwner == 1 && instance.m_OwnerPosition)
    {
        instance.m_Position = *instance.m_OwnerPosition;
        if (instance.m_MatrixFollowsOwner == 1)
        {
            SetTranslation(instance.m_Matrix, *instance.m_OwnerPosition);
            if (instance.m_UseOffset == 1)
            {
                instance.m_Matrix._41 += instance.m_Offset.x;
                instance.m_Matrix._42 += instance.m_Offset.y;
                instance.m_Matrix._43 += instance.m_Offset.z;
                instance.m_Position += instance.m_Offset;
            }
        }
    }
    if (instance.m_AttachToBody == 1 && instance.m_OwnerPosition)
    {
        D3DXMATRIX turn;
        D3DXMatrixIdentity(&turn);
        if (g_effectOwnerRotation && !g_effectOwnerRotation(instance.m_Owner, &turn))
            D3DXMatrixIdentity(&turn);
        D3DXVECTOR3 offset;
        D3DXVec3TransformCoord(&offset, &instance.m_LocalOffset, &turn);
        instance.m_Position = offset + *instance.m_OwnerPosition;
    }
}

void QV7_EffectsListMap::Update()
{
    Update(g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f);
}

void QV7_EffectsListMap::Update(float elapsedMs)
{
    if (m_MapLibrary)
        for (EffectTemplate* effect : m_MapLibrary->m_Templates)
        {
            effect->active = 1;
            effect->Advance(elapsedMs);
        }
    for (int i = 0; i < m_Instances.Count();)
    {
        EffectInstance* instance = m_Instances[i];
        FollowOwner(*instance);
        instance->Advance(elapsedMs);
        if (instance->m_AutoDelete == 1 && instance->m_Active == 0)
            DeleteInstance(instance);
        else
            ++i;
    }
}

void QV7_EffectsListMap::RenderPlaced()
{
    if (!m_MapLibrary)
        return;
    for (PlacedEffect* placed : m_PlacedEffects)
    {
        EffectTemplate* effect = m_MapLibrary->FindTemplateById(int(placed->m_TemplateId));
        if (!effect || !(placed->m_ViewDistanceSq > DistanceSq(placed->m_Position)))
            continue;
        D3DXMATRIX world;
        D3DXMATRIX scaling, rotation;
        D3DXQUATERNION q;
        D3DXMatrixScaling(&scaling, placed->m_Scale, placed->m_Scale, placed->m_Scale);
        D3DXQuaternionRotationYawPitchRoll(&q, placed->m_Rotation.x, placed->m_Rotation.y,
                                           placed->m_Rotation.z);
        D3DXMatrixRotationQuaternion(&rotation, &q);
        D3DXMatrixMultiply(&world, &scaling, &rotation);
        SetTranslation(world, placed->m_Position);
        m_MapLibrary->RenderTemplate(effect, world);
    }
}

void QV7_EffectsListMap::RenderInstance(EffectInstance& instance)
{
    const D3DXVECTOR3 origin = instance.m_EmitterStates.Count() > 0
                                   ? instance.m_EmitterStates[0]->m_RenderSettings.origin
                                   : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    if (instance.m_MultiPosition != 0)
    {
        for (EffectCopy* copy : instance.m_Copies)
        {
            if (!(DistanceSq(copy->position + origin) < kInstanceViewDistanceSq))
                continue;
            D3DXMATRIX m = instance.m_UseMatrix
                               ? instance.m_Matrix
                               : ScaleRotation(instance.m_Scale, instance.m_Scale, instance.m_Rotation);
            SetTranslation(m, copy->position);
            instance.m_ColourOverride = copy->colourOverride;
            instance.m_OverrideColour = copy->colour;
            instance.Render(m, instance.m_Scale);
        }
        return;
    }
    if (!(DistanceSq(instance.m_Position + origin) < kInstanceViewDistanceSq))
        return;
    const EffectInstance* parent = instance.m_Parent;
    const EffectInstance& frame = parent ? *parent : instance;
    const float height = instance.m_SeparateHeightScale ? frame.m_HeightScale : frame.m_Scale;
    D3DXMATRIX m =
        instance.m_UseMatrix ? instance.m_Matrix : ScaleRotation(frame.m_Scale, height, frame.m_Rotation);
    SetTranslation(m, frame.m_Position);
    if (!parent)
    {
        instance.Render(instance.m_MatrixFollowsOwner ? instance.m_Matrix : m, instance.m_Scale);
        return;
    }
    instance.Render(m, parent->m_Scale);
    instance.Render(parent->m_MatrixFollowsOwner ? parent->m_Matrix : m, parent->m_Scale);
}

void QV7_EffectsListMap::Render()
{
    RenderPlaced();
    for (int pass = 1; pass <= 2; ++pass)
        for (EffectInstance* instance : m_Instances)
        {
            if (instance->m_Hidden != 0)
                continue;
            if (pass == 1 ? instance->m_SecondPass == 1 : instance->m_SecondPass == 0)
                continue;
            RenderInstance(*instance);
        }
}

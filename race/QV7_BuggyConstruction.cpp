// Racer construction: the ODE bodies, collision primitives, masses and
// joints of a racer, made from the racer's own clone of its model's physics
// definition.
#include "race/BuggyPhysicsDefinition.h"
#include "race/GeomTransform.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_Rotation.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <cmath>

namespace
{
// The file's eleven parameter slots by name: ODE 0.16 has LoVel and HiVel
// after Vel, so the slot number is not the parameter number past slot 2.
const int kSlotParam[JointParameters::COUNT] = {
    dParamLoStop, dParamHiStop,  dParamVel,     dParamFMax,          dParamFudgeFactor,  dParamBounce,
    dParamCFM,    dParamStopERP, dParamStopCFM, dParamSuspensionERP, dParamSuspensionCFM};

// The model's axes against the physics': x mirrored, y and z swapped.
const D3DXMATRIX kAxisMatrix(-1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1);

[[noreturn]] void Refuse(const char* what, int value)
{
    QV7_Logger::Log(g_logger, "ERROR: Racer construction: %s (%d)", what, value);
    ThrowBrokenString("QV7_Buggy", 1);
}

// A size as the builder uses it: absolute and at least one model unit.
dReal Size(float value)
{
    const float size = std::fabs(value);
    return dReal(size < 1.0f ? 1.0f : size) * QV7_Buggy::kOdePerModel;
}

void PrimitiveRotation(const float* yawPitchRoll, dMatrix3 rotation)
{
    D3DXQUATERNION turn;
    D3DXQuaternionRotationYawPitchRoll(&turn, yawPitchRoll[0], yawPitchRoll[1], yawPitchRoll[2]);
    D3DXMATRIX turned, combined;
    D3DXMatrixRotationQuaternion(&turned, &turn);
    D3DXMatrixMultiply(&combined, &kAxisMatrix, &turned);
    for (int i = 0; i < 12; ++i)
        rotation[i] = 0;
    MatrixToOdeRotation(&combined, rotation);
}

// The primitive's geom (in no space) and its mass at density 1; null for an unknown kind.
dGeomID MakePrimitive(const PrimitiveRef& primitive, dMass* mass, const float** centre, const float** angles)
{
    if (const CollisionBoxDef* box = primitive.Box())
    {
        const dReal s1 = Size(box->size[0]), s2 = Size(box->size[1]), s3 = Size(box->size[2]);
        dMassSetBox(mass, 1, s1, s2, s3);
        *centre = box->centre;
        *angles = box->rotation;
        return dCreateBox(nullptr, s1, s3, s2);
    }
    if (const CollisionSphereDef* sphere = primitive.Sphere())
    {
        const dReal radius = Size(sphere->size[1]);
        dMassSetSphere(mass, 1, radius);
        *centre = sphere->centre;
        *angles = sphere->rotation;
        return dCreateSphere(nullptr, radius);
    }
    if (const CollisionCylinderDef* cylinder = primitive.Cylinder())
    {
        const dReal radius = Size(cylinder->radius), length = Size(cylinder->length);
        dMassSetCapsule(mass, 1, 3, radius, length);
        *centre = cylinder->centre;
        *angles = cylinder->rotation;
        return dCreateCapsule(nullptr, radius, length);
    }
    return nullptr;
}

float MassValue(int32_t role)
{
    if (role == 0 || role == 1)
        return 250.0f;
    if (role == 2 || role == 3)
        return 150.0f;
    return 100.0f;
}

template <typename Setter>
void SetParameters(dJointID joint, const JointParameters& parameters, int set, Setter setter)
{
    for (int k = 0; k < JointParameters::COUNT; ++k)
        if (parameters.flags[k] == 1)
            setter(joint, kSlotParam[k] + dParamGroup * (set - 1), dReal(parameters.values[k]));
}

dBodyID BodyOf(const PhysicsBodyDef* definition)
{
    return definition ? definition->body : nullptr;
}

template <typename Joint> void Attach(dJointID joint, const void* record)
{
    const Joint& definition = *static_cast<const Joint*>(record);
    dJointAttach(joint, BodyOf(definition.a), BodyOf(definition.b));
}

void AttachEnds(dJointID joint, int32_t kind, const void* record)
{
    switch (kind)
    {
    case JOINT_BALL:
        return Attach<BallJointDef>(joint, record);
    case JOINT_HINGE:
        return Attach<HingeJointDef>(joint, record);
    case JOINT_SLIDER:
        return Attach<OneAxisJointDef>(joint, record);
    case JOINT_UNIVERSAL:
    case JOINT_HINGE2:
        return Attach<TwoAxisJointDef>(joint, record);
    default:
        return Attach<ThreeAxisJointDef>(joint, record);
    }
}

// A definition the builder can make without NaN masses or reading past the chassis.
void CheckDefinition(const BuggyPhysicsDefinition& definition)
{
    if (definition.bodies.count <= 8)
        Refuse("the buggy has no chassis body, bodies", definition.bodies.count);
    for (int i = 0; i < definition.bodies.count; ++i)
    {
        const PhysicsBodyDef& body = *definition.bodies.items[i];
        int massive = 0;
        for (int p = 0; p < body.primitives.count; ++p)
            massive += body.primitives.items[p]->kind >= PRIMITIVE_BOX &&
                       body.primitives.items[p]->kind <= PRIMITIVE_CYLINDER;
        if (massive == 0)
            Refuse("a body has no collision primitive, body", i);
    }
}
} // namespace

void QV7_Buggy::BuildFromDefinition(const BuggyPhysicsDefinition& definition,
                                    BuggyConfiguration* configuration, QV7_Buggy& racer)
{
    delete racer.physicsDefinition;
    racer.physicsDefinition = definition.Clone();
    racer.configuration = configuration;
    const BuggyPhysicsDefinition& own = *racer.physicsDefinition;
    racer.exhaustMarker = own.FindBody("uitlaat");
    if (!racer.exhaustMarker)
        racer.exhaustMarker = own.FindBody("uit1");
    racer.secondExhaustMarker = own.FindBody("uit2");
    racer.effectMarker = own.FindBody("effect");
    racer.BuildPhysics();
}

void QV7_Buggy::BuildPhysics()
{
    CheckDefinition(*physicsDefinition);
    jointGroup = dJointGroupCreate(0);
    BuggyPhysicsDefinition& definition = *physicsDefinition;
    const int32_t lastRole = definition.bodies.items[definition.bodies.count - 1]->role;
    for (int i = 0; i < definition.bodies.count; ++i)
        BuildBody(*definition.bodies.items[i], definition.bodies.items[i]->role == lastRole);
    for (int i = 0; i < definition.jointOrder.count; ++i)
    {
        const JointRef& ref = *definition.jointOrder.items[i];
        if (ref.kind >= 0 && ref.kind < JOINT_KIND_COUNT && ref.record)
            BuildJoint(ref.kind, ref.record);
    }
}

void QV7_Buggy::BuildBody(PhysicsBodyDef& definition, bool lastPart)
{
    definition.owner = this;
    dBodyID body = dBodyCreate(ownerGroup->world);
    bodies.push_back(body);
    ownerGroup->bodies.push_back(body);
    const D3DXVECTOR3 centre = DefinitionCentre(int(bodies.size()) - 1);
    dMass total;
    dMassSetZero(&total);
    for (int p = 0; p < definition.primitives.count; ++p)
    {
        dMass mass;
        const float* at = nullptr;
        const float* angles = nullptr;
        dGeomID geom = MakePrimitive(*definition.primitives.items[p], &mass, &at, &angles);
        if (!geom)
            continue;
        dGeomID transform = CreateGeomTransform(ownerGroup->space);
        geoms.push_back(transform);
        ownerGroup->geoms.push_back(transform);
        ownerGroup->geoms.push_back(geom);
        dMatrix3 rotation;
        PrimitiveRotation(angles, rotation);
        dGeomSetPosition(geom, (at[0] - centre.x) * kOdePerModel, (at[1] - centre.y) * kOdePerModel,
                         (at[2] - centre.z) * kOdePerModel);
        dGeomSetRotation(geom, rotation);
        dMassRotate(&mass, rotation);
        GeomTransformSetGeom(transform, geom);
        dGeomSetBody(transform, body);
        dMassAdd(&total, &mass);
    }
    definition.centre[0] = centre.x;
    definition.centre[1] = centre.y;
    definition.centre[2] = centre.z;
    dBodySetPosition(body, centre.x * kOdePerModel, centre.y * kOdePerModel, centre.z * kOdePerModel);
    dMatrix3 identity;
    dRSetIdentity(identity);
    dBodySetRotation(body, identity);
    dBodySetData(body, &definition);
    definition.body = body;
    definition.massProperties = total;
    definition.mass = MassValue(definition.role);
    dMassAdjust(&total, definition.mass);
    dBodySetMass(body, &total);
    if (definition.role >= 0 && definition.role <= 3)
    {
        definition.partIndexCopy = definition.role;
        if (definition.role < 2)
            frontWheelBodies[definition.role] = body;
        else
            rearWheelBodies[definition.role - 2] = body;
        partDefinitions[(definition.role + 2) % 4] = &definition;
    }
    if (lastPart)
    {
        definition.lastPart = 1;
        lastPartBody = body;
    }
}

void QV7_Buggy::BuildJoint(int32_t kind, void* record)
{
    static dJointID (*const kCreate[JOINT_KIND_COUNT])(dWorldID, dJointGroupID) = {
        dJointCreateBall,      dJointCreateHinge,  dJointCreateSlider,
        dJointCreateUniversal, dJointCreateHinge2, dJointCreateAMotor};
    dJointID joint = kCreate[kind](ownerGroup->world, jointGroup);
    joints.push_back(joint);
    ownerGroup->joints.push_back(joint);
    AttachEnds(joint, kind, record);
    dJointSetData(joint, record);
    const dReal k = kOdePerModel;
    switch (kind)
    {
    case JOINT_BALL:
    {
        const BallJointDef& ball = *static_cast<const BallJointDef*>(record);
        dJointSetBallAnchor(joint, ball.anchor[0] * k, ball.anchor[1] * k, ball.anchor[2] * k);
        break;
    }
    case JOINT_HINGE:
    {
        const HingeJointDef& hinge = *static_cast<const HingeJointDef*>(record);
        dJointSetHingeAnchor(joint, hinge.anchor[0] * k, hinge.anchor[1] * k, hinge.anchor[2] * k);
        dJointSetHingeAxis(joint, hinge.axis[0], hinge.axis[1], hinge.axis[2]);
        SetParameters(joint, hinge.parameters, 1, dJointSetHingeParam);
        break;
    }
    case JOINT_SLIDER:
    {
        const OneAxisJointDef& slider = *static_cast<const OneAxisJointDef*>(record);
        dJointSetSliderAxis(joint, slider.axis[0], slider.axis[1], slider.axis[2]);
        SetParameters(joint, slider.parameters, 1, dJointSetSliderParam);
        break;
    }
    case JOINT_UNIVERSAL:
    {
        const TwoAxisJointDef& universal = *static_cast<const TwoAxisJointDef*>(record);
        dJointSetUniversalAnchor(joint, universal.anchor[0] * k, universal.anchor[1] * k,
                                 universal.anchor[2] * k);
        dJointSetUniversalAxis1(joint, universal.axis1[0], universal.axis1[1], universal.axis1[2]);
        dJointSetUniversalAxis2(joint, universal.axis2[0], universal.axis2[1], universal.axis2[2]);
        SetParameters(joint, universal.parameters1, 1, dJointSetUniversalParam);
        SetParameters(joint, universal.parameters2, 2, dJointSetUniversalParam);
        break;
    }
    case JOINT_HINGE2:
    {
        const TwoAxisJointDef& wheel = *static_cast<const TwoAxisJointDef*>(record);
        dJointSetHinge2Anchor(joint, wheel.anchor[0] * k, wheel.anchor[1] * k, wheel.anchor[2] * k);
        const dReal axis1[4] = {wheel.axis1[0], wheel.axis1[1], wheel.axis1[2], 0};
        const dReal axis2[4] = {wheel.axis2[0], wheel.axis2[1], wheel.axis2[2], 0};
        dJointSetHinge2Axes(joint, axis1, axis2);
        SetParameters(joint, wheel.parameters1, 1, dJointSetHinge2Param);
        SetParameters(joint, wheel.parameters2, 2, dJointSetHinge2Param);
        FindWheelRoles(joint, wheel);
        break;
    }
    default:
    {
        const ThreeAxisJointDef& motor = *static_cast<const ThreeAxisJointDef*>(record);
        dJointSetAMotorMode(joint, dAMotorEuler);
        dJointSetAMotorNumAxes(joint, 3);
        dJointSetAMotorAxis(joint, 0, motor.rel0, motor.axis0[0], motor.axis0[1], motor.axis0[2]);
        dJointSetAMotorAxis(joint, 2, motor.rel2, motor.axis2[0], motor.axis2[1], motor.axis2[2]);
        for (int set = 0; set < 3; ++set)
            SetParameters(joint, motor.parameters[set], set + 1, dJointSetAMotorParam);
        break;
    }
    }
}

void QV7_Buggy::FindWheelRoles(dJointID joint, const TwoAxisJointDef& definition)
{
    bool steered = false;
    if (definition.parameters1.flags[JointParameters::LO_STOP] == 1)
    {
        for (dJointID& place : steeredJoints)
        {
            if (place)
                continue;
            place = joint;
            steered = true;
            if (definition.b)
                definition.b->steeredWheel = 1;
            break;
        }
    }
    if (steered || definition.parameters2.flags[JointParameters::VEL] != 1)
        return;
    drivenJoints[drivenJoints[0] ? 1 : 0] = joint;
    if (definition.b)
        definition.b->drivenWheel = 1;
}

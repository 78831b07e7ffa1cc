// Our D3DX style math: vectors, matrices, quaternions, planes and colours with
// the functions the game's code calls. Direct3D's conventions throughout: row
// vectors (v' = v x M, so M1 x M2 applies M1 first), translation in the last
// row, left-handed projections mapping depth to 0..1. Every function computes
// the formula Direct3D documents for it, so matrices built here match those the
// game's data and tables were made with. Functions take and return pointers as
// D3DX's do, and the output may be one of the inputs.
#pragma once

#include "platform/gfx/D3D9Types.h"

#include <cstddef>

constexpr float D3DX_PI = 3.141592654f;
constexpr float D3DXToRadian(float degrees)
{
    return degrees * (D3DX_PI / 180.0f);
}
constexpr float D3DXToDegree(float radians)
{
    return radians * (180.0f / D3DX_PI);
}

struct D3DXVECTOR2
{
    float x, y;

    D3DXVECTOR2() = default;
    constexpr D3DXVECTOR2(float vx, float vy) : x(vx), y(vy) {}
    explicit D3DXVECTOR2(const float* v) : x(v[0]), y(v[1]) {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }

    D3DXVECTOR2& operator+=(const D3DXVECTOR2& v) { return x += v.x, y += v.y, *this; }
    D3DXVECTOR2& operator-=(const D3DXVECTOR2& v) { return x -= v.x, y -= v.y, *this; }
    D3DXVECTOR2& operator*=(float f) { return x *= f, y *= f, *this; }
    D3DXVECTOR2& operator/=(float f) { return *this *= 1.0f / f; }
    D3DXVECTOR2 operator+() const { return *this; }
    D3DXVECTOR2 operator-() const { return {-x, -y}; }
    D3DXVECTOR2 operator+(const D3DXVECTOR2& v) const { return {x + v.x, y + v.y}; }
    D3DXVECTOR2 operator-(const D3DXVECTOR2& v) const { return {x - v.x, y - v.y}; }
    D3DXVECTOR2 operator*(float f) const { return {x * f, y * f}; }
    D3DXVECTOR2 operator/(float f) const { return *this * (1.0f / f); }
    friend D3DXVECTOR2 operator*(float f, const D3DXVECTOR2& v) { return v * f; }
    bool operator==(const D3DXVECTOR2& v) const { return x == v.x && y == v.y; }
    bool operator!=(const D3DXVECTOR2& v) const { return !(*this == v); }
};

struct D3DXVECTOR3 : public D3DVECTOR
{
    D3DXVECTOR3() = default;
    constexpr D3DXVECTOR3(float vx, float vy, float vz) : D3DVECTOR{vx, vy, vz} {}
    constexpr D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}
    explicit D3DXVECTOR3(const float* v) : D3DVECTOR{v[0], v[1], v[2]} {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }

    D3DXVECTOR3& operator+=(const D3DXVECTOR3& v) { return x += v.x, y += v.y, z += v.z, *this; }
    D3DXVECTOR3& operator-=(const D3DXVECTOR3& v) { return x -= v.x, y -= v.y, z -= v.z, *this; }
    D3DXVECTOR3& operator*=(float f) { return x *= f, y *= f, z *= f, *this; }
    D3DXVECTOR3& operator/=(float f) { return *this *= 1.0f / f; }
    D3DXVECTOR3 operator+() const { return *this; }
    D3DXVECTOR3 operator-() const { return {-x, -y, -z}; }
    D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const { return {x + v.x, y + v.y, z + v.z}; }
    D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const { return {x - v.x, y - v.y, z - v.z}; }
    D3DXVECTOR3 operator*(float f) const { return {x * f, y * f, z * f}; }
    D3DXVECTOR3 operator/(float f) const { return *this * (1.0f / f); }
    friend D3DXVECTOR3 operator*(float f, const D3DXVECTOR3& v) { return v * f; }
    bool operator==(const D3DXVECTOR3& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const D3DXVECTOR3& v) const { return !(*this == v); }
};

struct D3DXVECTOR4
{
    float x, y, z, w;

    D3DXVECTOR4() = default;
    constexpr D3DXVECTOR4(float vx, float vy, float vz, float vw) : x(vx), y(vy), z(vz), w(vw) {}
    constexpr D3DXVECTOR4(const D3DVECTOR& v, float vw) : x(v.x), y(v.y), z(v.z), w(vw) {}
    explicit D3DXVECTOR4(const float* v) : x(v[0]), y(v[1]), z(v[2]), w(v[3]) {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }

    D3DXVECTOR4& operator+=(const D3DXVECTOR4& v) { return x += v.x, y += v.y, z += v.z, w += v.w, *this; }
    D3DXVECTOR4& operator-=(const D3DXVECTOR4& v) { return x -= v.x, y -= v.y, z -= v.z, w -= v.w, *this; }
    D3DXVECTOR4& operator*=(float f) { return x *= f, y *= f, z *= f, w *= f, *this; }
    D3DXVECTOR4& operator/=(float f) { return *this *= 1.0f / f; }
    D3DXVECTOR4 operator+() const { return *this; }
    D3DXVECTOR4 operator-() const { return {-x, -y, -z, -w}; }
    D3DXVECTOR4 operator+(const D3DXVECTOR4& v) const { return {x + v.x, y + v.y, z + v.z, w + v.w}; }
    D3DXVECTOR4 operator-(const D3DXVECTOR4& v) const { return {x - v.x, y - v.y, z - v.z, w - v.w}; }
    D3DXVECTOR4 operator*(float f) const { return {x * f, y * f, z * f, w * f}; }
    D3DXVECTOR4 operator/(float f) const { return *this * (1.0f / f); }
    friend D3DXVECTOR4 operator*(float f, const D3DXVECTOR4& v) { return v * f; }
    bool operator==(const D3DXVECTOR4& v) const { return x == v.x && y == v.y && z == v.z && w == v.w; }
    bool operator!=(const D3DXVECTOR4& v) const { return !(*this == v); }
};

struct D3DXMATRIX : public D3DMATRIX
{
    D3DXMATRIX() = default;
    D3DXMATRIX(const D3DMATRIX& matrix) : D3DMATRIX(matrix) {}
    explicit D3DXMATRIX(const float* values);
    D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24,
               float m31, float m32, float m33, float m34, float m41, float m42, float m43, float m44);

    float& operator()(unsigned row, unsigned column) { return m[row][column]; }
    float operator()(unsigned row, unsigned column) const { return m[row][column]; }
    operator float*() { return &_11; }
    operator const float*() const { return &_11; }

    D3DXMATRIX& operator*=(const D3DXMATRIX& other);
    D3DXMATRIX& operator+=(const D3DXMATRIX& other);
    D3DXMATRIX& operator-=(const D3DXMATRIX& other);
    D3DXMATRIX& operator*=(float f);
    D3DXMATRIX& operator/=(float f) { return *this *= 1.0f / f; }
    D3DXMATRIX operator+() const { return *this; }
    D3DXMATRIX operator-() const { return *this * -1.0f; }
    D3DXMATRIX operator*(const D3DXMATRIX& other) const;
    D3DXMATRIX operator+(const D3DXMATRIX& other) const { return D3DXMATRIX(*this) += other; }
    D3DXMATRIX operator-(const D3DXMATRIX& other) const { return D3DXMATRIX(*this) -= other; }
    D3DXMATRIX operator*(float f) const { return D3DXMATRIX(*this) *= f; }
    D3DXMATRIX operator/(float f) const { return D3DXMATRIX(*this) /= f; }
    friend D3DXMATRIX operator*(float f, const D3DXMATRIX& matrix) { return matrix * f; }
    bool operator==(const D3DXMATRIX& other) const;
    bool operator!=(const D3DXMATRIX& other) const { return !(*this == other); }
};

struct D3DXQUATERNION
{
    float x, y, z, w;

    D3DXQUATERNION() = default;
    constexpr D3DXQUATERNION(float qx, float qy, float qz, float qw) : x(qx), y(qy), z(qz), w(qw) {}
    explicit D3DXQUATERNION(const float* q) : x(q[0]), y(q[1]), z(q[2]), w(q[3]) {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }

    D3DXQUATERNION& operator+=(const D3DXQUATERNION& q)
    {
        return x += q.x, y += q.y, z += q.z, w += q.w, *this;
    }
    D3DXQUATERNION& operator-=(const D3DXQUATERNION& q)
    {
        return x -= q.x, y -= q.y, z -= q.z, w -= q.w, *this;
    }
    // As D3DXQuaternionMultiply: the rotation of this followed by that of q.
    D3DXQUATERNION& operator*=(const D3DXQUATERNION& q);
    D3DXQUATERNION& operator*=(float f) { return x *= f, y *= f, z *= f, w *= f, *this; }
    D3DXQUATERNION& operator/=(float f) { return *this *= 1.0f / f; }
    D3DXQUATERNION operator+() const { return *this; }
    D3DXQUATERNION operator-() const { return {-x, -y, -z, -w}; }
    D3DXQUATERNION operator+(const D3DXQUATERNION& q) const { return {x + q.x, y + q.y, z + q.z, w + q.w}; }
    D3DXQUATERNION operator-(const D3DXQUATERNION& q) const { return {x - q.x, y - q.y, z - q.z, w - q.w}; }
    D3DXQUATERNION operator*(const D3DXQUATERNION& q) const { return D3DXQUATERNION(*this) *= q; }
    D3DXQUATERNION operator*(float f) const { return {x * f, y * f, z * f, w * f}; }
    D3DXQUATERNION operator/(float f) const { return *this * (1.0f / f); }
    friend D3DXQUATERNION operator*(float f, const D3DXQUATERNION& q) { return q * f; }
    bool operator==(const D3DXQUATERNION& q) const { return x == q.x && y == q.y && z == q.z && w == q.w; }
    bool operator!=(const D3DXQUATERNION& q) const { return !(*this == q); }
};

// a x + b y + c z + d = 0; the normal (a, b, c) points to the positive side.
struct D3DXPLANE
{
    float a, b, c, d;

    D3DXPLANE() = default;
    constexpr D3DXPLANE(float pa, float pb, float pc, float pd) : a(pa), b(pb), c(pc), d(pd) {}
    explicit D3DXPLANE(const float* p) : a(p[0]), b(p[1]), c(p[2]), d(p[3]) {}

    operator float*() { return &a; }
    operator const float*() const { return &a; }

    D3DXPLANE& operator*=(float f) { return a *= f, b *= f, c *= f, d *= f, *this; }
    D3DXPLANE& operator/=(float f) { return *this *= 1.0f / f; }
    D3DXPLANE operator+() const { return *this; }
    D3DXPLANE operator-() const { return {-a, -b, -c, -d}; }
    D3DXPLANE operator*(float f) const { return {a * f, b * f, c * f, d * f}; }
    D3DXPLANE operator/(float f) const { return *this * (1.0f / f); }
    friend D3DXPLANE operator*(float f, const D3DXPLANE& p) { return p * f; }
    bool operator==(const D3DXPLANE& p) const { return a == p.a && b == p.b && c == p.c && d == p.d; }
    bool operator!=(const D3DXPLANE& p) const { return !(*this == p); }
};

// A colour as four floats 0..1; converts to and from a packed ARGB D3DCOLOR.
struct D3DXCOLOR
{
    float r, g, b, a;

    D3DXCOLOR() = default;
    constexpr D3DXCOLOR(float cr, float cg, float cb, float ca) : r(cr), g(cg), b(cb), a(ca) {}
    D3DXCOLOR(D3DCOLOR argb);
    constexpr D3DXCOLOR(const D3DCOLORVALUE& c) : r(c.r), g(c.g), b(c.b), a(c.a) {}

    // Each channel clamped to 0..1 and rounded to the nearest of 0..255.
    operator D3DCOLOR() const;
    operator D3DCOLORVALUE() const { return {r, g, b, a}; }
    operator float*() { return &r; }
    operator const float*() const { return &r; }

    D3DXCOLOR& operator+=(const D3DXCOLOR& c) { return r += c.r, g += c.g, b += c.b, a += c.a, *this; }
    D3DXCOLOR& operator-=(const D3DXCOLOR& c) { return r -= c.r, g -= c.g, b -= c.b, a -= c.a, *this; }
    D3DXCOLOR& operator*=(float f) { return r *= f, g *= f, b *= f, a *= f, *this; }
    D3DXCOLOR& operator/=(float f) { return *this *= 1.0f / f; }
    D3DXCOLOR operator+() const { return *this; }
    D3DXCOLOR operator-() const { return {-r, -g, -b, -a}; }
    D3DXCOLOR operator+(const D3DXCOLOR& c) const { return {r + c.r, g + c.g, b + c.b, a + c.a}; }
    D3DXCOLOR operator-(const D3DXCOLOR& c) const { return {r - c.r, g - c.g, b - c.b, a - c.a}; }
    D3DXCOLOR operator*(float f) const { return {r * f, g * f, b * f, a * f}; }
    D3DXCOLOR operator/(float f) const { return *this * (1.0f / f); }
    friend D3DXCOLOR operator*(float f, const D3DXCOLOR& c) { return c * f; }
    bool operator==(const D3DXCOLOR& c) const { return r == c.r && g == c.g && b == c.b && a == c.a; }
    bool operator!=(const D3DXCOLOR& c) const { return !(*this == c); }
};

// ---- 2D and 3D vectors ----
float D3DXVec2Length(const D3DXVECTOR2* v);
float D3DXVec2Dot(const D3DXVECTOR2* v1, const D3DXVECTOR2* v2);
D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* out, const D3DXVECTOR2* v);

float D3DXVec3Length(const D3DXVECTOR3* v);
float D3DXVec3LengthSq(const D3DXVECTOR3* v);
float D3DXVec3Dot(const D3DXVECTOR3* v1, const D3DXVECTOR3* v2);
D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* v1, const D3DXVECTOR3* v2);
D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* v1, const D3DXVECTOR3* v2);
D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* v1, const D3DXVECTOR3* v2);
D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, float s);
D3DXVECTOR3* D3DXVec3Minimize(D3DXVECTOR3* out, const D3DXVECTOR3* v1, const D3DXVECTOR3* v2);
D3DXVECTOR3* D3DXVec3Maximize(D3DXVECTOR3* out, const D3DXVECTOR3* v1, const D3DXVECTOR3* v2);
D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* v1, const D3DXVECTOR3* v2, float s);
// A zero vector normalises to zero.
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);
// The Catmull-Rom spline through v1 (s = 0) and v2 (s = 1).
D3DXVECTOR3* D3DXVec3CatmullRom(D3DXVECTOR3* out, const D3DXVECTOR3* v0, const D3DXVECTOR3* v1,
                                const D3DXVECTOR3* v2, const D3DXVECTOR3* v3, float s);
// (x, y, z, 1) x M.
D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
// (x, y, z, 1) x M, divided by the resulting w.
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
// (x, y, z, 0) x M: a direction, unaffected by translation.
D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
// Object space to viewport pixels (x, y) and depth (z) through world, view and
// projection; any of the matrices may be null (identity).
D3DXVECTOR3* D3DXVec3Project(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DVIEWPORT9* viewport,
                             const D3DXMATRIX* projection, const D3DXMATRIX* view, const D3DXMATRIX* world);
D3DXVECTOR3* D3DXVec3Unproject(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DVIEWPORT9* viewport,
                               const D3DXMATRIX* projection, const D3DXMATRIX* view, const D3DXMATRIX* world);

// ---- 4D vectors ----
float D3DXVec4Length(const D3DXVECTOR4* v);
float D3DXVec4Dot(const D3DXVECTOR4* v1, const D3DXVECTOR4* v2);
D3DXVECTOR4* D3DXVec4Normalize(D3DXVECTOR4* out, const D3DXVECTOR4* v);
D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m);

// ---- matrices ----
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
bool D3DXMatrixIsIdentity(const D3DXMATRIX* m);
float D3DXMatrixDeterminant(const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1, const D3DXMATRIX* m2);
D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m);
// Null (out untouched) when the matrix is singular; determinant may be null.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz);
// Angles in radians, clockwise looking along the axis towards the origin.
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle);
// Roll about z first, then pitch about x, then yaw about y.
D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll);
D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q);
// Scaling x (rotation about the centre) x translation; null pointers are the
// identity of their step.
D3DXMATRIX* D3DXMatrixAffineTransformation(D3DXMATRIX* out, float scaling, const D3DXVECTOR3* rotationCenter,
                                           const D3DXQUATERNION* rotation, const D3DXVECTOR3* translation);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up);
D3DXMATRIX* D3DXMatrixLookAtRH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up);
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear, float zFar);
D3DXMATRIX* D3DXMatrixPerspectiveLH(D3DXMATRIX* out, float width, float height, float zNear, float zFar);
D3DXMATRIX* D3DXMatrixPerspectiveOffCenterLH(D3DXMATRIX* out, float left, float right, float bottom,
                                             float top, float zNear, float zFar);
D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float width, float height, float zNear, float zFar);
D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float left, float right, float bottom, float top,
                                       float zNear, float zFar);
// Scale (row lengths; x negated when the matrix mirrors), rotation and
// translation of an affine matrix: M = Scaling x Rotation x Translation.
// D3DERR_INVALIDCALL (outputs untouched) when a scale is zero.
HRESULT D3DXMatrixDecompose(D3DXVECTOR3* scale, D3DXQUATERNION* rotation, D3DXVECTOR3* translation,
                            const D3DXMATRIX* m);
// Mirror in the plane (normalised first).
D3DXMATRIX* D3DXMatrixReflect(D3DXMATRIX* out, const D3DXPLANE* plane);

// ---- quaternions ----
D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out);
float D3DXQuaternionLength(const D3DXQUATERNION* q);
float D3DXQuaternionDot(const D3DXQUATERNION* q1, const D3DXQUATERNION* q2);
D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q);
D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* out, const D3DXQUATERNION* q);
D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* out, const D3DXQUATERNION* q);
// The rotation of q1 followed by that of q2 (the Hamilton product q2 q1).
D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* q1,
                                       const D3DXQUATERNION* q2);
D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle);
// The same rotation as D3DXMatrixRotationYawPitchRoll.
D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* out, float yaw, float pitch, float roll);
// The rotation part of a matrix (which must be a pure rotation).
D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m);
// Spherical interpolation along the shorter arc.
D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* q1, const D3DXQUATERNION* q2,
                                    float t);

// ---- planes ----
float D3DXPlaneDot(const D3DXPLANE* p, const D3DXVECTOR4* v);
float D3DXPlaneDotCoord(const D3DXPLANE* p, const D3DXVECTOR3* v);
float D3DXPlaneDotNormal(const D3DXPLANE* p, const D3DXVECTOR3* v);
// Divides by the length of (a, b, c); a degenerate plane becomes all zero.
D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* out, const D3DXPLANE* p);
D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* out, const D3DXVECTOR3* point, const D3DXVECTOR3* normal);
// Normal = normalize((p2 - p1) x (p3 - p1)).
D3DXPLANE* D3DXPlaneFromPoints(D3DXPLANE* out, const D3DXVECTOR3* p1, const D3DXVECTOR3* p2,
                               const D3DXVECTOR3* p3);
// (a, b, c, d) x M; M must be the inverse transpose of the point transform.
D3DXPLANE* D3DXPlaneTransform(D3DXPLANE* out, const D3DXPLANE* p, const D3DXMATRIX* m);
// Where the segment p1-p2's line meets the plane; null when parallel.
D3DXVECTOR3* D3DXPlaneIntersectLine(D3DXVECTOR3* out, const D3DXPLANE* p, const D3DXVECTOR3* p1,
                                    const D3DXVECTOR3* p2);

// ---- colours ----
D3DXCOLOR* D3DXColorLerp(D3DXCOLOR* out, const D3DXCOLOR* c1, const D3DXCOLOR* c2, float s);
D3DXCOLOR* D3DXColorModulate(D3DXCOLOR* out, const D3DXCOLOR* c1, const D3DXCOLOR* c2);

// ---- geometry ----
// Ray against triangle p0 p1 p2, both faces. On a hit: u and v such that the
// point is p0 + u (p1 - p0) + v (p2 - p0), and the distance along the ray in
// units of the direction's length (not negative). Any output may be null.
BOOL D3DXIntersectTri(const D3DXVECTOR3* p0, const D3DXVECTOR3* p1, const D3DXVECTOR3* p2,
                      const D3DXVECTOR3* rayPos, const D3DXVECTOR3* rayDir, float* u, float* v,
                      float* distance);
// Positions are read every stride bytes from firstPosition. The sphere's
// centre is the average of the positions, its radius the farthest one's
// distance from it.
HRESULT D3DXComputeBoundingSphere(const D3DXVECTOR3* firstPosition, DWORD count, DWORD stride,
                                  D3DXVECTOR3* center, float* radius);
HRESULT D3DXComputeBoundingBox(const D3DXVECTOR3* firstPosition, DWORD count, DWORD stride, D3DXVECTOR3* min,
                               D3DXVECTOR3* max);

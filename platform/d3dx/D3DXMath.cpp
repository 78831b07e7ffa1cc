// The D3DX style math functions, each the formula Direct3D documents. Results
// are computed into locals before the output is written, so an output may be
// one of the inputs, as the game's code often does (M = M x R).
#include "platform/d3dx/D3DXMath.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{
D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

D3DXVECTOR3 Normalized(const D3DXVECTOR3& v)
{
    const float length = std::sqrt(Dot(v, v));
    return length == 0.0f ? D3DXVECTOR3(0.0f, 0.0f, 0.0f) : v / length;
}

D3DXMATRIX Identity()
{
    return D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
}

D3DXVECTOR4 Transform4(float x, float y, float z, float w, const D3DXMATRIX& m)
{
    return {x * m._11 + y * m._21 + z * m._31 + w * m._41, x * m._12 + y * m._22 + z * m._32 + w * m._42,
            x * m._13 + y * m._23 + z * m._33 + w * m._43, x * m._14 + y * m._24 + z * m._34 + w * m._44};
}

D3DXVECTOR3 ReadPosition(const D3DXVECTOR3* first, DWORD index, DWORD stride)
{
    D3DXVECTOR3 position;
    std::memcpy(&position.x, reinterpret_cast<const uint8_t*>(first) + size_t(index) * stride,
                sizeof(float) * 3);
    return position;
}

// world x view x projection, null matrices counting as identity.
D3DXMATRIX Combined(const D3DXMATRIX* world, const D3DXMATRIX* view, const D3DXMATRIX* projection)
{
    D3DXMATRIX m = Identity();
    for (const D3DXMATRIX* part : {world, view, projection})
        if (part)
            m *= *part;
    return m;
}
} // namespace

// ---- types ----

D3DXMATRIX::D3DXMATRIX(const float* values)
{
    std::memcpy(m, values, sizeof(m));
}

D3DXMATRIX::D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24,
                       float m31, float m32, float m33, float m34, float m41, float m42, float m43, float m44)
{
    _11 = m11, _12 = m12, _13 = m13, _14 = m14;
    _21 = m21, _22 = m22, _23 = m23, _24 = m24;
    _31 = m31, _32 = m32, _33 = m33, _34 = m34;
    _41 = m41, _42 = m42, _43 = m43, _44 = m44;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const
{
    D3DXMATRIX out;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            out.m[i][j] = m[i][0] * other.m[0][j] + m[i][1] * other.m[1][j] + m[i][2] * other.m[2][j] +
                          m[i][3] * other.m[3][j];
    return out;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& other)
{
    return *this = *this * other;
}

D3DXMATRIX& D3DXMATRIX::operator+=(const D3DXMATRIX& other)
{
    for (int i = 0; i < 16; ++i)
        m[i / 4][i % 4] += other.m[i / 4][i % 4];
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator-=(const D3DXMATRIX& other)
{
    for (int i = 0; i < 16; ++i)
        m[i / 4][i % 4] -= other.m[i / 4][i % 4];
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator*=(float f)
{
    for (int i = 0; i < 16; ++i)
        m[i / 4][i % 4] *= f;
    return *this;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const
{
    for (int i = 0; i < 16; ++i)
        if (m[i / 4][i % 4] != other.m[i / 4][i % 4])
            return false;
    return true;
}

D3DXQUATERNION& D3DXQUATERNION::operator*=(const D3DXQUATERNION& q)
{
    D3DXQuaternionMultiply(this, this, &q);
    return *this;
}

D3DXCOLOR::D3DXCOLOR(D3DCOLOR argb)
    : r(float((argb >> 16) & 0xFF) / 255.0f), g(float((argb >> 8) & 0xFF) / 255.0f),
      b(float(argb & 0xFF) / 255.0f), a(float(argb >> 24) / 255.0f)
{
}

D3DXCOLOR::operator D3DCOLOR() const
{
    auto channel = [](float value) { return DWORD(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return (channel(a) << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

// ---- vectors ----

float D3DXVec2Length(const D3DXVECTOR2* v)
{
    return std::sqrt(v->x * v->x + v->y * v->y);
}
float D3DXVec2Dot(const D3DXVECTOR2* v1, const D3DXVECTOR2* v2)
{
    return v1->x * v2->x + v1->y * v2->y;
}

D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* out, const D3DXVECTOR2* v)
{
    const float length = D3DXVec2Length(v);
    *out = length == 0.0f ? D3DXVECTOR2(0.0f, 0.0f) : *v / length;
    return out;
}

float D3DXVec3Length(const D3DXVECTOR3* v)
{
    return std::sqrt(Dot(*v, *v));
}
float D3DXVec3LengthSq(const D3DXVECTOR3* v)
{
    return Dot(*v, *v);
}
float D3DXVec3Dot(const D3DXVECTOR3* v1, const D3DXVECTOR3* v2)
{
    return Dot(*v1, *v2);
}

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* v1, const D3DXVECTOR3* v2)
{
    *out = Cross(*v1, *v2);
    return out;
}

D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* v1, const D3DXVECTOR3* v2)
{
    *out = *v1 + *v2;
    return out;
}

D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* v1, const D3DXVECTOR3* v2)
{
    *out = *v1 - *v2;
    return out;
}

D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, float s)
{
    *out = *v * s;
    return out;
}

D3DXVECTOR3* D3DXVec3Minimize(D3DXVECTOR3* out, const D3DXVECTOR3* v1, const D3DXVECTOR3* v2)
{
    *out = {std::min(v1->x, v2->x), std::min(v1->y, v2->y), std::min(v1->z, v2->z)};
    return out;
}

D3DXVECTOR3* D3DXVec3Maximize(D3DXVECTOR3* out, const D3DXVECTOR3* v1, const D3DXVECTOR3* v2)
{
    *out = {std::max(v1->x, v2->x), std::max(v1->y, v2->y), std::max(v1->z, v2->z)};
    return out;
}

D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* v1, const D3DXVECTOR3* v2, float s)
{
    *out = *v1 + (*v2 - *v1) * s;
    return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v)
{
    *out = Normalized(*v);
    return out;
}

D3DXVECTOR3* D3DXVec3CatmullRom(D3DXVECTOR3* out, const D3DXVECTOR3* v0, const D3DXVECTOR3* v1,
                                const D3DXVECTOR3* v2, const D3DXVECTOR3* v3, float s)
{
    const float s2 = s * s, s3 = s2 * s;
    *out = (*v1 * 2.0f + (*v2 - *v0) * s + (*v0 * 2.0f - *v1 * 5.0f + *v2 * 4.0f - *v3) * s2 +
            (*v1 * 3.0f - *v0 - *v2 * 3.0f + *v3) * s3) *
           0.5f;
    return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    *out = Transform4(v->x, v->y, v->z, 1.0f, *m);
    return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    const D3DXVECTOR4 r = Transform4(v->x, v->y, v->z, 1.0f, *m);
    *out = D3DXVECTOR3(r.x, r.y, r.z) / r.w;
    return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    const D3DXVECTOR4 r = Transform4(v->x, v->y, v->z, 0.0f, *m);
    *out = {r.x, r.y, r.z};
    return out;
}

D3DXVECTOR3* D3DXVec3Project(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DVIEWPORT9* viewport,
                             const D3DXMATRIX* projection, const D3DXMATRIX* view, const D3DXMATRIX* world)
{
    const D3DXMATRIX m = Combined(world, view, projection);
    D3DXVECTOR3 r;
    D3DXVec3TransformCoord(&r, v, &m);
    if (viewport)
    {
        r.x = float(viewport->X) + (1.0f + r.x) * float(viewport->Width) * 0.5f;
        r.y = float(viewport->Y) + (1.0f - r.y) * float(viewport->Height) * 0.5f;
        r.z = viewport->MinZ + r.z * (viewport->MaxZ - viewport->MinZ);
    }
    *out = r;
    return out;
}

D3DXVECTOR3* D3DXVec3Unproject(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DVIEWPORT9* viewport,
                               const D3DXMATRIX* projection, const D3DXMATRIX* view, const D3DXMATRIX* world)
{
    D3DXMATRIX m = Combined(world, view, projection);
    if (!D3DXMatrixInverse(&m, nullptr, &m))
        return nullptr;
    D3DXVECTOR3 r = *v;
    if (viewport)
    {
        r.x = 2.0f * (r.x - float(viewport->X)) / float(viewport->Width) - 1.0f;
        r.y = 1.0f - 2.0f * (r.y - float(viewport->Y)) / float(viewport->Height);
        r.z = (r.z - viewport->MinZ) / (viewport->MaxZ - viewport->MinZ);
    }
    D3DXVec3TransformCoord(out, &r, &m);
    return out;
}

float D3DXVec4Length(const D3DXVECTOR4* v)
{
    return std::sqrt(D3DXVec4Dot(v, v));
}

float D3DXVec4Dot(const D3DXVECTOR4* v1, const D3DXVECTOR4* v2)
{
    return v1->x * v2->x + v1->y * v2->y + v1->z * v2->z + v1->w * v2->w;
}

D3DXVECTOR4* D3DXVec4Normalize(D3DXVECTOR4* out, const D3DXVECTOR4* v)
{
    const float length = D3DXVec4Length(v);
    *out = length == 0.0f ? D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f) : *v / length;
    return out;
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m)
{
    *out = Transform4(v->x, v->y, v->z, v->w, *m);
    return out;
}

// ---- matrices ----

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out)
{
    *out = Identity();
    return out;
}

bool D3DXMatrixIsIdentity(const D3DXMATRIX* m)
{
    return *m == Identity();
}

namespace
{
// The cofactor matrix (transposed: the adjugate) and determinant, in double so
// that near-singular view matrices still invert to float precision.
double Adjugate(const D3DXMATRIX& matrix, double adj[4][4])
{
    double a[16];
    for (int i = 0; i < 16; ++i)
        a[i] = matrix.m[i / 4][i % 4];
    double inv[16];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    for (int i = 0; i < 16; ++i)
        adj[i / 4][i % 4] = inv[i];
    return a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
}
} // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX* m)
{
    double adj[4][4];
    return float(Adjugate(*m, adj));
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1, const D3DXMATRIX* m2)
{
    *out = *m1 * *m2;
    return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m)
{
    D3DXMATRIX t;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            t.m[i][j] = m->m[j][i];
    *out = t;
    return out;
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m)
{
    double adj[4][4];
    const double det = Adjugate(*m, adj);
    if (determinant)
        *determinant = float(det);
    if (det == 0.0 || !std::isfinite(det))
        return nullptr;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            out->m[i][j] = float(adj[i][j] / det);
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z)
{
    *out = Identity();
    out->_41 = x, out->_42 = y, out->_43 = z;
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz)
{
    *out = Identity();
    out->_11 = sx, out->_22 = sy, out->_33 = sz;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle)
{
    const D3DXVECTOR3 n = Normalized(*axis);
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    *out = D3DXMATRIX(t * n.x * n.x + c, t * n.x * n.y + s * n.z, t * n.x * n.z - s * n.y, 0, //
                      t * n.x * n.y - s * n.z, t * n.y * n.y + c, t * n.y * n.z + s * n.x, 0, //
                      t * n.x * n.z + s * n.y, t * n.y * n.z - s * n.x, t * n.z * n.z + c, 0, //
                      0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll)
{
    D3DXMATRIX z, x, y;
    D3DXMatrixRotationZ(&z, roll);
    D3DXMatrixRotationX(&x, pitch);
    D3DXMatrixRotationY(&y, yaw);
    *out = z * x * y;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q)
{
    const float x = q->x, y = q->y, z = q->z, w = q->w;
    *out = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0, //
                      2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0, //
                      2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0, //
                      0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixAffineTransformation(D3DXMATRIX* out, float scaling, const D3DXVECTOR3* rotationCenter,
                                           const D3DXQUATERNION* rotation, const D3DXVECTOR3* translation)
{
    D3DXMATRIX result;
    D3DXMatrixScaling(&result, scaling, scaling, scaling);
    if (rotation)
    {
        const D3DXVECTOR3 centre = rotationCenter ? *rotationCenter : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        D3DXMATRIX toCentre, rotate, back;
        D3DXMatrixTranslation(&toCentre, -centre.x, -centre.y, -centre.z);
        D3DXMatrixRotationQuaternion(&rotate, rotation);
        D3DXMatrixTranslation(&back, centre.x, centre.y, centre.z);
        result = result * toCentre * rotate * back;
    }
    if (translation)
    {
        result._41 += translation->x;
        result._42 += translation->y;
        result._43 += translation->z;
    }
    *out = result;
    return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up)
{
    const D3DXVECTOR3 zAxis = Normalized(*at - *eye);
    const D3DXVECTOR3 xAxis = Normalized(Cross(*up, zAxis));
    const D3DXVECTOR3 yAxis = Cross(zAxis, xAxis);
    *out = D3DXMATRIX(xAxis.x, yAxis.x, zAxis.x, 0, //
                      xAxis.y, yAxis.y, zAxis.y, 0, //
                      xAxis.z, yAxis.z, zAxis.z, 0, //
                      -Dot(xAxis, *eye), -Dot(yAxis, *eye), -Dot(zAxis, *eye), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixLookAtRH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up)
{
    const D3DXVECTOR3 zAxis = Normalized(*eye - *at);
    const D3DXVECTOR3 xAxis = Normalized(Cross(*up, zAxis));
    const D3DXVECTOR3 yAxis = Cross(zAxis, xAxis);
    *out = D3DXMATRIX(xAxis.x, yAxis.x, zAxis.x, 0, //
                      xAxis.y, yAxis.y, zAxis.y, 0, //
                      xAxis.z, yAxis.z, zAxis.z, 0, //
                      -Dot(xAxis, *eye), -Dot(yAxis, *eye), -Dot(zAxis, *eye), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear, float zFar)
{
    const float yScale = 1.0f / std::tan(fovY * 0.5f);
    const float xScale = yScale / aspect;
    const float q = zFar / (zFar - zNear);
    *out = D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, q, 1, 0, 0, -zNear * q, 0);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveLH(D3DXMATRIX* out, float width, float height, float zNear, float zFar)
{
    const float q = zFar / (zFar - zNear);
    *out =
        D3DXMATRIX(2 * zNear / width, 0, 0, 0, 0, 2 * zNear / height, 0, 0, 0, 0, q, 1, 0, 0, -zNear * q, 0);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveOffCenterLH(D3DXMATRIX* out, float left, float right, float bottom,
                                             float top, float zNear, float zFar)
{
    *out = D3DXMATRIX(2 * zNear / (right - left), 0, 0, 0, //
                      0, 2 * zNear / (top - bottom), 0, 0, //
                      (left + right) / (left - right), (top + bottom) / (bottom - top), zFar / (zFar - zNear),
                      1, //
                      0, 0, zNear * zFar / (zNear - zFar), 0);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float width, float height, float zNear, float zFar)
{
    *out = D3DXMATRIX(2 / width, 0, 0, 0, 0, 2 / height, 0, 0, 0, 0, 1 / (zFar - zNear), 0, 0, 0,
                      zNear / (zNear - zFar), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float left, float right, float bottom, float top,
                                       float zNear, float zFar)
{
    *out = D3DXMATRIX(2 / (right - left), 0, 0, 0, 0, 2 / (top - bottom), 0, 0, 0, 0, 1 / (zFar - zNear), 0,
                      (left + right) / (left - right), (top + bottom) / (bottom - top),
                      zNear / (zNear - zFar), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixReflect(D3DXMATRIX* out, const D3DXPLANE* plane)
{
    D3DXPLANE p;
    D3DXPlaneNormalize(&p, plane);
    *out = D3DXMATRIX(1 - 2 * p.a * p.a, -2 * p.b * p.a, -2 * p.c * p.a, 0, //
                      -2 * p.a * p.b, 1 - 2 * p.b * p.b, -2 * p.c * p.b, 0, //
                      -2 * p.a * p.c, -2 * p.b * p.c, 1 - 2 * p.c * p.c, 0, //
                      -2 * p.a * p.d, -2 * p.b * p.d, -2 * p.c * p.d, 1);
    return out;
}

// ---- quaternions ----

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out)
{
    *out = {0.0f, 0.0f, 0.0f, 1.0f};
    return out;
}

float D3DXQuaternionLength(const D3DXQUATERNION* q)
{
    return std::sqrt(D3DXQuaternionDot(q, q));
}

float D3DXQuaternionDot(const D3DXQUATERNION* q1, const D3DXQUATERNION* q2)
{
    return q1->x * q2->x + q1->y * q2->y + q1->z * q2->z + q1->w * q2->w;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q)
{
    const float length = D3DXQuaternionLength(q);
    *out = length == 0.0f ? D3DXQUATERNION(0.0f, 0.0f, 0.0f, 0.0f) : *q / length;
    return out;
}

D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* out, const D3DXQUATERNION* q)
{
    *out = {-q->x, -q->y, -q->z, q->w};
    return out;
}

D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* out, const D3DXQUATERNION* q)
{
    const float lengthSq = D3DXQuaternionDot(q, q);
    D3DXQUATERNION conjugate;
    D3DXQuaternionConjugate(&conjugate, q);
    *out = lengthSq == 0.0f ? conjugate : conjugate / lengthSq;
    return out;
}

D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* q1,
                                       const D3DXQUATERNION* q2)
{
    const D3DXQUATERNION a = *q2, b = *q1;
    *out = {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle)
{
    const D3DXVECTOR3 n = Normalized(*axis) * std::sin(angle * 0.5f);
    *out = {n.x, n.y, n.z, std::cos(angle * 0.5f)};
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* out, float yaw, float pitch, float roll)
{
    const float sy = std::sin(yaw * 0.5f), cy = std::cos(yaw * 0.5f);
    const float sp = std::sin(pitch * 0.5f), cp = std::cos(pitch * 0.5f);
    const float sr = std::sin(roll * 0.5f), cr = std::cos(roll * 0.5f);
    *out = {cy * sp * cr + sy * cp * sr, sy * cp * cr - cy * sp * sr, cy * cp * sr - sy * sp * cr,
            cy * cp * cr + sy * sp * sr};
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m)
{
    const float trace = m->_11 + m->_22 + m->_33 + 1.0f;
    D3DXQUATERNION q;
    if (trace > 1.0f)
    {
        const float s = 2.0f * std::sqrt(trace);
        q = {(m->_23 - m->_32) / s, (m->_31 - m->_13) / s, (m->_12 - m->_21) / s, 0.25f * s};
    }
    else if (m->_11 >= m->_22 && m->_11 >= m->_33)
    {
        const float s = 2.0f * std::sqrt(1.0f + m->_11 - m->_22 - m->_33);
        q = {0.25f * s, (m->_12 + m->_21) / s, (m->_13 + m->_31) / s, (m->_23 - m->_32) / s};
    }
    else if (m->_22 >= m->_33)
    {
        const float s = 2.0f * std::sqrt(1.0f + m->_22 - m->_11 - m->_33);
        q = {(m->_12 + m->_21) / s, 0.25f * s, (m->_23 + m->_32) / s, (m->_31 - m->_13) / s};
    }
    else
    {
        const float s = 2.0f * std::sqrt(1.0f + m->_33 - m->_11 - m->_22);
        q = {(m->_13 + m->_31) / s, (m->_23 + m->_32) / s, 0.25f * s, (m->_12 - m->_21) / s};
    }
    *out = q;
    return out;
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* q1, const D3DXQUATERNION* q2,
                                    float t)
{
    float dot = D3DXQuaternionDot(q1, q2);
    float sign = 1.0f;
    if (dot < 0.0f)
    {
        dot = -dot;
        sign = -1.0f;
    }
    float from = 1.0f - t, to = t;
    // Nearly equal rotations: sin(theta) vanishes, and a straight blend is exact enough.
    if (1.0f - dot > 0.001f)
    {
        const float theta = std::acos(dot);
        from = std::sin(theta * (1.0f - t)) / std::sin(theta);
        to = std::sin(theta * t) / std::sin(theta);
    }
    *out = *q1 * from + *q2 * (to * sign);
    return out;
}

// ---- planes ----

float D3DXPlaneDot(const D3DXPLANE* p, const D3DXVECTOR4* v)
{
    return p->a * v->x + p->b * v->y + p->c * v->z + p->d * v->w;
}
float D3DXPlaneDotCoord(const D3DXPLANE* p, const D3DXVECTOR3* v)
{
    return p->a * v->x + p->b * v->y + p->c * v->z + p->d;
}
float D3DXPlaneDotNormal(const D3DXPLANE* p, const D3DXVECTOR3* v)
{
    return p->a * v->x + p->b * v->y + p->c * v->z;
}

D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* out, const D3DXPLANE* p)
{
    const float length = std::sqrt(p->a * p->a + p->b * p->b + p->c * p->c);
    *out = length == 0.0f ? D3DXPLANE(0.0f, 0.0f, 0.0f, 0.0f) : *p / length;
    return out;
}

D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* out, const D3DXVECTOR3* point, const D3DXVECTOR3* normal)
{
    *out = {normal->x, normal->y, normal->z, -Dot(*point, *normal)};
    return out;
}

D3DXPLANE* D3DXPlaneFromPoints(D3DXPLANE* out, const D3DXVECTOR3* p1, const D3DXVECTOR3* p2,
                               const D3DXVECTOR3* p3)
{
    const D3DXVECTOR3 normal = Normalized(Cross(*p2 - *p1, *p3 - *p1));
    return D3DXPlaneFromPointNormal(out, p1, &normal);
}

D3DXPLANE* D3DXPlaneTransform(D3DXPLANE* out, const D3DXPLANE* p, const D3DXMATRIX* m)
{
    const D3DXVECTOR4 r = Transform4(p->a, p->b, p->c, p->d, *m);
    *out = {r.x, r.y, r.z, r.w};
    return out;
}

D3DXVECTOR3* D3DXPlaneIntersectLine(D3DXVECTOR3* out, const D3DXPLANE* p, const D3DXVECTOR3* p1,
                                    const D3DXVECTOR3* p2)
{
    const D3DXVECTOR3 direction = *p2 - *p1;
    const float along = D3DXPlaneDotNormal(p, &direction);
    if (along == 0.0f)
        return nullptr;
    const float t = -D3DXPlaneDotCoord(p, p1) / along;
    *out = *p1 + direction * t;
    return out;
}

// ---- colours ----

D3DXCOLOR* D3DXColorLerp(D3DXCOLOR* out, const D3DXCOLOR* c1, const D3DXCOLOR* c2, float s)
{
    *out = *c1 + (*c2 - *c1) * s;
    return out;
}

D3DXCOLOR* D3DXColorModulate(D3DXCOLOR* out, const D3DXCOLOR* c1, const D3DXCOLOR* c2)
{
    *out = {c1->r * c2->r, c1->g * c2->g, c1->b * c2->b, c1->a * c2->a};
    return out;
}

// ---- geometry ----

BOOL D3DXIntersectTri(const D3DXVECTOR3* p0, const D3DXVECTOR3* p1, const D3DXVECTOR3* p2,
                      const D3DXVECTOR3* rayPos, const D3DXVECTOR3* rayDir, float* u, float* v,
                      float* distance)
{
    const D3DXVECTOR3 edge1 = *p1 - *p0, edge2 = *p2 - *p0;
    const D3DXVECTOR3 p = Cross(*rayDir, edge2);
    const float det = Dot(edge1, p);
    // Parallel to the triangle's plane (or a degenerate triangle): no single hit.
    if (std::fabs(det) < 1e-12f)
        return FALSE;
    const float invDet = 1.0f / det;
    const D3DXVECTOR3 t = *rayPos - *p0;
    const float hitU = Dot(t, p) * invDet;
    if (hitU < 0.0f || hitU > 1.0f)
        return FALSE;
    const D3DXVECTOR3 q = Cross(t, edge1);
    const float hitV = Dot(*rayDir, q) * invDet;
    if (hitV < 0.0f || hitU + hitV > 1.0f)
        return FALSE;
    const float hitDistance = Dot(edge2, q) * invDet;
    if (hitDistance < 0.0f)
        return FALSE;
    if (u)
        *u = hitU;
    if (v)
        *v = hitV;
    if (distance)
        *distance = hitDistance;
    return TRUE;
}

HRESULT D3DXComputeBoundingSphere(const D3DXVECTOR3* firstPosition, DWORD count, DWORD stride,
                                  D3DXVECTOR3* center, float* radius)
{
    if (!firstPosition || !center || !radius || (count > 1 && stride < sizeof(float) * 3))
        return D3DERR_INVALIDCALL;
    D3DXVECTOR3 sum(0.0f, 0.0f, 0.0f);
    for (DWORD i = 0; i < count; ++i)
        sum += ReadPosition(firstPosition, i, stride);
    const D3DXVECTOR3 mean = count ? sum / float(count) : sum;
    float farthest = 0.0f;
    for (DWORD i = 0; i < count; ++i)
    {
        const D3DXVECTOR3 offset = ReadPosition(firstPosition, i, stride) - mean;
        farthest = std::max(farthest, Dot(offset, offset));
    }
    *center = mean;
    *radius = std::sqrt(farthest);
    return D3D_OK;
}

HRESULT D3DXComputeBoundingBox(const D3DXVECTOR3* firstPosition, DWORD count, DWORD stride, D3DXVECTOR3* min,
                               D3DXVECTOR3* max)
{
    if (!firstPosition || !min || !max || count == 0 || (count > 1 && stride < sizeof(float) * 3))
        return D3DERR_INVALIDCALL;
    D3DXVECTOR3 low = ReadPosition(firstPosition, 0, stride), high = low;
    for (DWORD i = 1; i < count; ++i)
    {
        const D3DXVECTOR3 position = ReadPosition(firstPosition, i, stride);
        D3DXVec3Minimize(&low, &low, &position);
        D3DXVec3Maximize(&high, &high, &position);
    }
    *min = low;
    *max = high;
    return D3D_OK;
}

HRESULT D3DXMatrixDecompose(D3DXVECTOR3* scale, D3DXQUATERNION* rotation, D3DXVECTOR3* translation,
                            const D3DXMATRIX* m)
{
    D3DXVECTOR3 rows[3] = {{m->_11, m->_12, m->_13}, {m->_21, m->_22, m->_23}, {m->_31, m->_32, m->_33}};
    D3DXVECTOR3 s(D3DXVec3Length(&rows[0]), D3DXVec3Length(&rows[1]), D3DXVec3Length(&rows[2]));
    if (s.x == 0.0f || s.y == 0.0f || s.z == 0.0f)
        return D3DERR_INVALIDCALL;
    if (D3DXMatrixDeterminant(m) < 0.0f)
        s.x = -s.x;
    D3DXMATRIX pure;
    D3DXMatrixIdentity(&pure);
    const float lengths[3] = {s.x, s.y, s.z};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            pure.m[r][c] = (&rows[r].x)[c] / lengths[r];
    if (scale)
        *scale = s;
    if (rotation)
    {
        D3DXQuaternionRotationMatrix(rotation, &pure);
        D3DXQuaternionNormalize(rotation, rotation);
    }
    if (translation)
        *translation = D3DXVECTOR3(m->_41, m->_42, m->_43);
    return D3D_OK;
}

// Matrix arithmetic and the simple-or-matrix transform.
#include "graphics/Matrix.h"

#include <cmath>

namespace Quor {

Matrix3& Matrix3::LoadIdentity()
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = i == j ? 1.0f : 0.0f;
    return *this;
}

void Matrix3::CopyFrom(const Matrix3& other)
{
    *this = other;
}

Matrix3& Matrix3::Multiply(const Matrix3& first, const Matrix3& second, Matrix3& result)
{
    Matrix3 product;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 3; ++k)
                sum += second.m[i][k] * first.m[k][j];
            product.m[i][j] = sum;
        }
    }
    result = product;
    return result;
}

Vector2 Matrix3::TransformVector(const Vector2& v) const
{
    return Vector2(m[0][0] * v.mX + m[0][1] * v.mY + m[0][2],
                   m[1][0] * v.mX + m[1][1] * v.mY + m[1][2]);
}

Vector3 Matrix3::TransformVector3(float x, float y, float z) const
{
    return Vector3(m[0][0] * x + m[0][1] * y + m[0][2] * z, m[1][0] * x + m[1][1] * y + m[1][2] * z,
                   m[2][0] * x + m[2][1] * y + m[2][2] * z);
}

void Matrix3::Translate(float tx, float ty)
{
    Matrix3 t;
    t.LoadIdentity();
    t.m[0][2] = tx;
    t.m[1][2] = ty;
    Multiply(*this, t, *this);
}

void Matrix3::Rotate(float angle)
{
    Matrix3 r;
    r.LoadIdentity();
    float c = std::cos(angle);
    float s = std::sin(angle);
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    Multiply(*this, r, *this);
}

void Matrix3::Scale(float sx, float sy)
{
    Matrix3 s;
    s.LoadIdentity();
    s.m[0][0] = sx;
    s.m[1][1] = sy;
    Multiply(*this, s, *this);
}

void Transform2D::Reset()
{
    mNeedsRecompute = true;
    mUsesMatrix = false;
    mHasRotation = false;
    mHasScale = false;
    mPreTransX = mPreTransY = 0;
    mPostTransX = mPostTransY = 0;
    mScaleX = mScaleY = 1;
    mAngle = 0;
}

void Transform2D::Translate(float tx, float ty)
{
    if (mUsesMatrix) {
        mMatrix.Translate(tx, ty);
        return;
    }
    mNeedsRecompute = true;
    if (!mHasRotation && !mHasScale) {
        mPreTransX += tx;
        mPreTransY += ty;
    } else {
        mPostTransX += tx;
        mPostTransY += ty;
    }
}

void Transform2D::Rotate(float angle)
{
    if (mUsesMatrix) {
        mMatrix.Rotate(angle);
    } else if (mHasScale) {
        MakeMatrix();
        mMatrix.Rotate(angle);
    } else {
        mAngle += angle;
        mHasRotation = true;
        mNeedsRecompute = true;
    }
}

void Transform2D::Scale(float sx, float sy)
{
    bool simple = !mUsesMatrix && !mHasRotation && mPreTransX == 0 && mPreTransY == 0 &&
                  (sx >= 0 || mScaleX * sx == -1) && sy >= 0;
    if (simple) {
        mScaleX *= sx;
        mScaleY *= sy;
        mHasScale = true;
        mNeedsRecompute = true;
        return;
    }
    MakeMatrix();
    mMatrix.Scale(sx, sy);
}

void Transform2D::MakeMatrix()
{
    if (!mUsesMatrix) {
        mUsesMatrix = true;
        Recompute();
    }
}

const Matrix3& Transform2D::GetMatrix()
{
    Recompute();
    return mMatrix;
}

void Transform2D::Recompute()
{
    if (!mNeedsRecompute)
        return;
    mNeedsRecompute = false;
    mMatrix.LoadIdentity();
    mMatrix.m[0][2] = mPreTransX;
    mMatrix.m[1][2] = mPreTransY;
    mMatrix.m[2][2] = 1;
    if (mHasScale) {
        mMatrix.m[0][0] = mScaleX;
        mMatrix.m[1][1] = mScaleY;
    } else if (mHasRotation) {
        mMatrix.Rotate(mAngle);
    }
    if (mPostTransX != 0 || mPostTransY != 0)
        mMatrix.Translate(mPostTransX, mPostTransY);
}

} // namespace Quor

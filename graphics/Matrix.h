// The 3×3 float matrix with its point types, and Transform2D, the image transform that keeps
// a cheap simple form (translate, rotate or scale) as long as it can and otherwise falls back
// to a full matrix. Angles are radians; a positive angle turns counter-clockwise on screen.
#pragma once

namespace Quor {

struct Vector2 {
    float mX = 0;
    float mY = 0;
    constexpr Vector2() = default;
    constexpr Vector2(float x, float y) : mX(x), mY(y) {}
};

struct Vector3 {
    float mX = 0;
    float mY = 0;
    float mZ = 0;
    constexpr Vector3() = default;
    constexpr Vector3(float x, float y, float z) : mX(x), mY(y), mZ(z) {}
};

// Row-major; points are column vectors: x' = m00·x + m01·y + m02, y' = m10·x + m11·y + m12.
class Matrix3 {
public:
    float m[3][3] = {};

    Matrix3& LoadIdentity();
    void CopyFrom(const Matrix3& other);

    // result = second × first: applying the result applies first, then second. The result
    // may be one of the operands.
    static Matrix3& Multiply(const Matrix3& first, const Matrix3& second, Matrix3& result);

    Vector2 TransformVector(const Vector2& v) const; // the third row is not used
    Vector3 TransformVector3(float x, float y, float z) const;

    // Each applies its operation after those already in the matrix (this = op × this).
    void Translate(float tx, float ty);
    void Rotate(float angle);
    void Scale(float sx, float sy);
};

class Transform2D {
public:
    Transform2D() { Reset(); }

    void Reset();
    void Translate(float tx, float ty);
    void Rotate(float angle);
    void Scale(float sx, float sy);
    void MakeMatrix();
    const Matrix3& GetMatrix();

    // Read directly by the drawing context. In simple form (mUsesMatrix false) the transform
    // is T(post) · R(angle) · T(pre) with a rotation, T(post) · S(scale) with a scale (the
    // pre-translation then being 0), else T(post) · T(pre). In matrix form only mMatrix counts.
    Matrix3 mMatrix;
    bool mNeedsRecompute = true;
    bool mUsesMatrix = false;
    bool mHasRotation = false;
    bool mHasScale = false;
    float mPreTransX = 0;
    float mPreTransY = 0;
    float mPostTransX = 0;
    float mPostTransY = 0;
    float mScaleX = 1;
    float mScaleY = 1;
    float mAngle = 0;

private:
    void Recompute();
};

} // namespace Quor

// Matrix arithmetic and the simple-or-matrix transform.
#include "graphics/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Quor;

namespace {
void ExpectNear(const Matrix3& a, const Matrix3& b)
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(a.m[i][j], b.m[i][j], 1e-5f) << i << "," << j;
}
Matrix3 Make(float a, float b, float c, float d, float e, float f)
{
    Matrix3 m;
    m.LoadIdentity();
    m.m[0][0] = a;
    m.m[0][1] = b;
    m.m[0][2] = c;
    m.m[1][0] = d;
    m.m[1][1] = e;
    m.m[1][2] = f;
    return m;
}
const float kPi = 3.14159265358979f;
} // namespace

TEST(Matrix3, ElementaryOperationsCompose)
{
    Matrix3 m;
    m.LoadIdentity();
    m.Rotate(kPi / 2);
    Vector2 p = m.TransformVector(Vector2(1, 0));
    EXPECT_NEAR(p.mX, 0, 1e-6f);
    EXPECT_NEAR(p.mY, -1, 1e-6f);

    // Operations apply in call order: scale, then translate.
    m.LoadIdentity();
    m.Scale(2, 3);
    m.Translate(10, 20);
    p = m.TransformVector(Vector2(1, 1));
    EXPECT_FLOAT_EQ(p.mX, 12);
    EXPECT_FLOAT_EQ(p.mY, 23);

    Matrix3 first = Make(1, 2, 3, 4, 5, 6), second = Make(0, 1, 0, 1, 0, 5), result;
    Matrix3::Multiply(first, second, result);
    ExpectNear(result, Make(4, 5, 6, 1, 2, 8));
    Matrix3::Multiply(first, second, first); // result may be an operand
    ExpectNear(first, result);

    Vector3 v = result.TransformVector3(1, 1, 2);
    EXPECT_FLOAT_EQ(v.mX, 4 + 5 + 12);
    EXPECT_FLOAT_EQ(v.mY, 1 + 2 + 16);
    EXPECT_FLOAT_EQ(v.mZ, 2);
    Matrix3 copy;
    copy.CopyFrom(result);
    ExpectNear(copy, result);
}

TEST(Transform2D, StaysSimpleWhileItCan)
{
    Transform2D t;
    t.Translate(5, 0);
    t.Rotate(0.5f);
    t.Translate(1, 2);
    EXPECT_FALSE(t.mUsesMatrix);
    EXPECT_TRUE(t.mHasRotation);
    EXPECT_EQ(t.mPreTransX, 5);
    EXPECT_EQ(t.mPostTransX, 1);
    EXPECT_EQ(t.mPostTransY, 2);
    Matrix3 expect;
    expect.LoadIdentity();
    expect.Translate(5, 0);
    expect.Rotate(0.5f);
    expect.Translate(1, 2);
    ExpectNear(t.GetMatrix(), expect);

    Transform2D mirror;
    mirror.Scale(-1, 1);
    EXPECT_FALSE(mirror.mUsesMatrix);
    EXPECT_EQ(mirror.mScaleX, -1);
    mirror.Scale(1, -1);
    EXPECT_TRUE(mirror.mUsesMatrix);
    ExpectNear(mirror.GetMatrix(), Make(-1, 0, 0, 0, -1, 0));

    Transform2D moved;
    moved.Translate(1, 0);
    moved.Scale(2, 2);
    EXPECT_TRUE(moved.mUsesMatrix);
    ExpectNear(moved.GetMatrix(), Make(2, 0, 2, 0, 2, 0));

    Transform2D rs;
    rs.Scale(2, 3);
    rs.Translate(4, 0); // after a scale: post-translation
    rs.Rotate(0.3f);
    EXPECT_TRUE(rs.mUsesMatrix);
    Matrix3 s = Make(2, 0, 4, 0, 3, 0), r;
    r.LoadIdentity();
    r.Rotate(0.3f);
    Matrix3 rsExpect;
    Matrix3::Multiply(s, r, rsExpect);
    ExpectNear(rs.GetMatrix(), rsExpect);

    // In matrix form every operation goes to the matrix.
    rs.Translate(1, 1);
    Matrix3::Multiply(rsExpect, Make(1, 0, 1, 0, 1, 1), rsExpect);
    ExpectNear(rs.GetMatrix(), rsExpect);

    rs.Reset();
    EXPECT_FALSE(rs.mUsesMatrix);
    EXPECT_FALSE(rs.mHasScale);
    ExpectNear(rs.GetMatrix(), Make(1, 0, 0, 0, 1, 0));
}

#include "core/math/Matrix4.h"

#include <gtest/gtest.h>

namespace arvel {
namespace {

// 90 degrees about z: x goes to y, y to -x.
Matrix4 quarterTurnZ() {
    Matrix4 r;
    r[0] = 0.0f;
    r[1] = 1.0f;
    r[4] = -1.0f;
    r[5] = 0.0f;
    return r;
}

void expectVector(const Vector4& v, float x, float y, float z, float w) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
    EXPECT_FLOAT_EQ(v.w, w);
}

TEST(Matrix4Layout, IdentityHasOnesAtZeroFiveTenFifteen) {
    Matrix4 m;
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m[i], (i == 0 || i == 5 || i == 10 || i == 15) ? 1.0f : 0.0f);
}

TEST(Matrix4Layout, TranslationSitsAtTwelveToFourteenInColumnThree) {
    Matrix4 t = Matrix4::translation(5, 6, 7);
    EXPECT_EQ(t[12], 5.0f);
    EXPECT_EQ(t[13], 6.0f);
    EXPECT_EQ(t[14], 7.0f);
    EXPECT_EQ(t.at(0, 3), 5.0f);
    EXPECT_EQ(t.at(2, 3), 7.0f);
}

TEST(Matrix4Multiply, RightOperandIsAppliedFirst) {
    Vector4 p{1, 1, 1, 0};
    expectVector((Matrix4::translation(1, 2, 3) * Matrix4::scaling(2, 2, 2)).transformPoint(p), 3,
                 4, 5, 1);
    expectVector((Matrix4::scaling(2, 2, 2) * Matrix4::translation(1, 2, 3)).transformPoint(p), 4,
                 6, 8, 1);
}

TEST(Matrix4Multiply, RowTimesColumnOfGeneralMatrices) {
    Matrix4 a, b;
    for (int i = 0; i < 16; ++i) {
        a[i] = static_cast<float>(i + 1);
        b[i] = static_cast<float>(16 - i);
    }
    Matrix4 c = a * b;
    // Row 0 of a is (1, 5, 9, 13), column 0 of b is (16, 15, 14, 13).
    EXPECT_EQ(c.at(0, 0), 1 * 16 + 5 * 15 + 9 * 14 + 13 * 13);
    // Row 2 of a is (3, 7, 11, 15), column 3 of b is (4, 3, 2, 1).
    EXPECT_EQ(c.at(2, 3), 3 * 4 + 7 * 3 + 11 * 2 + 15 * 1);
}

TEST(Matrix4Transform, PointGetsTranslationAndWOne) {
    Matrix4 m = Matrix4::translation(10, 20, 30) * quarterTurnZ();
    expectVector(m.transformPoint({1, 0, 0, 0}), 10, 21, 30, 1);
}

TEST(Matrix4Transform, DirectionIgnoresTranslationAndKeepsWZero) {
    Matrix4 m = Matrix4::translation(10, 20, 30) * quarterTurnZ();
    expectVector(m.transformDirection({1, 0, 0, 5}), 0, 1, 0, 0);
}

TEST(Matrix4Transform, ProjectiveKeepsAllFourComponents) {
    Matrix4 p;  // w' = -z, as a perspective projection does
    p[11] = -1.0f;
    p[15] = 0.0f;
    expectVector(p.transformProjective({1, 2, -4, 0}), 1, 2, -4, 4);
}

TEST(Matrix4Inverse, UndoesTranslationAndScale) {
    Matrix4 inverse;
    ASSERT_TRUE((Matrix4::translation(1, 2, 3) * Matrix4::scaling(2, 4, 8)).invert(inverse));
    EXPECT_FLOAT_EQ(inverse[0], 0.5f);
    EXPECT_FLOAT_EQ(inverse[5], 0.25f);
    EXPECT_FLOAT_EQ(inverse[10], 0.125f);
    EXPECT_FLOAT_EQ(inverse[12], -0.5f);
    EXPECT_FLOAT_EQ(inverse[13], -0.5f);
    EXPECT_FLOAT_EQ(inverse[14], -0.375f);
    EXPECT_FLOAT_EQ(inverse[15], 1.0f);
}

TEST(Matrix4Inverse, ProductWithGeneralMatrixIsIdentity) {
    Matrix4 m;
    const float values[16] = {2, 1, 0, 0.5f, -1, 3, 1, 0, 0, 2, 4, 1, 1, -2, 3, 2};
    for (int i = 0; i < 16; ++i) m[i] = values[i];
    Matrix4 inverse;
    ASSERT_TRUE(m.invert(inverse));
    Matrix4 product = m * inverse;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(product[i], (i % 5 == 0) ? 1.0f : 0.0f, 1e-5f) << i;
}

TEST(Matrix4Inverse, SingularMatrixIsRefusedAndLeavesOutputAlone) {
    Matrix4 out = Matrix4::translation(7, 7, 7);
    EXPECT_FALSE(Matrix4::scaling(1, 0, 1).invert(out));
    EXPECT_EQ(out, Matrix4::translation(7, 7, 7));
}

}  // namespace
}  // namespace arvel

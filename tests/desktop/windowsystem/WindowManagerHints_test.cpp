#include "desktop/windowsystem/WindowManagerHints.h"

#include <gtest/gtest.h>

namespace {

using F = WmSizeHints;

WmSizeHints patterned() {
    WmSizeHints hints;
    for (int i = 0; i < F::fieldCount; ++i)
        hints.fields[i] = 1000 + i;
    hints.fields[F::flags] = 0x20c; // PWinGravity | PSize | PPosition
    return hints;
}

} // namespace

TEST(WindowManagerHints, SetsAspectBaseAndMinimumKeepingTheRest) {
    const WmSizeHints before = patterned();
    const auto after = withAspectHints(before, {QSizeF(812, 664), QSize(12, 64), QSize(600, 489)});
    ASSERT_TRUE(after);
    const auto& f = after->fields;
    // 812 x 664 with the band and inset: the picture part is 4:3.
    const std::pair<int, quint32> set[] = {
        {F::minAspectNum, 4}, {F::minAspectDen, 3}, {F::maxAspectNum, 4}, {F::maxAspectDen, 3},
        {F::baseWidth, 12},   {F::baseHeight, 64},  {F::minWidth, 600},   {F::minHeight, 489}};
    for (const auto& [field, value] : set)
        EXPECT_EQ(f[field], value) << "field " << field;
    EXPECT_EQ(f[F::flags], 0x20cu | F::PAspect | F::PBaseSize | F::PMinSize);
    for (int i : {int(F::x), int(F::y), int(F::width), int(F::height), int(F::maxWidth),
                  int(F::maxHeight), int(F::widthInc), int(F::heightInc), int(F::winGravity)})
        EXPECT_EQ(f[i], before.fields[i]) << "field " << i;

    // Fractional fitted sizes keep their proportion; no minimum leaves it alone.
    const auto fitted = withAspectHints(before, {QSizeF(1073.333, 805), QSize(), QSize()});
    ASSERT_TRUE(fitted);
    EXPECT_NEAR(double(fitted->fields[F::minAspectNum]) / fitted->fields[F::minAspectDen],
                1073.333 / 805, 1e-9);
    EXPECT_EQ(fitted->fields[F::baseHeight], 0u);
    EXPECT_EQ(fitted->fields[F::minWidth], before.fields[F::minWidth]);
    EXPECT_EQ(fitted->fields[F::flags] & F::PMinSize, 0u);

    EXPECT_FALSE(withAspectHints(before, {QSizeF(812, 64), QSize(12, 64), QSize()}));
    EXPECT_FALSE(withAspectHints(before, {QSizeF(0, 600), QSize(), QSize()}));
    EXPECT_FALSE(withAspectHints(before, {QSizeF(-800, 600), QSize(), QSize()}));
}

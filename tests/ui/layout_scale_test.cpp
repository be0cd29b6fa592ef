// The layout's 96-DPI units on other screens: the same rounding as the
// system's MulDiv, for positions, sizes and the negative font heights alike.
#include <gtest/gtest.h>

#include "ui/layout.h"

TEST(LayoutScale, RoundsAsMulDivDoes) {
    for (int dpi : {96, 120, 144, 168, 192, 240}) {
        for (int units = -40; units <= 600; ++units) {
            ASSERT_EQ(ScaleLength(units, dpi), MulDiv(units, dpi, DesignDpi)) << units << " at " << dpi;
        }
    }
}

TEST(LayoutScale, RectanglesScaleEveryEdgeAndAreUnchangedAt96) {
    Rect list = Layout::LanguageList.rect;
    Rect same = ScaleRect(list, 96);
    EXPECT_EQ(same.x, list.x);
    EXPECT_EQ(same.width, list.width);
    Rect large = ScaleRect(list, 144);  // 45, 106, 400, 152 at 150 %
    EXPECT_EQ(large.x, 68);
    EXPECT_EQ(large.y, 159);
    EXPECT_EQ(large.width, 600);
    EXPECT_EQ(large.height, 228);
    EXPECT_EQ(ScaleLength(-11, 144), -17) << "a font height rounds away from zero";
}

#include "doc/ImageEx.h"

#include <gtest/gtest.h>

TEST(ImageEx, CreatedClearedBottomUp)
{
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(3, 2, 8));
    EXPECT_EQ(img.GetPitch(), -4);
    EXPECT_EQ(img.GetRow(1) - img.GetRow(0), -4);
    EXPECT_EQ(img.GetRow(0)[0], 0);
    img.Destroy();
    EXPECT_TRUE(img.IsNull());
    EXPECT_EQ(img.GetTransparentColor(), -1);
}

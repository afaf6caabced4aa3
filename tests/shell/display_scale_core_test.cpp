#include <gtest/gtest.h>

#include "shell/display_scale_core.h"

TEST(TitleFontHeight, TwentyPixelsAt96DpiAndInProportionElsewhere) {
  EXPECT_EQ(TitleFontHeight(-12), 20);
  EXPECT_EQ(TitleFontHeight(-15), 25);
  EXPECT_EQ(TitleFontHeight(-18), 30);
  EXPECT_EQ(TitleFontHeight(-24), 40);
  EXPECT_EQ(TitleFontHeight(-13), 22) << "rounded, not cut";
  EXPECT_EQ(TitleFontHeight(24), 40) << "a cell height scales alike";
  EXPECT_EQ(TitleFontHeight(0), 20) << "no dialog font: the 96-DPI size";
}

TEST(BannerScaleIndex, TheSmallestBannerThatCoversTheScale) {
  EXPECT_EQ(BannerScaleIndex(96), 0);
  EXPECT_EQ(BannerScaleIndex(120), 1);
  EXPECT_EQ(BannerScaleIndex(144), 2);
  EXPECT_EQ(BannerScaleIndex(192), 3);
  EXPECT_EQ(BannerScaleIndex(72), 0);
  EXPECT_EQ(BannerScaleIndex(97), 1) << "just above a scale takes the next one up";
  EXPECT_EQ(BannerScaleIndex(168), 3) << "175 %";
  EXPECT_EQ(BannerScaleIndex(288), 3) << "beyond 200 %: the largest there is";
}

// What follows the display scale on the pages, apart from what dialog units already scale: the
// title font and the choice of banner bitmap.
#pragma once

// The display scales each banner is drawn for, in dots per inch (100 %, 125 %, 150 %, 200 %).
constexpr int kBannerDpis[] = {96, 120, 144, 192};
constexpr int kBannerScaleCount = sizeof(kBannerDpis) / sizeof(kBannerDpis[0]);

// Cell height of the pages' bold title font, from the lfHeight of the dialog's own font: 20 pixels
// for the 9-point dialog font at 96 DPI (lfHeight -12), and in proportion at any other scale. An
// unknown dialog font (0) gives the 96-DPI size.
int TitleFontHeight(long dialogFontHeight);

// Index into kBannerDpis of the banner for a display of `dpi`: the smallest one drawn for that
// DPI or more, so that it covers the banner's area (a picture shows its bitmap at its own size);
// above the largest scale, the largest.
int BannerScaleIndex(int dpi);

// What follows the display scale on the pages, apart from what dialog units already scale: the
// title font here, the banners in shell/banner_painter_core.h.
#pragma once

// Cell height of the pages' bold title font, from the lfHeight of the dialog's own font: 20 pixels
// for the 9-point dialog font at 96 DPI (lfHeight -12), and in proportion at any other scale. An
// unknown dialog font (0) gives the 96-DPI size.
int TitleFontHeight(long dialogFontHeight);


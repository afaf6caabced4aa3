#include "shell/display_scale_core.h"

namespace {

constexpr long kTitleHeightAt96Dpi = 20;
// lfHeight of the pages' 9-point dialog font at 96 DPI.
constexpr long kDialogFontHeightAt96Dpi = 12;

}  // namespace

int TitleFontHeight(long dialogFontHeight) {
  // The dialog manager gives its font a negative height (the characters' height without the
  // internal leading); either sign scales alike.
  const long height = dialogFontHeight < 0 ? -dialogFontHeight : dialogFontHeight;
  if (height == 0) return static_cast<int>(kTitleHeightAt96Dpi);
  return static_cast<int>((kTitleHeightAt96Dpi * height + kDialogFontHeightAt96Dpi / 2) / kDialogFontHeightAt96Dpi);
}

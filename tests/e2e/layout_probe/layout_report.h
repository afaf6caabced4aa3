// What the layout probe (layout_probe.dll) measures inside the wizard's own process, where the
// controls' fonts are valid: a font handle means nothing in another process (under Wine, as on
// Windows, GetObjectW and SelectObject refuse a font of another process, and WM_GETFONT sent from
// another process answers nothing). The test hooks the wizard's UI thread with the probe, posts it
// kMeasureMessage, and reads this report from a shared mapping once the probe has set its event.
#pragma once

#include <windows.h>

#include <string>

namespace layout {

constexpr wchar_t kMeasureMessage[] = L"KQSetup.LayoutProbe.Measure";
constexpr char kHookName[] = "LayoutProbeHook";
constexpr int kMaxControls = 96;
constexpr int kMaxText = 512;

inline std::wstring MappingName(DWORD pid) { return L"Local\\KQSetup.LayoutProbe." + std::to_wstring(pid); }
inline std::wstring DoneEventName(DWORD pid) { return L"Local\\KQSetup.LayoutProbe.Done." + std::to_wstring(pid); }

struct Control {
  DWORD hwnd;    // handle values, as 32 bits
  DWORD parent;
  int id;
  DWORD style;
  BOOL visible;
  wchar_t className[32];
  wchar_t text[kMaxText];
  RECT window;           // on the screen
  SIZE client;
  SIZE baseUnits;        // dialogs: the pixels of 4 horizontal and 8 vertical dialog units
  LONG fontHeight;       // lfHeight of the control's font; 0 without one
  LONG fontWeight;
  SIZE textExtent;       // the text drawn in its font, its own line breaks kept and no others
  int halfDigitWidth;    // half the width of "0" in that font: the gap after a check mark
  SIZE bitmap;           // a picture's bitmap
};

struct Report {
  int dpi;               // the wizard's LOGPIXELSY
  int checkMarkWidth;    // SM_CXMENUCHECK, as the wizard gets it
  int edgeWidth;         // SM_CXEDGE
  int count;
  Control controls[kMaxControls];
};

}  // namespace layout

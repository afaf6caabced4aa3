// Every page whole at 100 %, 125 %, 150 %, 175 %, 200 % and 250 % display scale: the wizard is
// started with the prefix's DPI at 96, 120, 144, 168, 192 and 240 and walked to a finished
// installation; on each page every visible control's text must fit in the control (measured inside
// the wizard with the control's own font, by the layout probe), no control may overlap another or
// leave the page, and the banner must fill exactly the area its template gives it: a bitmap one
// pixel smaller leaves a bare strip, one pixel larger covers what lies beside it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "e2e/e2e_common.h"
#include "e2e/layout_probe/layout_report.h"
#include "e2e/spooler_state.h"
#include "win/handles.h"

namespace e2e {
namespace {

// A new Wine process takes its display scale from here (the per-user value Windows keeps too;
// Wine's fallback under HKLM's current hardware profile is not read while this one is there).
const wchar_t kDpiKey[] = L"Control Panel\\Desktop";
const wchar_t kDpiValue[] = L"LogPixels";

// Sets the display scale for the processes started meanwhile, and puts back what was there.
class ScopedDisplayScale {
 public:
  explicit ScopedDisplayScale(DWORD dpi) {
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kDpiKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &m_key, nullptr) !=
        ERROR_SUCCESS) {
      m_key = nullptr;
      return;
    }
    DWORD size = sizeof(m_previous);
    m_hadValue = ::RegQueryValueExW(m_key, kDpiValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&m_previous), &size) ==
                 ERROR_SUCCESS;
    m_set = ::RegSetValueExW(m_key, kDpiValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi)) ==
            ERROR_SUCCESS;
  }
  ~ScopedDisplayScale() {
    if (m_key == nullptr) return;
    if (m_hadValue) {
      ::RegSetValueExW(m_key, kDpiValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&m_previous), sizeof(m_previous));
    } else {
      ::RegDeleteValueW(m_key, kDpiValue);
    }
    ::RegCloseKey(m_key);
  }
  ScopedDisplayScale(const ScopedDisplayScale&) = delete;
  ScopedDisplayScale& operator=(const ScopedDisplayScale&) = delete;
  bool IsSet() const { return m_set; }

 private:
  HKEY m_key = nullptr;
  DWORD m_previous = 0;
  bool m_hadValue = false;
  bool m_set = false;
};

// A control as its dialog template places it, in dialog units.
struct TemplateItem {
  DWORD style;
  bool isStatic;
  RECT rect;
};

// The items of dialog template `id` in KQSetup.exe (an extended template, as windres writes them).
std::vector<TemplateItem> ReadTemplate(const std::wstring& exe, UINT id) {
  std::vector<TemplateItem> items;
  HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return items;
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
  const WORD* p = found ? static_cast<const WORD*>(::LockResource(::LoadResource(module, found))) : nullptr;
  auto skipText = [](const WORD*& w) {  // a name or an ordinal
    if (*w == 0xFFFF) {
      w += 2;
    } else {
      while (*w++ != 0) {
      }
    }
  };
  auto align = [](const WORD*& w) { w = reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(w) + 3) & ~3u); };
  if (p != nullptr && p[0] == 1 && p[1] == 0xFFFF) {
    const DWORD style = *reinterpret_cast<const DWORD*>(p + 6);
    const WORD count = p[8];
    const WORD* w = p + 13;
    skipText(w);  // menu
    skipText(w);  // class
    skipText(w);  // caption
    if (style & DS_SETFONT) {
      w += 3;  // point size, weight, italic and character set
      skipText(w);
    }
    for (WORD i = 0; i < count; ++i) {
      align(w);
      TemplateItem item = {};
      item.style = *reinterpret_cast<const DWORD*>(w + 4);
      const short* r = reinterpret_cast<const short*>(w + 6);
      item.rect = {r[0], r[1], r[0] + r[2], r[1] + r[3]};
      w += 12;
      // The class by its ordinal or by its name, as the resource compiler wrote it.
      item.isStatic = (w[0] == 0xFFFF && w[1] == 0x0082) ||
                      (w[0] != 0xFFFF && ::lstrcmpiW(reinterpret_cast<const wchar_t*>(w), L"Static") == 0);
      skipText(w);  // class
      skipText(w);  // text
      const WORD extra = *w++;
      w = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(w) + extra);
      items.push_back(item);
    }
  }
  ::FreeLibrary(module);
  return items;
}

// The layout of the wizard's frame as its own process sees it, measured by the probe.
bool MeasureLayout(const WizardProcess& wizard, layout::Report& report) {
  DWORD pid = 0;
  const DWORD thread = ::GetWindowThreadProcessId(wizard.Frame(), &pid);
  win::ScopedHandle mapping(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(layout::Report),
                                                 layout::MappingName(pid).c_str()));
  win::ScopedHandle done(::CreateEventW(nullptr, TRUE, FALSE, layout::DoneEventName(pid).c_str()));
  if (!mapping || !done) return false;
  // The probe lies beside the test program (ProgramFolder may name another build's programs).
  wchar_t self[MAX_PATH] = {};
  std::wstring probePath(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
  probePath = probePath.substr(0, probePath.find_last_of(L'\\')) + L"\\layout_probe.dll";
  win::ScopedModule probe(::LoadLibraryW(probePath.c_str()));
  auto hook = probe ? reinterpret_cast<HOOKPROC>(
                          reinterpret_cast<void (*)()>(::GetProcAddress(probe.Get(), layout::kHookName)))
                    : nullptr;
  HHOOK installed = hook ? ::SetWindowsHookExW(WH_GETMESSAGE, hook, probe.Get(), thread) : nullptr;
  if (installed == nullptr) return false;
  ::PostMessageW(wizard.Frame(), ::RegisterWindowMessageW(layout::kMeasureMessage), 0, 0);
  const bool answered = ::WaitForSingleObject(done.Get(), 10000) == WAIT_OBJECT_0;
  ::UnhookWindowsHookEx(installed);
  if (!answered) return false;
  const void* view = ::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(layout::Report));
  if (view == nullptr) return false;
  report = *static_cast<const layout::Report*>(view);
  ::UnmapViewOfFile(view);
  return true;
}

bool Overlap(const RECT& a, const RECT& b) {
  RECT both;
  return ::IntersectRect(&both, &a, &b) != FALSE;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

std::string Describe(const layout::Control& c) {
  char text[64];
  std::snprintf(text, sizeof(text), "control %d (%s) ", c.id, Narrow(c.className).c_str());
  return text + ("\"" + Utf8(c.text) + "\"");
}

// Whatever a person would see wrong on the visible page: a text that does not fit its control
// (with the room a radio button's or check box's mark takes), controls on top of each other or
// beyond the page, a banner that does not fill its area exactly. One line per fault.
std::vector<std::string> FaultsOf(const layout::Report& report, UINT templateId, const std::wstring& exe) {
  std::vector<std::string> faults;
  const layout::Control* page = nullptr;
  std::vector<const layout::Control*> controls;
  for (int i = 0; i < report.count; ++i) {
    const layout::Control& c = report.controls[i];
    if (std::wstring(c.className) == L"#32770" && c.visible) page = &c;
  }
  if (page == nullptr) return {"no visible page"};
  for (int i = 0; i < report.count; ++i) {
    const layout::Control& c = report.controls[i];
    if (!c.visible || &c == page) continue;
    if (c.parent == page->hwnd || (c.parent == page->parent && std::wstring(c.className) == L"Button")) {
      controls.push_back(&c);
    }
  }
  RECT pageArea = page->window;
  pageArea.right = pageArea.left + page->client.cx;
  pageArea.bottom = pageArea.top + page->client.cy;

  // What shows of each control: a page clips its controls.
  auto shown = [&](const layout::Control* c) {
    RECT visible = c->window;
    if (c->parent == page->hwnd) ::IntersectRect(&visible, &c->window, &pageArea);
    return visible;
  };
  for (const layout::Control* c : controls) {
    const bool onPage = c->parent == page->hwnd;
    const bool isPicture = std::wstring(c->className) == L"Static" && (c->style & SS_TYPEMASK) == SS_BITMAP;
    if (onPage && !isPicture && !Inside(c->window, pageArea)) faults.push_back(Describe(*c) + " reaches beyond the page");
    if (c->text[0] != L'\0') {
      int room = 0;
      const DWORD kind = c->style & BS_TYPEMASK;
      const bool isButton = std::wstring(c->className) == L"Button";
      if (isButton && (kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON || kind == BS_CHECKBOX ||
                       kind == BS_AUTOCHECKBOX || kind == BS_3STATE || kind == BS_AUTO3STATE)) {
        room = report.checkMarkWidth + c->halfDigitWidth;
      } else if (isButton || std::wstring(c->className) == L"Edit") {
        room = 2 * report.edgeWidth;
      }
      if (c->textExtent.cx + room > c->client.cx || c->textExtent.cy > c->client.cy) {
        char size[96];
        std::snprintf(size, sizeof(size), " needs %ld x %ld pixels (mark and edges: %d), has %ld x %ld",
                      c->textExtent.cx, c->textExtent.cy, room, c->client.cx, c->client.cy);
        faults.push_back(Describe(*c) + size);
      }
    }
    for (const layout::Control* other : controls) {
      if (other < c && Overlap(shown(c), shown(other))) {
        faults.push_back(Describe(*c) + " overlaps " + Describe(*other));
      }
    }
  }

  // The banner: its template rectangle in this page's dialog units, as far as the page reaches.
  bool templateHasBanner = false;
  for (const TemplateItem& item : ReadTemplate(exe, templateId)) {
    if (!item.isStatic || (item.style & SS_TYPEMASK) != SS_BITMAP) continue;
    templateHasBanner = true;
    const LONG width = std::min<LONG>(::MulDiv(item.rect.right, page->baseUnits.cx, 4), page->client.cx);
    const LONG height = std::min<LONG>(::MulDiv(item.rect.bottom, page->baseUnits.cy, 8), page->client.cy);
    const layout::Control* picture = nullptr;
    for (const layout::Control* c : controls) {
      if (std::wstring(c->className) == L"Static" && (c->style & SS_TYPEMASK) == SS_BITMAP) picture = c;
    }
    char text[160];
    if (picture == nullptr) {
      faults.push_back("no banner shown");
    } else if (picture->window.left != page->window.left || picture->window.top != page->window.top ||
               picture->bitmap.cx != width || picture->bitmap.cy != height ||
               picture->client.cx != picture->bitmap.cx || picture->client.cy != picture->bitmap.cy) {
      std::snprintf(text, sizeof(text), "the banner shows a %ld x %ld bitmap in %ld x %ld at (%ld, %ld) of the page; its area is %ld x %ld",
                    picture->bitmap.cx, picture->bitmap.cy, picture->client.cx, picture->client.cy,
                    picture->window.left - page->window.left, picture->window.top - page->window.top, width, height);
      faults.push_back(text);
    }
  }
  if (!templateHasBanner) faults.push_back("no banner picture found in the page's dialog template");
  return faults;
}

class Layout : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    KQ_REQUIRE_WINE();
    DeleteAllPrinters();
  }
  void TearDown() override { DeleteAllPrinters(); }

  // Measures the visible page and checks it; `name` names its screenshot.
  void CheckPage(UINT templateId, const wchar_t* name) {
    const int dpi = GetParam();
    layout::Report report = {};
    ASSERT_TRUE(MeasureLayout(wizard, report)) << "the layout probe did not answer";
    EXPECT_EQ(report.dpi, dpi) << "the wizard runs at another DPI than the prefix's";
    for (int i = 0; i < report.count; ++i) {
      const layout::Control& c = report.controls[i];
      if (std::wstring(c.className) != L"#32770" || !c.visible) continue;
      EXPECT_EQ(c.fontHeight, -::MulDiv(9, dpi, 72)) << "the page's 9-point dialog font";
    }
    for (int i = 0; i < report.count; ++i) {
      const layout::Control& c = report.controls[i];
      // The bold title lines: 20 pixels at 96 DPI, in proportion elsewhere.
      if (c.visible && c.fontWeight == FW_BOLD) {
        EXPECT_EQ(c.fontHeight, ::MulDiv(20, dpi, 96)) << Describe(c);
      }
    }
    for (const std::string& fault : FaultsOf(report, templateId, exe)) ADD_FAILURE() << dpi << " DPI, " << Narrow(name) << ": " << fault;
    Screenshot(wizard.Frame(), L"layout-" + std::to_wstring(dpi) + L"-" + name);
  }

  const std::wstring exe = ProgramFolder() + L"\\KQSetup.exe";
  WizardProcess wizard;
};

TEST_P(Layout, EveryPageIsWholeAtTheDisplayScale) {
  ScopedDisplayScale scale(static_cast<DWORD>(GetParam()));
  ASSERT_TRUE(scale.IsSet());
  ASSERT_TRUE(wizard.Start(exe));
  ASSERT_NE(wizard.WaitForFrame(20000), nullptr);
  ASSERT_TRUE(wizard.WaitForCaption(kWelcomeCaption, 5000));
  CheckPage(IDD_WELCOME_PAGE, L"01-welcome");

  ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
  ASSERT_TRUE(wizard.WaitForCaption(kCableCaption, 5000));
  CheckPage(IDD_CABLE_GUIDE_PAGE, L"02-cable-guide");

  ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
  ASSERT_TRUE(WaitUntil([&] { return wizard.Pages().size() == 3 && wizard.VisiblePage() == wizard.Pages()[2]; }, 5000));
  ASSERT_TRUE(WaitForDetectionEnd(wizard));
  CheckPage(IDD_DETECT_PAGE, L"03-detect");

  ASSERT_TRUE(Click(wizard.PageControl(IDC_DETECT_LPT)));
  ASSERT_TRUE(WaitUntil([&] { return IsChecked(wizard.PageControl(IDC_DETECT_LPT)); }, 3000));
  ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
  ASSERT_TRUE(WaitUntil(
      [&] { return wizard.Caption() == kInstallDoneCaption || wizard.FindMessageBox().hwnd != nullptr; }, 60000));
  ASSERT_EQ(wizard.FindMessageBox().hwnd, nullptr) << Utf8(wizard.FindMessageBox().text);
  ASSERT_TRUE(WaitForButtons(wizard, {false, false, false, true}, 20000)) << "the install did not succeed";
  CheckPage(IDD_INSTALL_PAGE, L"04-install");

  ASSERT_TRUE(Click(wizard.Button(IDC_FINISH)));
  EXPECT_TRUE(wizard.WaitForExit(10000));
}

INSTANTIATE_TEST_SUITE_P(Dpi, Layout, ::testing::Values(96, 120, 144, 168, 192, 240),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace e2e

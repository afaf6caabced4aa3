#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "controls/link_label.h"
#include "win/app.h"
#include "win/handles.h"
#include "win/newer_apis.h"

namespace {

const wchar_t kParentClass[] = L"KQLinkLabelTestParent";
constexpr int kLinkId = 1024;

std::wstring TextOf(HWND hwnd) {
  wchar_t buffer[512] = {};
  ::GetWindowTextW(hwnd, buffer, 512);
  return buffer;
}

RECT RectInParent(HWND control) {
  RECT r = {};
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LOGFONTW FontOf(HFONT font) {
  LOGFONTW lf = {};
  ::GetObjectW(font, sizeof(lf), &lf);
  return lf;
}

void PumpFor(DWORD ms) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < ms) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(10);
  }
}

// A top-level window holding one static control, as a dialog would.
class LinkLabelWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kParentClass;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    ::RegisterClassW(&wc);
    m_parent = ::CreateWindowExW(0, kParentClass, L"link test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200, 600, 300,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(m_parent, nullptr);
  }
  void TearDown() override {
    if (m_parent != nullptr) ::DestroyWindow(m_parent);
  }

  HWND MakeStatic(const wchar_t* text, DWORD style = SS_LEFT, int x = 10, int y = 10, int w = 400, int h = 60) {
    HWND control = ::CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_parent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLinkId)),
                                     ::GetModuleHandleW(nullptr), nullptr);
    if (control != nullptr) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return control;
  }

  HWND m_parent = nullptr;
};

TEST_F(LinkLabelWindow, AttachTakesTheControlOver) {
  HWND control = MakeStatic(L"http://www.example.com/");
  ASSERT_NE(control, nullptr);
  EXPECT_FALSE(::GetWindowLongPtrW(control, GWL_STYLE) & SS_NOTIFY);

  CLinkLabel link;
  ASSERT_TRUE(link.SubclassDlgItem(kLinkId, m_parent));
  EXPECT_EQ(link.GetSafeHwnd(), control);
  EXPECT_FALSE(link.SubclassDlgItem(kLinkId, m_parent)) << "attached twice";

  EXPECT_TRUE(::GetWindowLongPtrW(control, GWL_STYLE) & SS_NOTIFY);
  // Without an address of its own the label takes the window text.
  EXPECT_EQ(link.GetURL(), L"http://www.example.com/");

  // Both fonts are the control's font, one of them underlined.
  const LOGFONTW original = FontOf(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
  ASSERT_NE(link.GetStdFont(), nullptr);
  ASSERT_NE(link.GetUnderlineFont(), nullptr);
  const LOGFONTW plain = FontOf(link.GetStdFont());
  const LOGFONTW underlined = FontOf(link.GetUnderlineFont());
  EXPECT_EQ(std::wstring(plain.lfFaceName), std::wstring(original.lfFaceName));
  EXPECT_EQ(plain.lfHeight, original.lfHeight);
  EXPECT_FALSE(plain.lfUnderline);
  EXPECT_TRUE(underlined.lfUnderline);
  EXPECT_EQ(underlined.lfHeight, original.lfHeight);

  // The tooltip has the control as tool 1 with the address as its text.
  HWND tip = link.GetToolTip();
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  wchar_t tipText[256] = {};
  TTTOOLINFOW ti = {};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.hwnd = control;
  ti.uId = CLinkLabel::kToolId;
  ti.lpszText = tipText;
  ::SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
  EXPECT_EQ(std::wstring(tipText), L"http://www.example.com/");

  link.SetURL(L"http://other.example/");
  ::SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
  EXPECT_EQ(std::wstring(tipText), L"http://other.example/");
  EXPECT_EQ(TextOf(control), L"http://www.example.com/") << "the caption is not the address";

  // The hand cursor comes from the system and answers WM_SETCURSOR.
  ASSERT_NE(link.GetLinkCursor(), nullptr);
  EXPECT_EQ(::SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            TRUE);
}

TEST_F(LinkLabelWindow, CaptionAndAddressFillEachOther) {
  HWND empty = MakeStatic(L"");
  CLinkLabel link;
  link.SetURL(L"http://set.before/");
  ASSERT_TRUE(link.Attach(empty));
  EXPECT_EQ(TextOf(empty), L"http://set.before/");
  EXPECT_EQ(link.GetURL(), L"http://set.before/");

  // An address of its own wins over the caption, and the caption stays.
  HWND captioned = MakeStatic(L"访问 www.example.com 获取更多", SS_LEFT, 10, 100);
  CLinkLabel other;
  other.SetURL(L"http://www.example.com/");
  ASSERT_TRUE(other.Attach(captioned));
  EXPECT_EQ(TextOf(captioned), L"访问 www.example.com 获取更多");
  EXPECT_EQ(other.GetURL(), L"http://www.example.com/");

  EXPECT_FALSE(CLinkLabel().Attach(nullptr));
  EXPECT_FALSE(CLinkLabel().SubclassDlgItem(4242, m_parent));
}

TEST_F(LinkLabelWindow, PositionWindowFitsTheControlToItsText) {
  struct Case {
    DWORD style;
    const char* name;
  };
  for (const Case& c : {Case{SS_LEFT, "left"}, Case{SS_CENTER, "centre"}, Case{SS_RIGHT, "right"},
                        Case{SS_LEFT | SS_CENTERIMAGE, "vertical centre"}}) {
    SCOPED_TRACE(c.name);
    HWND control = MakeStatic(L"Visit us", c.style, 50, 40, 400, 60);
    const RECT before = RectInParent(control);
    CLinkLabel link;
    ASSERT_TRUE(link.Attach(control));
    const RECT after = RectInParent(control);

    // The text measured with the underlined font, plus nothing else (the control has no border).
    SIZE extent = {};
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, link.GetUnderlineFont());
    ::GetTextExtentPoint32W(dc, L"Visit us", 8, &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    EXPECT_EQ(after.right - after.left, extent.cx);
    EXPECT_EQ(after.bottom - after.top, extent.cy);
    EXPECT_LT(extent.cx, 400);

    const DWORD kind = c.style & SS_TYPEMASK;
    if (kind == SS_CENTER) {
      EXPECT_NEAR((after.left + after.right) / 2.0, (before.left + before.right) / 2.0, 1.0);
    } else if (kind == SS_RIGHT) {
      EXPECT_EQ(after.right, before.right);
    } else {
      EXPECT_EQ(after.left, before.left);
    }
    if (c.style & SS_CENTERIMAGE) {
      EXPECT_NEAR((after.top + after.bottom) / 2.0, (before.top + before.bottom) / 2.0, 1.0);
    } else {
      EXPECT_EQ(after.top, before.top);
    }
    ::DestroyWindow(control);
  }

  // With a border the frame is added to the text's size.
  HWND bordered = MakeStatic(L"Visit us", SS_LEFT | WS_BORDER, 50, 40, 400, 60);
  CLinkLabel framed;
  ASSERT_TRUE(framed.Attach(bordered));
  RECT window = {}, client = {};
  ::GetWindowRect(bordered, &window);
  ::GetClientRect(bordered, &client);
  EXPECT_GT(window.right - window.left, client.right);
  EXPECT_LT(window.right - window.left, 400);

  // Not resized when told not to.
  HWND fixed = MakeStatic(L"Visit us", SS_LEFT, 50, 150, 400, 60);
  CLinkLabel keep;
  keep.SetAutoSize(FALSE);
  ASSERT_TRUE(keep.Attach(fixed));
  const RECT kept = RectInParent(fixed);
  EXPECT_EQ(kept.right - kept.left, 400);
  EXPECT_EQ(kept.bottom - kept.top, 60);
}

TEST_F(LinkLabelWindow, HoverUnderlinesUntilTheCursorLeaves) {
  HWND control = MakeStatic(L"Visit us");
  CLinkLabel link;
  ASSERT_TRUE(link.Attach(control));
  auto currentFont = [&] { return reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)); };
  RECT r = {};
  ::GetWindowRect(control, &r);
  const POINT inside = {r.left + 2, r.top + 2};
  const POINT outside = {r.right + 20, r.bottom + 20};

  EXPECT_FALSE(link.IsHovered());
  ::SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_TRUE(link.IsHovered());
  EXPECT_EQ(currentFont(), link.GetUnderlineFont());

  link.OnHoverTimer(inside);
  EXPECT_TRUE(link.IsHovered());
  EXPECT_EQ(currentFont(), link.GetUnderlineFont());

  link.OnHoverTimer(outside);
  EXPECT_FALSE(link.IsHovered());
  EXPECT_EQ(currentFont(), link.GetStdFont());
  // The timer is gone with the hover.
  EXPECT_FALSE(::KillTimer(control, CLinkLabel::kHoverTimerId));

  // Always underlined: leaving keeps the underline.
  link.SetUnderline(1);
  EXPECT_EQ(currentFont(), link.GetUnderlineFont());
  link.OnMouseMove();
  link.OnHoverTimer(outside);
  EXPECT_FALSE(link.IsHovered());
  EXPECT_EQ(currentFont(), link.GetUnderlineFont());

  // Never underlined: hovering changes only the colour.
  link.SetUnderline(0);
  link.OnMouseMove();
  EXPECT_TRUE(link.IsHovered());
  EXPECT_EQ(currentFont(), link.GetStdFont());
  link.OnHoverTimer(outside);
}

TEST_F(LinkLabelWindow, TheRealTimerEndsTheHoverWhenTheCursorIsAway) {
  HWND control = MakeStatic(L"Visit us");
  CLinkLabel link;
  ASSERT_TRUE(link.Attach(control));
  ::SetCursorPos(1, 1);
  ::SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  ASSERT_TRUE(link.IsHovered());
  // The 100 ms timer fires with the cursor far away.
  PumpFor(600);
  EXPECT_FALSE(link.IsHovered());
  EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), link.GetStdFont());
}

TEST_F(LinkLabelWindow, RelayedMouseShowsTheAddressTip) {
  HWND control = MakeStatic(L"Visit us");
  CLinkLabel link;
  link.SetURL(L"http://tip.example/");
  ASSERT_TRUE(link.Attach(control));
  HWND tip = link.GetToolTip();
  ASSERT_NE(tip, nullptr);
  EXPECT_FALSE(link.RelayToolTip(nullptr));

  RECT r = {};
  ::GetWindowRect(control, &r);
  const POINT over = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ::SetCursorPos(over.x, over.y);
  POINT client = over;
  ::ScreenToClient(control, &client);
  MSG msg = {control, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y), ::GetTickCount(), over};
  // The dialog still gets the message after the tooltip has seen it.
  EXPECT_FALSE(link.RelayToolTip(&msg));
  PumpFor(1500);
  EXPECT_TRUE(::IsWindowVisible(tip));
  ::SetCursorPos(1, 1);
}

TEST_F(LinkLabelWindow, ColoursFollowTheState) {
  HWND control = MakeStatic(L"Visit us");
  CLinkLabel link;
  ASSERT_TRUE(link.Attach(control));
  HDC dc = ::CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);

  EXPECT_EQ(link.OnReflectedCtlColor(dc), static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH)));
  EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 238));
  EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);

  link.SetVisited(TRUE);
  link.OnReflectedCtlColor(dc);
  EXPECT_EQ(::GetTextColor(dc), RGB(85, 26, 139));

  // Hover shows even on a visited link.
  link.OnMouseMove();
  link.OnReflectedCtlColor(dc);
  EXPECT_EQ(::GetTextColor(dc), RGB(255, 0, 0));
  ::DeleteDC(dc);
}

TEST_F(LinkLabelWindow, BackgroundIsTheButtonFaceColour) {
  HWND control = MakeStatic(L"Visit us");
  CLinkLabel link;
  ASSERT_TRUE(link.Attach(control));
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 8, 8);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  RECT all = {0, 0, 8, 8};
  ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));

  EXPECT_EQ(::SendMessageW(control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), TRUE);
  EXPECT_EQ(::GetPixel(dc, 1, 1), ::GetSysColor(COLOR_BTNFACE));

  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
}

TEST_F(LinkLabelWindow, DestroyingTheControlReleasesTimerAndTooltip) {
  HWND control = MakeStatic(L"Visit us");
  CLinkLabel link;
  ASSERT_TRUE(link.Attach(control));
  HWND tip = link.GetToolTip();
  link.OnMouseMove();
  ::DestroyWindow(control);
  EXPECT_EQ(link.GetSafeHwnd(), nullptr);
  EXPECT_EQ(link.GetToolTip(), nullptr);
  EXPECT_FALSE(::IsWindow(tip));
  EXPECT_FALSE(link.IsHovered());
  // A label whose control is gone may still be told things.
  link.SetURL(L"http://late.example/");
  link.OnHoverTimer(POINT{0, 0});
}

TEST_F(LinkLabelWindow, ALabelDestroyedFirstGivesTheControlItsFontBack) {
  HWND control = MakeStatic(L"Visit us");
  const HFONT original = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  HWND tip = nullptr;
  {
    CLinkLabel link;
    ASSERT_TRUE(link.Attach(control));
    tip = link.GetToolTip();
    link.OnMouseMove();
    ASSERT_EQ(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), link.GetUnderlineFont());
  }
  EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), original);
  EXPECT_FALSE(::IsWindow(tip));
  // The subclass is gone: messages reach the plain control.
  EXPECT_NE(::SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            TRUE);
  EXPECT_TRUE(::IsWindow(control));
}

// Windows 2000 and older have no SetWindowSubclass by name: the label works the same through
// plain window-procedure subclassing, and gives the control back whole.
TEST_F(LinkLabelWindow, WithoutTheCommonControlsSubclassingTheLabelWorksTheSame) {
  struct PlainSubclassing {
    PlainSubclassing() { win::UsePlainSubclassingForTesting(true); }
    ~PlainSubclassing() { win::UsePlainSubclassingForTesting(false); }
  } plain;
  HWND control = MakeStatic(L"Visit us");
  const LONG_PTR ownProc = ::GetWindowLongPtrW(control, GWLP_WNDPROC);
  {
    CLinkLabel link;
    ASSERT_TRUE(link.Attach(control));
    EXPECT_NE(::GetWindowLongPtrW(control, GWLP_WNDPROC), ownProc);
    ::SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(link.IsHovered());
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), link.GetUnderlineFont());
    EXPECT_EQ(TextOf(control), L"Visit us") << "what the label does not handle reaches the control";
  }
  EXPECT_EQ(::GetWindowLongPtrW(control, GWLP_WNDPROC), ownProc);

  CLinkLabel again;
  ASSERT_TRUE(again.Attach(control));
  ::DestroyWindow(control);
  EXPECT_EQ(again.GetSafeHwnd(), nullptr);
}

// HKEY_CLASSES_ROOT redirected to a scratch key, so that the shell finds no handler at all and
// the ".htm" fallback reads only what the test registers.
class LinkLabelOpen : public LinkLabelWindow {
 protected:
  static constexpr const wchar_t* kScratch = L"Software\\KQTests\\LinkLabelClasses";

  void SetUp() override {
    LinkLabelWindow::SetUp();
    ::SHDeleteKeyW(HKEY_CURRENT_USER, kScratch);
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, m_scratch.Receive(),
                                nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_CLASSES_ROOT, m_scratch.Get()), ERROR_SUCCESS);
  }
  void TearDown() override {
    ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    m_scratch.Reset();
    ::SHDeleteKeyW(HKEY_CURRENT_USER, kScratch);
    LinkLabelWindow::TearDown();
  }

  void RegisterHtm(const std::wstring& command) {
    SetDefault(L".htm", L"KQTestPage");
    SetDefault(L"KQTestPage\\shell\\open\\command", command);
  }
  void SetDefault(const std::wstring& subKey, const std::wstring& value) {
    win::ScopedKey key;
    ASSERT_EQ(::RegCreateKeyExW(m_scratch.Get(), subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(),
                                nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }

  // A document nobody can open: the shell fails without starting anything.
  const std::wstring m_missing = L"C:\\kq-link-test-missing\\page.kqlink";
  win::ScopedKey m_scratch;
};

TEST_F(LinkLabelOpen, FailedOpenExplainsItselfAndLeavesTheLinkUnvisited) {
  HWND control = MakeStatic(L"Visit us");
  CLinkLabel link;
  link.SetURL(m_missing);
  ASSERT_TRUE(link.Attach(control));
  link.OnMouseMove();

  const INT_PTR code = CLinkLabel::OpenURL(m_missing, SW_SHOW);
  ASSERT_LE(code, 32);

  std::vector<std::wstring> texts;
  std::vector<UINT> types;
  std::vector<HWND> owners;
  win::SetMessageBoxHook([&](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    texts.push_back(text);
    types.push_back(type);
    owners.push_back(owner);
    EXPECT_EQ(caption, win::ApplicationTitle());
    return IDOK;
  });
  link.OnClicked();
  win::SetMessageBoxHook([](HWND, const std::wstring&, const std::wstring&, UINT) {
    ADD_FAILURE() << "unexpected message box";
    return IDOK;
  });

  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], LinkOpenErrorMessage(code));
  EXPECT_EQ(types[0], static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(owners[0], m_parent);
  EXPECT_FALSE(link.GetVisited());
  EXPECT_FALSE(link.IsHovered());
}

TEST_F(LinkLabelOpen, HtmFallbackRunsTheRegisteredCommand) {
  // A browser that does not exist: WinExec's own failure code comes back.
  RegisterHtm(L"\"C:\\kq-link-test-missing\\browser.exe\" \"%1\"");
  const INT_PTR missing = CLinkLabel::OpenURL(m_missing, SW_HIDE);
  EXPECT_LE(missing, 32);

  // A harmless program in place of the browser: the open succeeds and the link turns visited.
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  RegisterHtm(std::wstring(system) + L"\\cmd.exe /c rem \"%1\"");
  EXPECT_GT(CLinkLabel::OpenURL(m_missing, SW_HIDE), 32);

  HWND control = MakeStatic(L"Visit us");
  CLinkLabel link;
  link.SetURL(m_missing);
  ASSERT_TRUE(link.Attach(control));
  link.OnClicked();  // the default hook fails the test on any message box
  EXPECT_TRUE(link.GetVisited());

  // A class without a command, or no class at all: the shell's code stands.
  ::SHDeleteKeyW(m_scratch.Get(), L"KQTestPage");
  EXPECT_LE(CLinkLabel::OpenURL(m_missing, SW_HIDE), 32);
  SetDefault(L".htm", L"");
  EXPECT_LE(CLinkLabel::OpenURL(m_missing, SW_HIDE), 32);
  EXPECT_EQ(CLinkLabel::OpenURL(L"", SW_HIDE), 2);
}

}  // namespace

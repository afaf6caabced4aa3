// The wizard frame and the page base in-process under Wine: navigation hooks, the button table,
// Finish and Cancel results, and the page colouring.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <new>

#include "res/resource.h"
#include "shell/install_page.h"
#include "shell/setup_app.h"
#include "shell/wizard.h"
#include "win/message_loop.h"
#include "tests/device/device_test_support.h"
#include "win/spooler.h"

namespace {

// A page that records its hooks and answers as told.
class ScriptedPage : public CWizardPage {
 public:
  explicit ScriptedPage(UINT templateId) : CWizardPage(templateId, nullptr) {}
  void OnSetActive() override {
    ++setActive;
    if (whileActivating) whileActivating();
  }
  void OnAfterNext() override { ++afterNext; }
  int OnWizardNext() override {
    if (throwOnNext) throw std::bad_alloc();
    return next;
  }
  int OnWizardBack() override { return back; }
  BOOL OnKillActive() override { return killActive; }
  BOOL OnQueryCancel() override {
    ++queryCancelCalls;
    return queryCancel;
  }
  BOOL OnWizardFinish() override {
    ++finishCalls;
    return finish;
  }
  BOOL IsNextBlocked() override { return nextBlocked; }
  void OnEndSession() override { ++endSession; }
  using CWizardPage::OnCtlColor;

  int setActive = 0, afterNext = 0, next = 0, back = 0, queryCancelCalls = 0, finishCalls = 0, endSession = 0;
  BOOL killActive = TRUE, queryCancel = TRUE, finish = TRUE, nextBlocked = FALSE;
  bool throwOnNext = false;
  // Runs inside OnSetActive, as the messages a page's long step handles would.
  std::function<void()> whileActivating;
};

bool HasVisibleStyle(HWND hwnd) { return (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

class WizardFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    for (ScriptedPage* page : {&a, &b, &c, &d}) sheet.AddPage(page, page->m_nTemplateId);
    ASSERT_TRUE(sheet.Create(nullptr));
  }
  void TearDown() override { sheet.DestroyWindow(); }

  void Press(int id) { ::SendMessageW(sheet.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  bool Enabled(int id) { return ::IsWindowEnabled(sheet.GetDlgItem(id)) != FALSE; }
  std::vector<bool> Buttons() { return {Enabled(IDC_BACK), Enabled(IDC_NEXT), Enabled(IDC_FINISH)}; }

  ScriptedPage a{IDD_WELCOME_PAGE}, b{IDD_CABLE_GUIDE_PAGE}, c{IDD_DETECT_PAGE}, d{IDD_INSTALL_PAGE};
  CWizardSheet sheet{nullptr};  // run modeless, so that the test thread can press its buttons
};

TEST_F(WizardFrame, FirstPageIsActiveAndButtonsFollowTheTable) {
  EXPECT_TRUE(a.m_bActive);
  EXPECT_EQ(a.setActive, 1);
  EXPECT_EQ(a.m_pSheet, &sheet);
  EXPECT_FALSE(b.m_bCreated) << "pages are created on first use";
  EXPECT_EQ(Buttons(), (std::vector<bool>{false, true, false}));
  EXPECT_TRUE(::GetWindowLongPtrW(sheet.m_hWnd, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
  EXPECT_EQ(sheet.GetDlgItemText(IDC_BACK), L"上一步");
  EXPECT_EQ(sheet.GetDlgItemText(IDC_FINISH), L"完成");

  Press(IDC_NEXT);
  EXPECT_TRUE(b.m_bActive);
  EXPECT_FALSE(a.m_bActive);
  EXPECT_FALSE(HasVisibleStyle(a.m_hWnd));
  EXPECT_EQ(b.afterNext, 1);
  EXPECT_EQ(Buttons(), (std::vector<bool>{true, true, false}));
  Press(IDC_NEXT);
  Press(IDC_NEXT);
  EXPECT_TRUE(d.m_bActive);
  EXPECT_EQ(Buttons(), (std::vector<bool>{true, false, true})) << "the last page";
  Press(IDC_BACK);
  EXPECT_TRUE(c.m_bActive);
  EXPECT_EQ(d.afterNext, 1) << "Back never calls OnAfterNext";
  EXPECT_EQ(Buttons(), (std::vector<bool>{true, true, true})) << "Back leaves Finish as it was";
  Press(IDC_BACK);
  Press(IDC_BACK);
  EXPECT_TRUE(a.m_bActive);
  EXPECT_EQ(a.setActive, 2);
  EXPECT_EQ(Buttons(), (std::vector<bool>{false, true, false}));
}

TEST_F(WizardFrame, PagesAreCreatedOnceAndKeepTheirWindows) {
  Press(IDC_NEXT);
  HWND first = b.m_hWnd;
  Press(IDC_BACK);
  Press(IDC_NEXT);
  EXPECT_EQ(b.m_hWnd, first);
  EXPECT_EQ(b.setActive, 2);
}

TEST_F(WizardFrame, HooksChooseTargetsOrStay) {
  a.next = IDD_DETECT_PAGE;  // jump over the cable guide
  Press(IDC_NEXT);
  EXPECT_TRUE(c.m_bActive);
  EXPECT_FALSE(b.m_bCreated);
  c.next = -1;
  Press(IDC_NEXT);
  EXPECT_TRUE(c.m_bActive);
  c.nextBlocked = TRUE;
  c.next = 0;
  Press(IDC_NEXT);
  EXPECT_TRUE(c.m_bActive);
  c.back = -1;
  Press(IDC_BACK);
  EXPECT_TRUE(c.m_bActive);
  c.back = 12345;  // no such page
  Press(IDC_BACK);
  EXPECT_TRUE(c.m_bActive);
  c.back = IDD_WELCOME_PAGE;
  Press(IDC_BACK);
  EXPECT_TRUE(a.m_bActive);
}

TEST_F(WizardFrame, APageThatRefusesToBeLeftKeepsItsPlace) {
  a.killActive = FALSE;
  Press(IDC_NEXT);
  EXPECT_TRUE(a.m_bActive);
  EXPECT_TRUE(HasVisibleStyle(a.m_hWnd));
  a.killActive = TRUE;
}

TEST_F(WizardFrame, DestroyingTheFrameDestroysThePagesThatAgree) {
  Press(IDC_NEXT);
  b.killActive = FALSE;
  HWND bWindow = b.m_hWnd;
  sheet.DestroyWindow();
  EXPECT_FALSE(a.m_bCreated);
  EXPECT_TRUE(b.m_bCreated) << "a refusing page goes with its parent, not explicitly";
  EXPECT_FALSE(::IsWindow(bWindow));
}

// A page's long step handles messages: while it runs, no form of Cancel or Finish reaches the
// pages, nor Back and Next; afterwards the focus is on the control a keyboard user needs.
TEST_F(WizardFrame, APageAtWorkCannotBeCancelledOrFinishedInAnyWay) {
  HWND frame = sheet.m_hWnd;
  ::ShowWindow(frame, SW_SHOW);  // only a shown window takes the focus
  c.whileActivating = [&] {
    for (int id : {IDCANCEL, IDC_FINISH, IDC_BACK, IDC_NEXT}) {
      ::SendMessageW(frame, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
    ::SendMessageW(frame, WM_CLOSE, 0, 0);
    ::SendMessageW(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
    // The step disables Next, as the pages do; Windows then drops its focus.
    ::EnableWindow(sheet.GetDlgItem(IDC_NEXT), FALSE);
    ::EnableWindow(sheet.GetDlgItem(IDC_NEXT), TRUE);
  };
  Press(IDC_NEXT);
  Press(IDC_NEXT);
  EXPECT_TRUE(c.m_bActive);
  EXPECT_EQ(c.setActive, 1) << "Next inside the step went nowhere";
  for (ScriptedPage* page : {&a, &b, &c, &d}) {
    EXPECT_EQ(page->queryCancelCalls, 0);
    EXPECT_EQ(page->finishCalls, 0);
  }
  EXPECT_TRUE(::IsWindow(frame));
  EXPECT_EQ(::GetFocus(), sheet.GetDlgItem(IDC_NEXT));

  // Idle again, Cancel is taken.
  Press(IDCANCEL);
  EXPECT_EQ(a.queryCancelCalls, 1);
}

// A log-off or restart in the middle of a step would leave the install half done: while a page
// works the session is asked to wait; if it ends all the same, the pages undo what must not stay.
TEST_F(WizardFrame, TheSessionWaitsForAPageAtWorkAndEndsFreelyOtherwise) {
  HWND frame = sheet.m_hWnd;
  LRESULT duringWork = -1;
  c.whileActivating = [&] {
    duringWork = ::SendMessageW(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    ::SendMessageW(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  };
  Press(IDC_NEXT);
  Press(IDC_NEXT);
  EXPECT_EQ(duringWork, FALSE);
  EXPECT_EQ(c.endSession, 1);
  EXPECT_EQ(::SendMessageW(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE) << "idle, the session may end";
  ::SendMessageW(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(c.endSession, 1) << "nothing to undo when no page works";
}

// An exception thrown in a handler (memory running out) must not unwind into the system, which
// would end the process: it is told, and the wizard goes on.
TEST_F(WizardFrame, AnExceptionInAHandlerIsToldAndTheWizardGoesOn) {
  devicetest::MessageBoxRecorder boxes;
  a.throwOnNext = true;
  // A step that disabled the frame's buttons and then failed still leaves a way out: Cancel,
  // and after the last page's work, Finish.
  ::EnableWindow(sheet.GetDlgItem(IDCANCEL), FALSE);
  Press(IDC_NEXT);
  EXPECT_TRUE(a.m_bActive);
  EXPECT_TRUE(Enabled(IDCANCEL));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, win::SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
  a.throwOnNext = false;
  Press(IDC_NEXT);
  EXPECT_TRUE(b.m_bActive);

  d.whileActivating = [this] {
    for (int id : {IDC_BACK, IDC_NEXT, IDCANCEL, IDC_FINISH}) ::EnableWindow(sheet.GetDlgItem(id), FALSE);
    throw std::bad_alloc();
  };
  Press(IDC_NEXT);
  Press(IDC_NEXT);
  EXPECT_TRUE(Enabled(IDC_FINISH));
  EXPECT_EQ(boxes.boxes.size(), 2u) << "each failure is told";
}

TEST_F(WizardFrame, PagesPaintWhiteAndStaticTextsTransparent) {
  HDC dc = ::GetDC(a.m_hWnd);
  HBRUSH staticBrush = a.OnCtlColor(dc, nullptr, WM_CTLCOLORSTATIC);
  EXPECT_EQ(staticBrush, static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)));
  EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
  HBRUSH editBrush = a.OnCtlColor(dc, nullptr, WM_CTLCOLOREDIT);
  EXPECT_NE(editBrush, nullptr);
  EXPECT_EQ(::GetBkColor(dc), RGB(255, 255, 255));
  EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 0));
  LOGBRUSH brush = {};
  ::GetObjectW(editBrush, sizeof(brush), &brush);
  EXPECT_EQ(brush.lbColor, RGB(255, 255, 255));
  EXPECT_EQ(a.OnCtlColor(dc, nullptr, WM_CTLCOLORDLG), editBrush);
  ::ReleaseDC(a.m_hWnd, dc);
}

TEST(PumpWait, DrainsPostedMessagesAndSleepsInSlices) {
  HWND window = ::CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  ::PostMessageW(window, WM_NULL, 0, 0);
  CWizardPage page(IDD_WELCOME_PAGE, nullptr);
  const DWORD start = ::GetTickCount();
  page.PumpWait(100, 10);
  const DWORD elapsed = ::GetTickCount() - start;
  EXPECT_GE(elapsed, 90u);
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "the queue was drained";
  ::DestroyWindow(window);
}

TEST(PumpMessages, StopsAtQuitAndConsumesIt) {
  ::PostQuitMessage(7);
  EXPECT_FALSE(win::PumpMessages());
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  EXPECT_TRUE(win::PumpMessages());
}

BOOL WINAPI SpoolerOutOfMemory(DWORD, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD) { throw std::bad_alloc(); }

// An install run that ends in an exception (told by the frame, which then offers Finish) is a
// failure, never the success of an earlier run: Finish then ends with 1603, not 0.
TEST(InstallPageResult, ARunThatEndsInAnExceptionIsAFailure) {
  CSetupSettings settings;
  settings.AssignFixedValues();
  settings.g_ePortType = Connection::kLpt;
  InstallContext context;
  context.osMajorVersion = 6;
  // The sample package, which serves this machine: the run reaches the printer list.
  const std::wstring program = win::ModuleFilePath();
  ASSERT_TRUE(LoadPackageInfInto(settings, program.substr(0, program.rfind(L'\\'))));
  context.windowsVersion = {6, 1, 7601};
  BOOL wow64 = FALSE;
  context.machine = ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64 ? Machine::kX64 : Machine::kX86;
  CInstallPage page(nullptr, settings, context);
  win::spooler::SetEnumPrintersForTesting(&SpoolerOutOfMemory);
  EXPECT_THROW(page.RunInstall(), std::bad_alloc);
  win::spooler::SetEnumPrintersForTesting(nullptr);
  EXPECT_TRUE(page.HasRun());
  EXPECT_EQ(kExitInstallFailed, ExitCodeForResult(page.Result()));
}

TEST(StartUp, DetectsAnNtSystemOfVersionFiveOrLater) { EXPECT_GE(ReadOsMajorVersion(), 5u); }

}  // namespace

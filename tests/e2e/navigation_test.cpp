// The wizard frame under Wine: pages in order, captions, the button-state table, Enter and Esc,
// Cancel and the close box.
#include "e2e/e2e_common.h"

namespace e2e {
namespace {

class Navigation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(wizard.Start(ProgramFolder() + L"\\KQSetup.exe"));
    ASSERT_NE(wizard.WaitForFrame(20000), nullptr) << "the wizard frame never appeared";
    ASSERT_TRUE(wizard.WaitForCaption(kWelcomeCaption, 5000)) << Narrow(wizard.Caption());
  }

  void GoToCableGuide() {
    ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
    ASSERT_TRUE(wizard.WaitForCaption(kCableCaption, 5000));
  }

  WizardProcess wizard;
};

TEST_F(Navigation, WalksForwardAndBackThroughAllPagesWithTheButtonTable) {
  EXPECT_TRUE(WaitForButtons(wizard, {false, true, true, false}));
  EXPECT_EQ(TextOf(wizard.Button(IDC_BACK)), L"上一步");
  EXPECT_EQ(TextOf(wizard.Button(IDC_NEXT)), L"下一步");
  EXPECT_EQ(TextOf(wizard.Button(IDCANCEL)), L"取消");
  EXPECT_EQ(TextOf(wizard.Button(IDC_FINISH)), L"完成");
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_WELCOME_TITLE)), L"欢迎使用凯朗打印机驱动程序安装向导");
  EXPECT_FALSE(IsVisible(wizard.PageControl(IDC_WELCOME_LINK))) << "the link stays invisible";
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_WELCOME_LINK)), L"访问 www.example.com 获取更多");
  Screenshot(wizard.Frame(), L"01-welcome");

  GoToCableGuide();
  EXPECT_TRUE(WaitForButtons(wizard, {true, true, true, false}));
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_CABLE_TITLE)), L"请按照以下步骤连接数据线");
  EXPECT_NE(TextOf(wizard.PageControl(IDC_CABLE_STEPS)).find(L"首先关闭打印机电源。"), std::wstring::npos);
  Screenshot(wizard.Frame(), L"02-cable-guide");

  ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
  ASSERT_TRUE(wizard.WaitForCaption(kDetectCaption, 5000));
  // The detection run keeps every frame button disabled while it lasts.
  ASSERT_TRUE(WaitUntil([&] { return TextOf(wizard.PageControl(IDC_DETECT_NAME)) == L"打印机名称"; }, 5000));
  EXPECT_TRUE(WaitForButtons(wizard, {false, false, false, false}));
  ASSERT_TRUE(WaitForDetectionEnd(wizard));
  EXPECT_TRUE(WaitForButtons(wizard, {true, true, true, false}));
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_DETECT_STATUS)), kNotDetected);
  EXPECT_EQ(TextOf(wizard.PageControl(IDC_DETECT_TITLE)), L"检测打印机设备");
  Screenshot(wizard.Frame(), L"03-detect-not-found");
  const std::vector<HWND> pagesBefore = wizard.Pages();
  ASSERT_EQ(pagesBefore.size(), 3u);

  // Back to the welcome page and forward again: the same page windows come back.
  ASSERT_TRUE(Click(wizard.Button(IDC_BACK)));
  ASSERT_TRUE(wizard.WaitForCaption(kCableCaption, 5000));
  ASSERT_TRUE(WaitUntil([&] { return wizard.VisiblePage() == pagesBefore[1]; }, 5000));
  EXPECT_TRUE(WaitForButtons(wizard, {true, true, true, false}));
  ASSERT_TRUE(Click(wizard.Button(IDC_BACK)));
  ASSERT_TRUE(wizard.WaitForCaption(kWelcomeCaption, 5000));
  EXPECT_TRUE(WaitForButtons(wizard, {false, true, true, false}));
  EXPECT_EQ(wizard.VisiblePage(), pagesBefore[0]);
  GoToCableGuide();
  EXPECT_EQ(wizard.VisiblePage(), pagesBefore[1]);
  EXPECT_EQ(wizard.Pages(), pagesBefore) << "pages are created once";
}

TEST_F(Navigation, EnterDoesNothingAnywhere) {
  PostKey(wizard.Button(IDC_NEXT), VK_RETURN);
  PostKey(wizard.VisiblePage(), VK_RETURN);
  ::Sleep(700);
  EXPECT_EQ(wizard.Caption(), kWelcomeCaption);
  EXPECT_TRUE(wizard.IsRunning());
  GoToCableGuide();
  PostKey(wizard.PageControl(IDC_CABLE_STEPS), VK_RETURN);
  PostKey(wizard.Button(IDCANCEL), VK_RETURN);
  ::Sleep(700);
  EXPECT_EQ(wizard.Caption(), kCableCaption);
  EXPECT_TRUE(wizard.IsRunning());
}

TEST_F(Navigation, EscInsideAPageDoesNothingButEscOnTheFrameCancels) {
  GoToCableGuide();
  ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
  ASSERT_TRUE(wizard.WaitForCaption(kDetectCaption, 5000));
  ASSERT_TRUE(WaitForDetectionEnd(wizard));
  PostKey(wizard.PageControl(IDC_DETECT_NAME), VK_ESCAPE);
  ::Sleep(700);
  EXPECT_TRUE(wizard.IsRunning()) << "Esc in a page's edit must not close the wizard";
  PostKey(wizard.Button(IDC_NEXT), VK_ESCAPE);
  EXPECT_TRUE(wizard.WaitForExit(10000)) << "Esc handled by the frame cancels the wizard";
  EXPECT_EQ(wizard.ExitCode(), 1602u) << "cancelled before an install";
}

// A double click too many: the second wizard brings the first one to the front and ends at once,
// with the code deployment tools read as "retry later"; it shows no window of its own.
TEST_F(Navigation, ASecondStartBringsTheFirstForwardAndEndsWith1618) {
  ::ShowWindowAsync(wizard.Frame(), SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return ::IsIconic(wizard.Frame()) != FALSE; }, 5000));
  WizardProcess second;
  ASSERT_TRUE(second.Start(ProgramFolder() + L"\\KQSetup.exe"));
  ASSERT_TRUE(second.WaitForExit(30000));
  EXPECT_EQ(second.ExitCode(), 1618u);
  EXPECT_EQ(second.WaitForFrame(0), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return !::IsIconic(wizard.Frame()); }, 5000)) << "the first wizard stayed minimised";
  EXPECT_EQ(::GetForegroundWindow(), wizard.Frame());
  EXPECT_TRUE(wizard.IsRunning());
  // Unattended, the same refusal.
  WizardProcess quiet;
  ASSERT_TRUE(quiet.Start(ProgramFolder() + L"\\KQSetup.exe", {}, L"/S"));
  ASSERT_TRUE(quiet.WaitForExit(30000));
  EXPECT_EQ(quiet.ExitCode(), 1618u);
}

TEST_F(Navigation, CancelEndsTheWizardWithoutAQuestion) {
  GoToCableGuide();
  ASSERT_TRUE(Click(wizard.Button(IDCANCEL)));
  EXPECT_TRUE(wizard.WaitForExit(10000));
  EXPECT_EQ(wizard.FindMessageBox().hwnd, nullptr);
}

TEST_F(Navigation, TheCloseBoxEndsTheWizard) {
  ::PostMessageW(wizard.Frame(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(wizard.WaitForExit(10000));
}

}  // namespace
}  // namespace e2e

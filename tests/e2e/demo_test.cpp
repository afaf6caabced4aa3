// The demo's walk through the wizard (run by tools/demo.sh, not part of the test run): the four
// pages with a simulated USB printer, a screenshot of each.
#include "e2e/e2e_common.h"

namespace e2e {
namespace {

TEST(DISABLED_Demo, WalkThroughTheWizard) {
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Start(ProgramFolder() + L"\\KQSetup.exe"));
  ASSERT_NE(wizard.WaitForFrame(20000), nullptr);
  ASSERT_TRUE(wizard.WaitForCaption(kWelcomeCaption, 5000));
  Screenshot(wizard.Frame(), L"1-welcome");
  ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
  ASSERT_TRUE(wizard.WaitForCaption(kCableCaption, 5000));
  Screenshot(wizard.Frame(), L"2-cable-guide");
  ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
  ASSERT_TRUE(WaitUntil([&] { return wizard.VisiblePage() == wizard.Pages().back() && wizard.Pages().size() == 3; }, 5000));
  ASSERT_TRUE(WaitForDetectionEnd(wizard));
  Screenshot(wizard.Frame(), L"3-detect");
  ASSERT_TRUE(Click(wizard.Button(IDC_NEXT)));
  ASSERT_TRUE(WaitUntil(
      [&] { return wizard.Caption() == kInstallDoneCaption || wizard.FindMessageBox().hwnd != nullptr; }, 120000));
  MessageBoxInfo box = wizard.FindMessageBox();
  if (box.hwnd != nullptr) {
    Screenshot(box.hwnd, L"4-install-message");
    wizard.Answer(box, IDOK);
  }
  ASSERT_TRUE(wizard.WaitForCaption(kInstallDoneCaption, 120000));
  Screenshot(wizard.Frame(), L"4-install");
  if (Click(wizard.Button(IDC_FINISH))) wizard.WaitForExit(10000);
}

}  // namespace
}  // namespace e2e

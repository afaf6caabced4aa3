#include "shell/unattended_install.h"

#include <windows.h>

#include "install/install_sequence.h"
#include "shell/detect_page.h"
#include "shell/detection_run.h"
#include "shell/setup_settings.h"
#include "win/app.h"
#include "win/setup_log.h"

namespace {

// The sequence's face when nobody is there: what happens goes to the log (the sequence writes
// the substance itself), and waiting is sleeping.
class CUnattendedReporter : public IInstallReporter, public IDetectionReporter {
 public:
  HWND MessageOwner() const override { return nullptr; }
  void ReportStep(const std::wstring& text, int) override { win::Log(L"step: %s", text); }
  void HideTarget() override {}
  void ShowTarget(const std::wstring&, const std::wstring&, const std::wstring&) override {}
  void ShowInstalledPrinter(const std::wstring&) override {}
  void CompleteProgress() override {}
  void WaitForUsb(int) override { ::Sleep(500); }
};

}  // namespace

ExitCode RunUnattendedInstall(const CommandLineOptions& options) {
  CSetupSettings& settings = SetupSettings;
  CUnattendedReporter reporter;
  settings.g_strPortType = L"USB";
  RunDetection(settings, reporter);

  settings.g_strPortType = options.portType;
  // The detection page offers only the connections the package has a model for.
  const std::wstring& hardwareId = options.portType == L"LPT" ? settings.g_strLptHardwareId : settings.g_strUsbHardwareId;
  if (!IsSupportedHardwareId(hardwareId)) {
    win::Log(L"install: the package has no model for the %s connection (hardware id \"%s\"); nothing was installed",
             options.portType, hardwareId);
    return kExitInstallFailed;
  }
  if (options.hasName) settings.g_strPrinterName = options.name;
  win::Log(L"unattended: connection %s, printer name \"%s\"%s", settings.g_strPortType, settings.g_strPrinterName,
           options.hasName ? L" (from /name)" : L" (as detected)");

  InstallRun run;
  const InstallResult result = InstallPrinter(reporter, run);
  win::Log(L"install result %d: %s", static_cast<int>(result), DescribeResult(result));
  if (result == InstallResult::kSuccess) {
    InstallHelperService(reporter, kHelperFileName, kHelperServiceName);
  } else if (const unsigned int messageId = MessageIdForResult(result)) {
    // What the install page would have shown.
    win::Log(L"the wizard's message: %s", win::LoadStringResource(messageId));
  }
  return ExitCodeForResult(result);
}

#include "shell/unattended_install.h"

#include <windows.h>

#include "core/detection_run.h"
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

ExitCode RunUnattendedInstall(CSetupSettings& settings, const InstallContext& context,
                              const CommandLineOptions& options) {
  CUnattendedReporter reporter;
  settings.g_ePortType = Connection::kUsb;
  RunDetection(settings, settings, reporter);

  settings.g_ePortType = options.portType == L"LPT" ? Connection::kLpt : Connection::kUsb;
  // The detection page offers only the connections the package has a model for.
  if (!settings.Supports(settings.g_ePortType)) {
    const std::wstring& hardwareId =
        settings.g_ePortType == Connection::kLpt ? settings.g_strLptHardwareId : settings.g_strUsbHardwareId;
    win::Log(L"install: the package has no model for the %s connection (hardware id \"%s\"); nothing was installed",
             ConnectionName(settings.g_ePortType), hardwareId);
    return kExitInstallFailed;
  }
  if (options.hasName) settings.g_strPrinterName = options.name;
  win::Log(L"unattended: connection %s, printer name \"%s\"%s", ConnectionName(settings.g_ePortType),
           settings.g_strPrinterName, options.hasName ? L" (from /name)" : L" (as detected)");

  InstallRun run;
  const InstallResult result = InstallPrinter(settings, settings, context, reporter, run);
  win::Log(L"install result %d: %s", static_cast<int>(result), DescribeResult(result));
  if (result == InstallResult::kSuccess) {
    InstallHelperService(settings, settings, reporter, kHelperFileName, kHelperServiceName);
  } else if (const unsigned int messageId = MessageIdForResult(result)) {
    // What the install page would have shown.
    win::Log(L"the wizard's message: %s", win::LoadStringResource(messageId));
  }
  return ExitCodeForResult(result);
}

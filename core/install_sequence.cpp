#include "core/install_sequence.h"

#include "core/detection_run.h"
#include "core/install_decisions_core.h"
#include "device/device_records_writer.h"
#include "device/printer_records.h"
#include "install/driver_commands.h"
#include "install/printer_list.h"
#include "install/service_control.h"
#include "package/payload.h"
#include "res/resource.h"
#include "win/app.h"
#include "win/message_loop.h"
#include "win/setup_log.h"

const wchar_t kHelperFileName[] = L"PHelper.exe";
const wchar_t kHelperServiceName[] = L"Printer Helper";

namespace {

constexpr int kStepsPerText = 12;

std::wstring JoinedNames(const std::vector<std::wstring>& names) {
  if (names.empty()) return L"(none)";
  std::wstring text;
  for (const std::wstring& name : names) {
    if (!text.empty()) text += L", ";
    text += L"\"" + name + L"\"";
  }
  return text;
}

// The port of a USB install: the one detection found, or, when detection found none (the
// printer was switched on after it), the port of the first printer of the series the records list
// now. Empty when no printer of the series is attached: another maker's printer alone must never
// get our driver.
std::wstring UsbInstallPort(CRunChoice& choice) {
  if (!choice.g_strPortName.empty()) return choice.g_strPortName;
  const std::wstring port = FindSeriesUsbPort();
  win::Log(L"install: detection found no port; the records now name %s",
           port.empty() ? std::wstring(L"no printer of the series") : port);
  if (!port.empty()) choice.g_strPortName = port;
  return port;
}

}  // namespace

InstallResult InstallPrinter(const CPackageSettings& package, CRunChoice& choice, const InstallContext& context,
                             IInstallReporter& reporter, InstallRun& run) {
  win::Log(L"install: connection %s, printer name \"%s\", model \"%s\"", ConnectionName(choice.g_ePortType),
           choice.g_strPrinterName, package.g_strDriverDesc);
  if (context.osMajorVersion < 5) return InstallResult::kSystemTooOld;

  std::wstring port = L"LPT1:";
  reporter.HideTarget();
  if (choice.g_ePortType == Connection::kUsb) {
    if (!IsPrinterUsbEnumerated()) {
      win::Log(L"install: the USB printing service lists no device");
      return InstallResult::kNoUsbPrinter;
    }
    port = UsbInstallPort(choice);
    if (port.empty()) return InstallResult::kNoUsbPrinter;
  }
  run.installedPrinter.clear();

  // Each run compares its own before and after lists, never an earlier run's names. Without a
  // list to compare with, a printer that was there all along could pass for the new one: the
  // install does not start (the spooler's failure has been shown).
  if (!RefillPrinterNames(run.printersBefore, reporter.MessageOwner())) return InstallResult::kUnknownError;
  win::Log(L"printers before: %s", JoinedNames(run.printersBefore));
  const std::wstring candidate = MakeUniquePrinterName(choice.g_strPrinterName, run.printersBefore);
  win::Log(L"install: expected name \"%s\" on port %s", candidate, port);
  reporter.ShowTarget(candidate, port, package.g_strDriverDesc);

  reporter.ReportStep(win::LoadStringResource(IDS_STEP_SYSTEM_INFO), kStepsPerText);
  reporter.ReportStep(win::LoadStringResource(IDS_STEP_COPY_FILES), kStepsPerText);
  reporter.ReportStep(win::LoadStringResource(IDS_STEP_ADD_DRIVER), kStepsPerText);

  // A command that could not be formed whole (an over-long program folder) is never run.
  // /b carries the base name: the spooler picks the final name itself, as predicted above.
  DriverInstall driver;
  driver.printerName = choice.g_strPrinterName;
  driver.packageDirectory = context.packageDirectory;
  driver.packageName = package.g_strPackageName;
  driver.port = port;
  driver.driverDesc = package.g_strDriverDesc;
  if (InstallDriver(driver, context.unattended) == 0) {
    win::Log(L"install: the program folder is too long for the driver command; nothing was run");
    return InstallResult::kUnknownError;
  }

  reporter.ReportStep(win::LoadStringResource(IDS_STEP_ADD_PRINTER), kStepsPerText);
  // A spooler that stopped answering (it restarts after a driver install goes wrong) lists no
  // printer at all: that is no success.
  if (!RefillPrinterNames(run.printersAfter, reporter.MessageOwner())) return InstallResult::kUnknownError;
  win::Log(L"printers after: %s", JoinedNames(run.printersAfter));
  if (run.printersAfter.size() == run.printersBefore.size()) return InstallResult::kUnknownError;

  const std::wstring newPrinter = FindNewPrinter(run.printersBefore, run.printersAfter, choice.g_strPrinterName);
  if (!newPrinter.empty()) {
    const std::wstring entry = MakeDefaultPrinterEntry(choice.g_ePortType, newPrinter, port);
    const BOOL written = ::WriteProfileStringW(L"windows", L"device", entry.c_str());
    win::Log(L"new printer \"%s\"; default printer entry \"%s\" %s", newPrinter, entry,
             written ? L"written" : L"could not be written");
    run.installedPrinter = newPrinter;
    reporter.ShowInstalledPrinter(newPrinter);
  } else {
    win::Log(L"install: no new printer carries the name \"%s\"; the default printer stays as it was",
             choice.g_strPrinterName);
  }
  reporter.CompleteProgress();
  // Programs that watch for a new default printer look at the "windows" section; a program that
  // does not answer holds the wizard up for a second at most.
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"windows"),
                        SMTO_ABORTIFHUNG | SMTO_NORMAL, 1000, &ignored);
  return InstallResult::kSuccess;
}

namespace {

std::wstring HelperNotRunReason(const HelperRunResult& run) {
  switch (run.outcome) {
    case HelperRun::kNotOurs: return win::LoadStringResource(IDS_HELPER_NOT_OURS);
    case HelperRun::kMarkedForDeletion: return win::LoadStringResource(IDS_HELPER_MARKED_FOR_DELETION);
    default: return win::SystemErrorText(run.error);
  }
}

}  // namespace

int InstallHelperService(const CPackageSettings& package, const CRunChoice& choice, IInstallReporter& reporter,
                         const std::wstring& helperFile, const std::wstring& serviceName) {
  const std::wstring caption = win::FormatResource(IDS_HELPER_CAPTION, choice.g_strPrinterName);
  DeviceRecordValues records;
  records.providerName = package.g_strProviderName;
  records.driverDesc = package.g_strDriverDesc;
  records.modelDesc = choice.g_strModelDesc;
  records.seriesCode = package.g_strSeriesCode;
  records.printerSuffix = package.g_strPrinterSuffix;
  if (choice.g_ePortType == Connection::kLpt) {
    records.hardwareId = package.g_strLptHardwareId;
    WriteLptPrinterRecords(records);
  } else {
    records.hardwareId = package.g_strUsbHardwareId;
    WritePrinterUsbRecords(records);
  }
  const std::wstring path = GetHelperServicePath(helperFile);
  // A helper of ours left running by a run that was cut short holds its program file: stopped and
  // removed first, the file can be written and this run goes as it should.
  DWORD leftoverError = ERROR_SUCCESS;
  if (!path.empty() && !RemoveLeftoverHelperService(serviceName, path, leftoverError)) {
    win::Log(L"helper service: the one left from an earlier run stays registered, error %d",
             static_cast<unsigned long>(leftoverError));
  }
  if (!ExtractHelperService(helperFile)) {
    win::Log(L"helper program: %s could not be written", path.empty() ? helperFile : path);
    win::ShowMessageBox(reporter.MessageOwner(), win::LoadStringResource(IDS_HELPER_EXTRACT_FAILED), caption, MB_OK);
    return 0;
  }
  win::Log(L"helper program: %s in place", path);
  // On a thread of its own: starting a service waits for its process, and the run pauses twice for
  // a second; the window keeps answering meanwhile.
  HelperRunResult run = {HelperRun::kNotStarted, ERROR_NOT_ENOUGH_MEMORY};
  win::RunHandlingMessages([&] {
    try {
      run = RunHelperServiceOnce(serviceName, path);
    } catch (...) {
      // Out of memory for a path or a name: the run did not happen, and that is what is told.
    }
  });
  win::Log(L"helper service: %s", DescribeHelperRun(run.outcome));
  if (run.outcome == HelperRun::kRan) return 1;
  if (run.outcome == HelperRun::kAbandoned) return 0;  // nobody is left to read a message
  // The printer works, but its device records were not moved (or the service stays): say so,
  // rather than report a run that never happened.
  win::ShowMessageBox(reporter.MessageOwner(),
                      win::FormatResource(IDS_HELPER_NOT_RUN, serviceName, HelperNotRunReason(run)), caption,
                      MB_OK | MB_ICONWARNING);
  return 0;
}

void EndInstallForSessionEnd() { AbandonHelperServiceRun(); }

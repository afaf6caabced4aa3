#include "core/install_sequence.h"

#include "core/detection_run.h"
#include "core/install_decisions_core.h"
#include "device/device_records_writer.h"
#include "device/printer_records.h"
#include "install/active_setup.h"
#include "install/driver_commands.h"
#include "install/install_record.h"
#include "install/printer_queue.h"
#include "install/printer_list.h"
#include "install/service_control.h"
#include "package/payload.h"
#include "res/resource.h"
#include "win/app.h"
#include "win/format_core.h"
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
// now, whose description is then its model. Empty when no printer of the series is attached:
// another maker's printer alone must never get our driver.
std::wstring UsbInstallPort(CRunChoice& choice) {
  if (!choice.g_strPortName.empty()) return choice.g_strPortName;
  UsbPortRecord printer;
  if (!FindSeriesUsbPrinter(printer)) {
    win::Log(L"install: detection found no port; the records now name no printer of the series");
    return std::wstring();
  }
  win::Log(L"install: detection found no port; the records now name %s (\"%s\")", printer.port, printer.description);
  choice.g_strPortName = printer.port;
  if (choice.g_strModelDesc.empty()) choice.g_strModelDesc = printer.description;
  return printer.port;
}

// The port the printer goes onto: LPT1: for the parallel port; for USB, the port of an attached
// printer of the series (UsbInstallPort). False when USB is chosen and none is attached.
bool ChoosePort(CRunChoice& choice, std::wstring& port) {
  port = L"LPT1:";
  if (choice.g_ePortType != Connection::kUsb) return true;
  if (!IsPrinterUsbEnumerated()) {
    win::Log(L"install: the USB printing service lists no device");
    return false;
  }
  port = UsbInstallPort(choice);
  return !port.empty();
}

// Makes the new printer the default printer: the running account's own at once, every user's at
// their next logon. Under the local system account the first is nobody's: the log says so plainly.
void MakeDefaultPrinter(const CRunChoice& choice, const InstallContext& context, const std::wstring& printer,
                        const std::wstring& port) {
  if (!context.setDefault) {
    win::Log(L"default printer: left as it is for every user (/nodefault)");
    return;
  }
  const std::wstring entry = MakeDefaultPrinterEntry(choice.g_ePortType, printer, port);
  const BOOL written = ::WriteProfileStringW(L"windows", L"device", entry.c_str());
  win::Log(L"new printer \"%s\"; default printer entry \"%s\" %s%s", printer, entry,
           written ? L"written" : L"could not be written",
           context.systemAccount ? L" for the local system account, whose default printer is nobody's" : L"");
  RegisterDefaultPrinterForEveryUser(printer, !context.systemAccount && written);
}

}  // namespace

InstallResult CheckSystemAndPackage(const CPackageSettings& package, const InstallContext& context) {
  if (context.protectedPrint.on) {
    win::Log(L"install: %s: this Windows allows only its own printer drivers; nothing was installed",
             context.protectedPrint.reason);
    return InstallResult::kProtectedPrintMode;
  }
  const InfModelsChoice models = ChooseInfModels(package.g_models, context.machine, context.windowsVersion);
  win::Log(L"install: machine %s (%s), Windows %d.%d; the package's models: %s; %s", MachineName(context.machine),
           context.machineHow, context.windowsVersion.major, context.windowsVersion.minor,
           DescribeInfDecorations(package.g_models),
           models.verdict == InfModelsVerdict::kServed ? L"served by [" + models.section + L"]"
                                                       : std::wstring(L"no models section for this machine"));
  if (models.verdict != InfModelsVerdict::kServed) return InstallResult::kNoDriverForMachine;
  return InstallResult::kSuccess;
}

std::wstring MessageTextForResult(InstallResult result, const InstallContext& context) {
  const unsigned int id = MessageIdForResult(result);
  if (id == 0) return std::wstring();
  if (result == InstallResult::kNoDriverForMachine) {
    return win::FormatResource(id, MachineName(context.machine), MachineName(context.machine));
  }
  return win::LoadStringResource(id);
}

InstallResult InstallPrinter(const CPackageSettings& package, CRunChoice& choice, const InstallContext& context,
                             IInstallReporter& reporter, InstallRun& run) {
  win::Log(L"install: connection %s, printer name \"%s\", model \"%s\"", ConnectionName(choice.g_ePortType),
           choice.g_strPrinterName, package.g_strDriverDesc);
  if (context.osMajorVersion < 5) return InstallResult::kSystemTooOld;
  const InstallResult allowed = CheckSystemAndPackage(package, context);
  if (allowed != InstallResult::kSuccess) return allowed;

  std::wstring port;
  reporter.HideTarget();
  if (!ChoosePort(choice, port)) return InstallResult::kNoUsbPrinter;
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
  const DriverCommand command = InstallDriver(driver, context.unattended, context.driverTimeoutMs);
  if (command == DriverCommand::kNotFormed) {
    win::Log(L"install: the program folder is too long for the driver command; nothing was run");
    return InstallResult::kUnknownError;
  }
  if (command == DriverCommand::kTimedOut) return InstallResult::kDriverCommandTimedOut;

  reporter.ReportStep(win::LoadStringResource(IDS_STEP_ADD_PRINTER), kStepsPerText);
  // A spooler that stopped answering (it restarts after a driver install goes wrong) lists no
  // printer at all: that is no success.
  if (!RefillPrinterNames(run.printersAfter, reporter.MessageOwner())) return InstallResult::kUnknownError;
  win::Log(L"printers after: %s", JoinedNames(run.printersAfter));
  if (run.printersAfter.size() == run.printersBefore.size()) return InstallResult::kUnknownError;

  const std::wstring newPrinter = FindNewPrinter(run.printersBefore, run.printersAfter, choice.g_strPrinterName);
  if (!newPrinter.empty()) {
    MakeDefaultPrinter(choice, context, newPrinter, port);
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

bool FindOurInstalledQueue(const CPackageSettings& package, const std::wstring& name, InstalledQueue& recorded,
                           PrinterQueue& now) {
  InstallRecord record;
  if (!ReadInstallRecord(record)) return false;
  for (const InstalledQueue& queue : record.queues) {
    if (!EqualsIgnoreAsciiCase(queue.name, name)) continue;
    if (!FindPrinterQueue(queue.name, now)) {
      win::Log(L"update: the record names \"%s\", which is gone: a new queue is installed", queue.name);
      return false;
    }
    // A queue that now uses another driver (another maker's, or the user's choice) is not ours to
    // change: the run installs one of its own beside it.
    if (now.driver != package.g_strDriverDesc || now.driver != queue.driver) {
      win::Log(L"update: \"%s\" uses the driver \"%s\" now, not ours: left alone", now.name, now.driver);
      return false;
    }
    recorded = queue;
    return true;
  }
  return false;
}

InstallResult UpdatePrinter(const CPackageSettings& package, CRunChoice& choice, const InstallContext& context,
                            IInstallReporter& reporter, const InstalledQueue& recorded, const PrinterQueue& now,
                            InstallRun& run) {
  win::Log(L"update: \"%s\" on %s with the driver \"%s\" %s was installed by this program on %s", now.name, now.port,
           now.driver, recorded.driverVersion, recorded.installed);
  if (context.osMajorVersion < 5) return InstallResult::kSystemTooOld;
  const InstallResult allowed = CheckSystemAndPackage(package, context);
  if (allowed != InstallResult::kSuccess) return allowed;
  run.installedPrinter.clear();

  // Windows Installer refuses to put an older version over a newer one; so does the update.
  const DriverVersion installed = ParseStoredDriverVersion(recorded.driverVersion);
  if (installed.valid && package.g_driverVer.valid && CompareDriverVersions(package.g_driverVer, installed) < 0) {
    if (!context.allowDowngrade) {
      win::Log(L"update: the package's driver %s is older than the installed %s: refused (/force allows it)",
               package.g_driverVer.VersionText(), installed.VersionText());
      return InstallResult::kNewerDriverInstalled;
    }
    win::Log(L"update: the package's driver %s is older than the installed %s: /force", package.g_driverVer.VersionText(),
             installed.VersionText());
  }

  std::wstring port;
  reporter.HideTarget();
  if (!ChoosePort(choice, port)) return InstallResult::kNoUsbPrinter;
  reporter.ShowTarget(now.name, port, package.g_strDriverDesc);
  reporter.ReportStep(win::LoadStringResource(IDS_STEP_ADD_DRIVER), kStepsPerText);

  DriverInstall driver;
  driver.packageDirectory = context.packageDirectory;
  driver.packageName = package.g_strPackageName;
  driver.driverDesc = package.g_strDriverDesc;
  const DriverCommand command = InstallDriverOnly(driver, context.unattended, context.driverTimeoutMs);
  if (command == DriverCommand::kNotFormed) {
    win::Log(L"update: the program folder is too long for the driver command; nothing was run");
    return InstallResult::kUnknownError;
  }
  if (command == DriverCommand::kTimedOut) return InstallResult::kDriverCommandTimedOut;
  // The driver is the package's again, under its name: a queue that has lost it has not been updated.
  PrinterQueue after;
  if (!FindPrinterQueue(now.name, after) || after.driver != package.g_strDriverDesc) {
    win::Log(L"update: \"%s\" is gone or lost its driver after the driver install", now.name);
    return InstallResult::kUnknownError;
  }

  if (!EqualsIgnoreAsciiCase(after.port, port)) {
    DWORD error = ERROR_SUCCESS;
    if (!SetPrinterQueuePort(now.name, port, error)) {
      win::Log(L"update: \"%s\" could not be pointed at %s, error %d", now.name, port, error);
      return InstallResult::kQueueNotUpdated;
    }
  }
  reporter.ReportStep(win::LoadStringResource(IDS_STEP_ADD_PRINTER), kStepsPerText);
  MakeDefaultPrinter(choice, context, now.name, port);
  run.installedPrinter = now.name;
  reporter.ShowInstalledPrinter(now.name);
  const std::wstring portChange =
      EqualsIgnoreAsciiCase(now.port, port) ? L"port " + port + L" (unchanged)" : L"port " + now.port + L" -> " + port;
  const std::wstring versionChange =
      installed.valid && CompareDriverVersions(installed, package.g_driverVer) == 0
          ? L"driver version " + installed.VersionText() + L" (unchanged)"
          : L"driver version " + (installed.valid ? installed.VersionText() : std::wstring(L"unknown")) + L" -> " +
                (package.g_driverVer.valid ? package.g_driverVer.VersionText() : std::wstring(L"unknown"));
  win::Log(L"updated \"%s\": %s, %s; its name and settings kept", now.name, portChange, versionChange);
  reporter.CompleteProgress();
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
                         const std::wstring& helperFile, const std::wstring& serviceName, HelperOutcome* outcome) {
  HelperOutcome ignoredOutcome;
  HelperOutcome& done = outcome != nullptr ? *outcome : ignoredOutcome;
  done = HelperOutcome();
  const std::wstring caption = win::FormatResource(IDS_HELPER_CAPTION, choice.g_strPrinterName);
  DeviceRecordValues records;
  records.providerName = package.g_strProviderName;
  records.driverDesc = package.g_strDriverDesc;
  records.modelDesc = choice.g_strModelDesc;
  records.seriesCode = package.g_strSeriesCode;
  records.printerSuffix = package.g_strPrinterSuffix;
  records.hardwareId = choice.g_ePortType == Connection::kLpt ? package.g_strLptHardwareId : package.g_strUsbHardwareId;
  const std::wstring path = GetHelperServicePath(helperFile);
  // The records, a leftover helper's stop and the program file's writing take from a tenth of a
  // second to several: on a thread of their own, so that the window keeps answering. What they
  // throw reaches the caller, where the run's failure is told.
  bool extracted = false;
  win::RunHandlingMessages([&] {
    done.records = choice.g_ePortType == Connection::kLpt ? WriteLptPrinterRecords(records)
                                                            : WritePrinterUsbRecords(records);
    // A helper of ours left running by a run that was cut short holds its program file: stopped
    // and removed first, the file can be written and this run goes as it should.
    DWORD leftoverError = ERROR_SUCCESS;
    if (!path.empty() && !RemoveLeftoverHelperService(serviceName, path, leftoverError)) {
      win::Log(L"helper service: the one left from an earlier run stays registered, error %d",
               static_cast<unsigned long>(leftoverError));
    }
    extracted = ExtractHelperService(helperFile);
  });
  if (!extracted) {
    win::Log(L"helper program: %s could not be written", path.empty() ? helperFile : path);
    win::ShowMessageBox(reporter.MessageOwner(), win::LoadStringResource(IDS_HELPER_EXTRACT_FAILED), caption, MB_OK);
    return 0;
  }
  win::Log(L"helper program: %s in place", path);
  done.helperProgram = path;
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
  done.ran = run.outcome == HelperRun::kRan;
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

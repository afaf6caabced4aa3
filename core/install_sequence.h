// The install sequence, with two faces: the install page (texts, progress, message boxes) and the
// unattended install (the setup log only). Both run exactly these steps: check the system and the
// connection, predict the new printer's name, run the driver install, find the printer it created,
// make that the default printer and tell every program; then, after a success, the device records
// and the helper service's one run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/install_result_core.h"
#include "core/setup_settings.h"
#include "device/device_records_writer.h"
#include "install/install_record.h"
#include "install/printer_queue.h"
#include "install/protected_print_core.h"
#include "package/inf_model_core.h"
#include "win/machine_core.h"

// The helper program's file name and the service it runs as.
extern const wchar_t kHelperFileName[];     // "PHelper.exe"
extern const wchar_t kHelperServiceName[];  // "Printer Helper"

// What the sequence tells the person as it goes. The install page shows it; the unattended
// install has no one to show it to.
class IInstallReporter {
 public:
  virtual ~IInstallReporter() = default;
  // Owner of the message boxes the steps show; null when there is no window.
  virtual HWND MessageOwner() const = 0;
  // A step begins: its text, and how many of the progress bar's 100 steps it stands for.
  virtual void ReportStep(const std::wstring& text, int steps) = 0;
  // The lines naming what is installed: hidden while the connection is checked, then shown.
  virtual void HideTarget() = 0;
  virtual void ShowTarget(const std::wstring& name, const std::wstring& port, const std::wstring& model) = 0;
  // The printer the driver install created, under the name the spooler gave it.
  virtual void ShowInstalledPrinter(const std::wstring& name) = 0;
  // The new printer has been looked for: the progress runs to its end, the page is repainted.
  virtual void CompleteProgress() = 0;
};

// How this process runs the sequence; fixed for the process.
struct InstallContext {
  // Major version of the NT-family system; 0 on any other platform.
  unsigned int osMajorVersion = 0;
  // The folder of the package INF (the program's own).
  std::wstring packageDirectory;
  // Nobody is there: the system's installer is asked to show nothing (/q), its window is hidden.
  bool unattended = false;
  // How long the driver command may run before it is ended (INFINITE: as long as it takes, for a
  // person who sees what it asks).
  DWORD driverTimeoutMs = INFINITE;
  // Make the new printer the default printer (/nodefault leaves every default printer as it is).
  bool setDefault = true;
  // The run is the local system account (a deployment tool's): its own default printer is nobody's.
  bool systemAccount = false;
  // An update may put an older package's driver over a newer one (/force).
  bool allowDowngrade = false;
  // The machine Windows runs on (how it was found, for the log) and its version: the package must
  // bring models for them.
  Machine machine = Machine::kX86;
  std::wstring machineHow;
  WindowsVersion windowsVersion;
  // Windows protected print mode: no third-party driver can be installed.
  ProtectedPrintMode protectedPrint;
};

// Before anything is touched: a system whose print stack refuses every third-party driver
// (protected print mode: kProtectedPrintMode), and a package without models for this machine's
// architecture and version (kNoDriverForMachine), are told now rather than as an unknown failure of
// the driver command. kSuccess when the install may go on.
InstallResult CheckSystemAndPackage(const CPackageSettings& package, const InstallContext& context);

// The text the person reads for `result`; empty for a result without one.
std::wstring MessageTextForResult(InstallResult result, const InstallContext& context);

// What one run of the sequence learns. The lists are filled afresh by each run.
struct InstallRun {
  std::vector<std::wstring> printersBefore;
  std::vector<std::wstring> printersAfter;
  // The printer this run created; empty until it has been found.
  std::wstring installedPrinter;
};

// Installs the driver and the printer queue for the run's printer on the chosen connection and
// makes it the default printer. A USB install whose detection found no port takes the port of the
// first printer of the series listed now, and keeps it in `choice`.
InstallResult InstallPrinter(const CPackageSettings& package, CRunChoice& choice, const InstallContext& context,
                             IInstallReporter& reporter, InstallRun& run);

// What the helper step wrote, for the record of the install.
struct HelperOutcome {
  DeviceRecordsWritten records;
  std::wstring helperProgram;  // the helper program's full path; empty when it was not written
  bool ran = false;
};

// After a successful install: writes the device records, the helper program, and runs it once as
// the service `serviceName`. Returns nonzero when the helper ran; when it did not, the person has
// been told why (the printer works all the same). `outcome`, when given, receives what was written.
int InstallHelperService(const CPackageSettings& package, const CRunChoice& choice, IInstallReporter& reporter,
                         const std::wstring& helperFile, const std::wstring& serviceName,
                         HelperOutcome* outcome = nullptr);

// A queue an earlier install of ours made under `name` (the name the run would give it, before any
// copy suffix) that is still ours: the record names it, and it still uses the package's driver.
// Then the run updates it instead of adding a copy. False otherwise (also when the name is another
// maker's printer, which keeps today's rule: a name with the copy suffix).
bool FindOurInstalledQueue(const CPackageSettings& package, const std::wstring& name, InstalledQueue& recorded,
                           PrinterQueue& now);

// Updates that queue: the driver installed again from the package (a newer package brings a newer
// driver; an older one is refused unless the context allows it), the queue pointed at the port
// detection found now (a printer moved to another socket works again), its name and settings kept,
// and made the default printer. `run.installedPrinter` names the queue afterwards.
InstallResult UpdatePrinter(const CPackageSettings& package, CRunChoice& choice, const InstallContext& context,
                            IInstallReporter& reporter, const InstalledQueue& recorded, const PrinterQueue& now,
                            InstallRun& run);

// The session is ending while the install runs: the helper service must not stay registered.
void EndInstallForSessionEnd();

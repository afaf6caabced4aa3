#include "shell/unattended_install.h"

#include <windows.h>

#include <memory>

#include "core/detection_run.h"
#include "core/installed_printers.h"
#include "res/resource.h"
#include "win/app.h"
#include "win/handles.h"
#include "win/newer_apis.h"
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

// The class of the unattended run's hidden window; tests find the window by it.
const wchar_t kSessionWatchClass[] = L"KQSetup.SessionWatch";

// A hidden top-level window on a thread of its own, for as long as the unattended run lasts:
// Windows tells only top-level windows (not message-only ones) that the session ends, and the run
// itself has none. Like the wizard, it asks the session to wait while the install runs; when the
// session ends all the same, the helper service is removed before it answers, so that it does not
// start at every boot, and the log gets its last line.
class CSessionEndWatch {
 public:
  // The window comes up while the run goes on. Not before the spooler's first call has returned:
  // under Wine, a first window on one thread while the spooler starts on another (it loads the
  // display driver too) can hang both.
  CSessionEndWatch() {
    m_stop = std::make_shared<win::ScopedHandle>(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!*m_stop) return;
    // The thread shares the stop event: should it outlive the wait below (a window that takes
    // more than ten seconds to come up), it holds nothing of this object.
    auto* threadStop = new std::shared_ptr<win::ScopedHandle>(m_stop);
    m_thread.Reset(::CreateThread(nullptr, 0, &CSessionEndWatch::Run, threadStop, 0, nullptr));
    if (!m_thread) delete threadStop;
  }
  ~CSessionEndWatch() {
    if (!m_thread) return;
    ::SetEvent(m_stop->Get());
    ::WaitForSingleObject(m_thread.Get(), 10000);
  }
  CSessionEndWatch(const CSessionEndWatch&) = delete;
  CSessionEndWatch& operator=(const CSessionEndWatch&) = delete;

 private:
  static DWORD WINAPI Run(void* stopEvent) {
    const std::unique_ptr<std::shared_ptr<win::ScopedHandle>> stopOwner(
        static_cast<std::shared_ptr<win::ScopedHandle>*>(stopEvent));
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &CSessionEndWatch::WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kSessionWatchClass;
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, kSessionWatchClass, L"KQSetup", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
    if (window == nullptr) {
      win::Log(L"unattended: no window for the session's end, error %d", ::GetLastError());
      return 0;
    }
    win::SetShutdownBlockReason(window, win::LoadStringResource(IDS_SHUTDOWN_REASON));
    // Messages until the run ends.
    HANDLE stop = (*stopOwner)->Get();
    while (::MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    win::ClearShutdownBlockReason(window);
    ::DestroyWindow(window);
    return 0;
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
      switch (message) {
        case WM_QUERYENDSESSION:
          // Ended now, the install could be left half done.
          win::Log(L"the session asks to end: refused, the unattended install is running");
          return FALSE;
        case WM_ENDSESSION:
          if (wParam != FALSE) {
            win::Log(L"the session ends while the unattended install runs");
            EndInstallForSessionEnd();
            win::CloseSetupLog(kExitInstallFailed);
          }
          return 0;
        default:
          break;
      }
    } catch (...) {
      // Nothing may unwind into the system; the process ends with the session anyway.
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  std::shared_ptr<win::ScopedHandle> m_stop;
  win::ScopedHandle m_thread;
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

  // A queue an earlier run of ours installed under this name is updated, not copied: a re-push, a
  // repair, a newer package, a printer moved to another socket.
  InstallRun run;
  InstalledQueue recorded;
  PrinterQueue existing;
  const bool update = FindOurInstalledQueue(settings, settings.g_strPrinterName, recorded, existing);
  const InstallResult result = update ? UpdatePrinter(settings, settings, context, reporter, recorded, existing, run)
                                      : InstallPrinter(settings, settings, context, reporter, run);
  win::Log(L"%s result %d: %s", update ? L"update" : L"install", static_cast<int>(result), DescribeResult(result));
  if (result == InstallResult::kSuccess && run.installedPrinter.empty()) {
    // The list grew, but by a printer that is not ours (one Windows discovered meanwhile, say):
    // nothing of ours was installed, and a deployment tool must not count it as done.
    win::Log(L"unattended: no new printer carries the name \"%s\": nothing of ours was installed",
             settings.g_strPrinterName);
    return kExitInstallFailed;
  }
  if (result == InstallResult::kSuccess) {
    // From here on the run changes what must not be left half done (the helper service registered
    // to start at every boot): the session's end must reach it. The window comes up meanwhile, on
    // its own thread (under Wine a first window costs a tenth of a second and more).
    CSessionEndWatch sessionWatch;
    HelperOutcome helper;
    InstallHelperService(settings, settings, reporter, kHelperFileName, kHelperServiceName, &helper);
    const std::wstring port = settings.g_ePortType == Connection::kLpt ? std::wstring(L"LPT1:") : settings.g_strPortName;
    RecordInstalledPrinter(settings, settings, run.installedPrinter, port, helper, update ? &recorded : nullptr);
  } else {
    // What the install page would have shown.
    const std::wstring message = MessageTextForResult(result, context);
    if (!message.empty()) win::Log(L"the wizard's message: %s", message);
  }
  return ExitCodeForResult(result);
}

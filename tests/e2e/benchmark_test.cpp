// Start-up measurements for tools/benchmark.sh (not part of the test run): time from process start
// to the first page painted, against the minimal dialog program, in the same run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "e2e/e2e_common.h"
#include "e2e/spooler_state.h"
#include "support/printui_log.h"
#include "support/seed_records.h"

namespace e2e {
namespace {

double MedianStartUpMs(const std::wstring& exe, const std::wstring& caption, int runs) {
  std::vector<double> samples;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER frequency, start, shown;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    WizardProcess process;
    if (!process.Start(exe)) return -1;
    if (process.WaitForFrame(30000) == nullptr) return -1;
    if (!caption.empty() && !process.WaitForCaption(caption, 10000)) return -1;
    // Painted: the frame's thread has worked through its queue, paint messages included.
    MessageRoundTripMs(process.Frame(), 10000);
    ::QueryPerformanceCounter(&shown);
    samples.push_back(1000.0 * static_cast<double>(shown.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart));
    ::PostMessageW(process.Frame(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    process.WaitForExit(10000);
  }
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

TEST(DISABLED_Benchmark, StartUpToFirstPage) {
  const int runs = 7;
  const std::wstring tools = ProgramFolder() + L"\\..\\wine";
  // Interleaved rounds, so that both see the same machine load.
  std::vector<double> wizard, minimal;
  for (int round = 0; round < 3; ++round) {
    minimal.push_back(MedianStartUpMs(tools + L"\\minimal_dialog.exe", L"", runs));
    wizard.push_back(MedianStartUpMs(ProgramFolder() + L"\\KQSetup.exe", kWelcomeCaption, runs));
  }
  std::sort(wizard.begin(), wizard.end());
  std::sort(minimal.begin(), minimal.end());
  ASSERT_GT(wizard[1], 0);
  ASSERT_GT(minimal[1], 0);
  printf("[ MEASURE  ] start-up to first page: KQSetup %.0f ms, minimal dialog %.0f ms, ratio %.2f\n", wizard[1],
         minimal[1], wizard[1] / minimal[1]);
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The driver-install command alone, as the install runs it (the native rundll32.exe), on a
// printer name of its own; returns its wall time.
double DriverCommandMs() {
  std::wstring line = L"\"" + kqtest::NativeRundll32() + L"\" printui.dll,PrintUIEntry /z /if /b \"KQ bench\" /f \"" +
                      ProgramFolder() + L"\\KQPRINTER.inf\" /r \"USB001\" /m \"KESTROM KQ-80\" /q";
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  LARGE_INTEGER start, end;
  ::QueryPerformanceCounter(&start);
  if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  ::WaitForSingleObject(pi.hProcess, 60000);
  ::QueryPerformanceCounter(&end);
  ::CloseHandle(pi.hProcess);
  ::CloseHandle(pi.hThread);
  return Milliseconds(start, end);
}

// The unattended USB install from start to exit; -1 when it did not end with 0.
double UnattendedInstallMs() {
  LARGE_INTEGER start, end;
  ::QueryPerformanceCounter(&start);
  WizardProcess setup;
  if (!setup.Start(ProgramFolder() + L"\\KQSetup.exe", {}, L"/S") || !setup.WaitForExit(120000)) return -1;
  ::QueryPerformanceCounter(&end);
  return setup.ExitCode() == 0 ? Milliseconds(start, end) : -1;
}

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

// What the unattended install adds to the two things it must wait for: the driver command and the
// helper service's two one-second pauses. Interleaved runs, so that both see the same machine load.
TEST(DISABLED_Benchmark, UnattendedInstallAgainstItsCommandAndTheHelper) {
  ASSERT_TRUE(kqseed::RunningUnderWine());
  const int runs = 5;
  std::vector<double> installs, commands;
  for (int i = 0; i < runs; ++i) {
    DeleteAllPrinters();
    kqseed::ClearSeededRecords();
    kqseed::ClearPrinterClassRecords();
    ASSERT_TRUE(kqseed::SeedUsbPrinter());
    installs.push_back(UnattendedInstallMs());
    DeleteAllPrinters();
    commands.push_back(DriverCommandMs());
    ASSERT_GT(installs.back(), 0) << "run " << i;
    ASSERT_GT(commands.back(), 0) << "run " << i;
  }
  DeleteAllPrinters();
  kqseed::ClearSeededRecords();
  kqseed::ClearPrinterClassRecords();
  const double install = Median(installs), command = Median(commands);
  const double floor = command + 2000;
  printf("[ MEASURE  ] unattended USB install, start to exit: %.0f ms; driver command alone %.0f ms + the helper's "
         "2000 ms = %.0f ms; beyond those: %.0f ms (ratio %.2f, medians of %d interleaved runs)\n",
         install, command, floor, install - floor, install / floor, runs);
}

}  // namespace
}  // namespace e2e

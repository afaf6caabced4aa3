// Start-up measurements for tools/benchmark.sh (not part of the test run): time from process start
// to the first page painted, against the minimal dialog program, in the same run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "e2e/e2e_common.h"

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

}  // namespace
}  // namespace e2e

// Shared pieces of the end-to-end scenarios.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "e2e/driver.h"
#include "res/resource.h"
#include "support/seed_records.h"

namespace e2e {

const std::wstring kWelcomeCaption = L"安装向导 - 欢迎使用凯朗打印机驱动安装程序";
const std::wstring kCableCaption = L"安装向导 - 请连接打印机和电脑";
const std::wstring kDetectCaption = L"安装向导 - 请连接打印机和电脑";
const std::wstring kInstallingCaption = L"安装向导 - 正在安装驱动程序";
const std::wstring kInstallDoneCaption = L"安装向导 - 安装完成";
const std::wstring kNotDetected = L"没有检测到打印机！";
const std::wstring kDetected = L"检测到打印机设备：";

struct ButtonStates {
  bool back, next, cancel, finish;
};

inline ButtonStates ReadButtons(const WizardProcess& wizard) {
  return {IsEnabled(wizard.Button(IDC_BACK)), IsEnabled(wizard.Button(IDC_NEXT)), IsEnabled(wizard.Button(IDCANCEL)),
          IsEnabled(wizard.Button(IDC_FINISH))};
}

inline ::testing::AssertionResult ButtonsAre(const WizardProcess& wizard, ButtonStates want) {
  ButtonStates got = ReadButtons(wizard);
  if (got.back == want.back && got.next == want.next && got.cancel == want.cancel && got.finish == want.finish) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "buttons back/next/cancel/finish are " << got.back << got.next << got.cancel
                                       << got.finish << ", want " << want.back << want.next << want.cancel
                                       << want.finish;
}

// Whether `state` holds once the wizard's UI thread is between handlers. A handler passes through
// states that only it can see: after the last page, the frame enables Finish a moment before it
// sets Back for the page's result. A message round trip is answered only when the handler that runs
// has returned (or pumps, which a handler does only between finished steps), so a state still seen
// after one is where the wizard rests.
template <typename State>
bool SettledIn(const WizardProcess& wizard, const State& state) {
  if (!state()) return false;
  MessageRoundTripMs(wizard.Frame(), 10000);
  return state();
}

// The frame sets its buttons after the page's own hooks have run, so states are waited for.
inline ::testing::AssertionResult WaitForButtons(const WizardProcess& wizard, ButtonStates want, DWORD timeoutMs = 5000) {
  WaitUntil([&] { return SettledIn(wizard, [&] { return static_cast<bool>(ButtonsAre(wizard, want)); }); }, timeoutMs);
  return ButtonsAre(wizard, want);
}

// Waits until a detection run on the detection page has ended: the status shows one of its final
// texts, and the frame's buttons and the page are usable again (the page is shown a moment before
// the run disables it, and the run ends inside the frame's handler).
inline bool WaitForDetectionEnd(const WizardProcess& wizard, DWORD timeoutMs = 15000) {
  auto ended = [&] {
    HWND status = wizard.PageControl(IDC_DETECT_STATUS);
    if (status == nullptr) return false;
    const std::wstring text = TextOf(status);
    return (text == kNotDetected || text == kDetected) && IsEnabled(wizard.Button(IDC_NEXT)) &&
           IsEnabled(wizard.Button(IDCANCEL)) && IsEnabled(wizard.VisiblePage());
  };
  return WaitUntil([&] { return SettledIn(wizard, ended); }, timeoutMs);
}

// The scenarios delete the printers and the printer device records of the machine they run on:
// they refuse to run anywhere but in a Wine prefix.
#define KQ_REQUIRE_WINE()                                                                                  \
  ASSERT_TRUE(kqseed::RunningUnderWine())                                                                  \
      << "refusing to run outside Wine: this scenario deletes the machine's printers and printer records"

inline std::string Utf8(const std::wstring& text) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

inline std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

}  // namespace e2e

// The detection run on a plain state value with a reporter of its own: no page, no global.
#include "core/detection_run.h"

#include <gtest/gtest.h>

#include "device/usb_printer.h"
#include "support/redirected_hklm.h"
#include "support/seed_records.h"

namespace {

class CountingReporter : public IDetectionReporter {
 public:
  void WaitForUsb(int round) override {
    rounds.push_back(round);
    ::Sleep(100);
  }
  std::vector<int> rounds;
};

class DetectionRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_hklm.IsActive());
    m_settings.AssignFixedValues();
    m_settings.g_strDriverDesc = L"KESTROM KQ-80";
  }
  void TearDown() override { ResetUsbEnumerationForTesting(); }

  kqtest::RedirectedHklm m_hklm{L"DetectionRun"};
  CSetupSettings m_settings;
  CountingReporter m_reporter;
};

// Identified at once; and when it is unplugged afterwards (another maker's printer staying), the
// next run keeps nothing of it: no port for an install to go onto, no model.
TEST_F(DetectionRunTest, AnAttachedPrinterIsIdentifiedAtOnceAndForgottenWhenUnplugged) {
  ASSERT_TRUE(kqseed::SeedUsbPrinter());
  const DetectionOutcome outcome = RunDetection(m_settings, m_settings, m_reporter);
  EXPECT_TRUE(outcome.identified);
  EXPECT_TRUE(m_reporter.rounds.empty()) << "no waiting when the printer is there";
  EXPECT_EQ(L"KQ-80", m_settings.g_strPrinterName);
  EXPECT_EQ(L"USB001", m_settings.g_strPortName);
  EXPECT_EQ(L"KESTROM KQ-80", m_settings.g_strModelDesc);

  ASSERT_TRUE(kqseed::ClearSeededRecords());
  kqseed::UsbPrinterSeed other;
  other.portDescription = L"ACME LASER JET P1000";
  other.hardwareId = L"USBPRINT\\AcmeLaser_Jet_P10009D2F";
  other.instancePath = L"USB\\VID_1234&PID_5678\\ACME0001";
  other.portNumber = 3;
  ASSERT_TRUE(kqseed::SeedUsbPrinter(other));
  EXPECT_FALSE(RunDetection(m_settings, m_settings, m_reporter).identified);
  EXPECT_TRUE(m_settings.g_strPortName.empty());
  EXPECT_TRUE(m_settings.g_strModelDesc.empty());
  EXPECT_EQ(L"", FindSeriesUsbPort());
}

// Three seconds of watching, told to the reporter round by round, then the parallel port: its one
// printer of the brand names the proposal; with none, the INF's model does.
TEST_F(DetectionRunTest, WithoutAUsbPrinterTheParallelPortOrTheInfNamesIt) {
  kqseed::LptPrinterSeed seed;
  seed.deviceName = L"KESTROMKQ-58_3E1A";
  ASSERT_TRUE(kqseed::SeedLptPrinter(seed));
  const DetectionOutcome outcome = RunDetection(m_settings, m_settings, m_reporter);
  EXPECT_FALSE(outcome.identified);
  EXPECT_EQ(1, outcome.lptPrinters);
  EXPECT_EQ(L"KQ-58", m_settings.g_strPrinterName);
  ASSERT_GE(m_reporter.rounds.size(), 11u);
  for (size_t i = 0; i < m_reporter.rounds.size(); ++i) EXPECT_EQ(static_cast<int>(i % 11), m_reporter.rounds[i]);

  ASSERT_TRUE(kqseed::ClearSeededRecords());
  EXPECT_EQ(0, RunDetection(m_settings, m_settings, m_reporter).lptPrinters);
  EXPECT_EQ(L"KESTROM KQ-80", m_settings.g_strPrinterName);
}

}  // namespace

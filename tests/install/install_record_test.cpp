// The record of what was installed and the entry in Programs and Features, against a redirected
// HKEY_LOCAL_MACHINE.
#include "install/install_record.h"

#include <gtest/gtest.h>

#include "install/uninstall_entry.h"
#include "support/redirected_hklm.h"
#include "tests/device/device_test_support.h"

namespace {

class InstallRecordTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_hklm.IsActive()); }
  static InstalledQueue Queue(const std::wstring& name, const std::wstring& port) {
    InstalledQueue queue;
    queue.name = name;
    queue.port = port;
    queue.connection = L"USB";
    queue.driver = L"KESTROM KQ-80";
    queue.provider = L"KESTROM";
    queue.driverVersion = L"2026-10-01,1.0.0.0";
    queue.installed = RecordTimeNow();
    queue.driverKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}\\0000";
    return queue;
  }
  kqtest::RedirectedHklm m_hklm{L"InstallRecord"};
};

TEST_F(InstallRecordTest, QueuesAreAddedReplacedByNameAndForgotten) {
  InstallRecord record;
  EXPECT_FALSE(ReadInstallRecord(record));
  ASSERT_TRUE(SaveInstalledQueue(Queue(L"KQ-80", L"USB001")));
  ASSERT_TRUE(SaveInstalledQueue(Queue(L"前台 打印机", L"LPT1:")));
  ASSERT_TRUE(SaveInstallFiles(L"C:\\Program Files\\Common Files\\Services\\PHelper.exe",
                               L"C:\\Program Files\\Common Files\\KESTROM\\KQSetup.exe"));
  // The same name again (another letter case) replaces its entry: an update, not a second queue.
  ASSERT_TRUE(SaveInstalledQueue(Queue(L"kq-80", L"USB002")));
  ASSERT_TRUE(ReadInstallRecord(record));
  ASSERT_EQ(2u, record.queues.size());
  EXPECT_EQ(L"C:\\Program Files\\Common Files\\KESTROM\\KQSetup.exe", record.programCopy);
  const InstalledQueue* usb = nullptr;
  for (const InstalledQueue& queue : record.queues) {
    if (queue.connection == L"USB" && queue.port == L"USB002") usb = &queue;
  }
  ASSERT_NE(nullptr, usb);
  EXPECT_EQ(L"kq-80", usb->name);
  EXPECT_EQ(L"KESTROM", usb->provider);
  EXPECT_EQ(L"2026-10-01,1.0.0.0", usb->driverVersion);
  EXPECT_EQ(19u, usb->installed.size());

  ASSERT_TRUE(ForgetInstalledQueue(usb->key));
  ASSERT_TRUE(ReadInstallRecord(record));
  ASSERT_EQ(1u, record.queues.size());
  EXPECT_EQ(L"LPT1:", record.queues[0].port);
  ASSERT_TRUE(DeleteInstallRecord());
  EXPECT_FALSE(ReadInstallRecord(record));
  EXPECT_FALSE(devicetest::KeyExists(L"SOFTWARE\\KESTROM")) << "the maker's key goes when nothing else is in it";
}

TEST_F(InstallRecordTest, TheProgramsAndFeaturesEntryRunsTheCopyQuoted) {
  UninstallEntry entry;
  entry.displayName = L"KQ 系列打印机驱动程序";
  entry.displayVersion = L"1.0.0.0";
  entry.publisher = L"KESTROM";
  entry.installDate = L"20261209";
  entry.estimatedSizeKb = 1500;
  entry.programCopy = L"C:\\Program Files\\Common Files\\KESTROM\\KQSetup.exe";
  ASSERT_TRUE(WriteUninstallEntry(entry));
  const std::wstring key = kUninstallEntryKey;
  EXPECT_EQ(L"\"C:\\Program Files\\Common Files\\KESTROM\\KQSetup.exe\" /uninstall",
            devicetest::ReadText(key, L"UninstallString"));
  EXPECT_EQ(L"\"C:\\Program Files\\Common Files\\KESTROM\\KQSetup.exe\" /uninstall /S",
            devicetest::ReadText(key, L"QuietUninstallString"));
  EXPECT_EQ(1, devicetest::ReadNumber(key, L"NoModify"));
  EXPECT_EQ(1, devicetest::ReadNumber(key, L"NoRepair"));
  EXPECT_EQ(1500, devicetest::ReadNumber(key, L"EstimatedSize"));
  std::wstring version;
  ASSERT_TRUE(ReadUninstallEntryVersion(version));
  EXPECT_EQ(L"1.0.0.0", version);
  ASSERT_TRUE(DeleteUninstallEntry());
  EXPECT_FALSE(ReadUninstallEntryVersion(version));
}

}  // namespace

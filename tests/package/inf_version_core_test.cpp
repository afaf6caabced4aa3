#include "package/inf_version_core.h"

#include <gtest/gtest.h>

namespace {

TEST(DriverVer, ReadFromTheVersionSectionOnly) {
  const DriverVersion v = ReadDriverVer(
      L"[Strings]\r\nDriverVer=01/01/2000,9.9.9.9\r\n"
      L"[ version ] ; the section\r\nSignature=\"$Windows NT$\"\r\n  driverver = 10/01/2026 , 1.2.0.7 ; ours\r\n"
      L"[Other]\r\nDriverVer=02/02/2030,8.0.0.0\r\n");
  ASSERT_TRUE(v.valid);
  EXPECT_EQ(L"2026-10-01", v.date);
  EXPECT_EQ(L"1.2.0.7", v.VersionText());
  EXPECT_EQ(L"2026-10-01,1.2.0.7", StoredDriverVersion(v));
}

TEST(DriverVer, MissingOrBrokenIsNotValid) {
  EXPECT_FALSE(ReadDriverVer(L"").valid);
  EXPECT_FALSE(ReadDriverVer(L"[Version]\nSignature=\"$Windows NT$\"\n").valid);
  EXPECT_FALSE(ReadDriverVer(L"[Version]\nDriverVer=13/01/2026,1.0\n").valid);
  EXPECT_FALSE(ReadDriverVer(L"[Version]\nDriverVer=10/01/2026,1.0.0.0.0\n").valid);
  EXPECT_FALSE(ReadDriverVer(L"[Version]\nDriverVer=10/01/2026,1.x\n").valid);
  EXPECT_FALSE(ReadDriverVer(L"[Version]\nDriverVer=10/01/2026,1.1234567890\n").valid);
  // A date alone is a version of 0.0.0.0.
  const DriverVersion dateOnly = ReadDriverVer(L"[Version]\nDriverVer=1/2/2026\n");
  ASSERT_TRUE(dateOnly.valid);
  EXPECT_EQ(L"2026-01-02", dateOnly.date);
  EXPECT_EQ(L"0.0.0.0", dateOnly.VersionText());
}

TEST(DriverVer, NewerByVersionThenByDateAndStoredFormReadsBack) {
  const DriverVersion old = ReadDriverVer(L"[Version]\nDriverVer=10/01/2026,1.0.0.0\n");
  const DriverVersion patch = ReadDriverVer(L"[Version]\nDriverVer=09/01/2026,1.0.0.10\n");
  const DriverVersion later = ReadDriverVer(L"[Version]\nDriverVer=11/01/2026,1.0.0.0\n");
  EXPECT_LT(CompareDriverVersions(old, patch), 0) << "1.0.0.10 is newer than 1.0.0.0, whatever the date";
  EXPECT_GT(CompareDriverVersions(patch, later), 0);
  EXPECT_LT(CompareDriverVersions(old, later), 0) << "same version, later date";
  EXPECT_EQ(0, CompareDriverVersions(old, ParseStoredDriverVersion(StoredDriverVersion(old))));
  EXPECT_FALSE(ParseStoredDriverVersion(L"").valid);
  EXPECT_FALSE(ParseStoredDriverVersion(L"1.0.0.0").valid);
  EXPECT_FALSE(ParseStoredDriverVersion(L"2026-1x-01,1.0.0.0").valid);
}

}  // namespace

// The driver package's version, as its INF states it in the [Version] section:
//   DriverVer = mm/dd/yyyy[,w.x.y.z]
// It is what Programs and Features shows as the installed version, and what tells a newer package
// from an older one. No Windows header, so the host build and the fuzzers cover it.
#pragma once

#include <string>

struct DriverVersion {
  bool valid = false;
  // The date as "yyyy-mm-dd", for the log and for comparing.
  std::wstring date;
  // The four parts of the version; all 0 when the INF gives none.
  unsigned long parts[4] = {0, 0, 0, 0};

  // "w.x.y.z" (the date when the INF gives no version).
  std::wstring VersionText() const;
};

// The DriverVer of the [Version] section (any letter case, the last one when several); not valid
// when there is none or it cannot be read. Comments after a semicolon and blanks are ignored.
DriverVersion ReadDriverVer(const std::wstring& infText);

// Below 0 when `a` is older than `b`, 0 when equal, above 0 when newer: by the version's parts, then
// by the date, as Windows ranks drivers of one model.
int CompareDriverVersions(const DriverVersion& a, const DriverVersion& b);

// The version as stored ("1.2.0.7" or "yyyy-mm-dd,1.2.0.7") read back; not valid when unreadable.
DriverVersion ParseStoredDriverVersion(const std::wstring& stored);
// The form ParseStoredDriverVersion reads: "yyyy-mm-dd,w.x.y.z".
std::wstring StoredDriverVersion(const DriverVersion& version);

// The record of what the program installed, kept under a key of its own in HKLM\SOFTWARE: each
// printer queue with its port, connection, driver, the driver package's version and the time, the
// device records written for it, and where the helper program and the program's own copy went.
// Update and removal read it: nothing is changed or removed that it does not name.
#pragma once

#include <string>
#include <vector>

// "SOFTWARE\KESTROM\KQSetup", in the 32-bit registry view of 64-bit Windows (this program's own).
extern const wchar_t kInstallRecordKey[];

struct InstalledQueue {
  std::wstring key;         // the record's subkey ("1", "2" ...); empty for one not yet recorded
  std::wstring name;        // the queue's name when it was installed
  std::wstring port;        // "USB001", "LPT1:"
  std::wstring connection;  // "USB" or "LPT"
  std::wstring driver;      // the driver's model name
  std::wstring provider;    // the driver's provider, as the driver subkey names it
  std::wstring driverVersion;  // the package's DriverVer, as StoredDriverVersion writes it
  std::wstring installed;   // local time, "yyyy-mm-dd hh:mm:ss"
  std::wstring driverKey;   // the printer class's driver subkey written, below HKLM; may be empty
  std::wstring deviceKey;   // the device key the side values pointed at, below HKLM; may be empty
};

struct InstallRecord {
  std::vector<InstalledQueue> queues;
  std::wstring helperProgram;  // the helper program's full path
  std::wstring programCopy;    // the program's own copy, which removal runs from
};

// The record; false when there is none.
bool ReadInstallRecord(InstallRecord& record);

// Adds `queue` to the record, or replaces the entry of the same key (or, without a key, of the same
// name); false when it cannot be written.
bool SaveInstalledQueue(InstalledQueue queue);
bool SaveInstallFiles(const std::wstring& helperProgram, const std::wstring& programCopy);

// Removes one queue's entry.
bool ForgetInstalledQueue(const std::wstring& key);
// Removes the whole record.
bool DeleteInstallRecord();

// The local time as the record keeps it.
std::wstring RecordTimeNow();

// The life of a printer after its first day: what an install keeps of itself (a record of each
// queue and the files, an entry in Programs and Features, a copy of the program that removes it
// all), and the removal, which takes away exactly what the record names and is still ours.
#pragma once

#include <string>
#include <vector>

#include "core/install_result_core.h"
#include "core/install_sequence.h"
#include "core/setup_settings.h"

// After a successful install or update of the queue `queueName` on `port`: the record of it (under
// the key of `previous` when an update found one), the program's copy, the files, and the entry
// in Programs and Features with the package's version.
void RecordInstalledPrinter(const CPackageSettings& package, const CRunChoice& choice, const std::wstring& queueName,
                            const std::wstring& port, const HelperOutcome& helper,
                            const InstalledQueue* previous = nullptr);

// The queues the record names (with `onlyName`, only the one of that name), for the confirmation.
std::vector<std::wstring> InstalledQueueNames(const std::wstring& onlyName);

enum class UninstallResult {
  kRemoved,            // everything the record named is gone
  kNothingInstalled,   // nothing of ours is installed (or no queue of that name)
  kIncomplete,         // something could not be removed (the log says what); the rest is gone
};

const wchar_t* DescribeUninstall(UninstallResult result);
ExitCode ExitCodeForUninstall(UninstallResult result);

// Removes the recorded queues (all, or only the one named `onlyName`), each driver no queue uses
// any more, the device records written for them, and once no queue is left: a helper service of
// ours if one was left, the helper program, the default-printer step for new logons, the entry in
// Programs and Features, the record and the program's copy (at the next restart when it is the
// running program). Another maker's printers and drivers, and queues that use another driver, are
// never touched.
// `machine`: the machine Windows runs on, whose drivers the install put in place.
UninstallResult UninstallPrinters(const std::wstring& onlyName, const std::wstring& helperServiceName, Machine machine);

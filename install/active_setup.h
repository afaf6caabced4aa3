// Making a new printer the default printer of every user of the PC, not only of the account that
// runs the install: deployment tools run it as the local system account, whose default printer is
// nobody's. Windows' Active Setup runs a per-user step once at each user's next logon; a later
// install raises the version, so that the step runs again.
#pragma once

#include <string>

// The component's key below HKLM (and below each user's HKCU once the step has run for them).
extern const wchar_t kDefaultPrinterActiveSetupKey[];

// Registers the per-user step that makes `printerName` the default printer. `currentUserDone`:
// the account that runs the install already has it as its default, so the step is marked done
// for it. Returns the step's command (StubPath); empty when the entry could not be written.
std::wstring RegisterDefaultPrinterForEveryUser(const std::wstring& printerName, bool currentUserDone);

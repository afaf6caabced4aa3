// Windows protected print mode (Windows 11 24H2 and later): the system then prints only through
// its own print stack and refuses every third-party printer driver, so a driver install fails with
// ERROR_PRINTER_DRIVER_BLOCKED (3014). What the two registry values that turn it on mean. No
// Windows header.
//
// Both values live under HKLM\SOFTWARE\Policies\Microsoft\Windows NT\Printers\WPP, as REG_DWORD:
// - WindowsProtectedPrintGroupPolicyState: the policy "Configure Windows protected print"
//   (Printing.admx, Computer Configuration > Administrative Templates > Printers; Intune
//   ./Device/Vendor/MSFT/Policy/Config/Printers/ConfigureWindowsProtectedPrint). Microsoft's
//   "Policy CSP - Printers" names this key and value (learn.microsoft.com/windows/client-management/
//   mdm/policy-csp-printers#configurewindowsprotectedprint): enabled, the computer runs in Windows
//   protected print mode; disabled or not configured, there are no restrictions on the print drivers
//   that can be installed. As every policy without values of its own, enabled is stored as 1 and
//   disabled as 0.
// - WindowsProtectedPrintMode: where the switch in Settings > Bluetooth & devices > Printers &
//   scanners > Windows protected print mode keeps its state, beside the policy, 1 when on
//   ("Windows protected print mode", learn.microsoft.com/windows-hardware/drivers/print/
//   windows-protected-print-mode, describes the switch and that a policy overrules it; Microsoft
//   does not document the value's name, which is the one the switch writes).
// Any other number than 0 counts as on, as Windows reads its policy values; a value of another type
// counts as not set.
#pragma once

#include <string>

extern const wchar_t kWppKey[];           // SOFTWARE\Policies\Microsoft\Windows NT\Printers\WPP
extern const wchar_t kWppPolicyValue[];   // WindowsProtectedPrintGroupPolicyState
extern const wchar_t kWppSettingValue[];  // WindowsProtectedPrintMode

// What reading one REG_DWORD value gave.
struct RegistryDword {
  enum class State { kMissing, kNumber, kOtherType, kUnreadable };
  State state = State::kMissing;
  // kNumber: the number; kOtherType: the registry type found; kUnreadable: the system's error.
  unsigned long value = 0;
};

struct ProtectedPrintMode {
  bool on = false;
  // For the setup log: which value decided, and what it holds.
  std::wstring reason;
};

// The policy decides when it is set: on when enabled, off when disabled (the Settings switch is
// then not the person's to turn, and the policy says there are no restrictions). Without the
// policy, the Settings switch decides. A key or value that cannot be read is taken as off: the
// system's installer still refuses if the mode is on, and the person learns nothing worse than
// today. `where` names the key in the reason ("HKLM\...\WPP (64-bit view)").
ProtectedPrintMode DecideProtectedPrintMode(const RegistryDword& policy, const RegistryDword& setting,
                                            const std::wstring& where);

// The state of a run, as plain values that the faces (the wizard's pages, the unattended install)
// hand to the core: what the driver package says, fixed once start-up has read it, and what was
// chosen for this run. Start-up creates the one record, `CSetupSettings`, that holds both; the
// code below the faces receives the half it needs as a parameter and never reaches for a global.
#pragma once

#include <string>

#include "package/inf_model_core.h"
#include "package/inf_version_core.h"

// How the printer is attached.
enum class Connection { kUsb, kLpt };

// "USB" or "LPT", as the log and the command line name a connection.
const wchar_t* ConnectionName(Connection connection);

// What the package and the brand say: the fixed texts start-up assigns, and what it reads from the
// INF. Constant after start-up.
struct CPackageSettings {
  std::wstring g_strBrandName;
  std::wstring g_strProviderName;
  std::wstring g_strSeriesCode;
  std::wstring g_strPrinterSuffix;
  std::wstring g_strPackageName;
  std::wstring g_strQueryMarker;
  // The driver's model name ("KESTROM KQ-80"), the first model line's description.
  std::wstring g_strDriverDesc;
  std::wstring g_strLptHardwareId;
  std::wstring g_strUsbHardwareId;
  // The package's DriverVer: what Programs and Features shows, and what tells an update from a
  // downgrade.
  DriverVersion g_driverVer;
  // The INF's [Manufacturer] entries and their target decorations: which Windows it serves.
  InfPackageModels g_models;

  // The fixed values that start-up assigns before the INF is read.
  void AssignFixedValues();
  // Whether the package has a model for `connection`: its hardware id is usable.
  bool Supports(Connection connection) const;
};

// What this run has chosen and found: written by detection (the identified printer), by the
// person or the command line (connection and name), and by the install (a port found late).
struct CRunChoice {
  Connection g_ePortType = Connection::kUsb;
  // The base name of the printer to install, always cleaned.
  std::wstring g_strPrinterName;
  // The identified printer's port ("USB001"); empty when detection found none.
  std::wstring g_strPortName;
  // The identified printer's model description.
  std::wstring g_strModelDesc;
  // Model identifications over the USB channel already tried: the printer is asked once a run.
  int g_nModelQueryCount = 0;
};

// The one record start-up creates.
struct CSetupSettings : CPackageSettings, CRunChoice {};

// Fills the package's hardware ids, model and version (g_strUsbHardwareId, g_strLptHardwareId,
// g_strDriverDesc, g_driverVer, and the run's first g_strModelDesc) from `programDirectory`\KQPRINTER.INF.
// Returns false, leaving the settings alone, when that file is missing or unreadable (including
// longer than any INF can be); the caller tells the user.
bool LoadPackageInfInto(CSetupSettings& settings, const std::wstring& programDirectory);

// True when a hardware id marks a connection the package supports: not empty, and its last four
// characters (the whole id when shorter) are not "FFFF" in any letter case.
bool IsSupportedHardwareId(const std::wstring& hardwareId);

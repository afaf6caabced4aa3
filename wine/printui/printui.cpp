// Stand-in for the system's printer-installation entry point under Wine, whose own printui.dll
// knows no /if. rundll32.exe calls PrintUIEntryW with the rest of its command line. It does for
// real, through the spooler, what the system's entry point does for the commands the wizard
// gives, and writes one line per call to a log that the tests read:
//   /if /b NAME /f INF /r PORT /m MODEL   adds the driver MODEL and a printer queue NAME on PORT;
//                                          an existing name (in any letter case) gets " (副本 N)"
//   /ia /m MODEL /f INF                    adds the driver MODEL alone, or replaces it, with the
//                                          date and version of the INF's DriverVer
//   /k /n NAME                             checks that NAME exists (no page is printed)
//   /y /n NAME                             makes NAME the default printer of the user who runs it
// It is built for both architectures and behaves as we expect the system's own copies to: the
// 32-bit one loaded into a 32-bit process on 64-bit Windows (WOW64) would add a driver for
// "Windows NT x86" only, which a queue on that system cannot use, so there /if and /ia add nothing
// and fail. The 64-bit one, and the 32-bit one on 32-bit Windows, install, and refuse as the
// system does:
//   - a package without a models section for their own architecture (the x64 one needs an
//     NTamd64 section, the x86 one an NTx86 or undecorated one): error 1797,
//     ERROR_UNKNOWN_PRINTER_DRIVER, the model being unknown among those the INF offers there;
//   - any driver while Windows protected print mode is on in the world's registry (its native
//     view): error 3014, ERROR_PRINTER_DRIVER_BLOCKED.
// The driver's date and version: the stand-in hands them to AddPrinterDriverExW level 6 as the
// system's installer does, but Wine's spooler does not keep them (GetPrinterDriverW level 6 reads
// dwlDriverVersion 0 and ftDriverDate 0 back; of the level-6 fields it reads only the manufacturer
// and provider, from the driver's key), so the log line of /ia is where they are recorded:
// "added driver "MODEL" 1.0.0.0 of 2026-10-01", or "replaced driver ..." when MODEL was there.
// Environment (inherited from the program that runs rundll32.exe):
//   KQ_PRINTUI_LOG   log file, UTF-8, appended to (default C:\printui.log)
//   KQ_PRINTUI_MODE  "none": create nothing; "rename:OTHER": create the printer as OTHER
//   KQ_PRINTUI_DELAY_MS  /if and /k take this long first, as a real driver install takes seconds
// Log line, TAB-separated: the architecture that served the call ("x64", "x86" or "x86 WOW64"),
// the program as the process was started (the first word of its command line), the host program's
// module path, the outcome, and the command line as received.
#include <windows.h>
#include <winspool.h>

#include <cwchar>
#include <string>
#include <vector>

#include "install/driver_commands_core.h"
#include "install/protected_print_core.h"
#include "package/inf_model_core.h"
#include "package/text_decoder_core.h"

namespace {

const wchar_t kDefaultLog[] = L"C:\\printui.log";
const wchar_t kCopySuffix[] = L" (副本 ";
const wchar_t kWinePsDriver[] = L"wineps.drv";

std::wstring Environment(const wchar_t* name) {
  DWORD n = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (n == 0) return std::wstring();
  std::vector<wchar_t> buffer(n);
  n = ::GetEnvironmentVariableW(name, buffer.data(), n);
  if (n == 0 || n >= buffer.size()) return std::wstring();
  return std::wstring(buffer.data(), n);
}

std::wstring HostProgram() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::wstring();
    if (n < buffer.size() || buffer.size() >= 32768) return std::wstring(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

// The first word of the process's command line, without its quotes: the program as it was named
// by whoever started it (a WOW64 process started as ...\Sysnative\rundll32.exe keeps that here,
// while its module path reads system32).
std::wstring InvokedAs() {
  const std::wstring line = ::GetCommandLineW();
  if (!line.empty() && line[0] == L'"') {
    const size_t end = line.find(L'"', 1);
    return line.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1);
  }
  return line.substr(0, line.find_first_of(L" \t"));
}

bool RunningUnderWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  auto isWow64 = kernel != nullptr ? reinterpret_cast<IsWow64ProcessFn>(
                                         reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")))
                                   : nullptr;
  BOOL wow64 = FALSE;
  return isWow64 != nullptr && isWow64(::GetCurrentProcess(), &wow64) && wow64;
}

std::wstring Architecture() {
  if (sizeof(void*) == 8) return L"x64";
  return RunningUnderWow64() ? L"x86 WOW64" : L"x86";
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

void Log(const std::wstring& outcome, const std::wstring& commandLine) {
  std::wstring path = Environment(L"KQ_PRINTUI_LOG");
  if (path.empty()) path = kDefaultLog;
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string line =
      Utf8(Architecture() + L"\t" + InvokedAs() + L"\t" + HostProgram() + L"\t" + outcome + L"\t" + commandLine) +
      "\r\n";
  DWORD written = 0;
  ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
}

std::wstring ErrorOutcome(const wchar_t* what, DWORD code) {
  return std::wstring(L"error ") + std::to_wstring(code) + L" " + what;
}

std::vector<std::wstring> PrinterNames() {
  std::vector<std::wstring> names;
  DWORD needed = 0;
  DWORD count = 0;
  ::EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
  if (needed == 0) return names;
  std::vector<BYTE> block(needed);
  if (!::EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, block.data(), needed, &needed,
                       &count)) {
    return names;
  }
  const PRINTER_INFO_4W* records = reinterpret_cast<const PRINTER_INFO_4W*>(block.data());
  for (DWORD i = 0; i < count; ++i) {
    if (records[i].pPrinterName != nullptr) names.push_back(records[i].pPrinterName);
  }
  return names;
}

// Printer names are case-insensitive to the spooler (Wine's AddPrinterW would silently replace a
// printer whose name differs only in case), so a clash is checked the same way.
bool NameTaken(const std::vector<std::wstring>& names, const std::wstring& name) {
  for (const std::wstring& existing : names) {
    if (::lstrcmpiW(existing.c_str(), name.c_str()) == 0) return true;
  }
  return false;
}

std::wstring FreePrinterName(const std::wstring& base) {
  const std::vector<std::wstring> names = PrinterNames();
  std::wstring candidate = base;
  for (unsigned counter = 1; NameTaken(names, candidate); ++counter) {
    candidate = base + kCopySuffix + std::to_wstring(counter) + L")";
  }
  return candidate;
}

// The INF's text, as the system's installer reads it: byte-order mark, else the ANSI code page.
class CAnsiCodePage : public IAnsiConverter {
 public:
  int CurrentCodePage() const override { return static_cast<int>(::GetACP()); }
  size_t Convert(int codePage, const char* bytes, size_t count, char16_t* units, size_t capacity) const override {
    if (count == 0 || count > 0x7FFFFFFF || capacity > 0x7FFFFFFF) return 0;
    const int n = ::MultiByteToWideChar(codePage == 0 ? CP_ACP : static_cast<UINT>(codePage), 0, bytes,
                                        static_cast<int>(count), reinterpret_cast<wchar_t*>(units),
                                        units == nullptr ? 0 : static_cast<int>(capacity));
    return n > 0 ? static_cast<size_t>(n) : 0;
  }
};

bool ReadInfText(const std::wstring& path, std::wstring& text, DWORD& error) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = ::GetLastError();
    return false;
  }
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ::ReadFile(file, chunk, sizeof(chunk), &got, nullptr) != FALSE) && got != 0) {
    if (bytes.size() + got > kMaxTextFileBytes) {
      ok = false;
      ::SetLastError(ERROR_FILE_TOO_LARGE);
      break;
    }
    bytes.append(chunk, got);
  }
  error = ::GetLastError();
  ::CloseHandle(file);
  if (!ok) return false;
  const CAnsiCodePage ansi;
  CTextFileDecoder decoder(ansi);
  CMemoryTextFile memory(bytes.data(), bytes.size());
  if (!decoder.ReadFile(memory, 0)) {
    error = ERROR_INVALID_DATA;
    return false;
  }
  text = decoder.GetWideText();
  return true;
}

Machine OwnMachine() { return sizeof(void*) == 8 ? Machine::kX64 : Machine::kX86; }

WindowsVersion SystemVersion() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  WindowsVersion version;
  if (::GetVersionExW(&info)) {
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.build = info.dwBuildNumber;
  }
  return version;
}

RegistryDword ReadPolicyDword(HKEY key, const wchar_t* name) {
  RegistryDword value;
  DWORD type = 0, data = 0, size = sizeof(data);
  const LONG result = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  if (result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(data)) {
    value.state = RegistryDword::State::kNumber;
    value.value = data;
  } else if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
    value.state = RegistryDword::State::kOtherType;
    value.value = type;
  } else if (result != ERROR_FILE_NOT_FOUND) {
    value.state = RegistryDword::State::kUnreadable;
    value.value = static_cast<unsigned long>(result);
  }
  return value;
}

// Windows protected print mode as the world's spooler would see it: its native registry view.
ProtectedPrintMode WorldProtectedPrintMode() {
  const REGSAM access = KEY_QUERY_VALUE | (RunningUnderWow64() ? KEY_WOW64_64KEY : 0);
  RegistryDword policy, setting;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWppKey, 0, access, &key) == ERROR_SUCCESS) {
    policy = ReadPolicyDword(key, kWppPolicyValue);
    setting = ReadPolicyDword(key, kWppSettingValue);
    ::RegCloseKey(key);
  }
  return DecideProtectedPrintMode(policy, setting, std::wstring(L"HKLM\\") + kWppKey);
}

// What the system's installer refuses before it touches anything: every third-party driver in
// protected print mode, and a package without models for this architecture. Empty when neither;
// otherwise the outcome to log, its error in `error`. `inf` receives the package's text.
std::wstring RefusePackage(const std::wstring& infPath, std::wstring& inf, DWORD& error) {
  const ProtectedPrintMode protectedPrint = WorldProtectedPrintMode();
  if (protectedPrint.on) {
    error = ERROR_PRINTER_DRIVER_BLOCKED;
    return ErrorOutcome(protectedPrint.reason.c_str(), error);
  }
  DWORD readError = 0;
  if (!ReadInfText(infPath, inf, readError)) {
    error = readError;
    return ErrorOutcome(L"inf cannot be read", readError);
  }
  const InfPackageModels package = ReadInfPackageModels(inf);
  const InfModelsChoice choice = ChooseInfModels(package, OwnMachine(), SystemVersion());
  if (choice.verdict != InfModelsVerdict::kServed) {
    error = ERROR_UNKNOWN_PRINTER_DRIVER;
    return ErrorOutcome((std::wstring(L"no models section for ") + MachineName(OwnMachine()) + L" (" +
                         DescribeInfDecorations(package) + L")")
                            .c_str(),
                        error);
  }
  return std::wstring();
}

bool AddDriver(const std::wstring& model, DWORD& error) {
  // Without CUPS, Wine's spooler knows no driver at first; its PostScript driver stands in for
  // the package's, under the model name the command asked for.
  DRIVER_INFO_3W driver = {};
  driver.cVersion = 3;
  driver.pName = const_cast<wchar_t*>(model.c_str());
  driver.pEnvironment = nullptr;
  driver.pDriverPath = const_cast<wchar_t*>(kWinePsDriver);
  driver.pConfigFile = const_cast<wchar_t*>(kWinePsDriver);
  driver.pDataFile = const_cast<wchar_t*>(kWinePsDriver);
  if (::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver), APD_COPY_NEW_FILES)) return true;
  error = ::GetLastError();
  return error == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED;
}

// A real driver install, and a test page sent to a slow printer, take seconds.
void Delay() {
  const std::wstring delay = Environment(L"KQ_PRINTUI_DELAY_MS");
  if (!delay.empty()) ::Sleep(static_cast<DWORD>(std::wcstoul(delay.c_str(), nullptr, 10)));
}

std::wstring InstallPrinter(const PrintUiCommand& command, DWORD& refusal) {
  std::wstring base, inf, port, model;
  if (!command.GetValue(L"b", base) || base.empty()) return L"error missing /b";
  if (!command.GetValue(L"f", inf) || inf.empty()) return L"error missing /f";
  if (!command.GetValue(L"r", port) || port.empty()) return L"error missing /r";
  if (!command.GetValue(L"m", model) || model.empty()) return L"error missing /m";
  // The system's installer reads the driver package: a wrong path fails there, so it fails here.
  if (::GetFileAttributesW(inf.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return ErrorOutcome(L"inf not found", ::GetLastError());
  }

  if (sizeof(void*) == 4 && RunningUnderWow64()) {
    return L"error 32-bit printui under WOW64: its driver would be for Windows NT x86 only";
  }
  std::wstring infText;
  const std::wstring refused = RefusePackage(inf, infText, refusal);
  if (!refused.empty()) return refused;

  Delay();

  const std::wstring mode = Environment(L"KQ_PRINTUI_MODE");
  if (mode == L"none") return L"created nothing (mode none)";
  std::wstring requested = base;
  if (mode.compare(0, 7, L"rename:") == 0 && mode.size() > 7) requested = mode.substr(7);

  DWORD error = 0;
  if (!AddDriver(model, error)) return ErrorOutcome(L"AddPrinterDriverExW", error);

  std::wstring name = FreePrinterName(requested);
  PRINTER_INFO_2W printer = {};
  printer.pPrinterName = &name[0];
  printer.pPortName = const_cast<wchar_t*>(port.c_str());
  printer.pDriverName = const_cast<wchar_t*>(model.c_str());
  printer.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
  printer.pDatatype = const_cast<wchar_t*>(L"RAW");
  // /z: the printer is not shared.
  printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  HANDLE handle = ::AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
  if (handle == nullptr) return ErrorOutcome(L"AddPrinterW", ::GetLastError());
  ::ClosePrinter(handle);
  return L"created \"" + name + L"\" on \"" + port + L"\" with \"" + model + L"\"";
}

// [Version] DriverVer = mm/dd/yyyy[,w.x.y.z], read by the stand-in itself as the system's installer
// reads it. Not valid without a date.
struct InfDriverVer {
  bool valid = false;
  WORD month = 0, day = 0, year = 0;
  WORD parts[4] = {};
};

InfDriverVer ReadDriverVer(const std::wstring& inf) {
  InfDriverVer found;
  bool inVersion = false;
  size_t start = 0;
  while (start < inf.size()) {
    size_t end = inf.find(L'\n', start);
    if (end == std::wstring::npos) end = inf.size();
    std::wstring line;
    for (size_t i = start; i < end && inf[i] != L';'; ++i) {
      if (inf[i] != L' ' && inf[i] != L'\t' && inf[i] != L'\r' && inf[i] != L'"') line.push_back(inf[i]);
    }
    start = end + 1;
    if (!line.empty() && line[0] == L'[') {
      inVersion = ::lstrcmpiW(line.c_str(), L"[Version]") == 0;
    } else if (inVersion && line.size() > 10 && ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, line.c_str(), 10,
                                                                 L"DriverVer=", 10) == CSTR_EQUAL) {
      InfDriverVer version;
      const int read = ::swscanf(line.c_str() + 10, L"%hu/%hu/%hu,%hu.%hu.%hu.%hu", &version.month, &version.day,
                                 &version.year, &version.parts[0], &version.parts[1], &version.parts[2],
                                 &version.parts[3]);
      version.valid = read >= 3 && version.month >= 1 && version.month <= 12 && version.day >= 1 && version.day <= 31;
      return version;
    }
  }
  return found;
}

// "1.0.0.0 of 2026-10-01".
std::wstring DescribeDriverVer(const InfDriverVer& version) {
  if (!version.valid) return L"without DriverVer";
  wchar_t text[64] = {};
  ::wsprintfW(text, L"%u.%u.%u.%u of %04u-%02u-%02u", version.parts[0], version.parts[1], version.parts[2],
              version.parts[3], version.year, version.month, version.day);
  return text;
}

// Whether the spooler holds a driver of that name for this stand-in's own environment.
bool DriverInstalled(const std::wstring& model) {
  DWORD needed = 0, count = 0;
  ::EnumPrinterDriversW(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
  if (needed == 0) return false;
  std::vector<BYTE> block(needed);
  if (!::EnumPrinterDriversW(nullptr, nullptr, 1, block.data(), needed, &needed, &count)) return false;
  const DRIVER_INFO_1W* drivers = reinterpret_cast<const DRIVER_INFO_1W*>(block.data());
  for (DWORD i = 0; i < count; ++i) {
    if (drivers[i].pName != nullptr && ::lstrcmpiW(drivers[i].pName, model.c_str()) == 0) return true;
  }
  return false;
}

// The driver alone, as "printui /ia" installs it for a later queue: a driver of that name is
// replaced. Its date and version come from the INF's DriverVer through DRIVER_INFO_6.
std::wstring InstallDriverOnly(const PrintUiCommand& command, DWORD& refusal) {
  std::wstring inf, model;
  if (!command.GetValue(L"m", model) || model.empty()) return L"error missing /m";
  if (!command.GetValue(L"f", inf) || inf.empty()) return L"error missing /f";
  if (::GetFileAttributesW(inf.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return ErrorOutcome(L"inf not found", ::GetLastError());
  }
  if (sizeof(void*) == 4 && RunningUnderWow64()) {
    return L"error 32-bit printui under WOW64: its driver would be for Windows NT x86 only";
  }
  std::wstring infText;
  const std::wstring refused = RefusePackage(inf, infText, refusal);
  if (!refused.empty()) return refused;

  Delay();
  if (Environment(L"KQ_PRINTUI_MODE") == L"none") return L"added nothing (mode none)";

  const InfDriverVer version = ReadDriverVer(infText);
  DRIVER_INFO_6W driver = {};
  driver.cVersion = 3;
  driver.pName = const_cast<wchar_t*>(model.c_str());
  driver.pEnvironment = nullptr;
  driver.pDriverPath = const_cast<wchar_t*>(kWinePsDriver);
  driver.pConfigFile = const_cast<wchar_t*>(kWinePsDriver);
  driver.pDataFile = const_cast<wchar_t*>(kWinePsDriver);
  SYSTEMTIME date = {};
  date.wYear = version.year;
  date.wMonth = version.month;
  date.wDay = version.day;
  if (version.valid && ::SystemTimeToFileTime(&date, &driver.ftDriverDate)) {
    for (WORD part : version.parts) driver.dwlDriverVersion = (driver.dwlDriverVersion << 16) | part;
  }
  // Copying all files replaces a driver of that name whatever the versions, as "printui /ia" does.
  const bool replacing = DriverInstalled(model);
  if (!::AddPrinterDriverExW(nullptr, 6, reinterpret_cast<LPBYTE>(&driver),
                             replacing ? APD_COPY_ALL_FILES : APD_COPY_NEW_FILES)) {
    return ErrorOutcome(L"AddPrinterDriverExW", ::GetLastError());
  }
  return std::wstring(replacing ? L"replaced" : L"added") + L" driver \"" + model + L"\" " +
         DescribeDriverVer(version);
}

std::wstring TestPage(const PrintUiCommand& command) {
  std::wstring name;
  if (!command.GetValue(L"n", name) || name.empty()) return L"error missing /n";
  Delay();
  HANDLE handle = nullptr;
  if (!::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &handle, nullptr)) {
    return ErrorOutcome(L"OpenPrinterW", ::GetLastError());
  }
  ::ClosePrinter(handle);
  return L"test page \"" + name + L"\"";
}

std::wstring SetDefault(const PrintUiCommand& command) {
  std::wstring name;
  if (!command.GetValue(L"n", name) || name.empty()) return L"error missing /n";
  if (!::SetDefaultPrinterW(name.c_str())) return ErrorOutcome(L"SetDefaultPrinterW", ::GetLastError());
  return L"default printer \"" + name + L"\"";
}

DWORD Run(const wchar_t* commandLine) {
  const std::wstring line = commandLine ? commandLine : L"";
  const PrintUiCommand command = ParsePrintUiCommand(line);
  std::wstring outcome;
  // The system's own error where the system would refuse the package; the others as before.
  DWORD refusal = ERROR_SUCCESS;
  if (command.HasFlag(L"if")) {
    outcome = InstallPrinter(command, refusal);
  } else if (command.HasFlag(L"ia")) {
    outcome = InstallDriverOnly(command, refusal);
  } else if (command.HasFlag(L"k")) {
    outcome = TestPage(command);
  } else if (command.HasFlag(L"y")) {
    outcome = SetDefault(command);
  } else {
    outcome = L"ignored";
  }
  Log(outcome, line);
  if (outcome.compare(0, 5, L"error") != 0) return ERROR_SUCCESS;
  return refusal != ERROR_SUCCESS ? refusal : ERROR_INVALID_PARAMETER;
}

}  // namespace

// The export names are undecorated on both targets; on i686 the symbols are named to match the
// .def file exactly instead of leaving "@16" to the linker's stdcall fix-up.
#if defined(__i386__)
#define KQ_EXPORT_SYMBOL(name) __asm__("_" name)
#else
#define KQ_EXPORT_SYMBOL(name)
#endif

extern "C" {

DWORD WINAPI PrintUIEntryW(HWND, HINSTANCE, LPCWSTR, int) KQ_EXPORT_SYMBOL("PrintUIEntryW");
DWORD WINAPI PrintUIEntry(HWND, HINSTANCE, LPCSTR, int) KQ_EXPORT_SYMBOL("PrintUIEntry");

DWORD WINAPI PrintUIEntryW(HWND, HINSTANCE, LPCWSTR commandLine, int) { return Run(commandLine); }

// Callers that hand over an ANSI command line: it is in the ANSI code page.
DWORD WINAPI PrintUIEntry(HWND window, HINSTANCE instance, LPCSTR commandLine, int show) {
  std::wstring wide;
  if (commandLine != nullptr && *commandLine != '\0') {
    int n = ::MultiByteToWideChar(CP_ACP, 0, commandLine, -1, nullptr, 0);
    if (n > 0) {
      std::vector<wchar_t> buffer(static_cast<size_t>(n));
      ::MultiByteToWideChar(CP_ACP, 0, commandLine, -1, buffer.data(), n);
      wide = buffer.data();
    }
  }
  return PrintUIEntryW(window, instance, wide.c_str(), show);
}

}  // extern "C"

// Stand-in for the system's printer-installation entry point under Wine, whose own printui.dll
// knows no /if. rundll32.exe calls PrintUIEntryW with the rest of its command line. It does for
// real, through the spooler, what the system's entry point does for the commands the wizard
// gives, and writes one line per call to a log that the tests read:
//   /if /b NAME /f INF /r PORT /m MODEL   adds the driver MODEL and a printer queue NAME on PORT;
//                                          an existing name (in any letter case) gets " (副本 N)"
//   /k /n NAME                             checks that NAME exists (no page is printed)
// It is built for both architectures and behaves as we expect the system's own copies to: the
// 32-bit one loaded into a 32-bit process on 64-bit Windows (WOW64) would add a driver for
// "Windows NT x86" only, which a queue on that system cannot use, so there /if adds nothing and
// fails. The 64-bit one, and the 32-bit one on 32-bit Windows, install.
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

std::wstring InstallPrinter(const PrintUiCommand& command) {
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

DWORD Run(const wchar_t* commandLine) {
  const std::wstring line = commandLine ? commandLine : L"";
  const PrintUiCommand command = ParsePrintUiCommand(line);
  std::wstring outcome;
  if (command.HasFlag(L"if")) {
    outcome = InstallPrinter(command);
  } else if (command.HasFlag(L"k")) {
    outcome = TestPage(command);
  } else {
    outcome = L"ignored";
  }
  Log(outcome, line);
  return outcome.compare(0, 5, L"error") == 0 ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
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

#include "win/spooler.h"

#include <string>

namespace win {

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
  wchar_t directory[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(directory, length);
  path += L'\\';
  path += fileName;
  return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void RestrictDllSearchToSystemDirectory() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return;
  auto setDefault =
      reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  if (setDefault != nullptr) setDefault(kSearchSystem32);
  // Older systems without it at least drop the current directory from the search.
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
  auto setDirectory =
      reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDllDirectoryW")));
  if (setDirectory != nullptr) setDirectory(L"");
}

namespace spooler {
namespace {

template <typename Fn>
Fn Entry(const char* name) {
  static HMODULE module = LoadSystemLibrary(L"winspool.drv");
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

BOOL Unavailable() {
  ::SetLastError(ERROR_MOD_NOT_FOUND);
  return FALSE;
}

}  // namespace

BOOL EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) {
  using Fn = BOOL(WINAPI*)(DWORD, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
  static Fn fn = Entry<Fn>("EnumPrintersW");
  return fn ? fn(flags, name, level, buffer, size, needed, returned) : Unavailable();
}

BOOL OpenPrinterW(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults) {
  using Fn = BOOL(WINAPI*)(LPWSTR, LPHANDLE, LPPRINTER_DEFAULTSW);
  static Fn fn = Entry<Fn>("OpenPrinterW");
  return fn ? fn(name, printer, defaults) : Unavailable();
}

BOOL GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
  using Fn = BOOL(WINAPI*)(HANDLE, DWORD, LPBYTE, DWORD, LPDWORD);
  static Fn fn = Entry<Fn>("GetPrinterW");
  return fn ? fn(printer, level, buffer, size, needed) : Unavailable();
}

BOOL SetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD command) {
  using Fn = BOOL(WINAPI*)(HANDLE, DWORD, LPBYTE, DWORD);
  static Fn fn = Entry<Fn>("SetPrinterW");
  return fn ? fn(printer, level, buffer, command) : Unavailable();
}

BOOL ClosePrinter(HANDLE printer) {
  using Fn = BOOL(WINAPI*)(HANDLE);
  static Fn fn = Entry<Fn>("ClosePrinter");
  return fn ? fn(printer) : Unavailable();
}

}  // namespace spooler
}  // namespace win

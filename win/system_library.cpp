#include "win/system_library.h"

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
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  if (auto setDefault = SystemFunction<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories")) {
    setDefault(kSearchSystem32);
  }
  // Older systems without it at least drop the current directory from the search.
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
  if (auto setDirectory = SystemFunction<SetDllDirectoryFn>(L"kernel32.dll", "SetDllDirectoryW")) setDirectory(L"");
}

FARPROC SystemEntry(const wchar_t* fileName, const char* name) {
  // Loaded by its full path, a DLL the process already has is found again (and stays loaded).
  HMODULE module = LoadSystemLibrary(fileName);
  return module != nullptr ? ::GetProcAddress(module, name) : nullptr;
}

}  // namespace win

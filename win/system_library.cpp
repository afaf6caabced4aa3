#include "win/system_library.h"

#include <vector>

namespace win {

std::wstring FolderFrom(UINT(WINAPI* query)(LPWSTR, UINT)) {
  std::vector<wchar_t> buffer(MAX_PATH);
  UINT n = query(buffer.data(), static_cast<UINT>(buffer.size()));
  if (n >= buffer.size()) {
    buffer.resize(static_cast<size_t>(n) + 1);
    n = query(buffer.data(), static_cast<UINT>(buffer.size()));
  }
  if (n == 0 || n >= buffer.size()) return std::wstring();
  std::wstring folder(buffer.data(), n);
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

std::wstring SystemDirectory() { return FolderFrom(&::GetSystemDirectoryW); }

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
  std::wstring path = SystemDirectory();
  if (path.empty()) return nullptr;
  if (path.back() != L'\\') path += L'\\';
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

}  // namespace win

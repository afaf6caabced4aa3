#include "support/printui_log.h"

#include <windows.h>

namespace kqtest {

std::vector<PrintUiCall> ReadPrintUiLog(const std::wstring& path) {
  std::vector<PrintUiCall> calls;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  if (file == INVALID_HANDLE_VALUE) return calls;
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (::ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got != 0) bytes.append(chunk, got);
  ::CloseHandle(file);
  std::wstring text(bytes.size(), L'\0');
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                                      static_cast<int>(text.size()));
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring line = text.substr(start, end - start);
    start = end + 2;
    std::vector<std::wstring> fields;
    size_t from = 0;
    // The command, last, may itself hold tabs: only the first four separate fields.
    for (int i = 0; i < 4; ++i) {
      const size_t tab = line.find(L'\t', from);
      if (tab == std::wstring::npos) break;
      fields.push_back(line.substr(from, tab - from));
      from = tab + 1;
    }
    if (fields.size() != 4) continue;
    calls.push_back({fields[0], fields[1], fields[2], fields[3], line.substr(from)});
  }
  return calls;
}

bool TestRunsUnderWow64() {
  BOOL wow64 = FALSE;
  return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

std::wstring NativeRundll32() {
  wchar_t buffer[MAX_PATH] = {};
  if (TestRunsUnderWow64()) {
    const UINT n = ::GetWindowsDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, n) + L"\\Sysnative\\rundll32.exe";
  }
  const UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH);
  return std::wstring(buffer, n) + L"\\rundll32.exe";
}

std::wstring NativeArchitecture() { return TestRunsUnderWow64() ? L"x64" : L"x86"; }

}  // namespace kqtest

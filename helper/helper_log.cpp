#include "helper/helper_log.h"

#include <windows.h>

#include <mutex>

#include "win/format_core.h"
#include "win/handles.h"

namespace {

// The service main and the control handler run on threads of the dispatcher, so the log path and
// the file itself are guarded by one lock that exists before any of them can run.
win::CriticalSection g_logLock;
std::wstring g_logPath;

// Written the way the system's own text files are: CR LF line ends, ANSI code page. Every entry
// ends with a line end, so that messages without one of their own still start on fresh lines.
std::string EntryBytes(const std::wstring& entry) {
  std::wstring text;
  text.reserve(entry.size() + 8);
  for (wchar_t c : entry) {
    if (c == L'\n') text += L'\r';
    text += c;
  }
  if (text.empty() || text.back() != L'\n') text += L"\r\n";
  const int bytes = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string out(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &out[0], bytes, nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring HelperLogPathFor(const std::wstring& modulePath) {
  const size_t length = modulePath.size();
  if (length <= 4 || modulePath[length - 4] != L'.') return std::wstring();
  return modulePath.substr(0, length - 4) + L".log";
}

void InitHelperLog() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  SetHelperLogPath(length > 0 && length < MAX_PATH ? HelperLogPathFor(std::wstring(path, length)) : std::wstring());
}

void SetHelperLogPath(const std::wstring& path) {
  std::lock_guard<win::CriticalSection> guard(g_logLock);
  g_logPath = path;
}

std::wstring GetHelperLogPath() {
  std::lock_guard<win::CriticalSection> guard(g_logLock);
  return g_logPath;
}

void HelperLog(const std::wstring& message) {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  const std::wstring entry = FormatString(L"%02d/%02d/%04d, %02d:%02d:%02d\n    %s", now.wMonth, now.wDay, now.wYear,
                                          now.wHour, now.wMinute, now.wSecond, message);
  const std::string bytes = EntryBytes(entry);

  std::lock_guard<win::CriticalSection> guard(g_logLock);
  if (g_logPath.empty() || bytes.empty()) return;
  win::ScopedHandle file(::CreateFileW(g_logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  DWORD written = 0;
  ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

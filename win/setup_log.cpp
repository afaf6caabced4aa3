#include "win/setup_log.h"

#include <windows.h>

#include <mutex>
#include <new>

#include "win/handles.h"
#include "win/newer_apis.h"
#include "win/setup_log_core.h"

namespace win {
namespace {

struct SetupLog {
  CriticalSection lock;
  ScopedHandle file;
  std::wstring path;
  size_t runBytes = 0;
  bool runCut = false;
};

SetupLog& Log() {
  static SetupLog* log = new SetupLog();  // outlives every thread that may still write
  return *log;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string out(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &out[0], bytes, nullptr, nullptr);
  return out;
}

std::string Now() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return FormatLogTime({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds});
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
        written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

bool ReadAll(HANDLE file, uint64_t size, std::string& out) {
  if (size > 64 * 1024 * 1024) return false;  // no log of ours: leave it alone
  out.resize(static_cast<size_t>(size));
  size_t done = 0;
  while (done < out.size()) {
    DWORD read = 0;
    if (!::ReadFile(file, &out[done], static_cast<DWORD>(out.size() - done), &read, nullptr) || read == 0) return false;
    done += read;
  }
  return true;
}

// Drops the oldest runs of a log grown past its limit. Rewritten in place: what is kept moves to
// the front and the file is cut after it.
void TrimLog(const std::wstring& path) {
  ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  uint64_t size = 0;
  if (!GetFileLength(file.Get(), size) || size <= kSetupLogLimitBytes) return;
  std::string content;
  try {
    if (!ReadAll(file.Get(), size, content)) return;
    const size_t start = TrimmedLogStart(content, kSetupLogKeepBytes);
    const std::string kept = std::string(kUtf8ByteOrderMark) + content.substr(start);
    if (!SetFilePosition(file.Get(), 0, FILE_BEGIN) || !WriteAll(file.Get(), kept)) return;
    ::SetEndOfFile(file.Get());
  } catch (const std::bad_alloc&) {
    // Too little memory to trim this time; the next run tries again.
  }
}

void WriteEntry(SetupLog& log, const std::wstring& text) {
  const std::string lines = FormatLogLines(Now(), Utf8(text));
  if (log.runBytes + lines.size() > kSetupLogRunLimitBytes) {
    if (log.runCut) return;
    log.runCut = true;
    WriteAll(log.file.Get(), FormatLogLines(Now(), "(the rest of this run's entries are left out: the run wrote too much)"));
    return;
  }
  log.runBytes += lines.size();
  // A full disk or a vanished share loses the entry, nothing else.
  WriteAll(log.file.Get(), lines);
}

}  // namespace

bool OpenSetupLog(const std::wstring& path, bool mayTrim, const std::wstring& firstLine) {
  SetupLog& log = Log();
  std::lock_guard<CriticalSection> hold(log.lock);
  try {
    if (mayTrim) TrimLog(path);
    // Appending only, and shared: a second wizard refused at its start still writes its lines.
    ScopedHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    if (!file) return false;
    uint64_t size = 0;
    if (GetFileLength(file.Get(), size) && size == 0) WriteAll(file.Get(), kUtf8ByteOrderMark);
    log.file = std::move(file);
    log.path = path;
    log.runBytes = 0;
    log.runCut = false;
    WriteEntry(log, std::wstring(L"===== ") + firstLine + L" =====");
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool IsSetupLogOpen() {
  SetupLog& log = Log();
  std::lock_guard<CriticalSection> hold(log.lock);
  return log.file.IsValid();
}

std::wstring SetupLogPath() {
  SetupLog& log = Log();
  std::lock_guard<CriticalSection> hold(log.lock);
  return log.file.IsValid() ? log.path : std::wstring();
}

void LogLine(const std::wstring& text) {
  SetupLog& log = Log();
  std::lock_guard<CriticalSection> hold(log.lock);
  if (!log.file.IsValid()) return;
  try {
    WriteEntry(log, text);
  } catch (const std::bad_alloc&) {
    // An entry that cannot be made is left out.
  }
}

void CloseSetupLog(unsigned long exitCode) {
  SetupLog& log = Log();
  std::lock_guard<CriticalSection> hold(log.lock);
  if (!log.file.IsValid()) return;
  try {
    // Past the run's limit as well: a reader looks for the outcome on the last line.
    WriteAll(log.file.Get(), FormatLogLines(Now(), "exit code " + Utf8(DecimalText(exitCode))));
  } catch (const std::bad_alloc&) {
  }
  log.file.Reset();
  log.path.clear();
}

std::wstring DecimalText(unsigned long value) {
  std::wstring digits;
  for (unsigned long rest = value; digits.empty() || rest != 0; rest /= 10) {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + rest % 10));
  }
  return digits;
}

}  // namespace win

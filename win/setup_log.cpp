#include "win/setup_log.h"

#include <windows.h>

#include <cstring>
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
  unsigned long processId = 0;
  size_t runBytes = 0;
  bool runCut = false;
  bool failWritesForTesting = false;
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

std::string Stamp(const SetupLog& log) {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return FormatLogStamp({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds},
                        log.processId);
}

std::wstring ComputerName() {
  wchar_t name[256] = {};
  DWORD size = 256;
  return ::GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
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

// Reads up to `size` bytes from the current position; false when fewer could be read.
bool ReadAll(HANDLE file, uint64_t size, std::string& out) {
  out.resize(static_cast<size_t>(size));
  size_t done = 0;
  while (done < out.size()) {
    DWORD read = 0;
    if (!::ReadFile(file, &out[done], static_cast<DWORD>(out.size() - done), &read, nullptr) || read == 0) return false;
    done += read;
  }
  return true;
}

// Drops the oldest runs of a log of ours grown past its limit. Rewritten in place: what is kept
// moves to the front and the file is cut after it. Opened without sharing for writes, so that
// nobody appends while the content moves (a file another program is writing is left as it is).
void TrimLog(const std::wstring& path) {
  ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  uint64_t size = 0;
  if (!GetFileLength(file.Get(), size) || size <= kSetupLogLimitBytes) return;
  // A file that does not start like ours (another program's log, a typo naming some other file)
  // is never read further, let alone cut; nor is one far beyond what our runs ever write.
  std::string head;
  if (!ReadAll(file.Get(), kSetupLogHeadBytes, head) || !StartsAsSetupLog(head)) return;
  if (size > 64 * 1024 * 1024) return;
  std::string content;
  try {
    if (!SetFilePosition(file.Get(), 0, FILE_BEGIN) || !ReadAll(file.Get(), size, content)) return;
    const size_t start = TrimmedLogStart(content, kSetupLogKeepBytes);
    if (start <= std::strlen(kUtf8ByteOrderMark)) return;  // nothing to cut
    const std::string kept = std::string(kUtf8ByteOrderMark) + content.substr(start);
    if (!SetFilePosition(file.Get(), 0, FILE_BEGIN) || !WriteAll(file.Get(), kept)) return;
    ::SetEndOfFile(file.Get());
  } catch (const std::bad_alloc&) {
    // Too little memory to trim this time; the next run tries again.
  }
}

// Writes `bytes`; a failed write closes the log for the rest of the run: the next entry would
// only wait for the same share or disk again.
bool Write(SetupLog& log, const std::string& bytes) {
  if (log.failWritesForTesting) {
    ::SetLastError(ERROR_NETNAME_DELETED);
  } else if (WriteAll(log.file.Get(), bytes)) {
    return true;
  }
  log.file.Reset();
  log.path.clear();
  return false;
}

void WriteEntry(SetupLog& log, const std::wstring& text) {
  const std::string lines = FormatLogLines(Stamp(log), Utf8(text));
  if (log.runBytes + lines.size() > kSetupLogRunLimitBytes) {
    if (log.runCut) return;
    log.runCut = true;
    Write(log, FormatLogLines(Stamp(log), "(the rest of this run's entries are left out: the run wrote too much)"));
    return;
  }
  log.runBytes += lines.size();
  Write(log, lines);
}

// Opens the log at `path` and writes the run's first line; on failure `error` is the system's.
bool OpenAt(SetupLog& log, const std::wstring& path, bool mayTrim, const std::wstring& firstLine, DWORD& error) {
  if (mayTrim) TrimLog(path);
  // Appending only, and shared: a second wizard refused at its start still writes its lines.
  ScopedHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
  if (!file) {
    error = ::GetLastError();
    return false;
  }
  log.file = std::move(file);
  log.path = path;
  log.processId = ::GetCurrentProcessId();
  log.runBytes = 0;
  log.runCut = false;
  uint64_t size = 0;
  const bool empty = GetFileLength(log.file.Get(), size) && size == 0;
  const std::string runStart = FormatRunStartText(Utf8(firstLine), Utf8(ComputerName()));
  // A log that takes not even its first line (a full disk, a read-only share) is no log.
  if (empty && !Write(log, kUtf8ByteOrderMark)) {
    error = ::GetLastError();
    return false;
  }
  const std::string lines = FormatLogLines(Stamp(log), runStart);
  log.runBytes = lines.size();
  if (!Write(log, lines)) {
    error = ::GetLastError();
    return false;
  }
  return true;
}

}  // namespace

bool OpenSetupLog(const std::wstring& path, bool mayTrim, const std::wstring& firstLine) {
  return OpenSetupLogOrFallback(path, std::wstring(), mayTrim, firstLine);
}

bool OpenSetupLogOrFallback(const std::wstring& path, const std::wstring& fallbackPath, bool mayTrim,
                            const std::wstring& firstLine) {
  SetupLog& log = Log();
  std::lock_guard<CriticalSection> hold(log.lock);
  try {
    DWORD error = ERROR_SUCCESS;
    if (OpenAt(log, path, mayTrim, firstLine, error)) return true;
    DWORD fallbackError = ERROR_SUCCESS;
    if (fallbackPath.empty() || !OpenAt(log, fallbackPath, mayTrim, firstLine, fallbackError)) return false;
    WriteEntry(log, FormatString(L"the log cannot be written at %s (error %d): it is written here instead", path,
                                 static_cast<unsigned long>(error)));
    return log.file.IsValid();
  } catch (const std::bad_alloc&) {
    log.file.Reset();
    log.path.clear();
    return false;
  }
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
    Write(log, FormatLogLines(Stamp(log), "exit code " + Utf8(DecimalText(exitCode))));
  } catch (const std::bad_alloc&) {
  }
  log.file.Reset();
  log.path.clear();
}

void FailSetupLogWritesForTesting(bool fail) {
  SetupLog& log = Log();
  std::lock_guard<CriticalSection> hold(log.lock);
  log.failWritesForTesting = fail;
}

std::wstring DecimalText(unsigned long value) {
  std::wstring digits;
  for (unsigned long rest = value; digits.empty() || rest != 0; rest /= 10) {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + rest % 10));
  }
  return digits;
}

}  // namespace win

#include "shell/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include "win/handles.h"
#include "win/newer_apis.h"

namespace {

const wchar_t kSetupLogFileName[] = L"KQSetup.log";

}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& rawLine) {
  std::vector<std::wstring> words;
  int count = 0;
  win::ScopedLocalMemory block(reinterpret_cast<HLOCAL>(::CommandLineToArgvW(rawLine.c_str(), &count)));
  if (!block) return words;
  wchar_t** argv = static_cast<wchar_t**>(block.Get());
  for (int i = 0; i < count; ++i) words.emplace_back(argv[i] != nullptr ? argv[i] : L"");
  return words;
}

std::vector<std::wstring> CommandLineWords() { return SplitCommandLine(::GetCommandLineW()); }

bool ReadCommandLine(const std::vector<std::wstring>& words, CommandLineOptions& options, std::wstring& offending) {
  if (!ParseCommandLine(words, options, offending)) return false;
  if (!options.logPath.empty()) {
    const DWORD attributes = ::GetFileAttributesW(options.logPath.c_str());
    const bool folder = (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) ||
                        options.logPath.back() == L'\\' || options.logPath.back() == L'/';
    if (folder) {
      for (size_t i = 1; i < words.size(); ++i) {
        if (words[i].find(options.logPath) != std::wstring::npos) offending = words[i];
      }
      options.logPath.clear();
      return false;
    }
  }
  return true;
}

bool ReadRawCommandLine(const std::wstring& rawLine, std::vector<std::wstring>& words, CommandLineOptions& options,
                        std::wstring& offending) {
  words = SplitCommandLine(rawLine);
  if (ReadCommandLine(words, options, offending)) return true;
  if (CommandLineAsksForQuiet(rawLine)) options.quiet = true;
  return false;
}

bool ReadProcessCommandLine(std::vector<std::wstring>& words, CommandLineOptions& options, std::wstring& offending) {
  return ReadRawCommandLine(::GetCommandLineW(), words, options, offending);
}

std::wstring DefaultSetupLogPath() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) {
    const std::wstring fallback = FallbackSetupLogPath();
    if (!fallback.empty()) return fallback;
    return std::wstring(L"C:\\") + kSetupLogFileName;
  }
  std::wstring folder(buffer, length);
  if (folder.back() != L'\\') folder += L'\\';
  return folder + kSetupLogFileName;
}

std::wstring FallbackSetupLogPath() {
  // The system's shared Windows folder: under Terminal Services GetWindowsDirectoryW may be the
  // user's private copy, whose Temp folder need not exist.
  std::wstring windows = win::SystemWindowsDirectory();
  if (windows.empty()) return std::wstring();
  if (windows.back() != L'\\') windows += L'\\';
  return windows + L"Temp\\" + kSetupLogFileName;
}

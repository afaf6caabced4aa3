#include "shell/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include "win/handles.h"

std::vector<std::wstring> CommandLineWords() {
  std::vector<std::wstring> words;
  int count = 0;
  win::ScopedLocalMemory block(reinterpret_cast<HLOCAL>(::CommandLineToArgvW(::GetCommandLineW(), &count)));
  if (!block) return words;
  wchar_t** argv = static_cast<wchar_t**>(block.Get());
  for (int i = 0; i < count; ++i) words.emplace_back(argv[i] != nullptr ? argv[i] : L"");
  return words;
}

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

std::wstring DefaultSetupLogPath() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  std::wstring folder = length > 0 && length <= MAX_PATH ? std::wstring(buffer, length) : std::wstring(L"C:\\");
  if (folder.back() != L'\\') folder += L'\\';
  return folder + L"KQSetup.log";
}

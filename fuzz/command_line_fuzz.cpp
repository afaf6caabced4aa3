// Feeds arbitrary words to the switch reader and arbitrary raw lines to the unattended check: a
// value that is taken never holds a quote, a limit taken is in range, and /S among the words is
// always unattended.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/command_line_core.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Two bytes per character; a line feed ends a word.
  std::wstring raw;
  for (size_t i = 0; i + 1 < size; i += 2) raw.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  std::vector<std::wstring> words(1, L"KQSetup.exe");
  bool quietWord = false;
  size_t start = 0;
  for (;;) {
    const size_t end = raw.find(L'\n', start);
    words.push_back(raw.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (words.back() == L"/S" || words.back() == L"-quiet") quietWord = true;
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  CommandLineOptions options;
  std::wstring offending;
  if (ParseCommandLine(words, options, offending)) {
    if (!offending.empty()) abort();
    if (options.name.find(L'"') != std::wstring::npos || options.logPath.find(L'"') != std::wstring::npos) abort();
    if (options.timeoutSeconds < 1 || options.timeoutSeconds > kMaxDriverTimeoutSeconds) abort();
    if (options.portType != L"USB" && options.portType != L"LPT") abort();
  } else {
    // The word named is one of those given.
    bool given = false;
    for (size_t i = 1; i < words.size(); ++i) given = given || words[i] == offending;
    if (!given) abort();
  }
  if (quietWord && !options.quiet) abort();
  CommandLineAsksForQuiet(raw);
  if (CommandLineAsksForQuiet(L"KQSetup.exe " + raw + L" /S") != true) abort();
  return 0;
}

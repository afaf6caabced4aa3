// The printer-installation entry point's command-line reader, fed arbitrary UTF-16 text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "install/driver_commands_core.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring line;
  for (size_t i = 0; i + 1 < size; i += 2) line.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  const PrintUiCommand command = ParsePrintUiCommand(line);
  std::wstring value;
  command.GetValue(L"b", value);
  command.HasFlag(L"if");
  // Every character of a word comes from the line; no word can be longer than it.
  for (const std::wstring& word : SplitPrintUiWords(line)) {
    if (word.size() > line.size()) __builtin_trap();
  }
  return 0;
}

// Parallel-port hardware ids and driver subkey names are registry texts written by others: the
// model text and the next subkey number must come out of them without fault.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/printer_records_core.h"

namespace {

std::wstring Text(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the series code's length (0 to 3 characters) taken from the input.
  const size_t seriesChars = data[0] % 4;
  const size_t seriesBytes = seriesChars * 2 < size - 1 ? seriesChars * 2 : 0;
  const std::wstring series = Text(data + 1, seriesBytes);
  const std::wstring hardwareId = Text(data + 1 + seriesBytes, size - 1 - seriesBytes);

  const std::wstring model = LptModelFromHardwareId(hardwareId, series);
  if (model.size() + 4 > hardwareId.size() && !model.empty()) __builtin_trap();
  if (model.find(L'_') != std::wstring::npos) __builtin_trap();

  // The same bytes as a list of subkey names, split at every NUL character.
  std::vector<std::wstring> names(1);
  for (wchar_t c : hardwareId) {
    if (c == L'\0') {
      names.emplace_back();
    } else {
      names.back().push_back(c);
    }
  }
  const int largest = LargestSubkeyNumber(names);
  if (largest < 0 || largest > 99999999) __builtin_trap();
  const std::wstring next = DriverSubkeyName(largest + 1);
  if (next.size() < 4) __builtin_trap();
  return 0;
}

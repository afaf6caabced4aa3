// Feeds arbitrary registered ".htm" commands and addresses to the command builder, and arbitrary
// result codes to the error texts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "controls/link_label_core.h"

namespace {

// Two bytes per character, so that quotes, percent signs and digits come up often.
std::wstring Decode(const uint8_t* data, size_t size) {
  std::wstring out;
  for (size_t i = 0; i + 1 < size; i += 2) out.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t split = data[0] % (size);
  const std::wstring command = Decode(data + 1, split > 0 ? split - 1 : 0);
  const std::wstring url = Decode(data + split, size - split);

  const std::wstring result = BuildHtmOpenCommand(command, url);
  // The result is a prefix of the command, a blank and the address.
  if (result.size() < url.size() + 1) abort();
  const size_t kept = result.size() - url.size() - 1;
  if (kept > command.size()) abort();
  if (result.compare(0, kept, command, 0, kept) != 0) abort();
  if (result[kept] != L' ' || result.compare(kept + 1, std::wstring::npos, url) != 0) abort();
  // The cut is at the quoted placeholder, else at a bare one, else nothing is cut.
  size_t expected = command.find(L"\"%1\"");
  if (expected == std::wstring::npos) expected = command.find(L"%1");
  if (expected == std::wstring::npos) expected = command.size();
  if (kept != expected) abort();

  long long code = 0;
  std::memcpy(&code, data, size < sizeof(code) ? size : sizeof(code));
  const std::wstring message = LinkOpenErrorMessage(code);
  if (message.find(L"Unable to open hyperlink:\n\n") != 0) abort();
  return 0;
}

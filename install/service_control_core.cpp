#include "install/service_control_core.h"

#include "win/format_core.h"

namespace {

// The executable a registered command line names: the text between its quotes, or the whole
// trimmed text when it is not quoted. Empty when something follows the closing quote.
std::wstring ExecutableOf(const std::wstring& commandLine) {
  const std::wstring text = TrimWhiteSpace(commandLine);
  if (text.empty() || text.front() != L'"') return text;
  const size_t close = text.find(L'"', 1);
  if (close == std::wstring::npos || close + 1 != text.size()) return std::wstring();
  return text.substr(1, close - 1);
}

}  // namespace

std::wstring QuoteServicePath(const std::wstring& path) {
  if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') return path;
  return L"\"" + path + L"\"";
}

bool IsSameServicePath(const std::wstring& registered, const std::wstring& ours) {
  const std::wstring executable = ExecutableOf(registered);
  const std::wstring own = ExecutableOf(ours);
  return !executable.empty() && EqualsIgnoreAsciiCase(executable, own);
}

#include "package/payload_core.h"

std::wstring JoinPath(const std::wstring& directory, const std::wstring& fileName) {
  if (directory.empty() || directory.back() == L'\\') return directory + fileName;
  return directory + L"\\" + fileName;
}

std::wstring ServicesFolderUnder(const std::wstring& base) { return JoinPath(base, L"Services"); }

#include "package/package_inf.h"

#include <windows.h>

#include <utility>

#include "package/text_decoder.h"
#include "win/app.h"
#include "win/setup_log.h"

std::wstring PackageInfFileName() { return L"KQPRINTER.INF"; }

std::wstring GetProgramDirectory() {
  const std::wstring path = win::ModuleFilePath(nullptr);
  const size_t slash = path.rfind(L'\\');
  if (slash == std::wstring::npos) return std::wstring();
  return path.substr(0, slash);
}

namespace {

std::wstring DescribeCodePage(int codePage) {
  switch (codePage) {
    case 1200: return L"UTF-16 little-endian";
    case 1201: return L"UTF-16 big-endian";
    case 65001: return L"UTF-8";
    default: return L"the ANSI code page " + win::DecimalText(static_cast<unsigned long>(codePage < 0 ? 0 : codePage));
  }
}

}  // namespace

bool ReadInfText(const std::wstring& path, std::wstring& text) {
  CWin32TextFile file;
  if (!file.Open(path, 0)) {
    win::Log(L"package: %s cannot be opened, error %d", path, static_cast<unsigned long>(::GetLastError()));
    return false;
  }
  CTextFileDecoder decoder(SystemAnsiConverter());
  if (!decoder.ReadFile(file, 0)) {
    win::Log(L"package: %s cannot be read (or is larger than any INF)", path);
    return false;
  }
  text = decoder.GetWideText();
  win::Log(L"package: %s read as %s, %d characters", path, DescribeCodePage(decoder.GetCodePage()),
           static_cast<unsigned long>(text.size()));
  return true;
}

InfModelInfo ParseInfModelLines(const std::wstring& path, bool* readable) {
  if (readable != nullptr) *readable = false;
  std::wstring text;
  if (!ReadInfText(path, text)) return InfModelInfo();
  if (readable != nullptr) *readable = true;
  return ParseInfModelText(text);
}

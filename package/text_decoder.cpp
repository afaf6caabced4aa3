#include "package/text_decoder.h"

#include <climits>
#include <cwchar>

#include "win/newer_apis.h"

int GetInputLocaleAnsiCodePage() {
  const LANGID language = LOWORD(reinterpret_cast<ULONG_PTR>(::GetKeyboardLayout(0)));
  wchar_t text[10] = {};
  if (::GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, text, 10) == 0) return 0;
  return static_cast<int>(std::wcstol(text, nullptr, 10));
}

int CSystemAnsiConverter::CurrentCodePage() const { return GetInputLocaleAnsiCodePage(); }

size_t CSystemAnsiConverter::Convert(int codePage, const char* bytes, size_t count, char16_t* units,
                                     size_t capacity) const {
  // Text never reaches these sizes (files are capped far below), but the casts must not wrap.
  if (count > INT_MAX || capacity > INT_MAX) return 0;
  const int n = ::MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes, static_cast<int>(count),
                                      reinterpret_cast<wchar_t*>(units), static_cast<int>(capacity));
  return n > 0 ? static_cast<size_t>(n) : 0;
}

const IAnsiConverter& SystemAnsiConverter() {
  static const CSystemAnsiConverter converter;
  return converter;
}

bool CWin32TextFile::Open(const std::wstring& path, DWORD shareMode) {
  m_file.Reset(::CreateFileW(path.c_str(), GENERIC_READ, shareMode, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr));
  return m_file.IsValid();
}

bool CWin32TextFile::GetLength(uint64_t* length) {
  return win::GetFileLength(m_file.Get(), *length);
}

bool CWin32TextFile::SeekFromStart(uint64_t offset) {
  if (offset > static_cast<uint64_t>(LLONG_MAX)) return false;
  return win::SetFilePosition(m_file.Get(), static_cast<int64_t>(offset), FILE_BEGIN);
}

bool CWin32TextFile::SeekFromCurrent(int64_t offset) {
  return win::SetFilePosition(m_file.Get(), offset, FILE_CURRENT);
}

bool CWin32TextFile::Read(void* buffer, size_t bytes, size_t* bytesRead) {
  // ReadFile takes 32-bit counts: larger requests are served in pieces.
  unsigned char* out = static_cast<unsigned char*>(buffer);
  size_t total = 0;
  while (total < bytes) {
    const DWORD want = static_cast<DWORD>(bytes - total > 0x40000000u ? 0x40000000u : bytes - total);
    DWORD got = 0;
    if (!::ReadFile(m_file.Get(), out + total, want, &got, nullptr)) return false;
    if (got == 0) break;
    total += got;
  }
  *bytesRead = total;
  return true;
}

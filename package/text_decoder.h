// The Windows side of the text decoder: real files and the system's ANSI conversion.
#pragma once

#include <windows.h>

#include <string>

#include "package/text_decoder_core.h"
#include "win/handles.h"

// The default ANSI code page of the language of the current thread's keyboard layout, or 0 when
// the system cannot tell (the conversion then falls back to the system's own ANSI code page).
int GetInputLocaleAnsiCodePage();

// MultiByteToWideChar with flags 0; text without a mark takes GetInputLocaleAnsiCodePage.
class CSystemAnsiConverter : public IAnsiConverter {
 public:
  int CurrentCodePage() const override;
  size_t Convert(int codePage, const char* bytes, size_t count, char16_t* units, size_t capacity) const override;
};
const IAnsiConverter& SystemAnsiConverter();

// A file opened for reading through CreateFileW; closes it when destroyed.
class CWin32TextFile : public ITextFile {
 public:
  // `shareMode` 0 opens the file for this reader alone.
  bool Open(const std::wstring& path, DWORD shareMode);
  bool IsOpen() const { return m_file.IsValid(); }
  void Close() { m_file.Reset(); }

  bool GetLength(uint64_t* length) override;
  bool SeekFromStart(uint64_t offset) override;
  bool SeekFromCurrent(int64_t offset) override;
  bool Read(void* buffer, size_t bytes, size_t* bytesRead) override;

 private:
  win::ScopedHandle m_file;
};

// Reads a whole text file into one NUL-terminated buffer of UTF-16 code units, recognising the
// byte-order marks of UTF-16 (either byte order) and UTF-8; text without a mark is converted from
// an ANSI code page. This part has no Windows dependency: the file and the ANSI conversion come
// in through small interfaces, so the same code runs on memory in tests and on real files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Code pages the decoder knows by number.
constexpr int kCodePageUtf16Le = 1200;
constexpr int kCodePageUtf16Be = 1201;
constexpr int kCodePageUtf8 = 65001;

// UTF-16 files are read in chunks of this many units, UTF-8 files in chunks of this many bytes.
constexpr size_t kTextChunkLimit = 4194304;
// No driver package INF comes near this size; a longer file is refused rather than allocated.
constexpr uint64_t kMaxTextFileBytes = 64ull * 1024 * 1024;

// An open, seekable file read in binary mode. Every operation reports failure by returning false.
class ITextFile {
 public:
  virtual ~ITextFile() = default;
  virtual bool GetLength(uint64_t* length) = 0;
  virtual bool SeekFromStart(uint64_t offset) = 0;
  virtual bool SeekFromCurrent(int64_t offset) = 0;
  // Reads up to `bytes` bytes; `*bytesRead` is 0 at the end of the file.
  virtual bool Read(void* buffer, size_t bytes, size_t* bytesRead) = 0;
};

// The conversion of text without a byte-order mark. On Windows it is MultiByteToWideChar with the
// code page of the keyboard layout's language.
class IAnsiConverter {
 public:
  virtual ~IAnsiConverter() = default;
  // The code page for text without a mark; 0 when it cannot be told (the system default).
  virtual int CurrentCodePage() const = 0;
  // With a null `units` returns how many units `bytes` convert to; otherwise converts into at
  // most `capacity` units and returns how many it wrote. 0 on failure.
  virtual size_t Convert(int codePage, const char* bytes, size_t count, char16_t* units, size_t capacity) const = 0;
};

// A memory file: what tests and fuzzers hand the decoder. The bytes are not copied.
class CMemoryTextFile : public ITextFile {
 public:
  CMemoryTextFile(const void* data, size_t size) : m_pData(static_cast<const unsigned char*>(data)), m_nSize(size) {}
  bool GetLength(uint64_t* length) override;
  bool SeekFromStart(uint64_t offset) override;
  bool SeekFromCurrent(int64_t offset) override;
  bool Read(void* buffer, size_t bytes, size_t* bytesRead) override;

 private:
  const unsigned char* m_pData;
  size_t m_nSize;
  size_t m_nPosition = 0;
};

// Decodes as much of `source` as possible into `destination`. On return `*sourceLength` holds the
// bytes consumed and `*destinationCapacity` the units produced. A sequence cut short by the end of
// the source is left unconsumed, so that the caller can present it again with what follows.
void DecodeUtf8Chunk(const unsigned char* source, size_t* sourceLength, char16_t* destination,
                     size_t* destinationCapacity);

class CTextFileDecoder {
 public:
  // `ansi` must outlive the decoder.
  explicit CTextFileDecoder(const IAnsiConverter& ansi);
  ~CTextFileDecoder();
  CTextFileDecoder(const CTextFileDecoder&) = delete;
  CTextFileDecoder& operator=(const CTextFileDecoder&) = delete;

  // Reads the whole file. `requestedCodePage` is 0 (detect by byte-order mark, else ANSI), 1200,
  // 1201 or 65001; any other value reads the file as ANSI text. Returns false, with the text
  // empty, when the file reports an error, is longer than kMaxTextFileBytes or memory runs out.
  bool ReadFile(ITextFile& file, int requestedCodePage);

  // The decoded text: never null, ends at the first zero unit.
  const char16_t* GetText() const;
  // Units of decoded text held (the text may hold zero units before this length).
  size_t GetTextUnits() const { return m_nUsed / 2; }
  // The text up to its first zero unit, one wide character per UTF-16 unit.
  std::wstring GetWideText() const;
  int GetCodePage() const { return m_nCodePage; }
  size_t GetCapacity() const { return m_nCapacity; }

  void Release();

  // Smaller chunks let tests cross chunk boundaries without multi-megabyte inputs. At least 4
  // (the longest UTF-8 sequence); larger values are capped at kTextChunkLimit.
  void SetChunkLimit(size_t limit);

 private:
  bool Fail();
  bool Reserve(size_t bytes);
  // Room for `units` more units and a terminating zero after the text; null when out of memory.
  char16_t* ReserveTail(size_t units);
  // Takes `units` units written at the tail into the text and terminates it.
  void CommitUnits(size_t units);
  bool ReadUtf16(ITextFile& file, uint64_t length, bool bigEndian, bool skipMark);
  bool ReadUtf8(ITextFile& file, uint64_t length, bool skipMark);
  bool ReadAnsi(ITextFile& file, uint64_t length, int requestedCodePage);

  const IAnsiConverter& m_ansi;
  size_t m_nChunkLimit = kTextChunkLimit;

  int m_nCodePage;
  char16_t* m_pBuffer = nullptr;
  size_t m_nCapacity = 0;  // bytes
  size_t m_nUsed = 0;      // bytes
};

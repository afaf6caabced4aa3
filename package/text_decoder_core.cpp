#include "package/text_decoder_core.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr uint64_t kHighBitsOfEightBytes = 0x8080808080808080ull;

bool IsContinuation(unsigned b) { return (b & 0xC0) == 0x80; }

enum class FourByteForm { kComplete, kCutShort, kNotFourByte };

// Looks at a lead byte F0..F4 and what follows it. Only well-formed sequences for U+10000 to
// U+10FFFF count; anything else keeps the three-byte reading that older files were decoded with.
FourByteForm ClassifyFourByte(const unsigned char* p, size_t available) {
  const unsigned a = p[0];
  if (available < 2) return FourByteForm::kCutShort;
  const unsigned b = p[1];
  if (!IsContinuation(b) || (a == 0xF0 && b < 0x90) || (a == 0xF4 && b > 0x8F)) return FourByteForm::kNotFourByte;
  if (available < 3) return FourByteForm::kCutShort;
  if (!IsContinuation(p[2])) return FourByteForm::kNotFourByte;
  if (available < 4) return FourByteForm::kCutShort;
  if (!IsContinuation(p[3])) return FourByteForm::kNotFourByte;
  return FourByteForm::kComplete;
}

}  // namespace

bool CMemoryTextFile::GetLength(uint64_t* length) {
  *length = m_nSize;
  return true;
}

bool CMemoryTextFile::SeekFromStart(uint64_t offset) {
  if (offset > SIZE_MAX) return false;
  m_nPosition = static_cast<size_t>(offset);
  return true;
}

bool CMemoryTextFile::SeekFromCurrent(int64_t offset) {
  if (offset < 0) {
    const uint64_t back = static_cast<uint64_t>(-(offset + 1)) + 1;
    if (back > m_nPosition) return false;
    m_nPosition -= static_cast<size_t>(back);
    return true;
  }
  if (static_cast<uint64_t>(offset) > SIZE_MAX - m_nPosition) return false;
  m_nPosition += static_cast<size_t>(offset);
  return true;
}

bool CMemoryTextFile::Read(void* buffer, size_t bytes, size_t* bytesRead) {
  const size_t left = m_nPosition < m_nSize ? m_nSize - m_nPosition : 0;
  const size_t n = std::min(bytes, left);
  if (n != 0) std::memcpy(buffer, m_pData + m_nPosition, n);
  m_nPosition += n;
  *bytesRead = n;
  return true;
}

// The arithmetic is that of 16-bit units: carries beyond bit 15 are dropped, continuation bytes
// are masked with 0x7F and never checked. Files written by the package tools were read this way
// for years, so every one-, two- and three-byte sequence keeps exactly this reading; only
// well-formed four-byte sequences, which had no usable reading, become surrogate pairs.
void DecodeUtf8Chunk(const unsigned char* source, size_t* sourceLength, char16_t* destination,
                     size_t* destinationCapacity) {
  const size_t n = *sourceLength;
  const size_t capacity = *destinationCapacity;
  size_t i = 0;
  size_t k = 0;
  while (i < n && k < capacity) {
    const unsigned a = source[i];
    if (a < 0x80) {
      // INF text is mostly ASCII: widen eight bytes at a time while none has its high bit set.
      if (n - i >= 8 && capacity - k >= 8) {
        uint64_t eight;
        std::memcpy(&eight, source + i, 8);
        if ((eight & kHighBitsOfEightBytes) == 0) {
          for (int j = 0; j < 8; ++j) destination[k + j] = source[i + j];
          i += 8;
          k += 8;
          continue;
        }
      }
      destination[k++] = static_cast<char16_t>(a);
      i += 1;
      continue;
    }
    if (a < 0xE0) {
      if (i + 1 >= n) break;
      destination[k++] = static_cast<char16_t>((((a & 0x1Fu) << 6) + (source[i + 1] & 0x7Fu)) & 0xFFFFu);
      i += 2;
      continue;
    }
    if (a >= 0xF0 && a <= 0xF4) {
      const FourByteForm form = ClassifyFourByte(source + i, n - i);
      if (form == FourByteForm::kCutShort) break;
      if (form == FourByteForm::kComplete) {
        if (capacity - k < 2) break;
        const uint32_t cp = ((a & 0x07u) << 18) | ((source[i + 1] & 0x3Fu) << 12) | ((source[i + 2] & 0x3Fu) << 6) |
                            (source[i + 3] & 0x3Fu);
        const uint32_t v = cp - 0x10000u;
        destination[k++] = static_cast<char16_t>(0xD800u + (v >> 10));
        destination[k++] = static_cast<char16_t>(0xDC00u + (v & 0x3FFu));
        i += 4;
        continue;
      }
    }
    if (i + 2 >= n) break;
    destination[k++] =
        static_cast<char16_t>(((a << 12) + ((source[i + 1] & 0x7Fu) << 6) + (source[i + 2] & 0x7Fu)) & 0xFFFFu);
    i += 3;
  }
  *sourceLength = i;
  *destinationCapacity = k;
}

CTextFileDecoder::CTextFileDecoder(const IAnsiConverter& ansi) : m_ansi(ansi), m_nCodePage(ansi.CurrentCodePage()) {}

CTextFileDecoder::~CTextFileDecoder() { Release(); }

void CTextFileDecoder::Release() {
  std::free(m_pBuffer);
  m_pBuffer = nullptr;
  m_nCapacity = 0;
  m_nUsed = 0;
}

void CTextFileDecoder::SetChunkLimit(size_t limit) { m_nChunkLimit = std::min(std::max<size_t>(limit, 4), kTextChunkLimit); }

const char16_t* CTextFileDecoder::GetText() const { return m_pBuffer != nullptr ? m_pBuffer : u""; }

std::wstring CTextFileDecoder::GetWideText() const {
  const char16_t* text = GetText();
  const size_t units = GetTextUnits();
  size_t n = 0;
  while (n < units && text[n] != 0) ++n;
  std::wstring wide(n, L'\0');
  if (sizeof(wchar_t) == sizeof(char16_t)) {
    if (n != 0) std::memcpy(&wide[0], text, n * sizeof(char16_t));
  } else {
    for (size_t i = 0; i < n; ++i) wide[i] = static_cast<wchar_t>(text[i]);
  }
  return wide;
}

// Grows to exactly `bytes`, keeping the text; the new room is zeroed so that a terminating zero
// unit always follows the text.
bool CTextFileDecoder::Reserve(size_t bytes) {
  if (bytes <= m_nCapacity) return true;
  const size_t units = bytes / 2 + bytes % 2;
  char16_t* grown = static_cast<char16_t*>(std::calloc(units, sizeof(char16_t)));
  if (grown == nullptr) return false;
  if (m_nUsed != 0) std::memcpy(grown, m_pBuffer, m_nUsed);
  std::free(m_pBuffer);
  m_pBuffer = grown;
  m_nCapacity = units * sizeof(char16_t);
  return true;
}

char16_t* CTextFileDecoder::ReserveTail(size_t units) {
  if (units > (SIZE_MAX - m_nUsed - 2) / 2) return nullptr;
  if (!Reserve(m_nUsed + 2 * units + 2)) return nullptr;
  return m_pBuffer + m_nUsed / 2;
}

void CTextFileDecoder::CommitUnits(size_t units) {
  m_nUsed += 2 * units;
  m_pBuffer[m_nUsed / 2] = 0;
}

bool CTextFileDecoder::ReadFile(ITextFile& file, int requestedCodePage) {
  Release();
  uint64_t length = 0;
  if (!file.GetLength(&length) || length > kMaxTextFileBytes) return Fail();

  unsigned char mark[3] = {0, 0, 0};
  size_t markBytes = 0;
  if (!file.SeekFromStart(0) || !file.Read(mark, sizeof(mark), &markBytes) || !file.SeekFromStart(0)) return Fail();
  const bool haveTwo = markBytes >= 2;
  const bool haveThree = markBytes >= 3;
  const bool markLe = haveTwo && mark[0] == 0xFF && mark[1] == 0xFE;
  const bool markBe = haveTwo && mark[0] == 0xFE && mark[1] == 0xFF;
  const bool markUtf8 = haveThree && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF;

  bool ok;
  if (requestedCodePage == kCodePageUtf16Le || (requestedCodePage == 0 && markLe)) {
    ok = ReadUtf16(file, length, false, markLe);
  } else if (requestedCodePage == kCodePageUtf16Be || (requestedCodePage == 0 && markBe)) {
    ok = ReadUtf16(file, length, true, markBe);
  } else if (requestedCodePage == kCodePageUtf8 || (requestedCodePage == 0 && markUtf8)) {
    ok = ReadUtf8(file, length, markUtf8);
  } else {
    ok = ReadAnsi(file, length, requestedCodePage);
  }
  return ok ? true : Fail();
}

bool CTextFileDecoder::Fail() {
  Release();
  return false;
}

// The units are read straight into the text buffer, which is sized for the whole file up front,
// so a large file costs one copy and no regrowth.
bool CTextFileDecoder::ReadUtf16(ITextFile& file, uint64_t length, bool bigEndian, bool skipMark) {
  const size_t size = static_cast<size_t>(length);
  const size_t chunkUnits = size < m_nChunkLimit ? size / 2 : m_nChunkLimit;
  m_nCodePage = bigEndian ? kCodePageUtf16Be : kCodePageUtf16Le;
  if (!Reserve((size / 2) * 2 + 2)) return false;
  size_t remaining = size;
  if (skipMark) {
    if (!file.SeekFromStart(2)) return false;
    remaining -= 2;
  }
  for (;;) {
    const size_t request = std::min(2 * chunkUnits, remaining);
    if (request == 0) break;
    char16_t* tail = ReserveTail((request + 1) / 2);
    if (tail == nullptr) return false;
    size_t got = 0;
    if (!file.Read(tail, request, &got)) return false;
    if (got == 0) break;
    remaining -= got;
    // An odd last byte is dropped: it is overwritten by the terminating zero or the next read.
    const size_t units = got / 2;
    if (bigEndian) {
      for (size_t i = 0; i < units; ++i) tail[i] = static_cast<char16_t>((tail[i] >> 8) | ((tail[i] & 0xFF) << 8));
    }
    CommitUnits(units);
  }
  return true;
}

// A chunk that ends inside a sequence leaves it unconsumed; the file is stepped back over those
// bytes so that the next chunk starts with the whole sequence.
bool CTextFileDecoder::ReadUtf8(ITextFile& file, uint64_t length, bool skipMark) {
  const size_t size = static_cast<size_t>(length);
  const size_t chunkBytes = size < m_nChunkLimit ? size : m_nChunkLimit;
  std::unique_ptr<unsigned char[]> input(new (std::nothrow) unsigned char[chunkBytes + 1]);
  if (!input || !Reserve(2 * size + 2)) return false;
  m_nCodePage = kCodePageUtf8;
  size_t position = 0;
  if (skipMark) {
    if (!file.SeekFromStart(3)) return false;
    position = 3;
  }
  for (;;) {
    const size_t request = std::min(chunkBytes, size - position);
    if (request == 0) break;
    size_t got = 0;
    if (!file.Read(input.get(), request, &got)) return false;
    if (got == 0) break;
    // Never more units than bytes: the buffer reserved for the whole file already holds them.
    char16_t* tail = ReserveTail(got);
    if (tail == nullptr) return false;
    size_t consumed = got;
    size_t units = got;
    DecodeUtf8Chunk(input.get(), &consumed, tail, &units);
    if (units == 0) break;
    CommitUnits(units);
    position += consumed;
    if (consumed < got && !file.SeekFromCurrent(-static_cast<int64_t>(got - consumed))) return false;
  }
  return true;
}

bool CTextFileDecoder::ReadAnsi(ITextFile& file, uint64_t length, int requestedCodePage) {
  const size_t size = static_cast<size_t>(length);
  std::unique_ptr<char[]> bytes(new (std::nothrow) char[size + 1]());
  if (!bytes) return false;
  if (requestedCodePage == 0) m_nCodePage = m_ansi.CurrentCodePage();
  if (!file.SeekFromStart(0)) return false;
  size_t total = 0;
  while (total < size) {
    size_t got = 0;
    if (!file.Read(bytes.get() + total, size - total, &got)) return false;
    if (got == 0) break;
    total += got;
  }
  if (total == 0) return true;
  const size_t units = m_ansi.Convert(m_nCodePage, bytes.get(), total, nullptr, 0);
  if (units == 0) return true;
  char16_t* tail = ReserveTail(units);
  if (tail == nullptr) return false;
  const size_t written = m_ansi.Convert(m_nCodePage, bytes.get(), total, tail, units);
  CommitUnits(std::min(written, units));
  return true;
}

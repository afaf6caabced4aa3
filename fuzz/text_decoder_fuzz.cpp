// Decodes arbitrary bytes in every mode of the text decoder and checks what must hold whatever the
// input: chunking never changes the text, UTF-16 is the bytes themselves (swapped for big-endian),
// well-formed UTF-8 decodes to its exact UTF-16 form, and the text is always terminated.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "package/text_decoder_core.h"

namespace {

// Latin-1 stands in for the system's conversion: one unit per byte.
class CLatin1Converter : public IAnsiConverter {
 public:
  int CurrentCodePage() const override { return 28591; }
  size_t Convert(int, const char* bytes, size_t count, char16_t* units, size_t capacity) const override {
    if (units == nullptr) return count;
    const size_t n = count < capacity ? count : capacity;
    for (size_t i = 0; i < n; ++i) units[i] = static_cast<unsigned char>(bytes[i]);
    return n;
  }
};

void Check(bool condition) {
  if (!condition) std::abort();
}

// Strict UTF-8 to UTF-16; false for anything ill-formed (overlong forms, surrogates, cut short).
bool StrictUtf8ToUtf16(const unsigned char* s, size_t n, std::u16string* out) {
  size_t i = 0;
  while (i < n) {
    const unsigned a = s[i];
    uint32_t cp;
    size_t len;
    if (a < 0x80) {
      cp = a;
      len = 1;
    } else if (a >= 0xC2 && a <= 0xDF) {
      cp = a & 0x1F;
      len = 2;
    } else if (a >= 0xE0 && a <= 0xEF) {
      cp = a & 0x0F;
      len = 3;
    } else if (a >= 0xF0 && a <= 0xF4) {
      cp = a & 0x07;
      len = 4;
    } else {
      return false;
    }
    if (n - i < len) return false;
    for (size_t j = 1; j < len; ++j) {
      if ((s[i + j] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (s[i + j] & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    if (cp >= 0x10000) {
      out->push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out->push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out->push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return true;
}

std::u16string Decode(const uint8_t* data, size_t size, int codePage, size_t chunk, const IAnsiConverter& ansi,
                      int* usedCodePage) {
  CMemoryTextFile file(data, size);
  CTextFileDecoder decoder(ansi);
  decoder.SetChunkLimit(chunk);
  Check(decoder.ReadFile(file, codePage));
  const char16_t* text = decoder.GetText();
  Check(text[decoder.GetTextUnits()] == 0);
  *usedCodePage = decoder.GetCodePage();
  return std::u16string(text, decoder.GetTextUnits());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const int kModes[] = {0, kCodePageUtf16Le, kCodePageUtf16Be, kCodePageUtf8, 936};
  const int requested = kModes[data[0] % 5];
  const size_t chunk = 4 + data[1] % 29;
  data += 2;
  size -= 2;

  CLatin1Converter ansi;
  int smallCodePage = 0;
  int wholeCodePage = 0;
  const std::u16string small = Decode(data, size, requested, chunk, ansi, &smallCodePage);
  const std::u16string whole = Decode(data, size, requested, kTextChunkLimit, ansi, &wholeCodePage);
  Check(small == whole);
  Check(smallCodePage == wholeCodePage);

  const bool markLe = size >= 2 && data[0] == 0xFF && data[1] == 0xFE;
  const bool markBe = size >= 2 && data[0] == 0xFE && data[1] == 0xFF;
  const bool markUtf8 = size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF;
  if (wholeCodePage == kCodePageUtf16Le || wholeCodePage == kCodePageUtf16Be) {
    const bool be = wholeCodePage == kCodePageUtf16Be;
    const size_t skip = (be ? markBe : markLe) ? 2 : 0;
    std::u16string expected;
    for (size_t i = skip; i + 1 < size; i += 2) {
      expected.push_back(be ? static_cast<char16_t>(data[i] << 8 | data[i + 1])
                            : static_cast<char16_t>(data[i + 1] << 8 | data[i]));
    }
    Check(whole == expected);
  } else if (wholeCodePage == kCodePageUtf8) {
    const size_t skip = markUtf8 ? 3 : 0;
    std::u16string expected;
    if (StrictUtf8ToUtf16(data + skip, size - skip, &expected)) Check(whole == expected);
    Check(whole.size() <= size - skip);
  } else {
    Check(requested != kCodePageUtf16Le && requested != kCodePageUtf16Be && requested != kCodePageUtf8);
    Check(whole.size() == size);
    for (size_t i = 0; i < size; ++i) Check(whole[i] == data[i]);
  }
  return 0;
}

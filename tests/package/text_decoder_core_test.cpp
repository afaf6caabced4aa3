// The text decoder on memory files: mark detection, the UTF-16 and UTF-8 paths with their chunking,
// the byte-exact reading of odd UTF-8, and refusal of files no INF can be.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "package/text_decoder_core.h"

namespace {

// One unit per byte, and a record of the code page it was asked to use.
class CFakeAnsi : public IAnsiConverter {
 public:
  explicit CFakeAnsi(int codePage = 936) : m_codePage(codePage) {}
  int CurrentCodePage() const override { return m_codePage; }
  size_t Convert(int codePage, const char* bytes, size_t count, char16_t* units, size_t capacity) const override {
    lastCodePage = codePage;
    if (units == nullptr) return count;
    const size_t n = count < capacity ? count : capacity;
    for (size_t i = 0; i < n; ++i) units[i] = static_cast<unsigned char>(bytes[i]);
    return n;
  }
  int m_codePage;
  mutable int lastCodePage = -1;
};

struct CBytesHolder {
  std::string bytes;
};

// A file whose reads after the first fail, or whose length is far beyond what it holds.
class CFaultyFile : private CBytesHolder, public CMemoryTextFile {
 public:
  CFaultyFile(const std::string& content, uint64_t claimedLength, bool failReads)
      : CBytesHolder{content},
        CMemoryTextFile(CBytesHolder::bytes.data(), CBytesHolder::bytes.size()),
        m_length(claimedLength),
        m_failReads(failReads) {}
  bool GetLength(uint64_t* length) override {
    *length = m_length;
    return true;
  }
  bool Read(void* buffer, size_t bytes, size_t* bytesRead) override {
    ++reads;
    if (m_failReads && reads > 1) return false;
    return CMemoryTextFile::Read(buffer, bytes, bytesRead);
  }
  int reads = 0;

 private:
  uint64_t m_length;
  bool m_failReads;
};

struct Decoded {
  std::u16string text;
  int codePage;
  bool ok;
};

Decoded DecodeBytes(const std::string& bytes, int requested = 0, size_t chunk = kTextChunkLimit,
                    const IAnsiConverter* ansi = nullptr) {
  static const CFakeAnsi defaultAnsi;
  CMemoryTextFile file(bytes.data(), bytes.size());
  CTextFileDecoder decoder(ansi != nullptr ? *ansi : defaultAnsi);
  decoder.SetChunkLimit(chunk);
  Decoded d;
  d.ok = decoder.ReadFile(file, requested);
  d.text.assign(decoder.GetText(), decoder.GetTextUnits());
  EXPECT_EQ(decoder.GetText()[decoder.GetTextUnits()], 0) << "text is not terminated";
  d.codePage = decoder.GetCodePage();
  return d;
}

std::string Utf16(const std::u16string& text, bool mark, bool bigEndian) {
  std::string out(mark ? 2 : 0, '\0');
  if (mark) out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  const size_t start = out.size();
  out.resize(start + 2 * text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    out[start + 2 * i + (bigEndian ? 1 : 0)] = static_cast<char>(text[i] & 0xFF);
    out[start + 2 * i + (bigEndian ? 0 : 1)] = static_cast<char>(text[i] >> 8);
  }
  return out;
}

std::string Utf16Le(const std::u16string& text, bool mark) { return Utf16(text, mark, false); }
std::string Utf16Be(const std::u16string& text, bool mark) { return Utf16(text, mark, true); }

// A byte string that may hold zero bytes.
template <size_t N>
std::string B(const char (&bytes)[N]) {
  return std::string(bytes, N - 1);
}

const std::string kUtf8Mark = "\xEF\xBB\xBF";

std::u16string DecodeUtf8(const std::string& bytes, size_t chunk = kTextChunkLimit) {
  return DecodeBytes(kUtf8Mark + bytes, 0, chunk).text;
}

}  // namespace

TEST(TextDecoderMarks, EmptyFileIsAnsiAndEmpty) {
  CFakeAnsi ansi(1252);
  const Decoded d = DecodeBytes("", 0, kTextChunkLimit, &ansi);
  EXPECT_TRUE(d.ok);
  EXPECT_TRUE(d.text.empty());
  EXPECT_EQ(d.codePage, 1252);
}

TEST(TextDecoderMarks, EachMarkSelectsItsModeAndIsNotText) {
  const std::u16string text = u"[Version]\r\n\u6253\u5370";
  Decoded le = DecodeBytes(Utf16Le(text, true));
  EXPECT_EQ(le.text, text);
  EXPECT_EQ(le.codePage, kCodePageUtf16Le);
  Decoded be = DecodeBytes(Utf16Be(text, true));
  EXPECT_EQ(be.text, text);
  EXPECT_EQ(be.codePage, kCodePageUtf16Be);
  Decoded u8 = DecodeBytes(kUtf8Mark + "[Version]\r\n\xE6\x89\x93\xE5\x8D\xB0");
  EXPECT_EQ(u8.text, text);
  EXPECT_EQ(u8.codePage, kCodePageUtf8);
}

TEST(TextDecoderMarks, TextWithoutMarkGoesThroughTheAnsiConversion) {
  CFakeAnsi ansi(936);
  const Decoded d = DecodeBytes("\xE6\x89\x93", 0, kTextChunkLimit, &ansi);
  EXPECT_EQ(d.text, std::u16string(u"\u00E6\u0089\u0093"));
  EXPECT_EQ(d.codePage, 936);
  EXPECT_EQ(ansi.lastCodePage, 936);
  // A UTF-16 text without its mark is no exception.
  EXPECT_EQ(DecodeBytes(Utf16Le(u"AB", false)).text, std::u16string(u"A\0B\0", 4));
}

TEST(TextDecoderMarks, ShortFilesCannotHoldAMark) {
  EXPECT_EQ(DecodeBytes("\xFF").codePage, 936);
  EXPECT_EQ(DecodeBytes("\xEF\xBB").codePage, 936);
  const Decoded onlyMark = DecodeBytes("\xFF\xFE");
  EXPECT_EQ(onlyMark.codePage, kCodePageUtf16Le);
  EXPECT_TRUE(onlyMark.text.empty());
  EXPECT_TRUE(DecodeBytes(kUtf8Mark).text.empty());
}

TEST(TextDecoderMarks, RequestedCodePageOverridesDetection) {
  // Forced UTF-16LE skips only its own mark: a big-endian mark stays as text.
  EXPECT_EQ(DecodeBytes(B("\xFE\xFF" "A\0"), kCodePageUtf16Le).text, std::u16string(u"\uFFFEA"));
  EXPECT_EQ(DecodeBytes(B("\xFF\xFE" "A\0"), kCodePageUtf16Le).text, u"A");
  EXPECT_EQ(DecodeBytes(B("\0A"), kCodePageUtf16Be).text, u"A");
  EXPECT_EQ(DecodeBytes("\xE4\xB8\xAD", kCodePageUtf8).text, u"\u4E2D");
  // Any other request reads ANSI text with the code page the decoder already holds.
  CFakeAnsi ansi(950);
  const Decoded other = DecodeBytes(B("\xFF\xFE" "A\0"), 936, kTextChunkLimit, &ansi);
  EXPECT_EQ(other.codePage, 950);
  EXPECT_EQ(other.text.size(), 4u);
}

TEST(TextDecoderUtf16, OddLastByteIsDropped) {
  EXPECT_EQ(DecodeBytes(Utf16Le(u"AB", true) + "C").text, u"AB");
  EXPECT_EQ(DecodeBytes(Utf16Be(u"AB", true) + "C").text, u"AB");
}

TEST(TextDecoderUtf16, ChunksAppearInOrder) {
  std::u16string text;
  for (int i = 0; i < 1000; ++i) text.push_back(static_cast<char16_t>(0x4E00 + i));
  for (size_t chunk : {4u, 7u, 64u, 999u, 1000u, 1001u}) {
    EXPECT_EQ(DecodeBytes(Utf16Le(text, true), 0, chunk).text, text) << chunk;
    EXPECT_EQ(DecodeBytes(Utf16Be(text, true), 0, chunk).text, text) << chunk;
  }
}

TEST(TextDecoderUtf16, FileOfMoreThanTwoFullChunks) {
  // More than 8,388,608 bytes: the real chunk size is crossed twice.
  std::u16string text(4194304 * 2 + 12345, u'\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(0x20 + i % 0xD000);
  const Decoded le = DecodeBytes(Utf16Le(text, true));
  EXPECT_TRUE(le.text == text);
  const Decoded be = DecodeBytes(Utf16Be(text, true));
  EXPECT_TRUE(be.text == text);
}

TEST(TextDecoderUtf8, WellFormedTextOfEveryLength) {
  EXPECT_EQ(DecodeUtf8("A\xC3\xA9\xE4\xB8\xAD"), u"A\u00E9\u4E2D");
  EXPECT_EQ(DecodeUtf8("\xEF\xBF\xBD\xE2\x82\xAC"), u"\uFFFD\u20AC");
  // Four-byte sequences become their surrogate pair and do not disturb what follows.
  EXPECT_EQ(DecodeUtf8("\xF0\x9F\x96\xA8" "A"), u"\U0001F5A8A");
  EXPECT_EQ(DecodeUtf8("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"), u"\U00010000\U0010FFFF");
}

TEST(TextDecoderUtf8, IllFormedBytesKeepTheirLongStandingReading) {
  // Stray continuation bytes pair with the next byte as a two-byte sequence.
  EXPECT_EQ(DecodeUtf8("\x80" "A"), std::u16string(1, char16_t(0x41)));
  EXPECT_EQ(DecodeUtf8("\xBF\xFF"), std::u16string(1, char16_t((0x1F << 6) + 0x7F)));
  // Continuation bytes are masked with 0x7F and not checked.
  EXPECT_EQ(DecodeUtf8("\xC3" "A"), std::u16string(1, char16_t((3 << 6) + 0x41)));
  EXPECT_EQ(DecodeUtf8("\xE4" "AB"), std::u16string(1, char16_t((4 << 12) + (0x41 << 6) + 0x42)));
  // Overlong forms and encoded surrogates are read, not rejected.
  EXPECT_EQ(DecodeUtf8("\xC0\x80" "x"), std::u16string(u"\0x", 2));
  EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), std::u16string(1, char16_t(0xD800)));
  // Leads F0 to FF outside a well-formed four-byte sequence are three-byte leads, 16-bit wrapped.
  EXPECT_EQ(DecodeUtf8("\xF5\x80\x80"), std::u16string(1, char16_t(0x5000)));
  EXPECT_EQ(DecodeUtf8("\xFF\xFF\xFF"), std::u16string(1, char16_t(0x103F)));
  EXPECT_EQ(DecodeUtf8("\xF0\x8F\x80\x80"), (std::u16string{char16_t(0x03C0)}));
  EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80" "A"), (std::u16string{char16_t(0x4400), u'A'}));
  EXPECT_EQ(DecodeUtf8("\xF0" "ABC"), (std::u16string{char16_t((0x41 << 6) + 0x42), u'C'}));
}

TEST(TextDecoderUtf8, SequenceCutShortAtTheEndIsLeftOut) {
  EXPECT_EQ(DecodeUtf8("ab\xE4\xB8"), u"ab");
  EXPECT_EQ(DecodeUtf8("ab\xC3"), u"ab");
  EXPECT_EQ(DecodeUtf8("ab\xF0\x9F\x96"), u"ab");
  // Only the tail is lost: a cut sequence in the middle is not a stopping point.
  EXPECT_EQ(DecodeUtf8("\xE4\xB8"), u"");
}

TEST(TextDecoderUtf8, ChunkBoundaryInsideASequence) {
  // Every split position of every sequence length must give the whole text once.
  const std::string text = "ab\xC3\xA9" "c\xE4\xB8\xAD" "d\xF0\x9F\x96\xA8" "e\x80" "f\xF5\x80\x80" "g";
  const std::u16string whole = DecodeUtf8(text);
  EXPECT_EQ(whole.substr(0, 8), u"ab\u00E9c\u4E2Dd\U0001F5A8");
  for (size_t chunk = 4; chunk <= text.size() + 4; ++chunk) {
    EXPECT_EQ(DecodeUtf8(text, chunk), whole) << "chunk " << chunk;
  }
}

TEST(TextDecoderUtf8, MultiByteCharacterAcrossTheRealChunkBoundary) {
  // The first chunk (after the mark) ends one byte into a three-byte character, the second two
  // bytes into a four-byte one.
  std::string body(4194304 - 1, 'x');
  body += "\xE4\xB8\xAD" "tail\xF0\x9F\x96\xA8";
  const std::string more(4194303 + 4194304 - 2 - body.size(), 'y');
  body += more + "\xF0\x9F\x96\xA8" "end";
  const std::u16string text = DecodeUtf8(body);
  std::u16string expected(4194304 - 1, u'x');
  expected += u"\u4E2Dtail\U0001F5A8" + std::u16string(more.size(), u'y') + u"\U0001F5A8end";
  EXPECT_TRUE(text == expected) << text.size() << " vs " << expected.size();
}

TEST(TextDecoderUtf8, DecodeChunkHonoursTheDestination) {
  const unsigned char source[] = {'a', 0xF0, 0x9F, 0x96, 0xA8, 'b'};
  char16_t out[8] = {};
  size_t length = sizeof(source);
  size_t capacity = 2;  // room for 'a' and half a pair: the pair waits
  DecodeUtf8Chunk(source, &length, out, &capacity);
  EXPECT_EQ(length, 1u);
  EXPECT_EQ(capacity, 1u);
  length = sizeof(source);
  capacity = 8;
  DecodeUtf8Chunk(source, &length, out, &capacity);
  EXPECT_EQ(length, 6u);
  EXPECT_EQ(std::u16string(out, capacity), u"a\U0001F5A8b");
}

TEST(TextDecoderLimits, FilesBeyondSixtyFourMegabytesAreRefused) {
  for (uint64_t length : {uint64_t{kMaxTextFileBytes + 1}, uint64_t{0x80000000}, uint64_t{0x100000002}, uint64_t{0xFFFFFFFFFFFFFFFF}}) {
    CFaultyFile file(B("\xFF\xFE" "A\0"), length, false);
    CFakeAnsi ansi;
    CTextFileDecoder decoder(ansi);
    EXPECT_FALSE(decoder.ReadFile(file, 0)) << length;
    EXPECT_EQ(decoder.GetText()[0], 0);
    EXPECT_EQ(decoder.GetCapacity(), 0u);
    EXPECT_EQ(file.reads, 0);
  }
}

TEST(TextDecoderLimits, LengthAboveTheContentReadsWhatIsThere) {
  CFaultyFile file(kUtf8Mark + "abc", kMaxTextFileBytes, false);
  CFakeAnsi ansi;
  CTextFileDecoder decoder(ansi);
  ASSERT_TRUE(decoder.ReadFile(file, 0));
  EXPECT_EQ(std::u16string(decoder.GetText()), u"abc");
}

TEST(TextDecoderLimits, ReadErrorEmptiesTheText) {
  for (const std::string& bytes : {Utf16Le(u"abc", true), kUtf8Mark + "abc", std::string("abc")}) {
    CFaultyFile file(bytes, bytes.size(), true);
    CFakeAnsi ansi;
    CTextFileDecoder decoder(ansi);
    EXPECT_FALSE(decoder.ReadFile(file, 0));
    EXPECT_EQ(decoder.GetText()[0], 0);
    EXPECT_EQ(decoder.GetTextUnits(), 0u);
  }
}

TEST(TextDecoderLimits, BufferGrowsToWhatTheTextNeeds) {
  CFakeAnsi ansi;
  const std::string bytes = Utf16Le(u"abcd", true);
  CMemoryTextFile file(bytes.data(), bytes.size());
  CTextFileDecoder decoder(ansi);
  ASSERT_TRUE(decoder.ReadFile(file, 0));
  EXPECT_EQ(decoder.GetCapacity(), bytes.size() + 2);
  decoder.Release();
  EXPECT_EQ(decoder.GetCapacity(), 0u);
  EXPECT_EQ(decoder.GetText()[0], 0);
}

// Throughput of the text decoder on 64 MiB files held in memory, next to memcpy of the same bytes
// measured in the same iterations: into a fresh buffer (what the decoder must produce, page faults
// included) and into a buffer already touched.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "package/text_decoder_core.h"

namespace {

constexpr size_t kInputBytes = 64u * 1024 * 1024;

class CNoAnsi : public IAnsiConverter {
 public:
  int CurrentCodePage() const override { return 0; }
  size_t Convert(int, const char*, size_t, char16_t*, size_t) const override { return 0; }
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// INF-like lines: mostly ASCII, or a model table written in Chinese.
std::u16string Line(size_t n, bool chinese) {
  std::u16string line;
  if (chinese) {
    for (int i = 0; i < 30; ++i) line += static_cast<char16_t>(0x4E00 + (n * 31 + i * 7) % 0x5000);
    line += u" = S\r\n";
  } else {
    line = u"\"KESTROM KQ-80 model " + std::u16string(1, static_cast<char16_t>(u'A' + n % 26)) +
           u"\" = KQ80.GPD, USBPRINT\\KESTROMKQ-80E5A1\r\n";
  }
  return line;
}

std::string MakeInput(int kind) {
  std::string out;
  out.reserve(kInputBytes + 256);
  if (kind == 0) out = "\xFF\xFE";
  if (kind == 1) out = "\xFE\xFF";
  if (kind >= 2) out = "\xEF\xBB\xBF";
  for (size_t n = 0; out.size() < kInputBytes; ++n) {
    const std::u16string line = Line(n, kind == 3 || (kind < 2 && n % 4 == 0));
    for (char16_t u : line) {
      if (kind == 0) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
      } else if (kind == 1) {
        out += static_cast<char>(u >> 8);
        out += static_cast<char>(u & 0xFF);
      } else {
        AppendUtf8(out, u);
      }
    }
  }
  out.resize(kInputBytes);
  return out;
}

const std::string& Input(int kind) {
  static std::string inputs[4];
  if (inputs[kind].empty()) inputs[kind] = MakeInput(kind);
  return inputs[kind];
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_Decode(benchmark::State& state) {
  const std::string& input = Input(static_cast<int>(state.range(0)));
  CNoAnsi ansi;
  std::unique_ptr<char[]> warm(new char[input.size()]);
  std::memset(warm.get(), 1, input.size());
  double decodeSeconds = 0;
  double freshSeconds = 0;
  double warmSeconds = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    {
      CMemoryTextFile file(input.data(), input.size());
      CTextFileDecoder decoder(ansi);
      decoder.ReadFile(file, 0);
      benchmark::DoNotOptimize(decoder.GetText());
    }
    auto t1 = std::chrono::steady_clock::now();
    {
      std::unique_ptr<char[]> fresh(new char[input.size()]);
      std::memcpy(fresh.get(), input.data(), input.size());
      benchmark::DoNotOptimize(fresh.get());
      benchmark::ClobberMemory();
    }
    auto t2 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(warm.get());
    std::memcpy(warm.get(), input.data(), input.size());
    benchmark::DoNotOptimize(warm.get());
    benchmark::ClobberMemory();
    auto t3 = std::chrono::steady_clock::now();
    decodeSeconds += Seconds(t1 - t0);
    freshSeconds += Seconds(t2 - t1);
    warmSeconds += Seconds(t3 - t2);
    state.SetIterationTime(Seconds(t1 - t0));
  }
  const double mb = static_cast<double>(input.size()) * state.iterations() / 1e6;
  state.counters["decode_MB/s"] = mb / decodeSeconds;
  state.counters["memcpy_fresh_MB/s"] = mb / freshSeconds;
  state.counters["memcpy_warm_MB/s"] = mb / warmSeconds;
  state.counters["x_fresh_memcpy"] = decodeSeconds / freshSeconds;
  state.counters["x_warm_memcpy"] = decodeSeconds / warmSeconds;
}

// The UTF-8 decoding alone, chunk by chunk as the decoder reads, into output memory already
// touched: what the decoder costs apart from the fresh memory it must fill.
void BM_Utf8Kernel(benchmark::State& state) {
  const std::string& input = Input(static_cast<int>(state.range(0)));
  std::unique_ptr<char16_t[]> out(new char16_t[input.size() + 1]);
  std::memset(out.get(), 1, (input.size() + 1) * sizeof(char16_t));
  std::unique_ptr<char[]> warm(new char[input.size()]);
  std::memset(warm.get(), 1, input.size());
  double decodeSeconds = 0;
  double warmSeconds = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    const unsigned char* source = reinterpret_cast<const unsigned char*>(input.data()) + 3;
    size_t left = input.size() - 3;
    size_t produced = 0;
    while (left != 0) {
      size_t length = left < kTextChunkLimit ? left : kTextChunkLimit;
      size_t units = length;
      DecodeUtf8Chunk(source, &length, out.get() + produced, &units);
      if (units == 0) break;
      produced += units;
      source += length;
      left -= length;
    }
    benchmark::DoNotOptimize(out.get());
    benchmark::ClobberMemory();
    auto t1 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(warm.get());
    std::memcpy(warm.get(), input.data(), input.size());
    benchmark::DoNotOptimize(warm.get());
    benchmark::ClobberMemory();
    auto t2 = std::chrono::steady_clock::now();
    decodeSeconds += Seconds(t1 - t0);
    warmSeconds += Seconds(t2 - t1);
    state.SetIterationTime(Seconds(t1 - t0));
  }
  const double mb = static_cast<double>(input.size()) * state.iterations() / 1e6;
  state.counters["decode_MB/s"] = mb / decodeSeconds;
  state.counters["memcpy_warm_MB/s"] = mb / warmSeconds;
  state.counters["x_warm_memcpy"] = decodeSeconds / warmSeconds;
}

}  // namespace

BENCHMARK(BM_Utf8Kernel)->ArgName("utf8_ascii")->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Utf8Kernel)->ArgName("utf8_chinese")->Arg(3)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Decode)->ArgName("utf16le")->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Decode)->ArgName("utf16be")->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Decode)->ArgName("utf8_ascii")->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Decode)->ArgName("utf8_chinese")->Arg(3)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();

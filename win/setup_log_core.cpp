#include "win/setup_log_core.h"

#include <cstring>

const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
const char kSetupLogRunMark[] = "===== ";

namespace {

constexpr size_t kTimeLength = 23;  // "YYYY-MM-DD hh:mm:ss.mmm"

// Zero-padded decimal digits, by hand: no printf for a handful of numbers.
void AppendNumber(std::string& out, int value, int digits) {
  std::string text;
  for (unsigned rest = value < 0 ? 0u : static_cast<unsigned>(value); text.empty() || rest != 0; rest /= 10) {
    text.insert(text.begin(), static_cast<char>('0' + rest % 10));
  }
  if (text.size() < static_cast<size_t>(digits)) text.insert(0, static_cast<size_t>(digits) - text.size(), '0');
  out += text;
}

}  // namespace

std::string FormatLogTime(const LogTime& time) {
  std::string out;
  AppendNumber(out, time.year, 4);
  out += '-';
  AppendNumber(out, time.month, 2);
  out += '-';
  AppendNumber(out, time.day, 2);
  out += ' ';
  AppendNumber(out, time.hour, 2);
  out += ':';
  AppendNumber(out, time.minute, 2);
  out += ':';
  AppendNumber(out, time.second, 2);
  out += '.';
  AppendNumber(out, time.milliseconds, 3);
  return out;
}

std::string FormatLogLines(const std::string& time, const std::string& utf8Text) {
  std::string out;
  size_t start = 0;
  for (;;) {
    size_t end = utf8Text.find_first_of("\r\n", start);
    const std::string line = utf8Text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    out += time;
    out += ' ';
    out += line;
    out += "\r\n";
    if (end == std::string::npos) break;
    // CRLF is one line end.
    if (utf8Text[end] == '\r' && end + 1 < utf8Text.size() && utf8Text[end + 1] == '\n') ++end;
    start = end + 1;
    if (start >= utf8Text.size()) break;
  }
  return out;
}

bool IsRunStartAt(const std::string& content, size_t offset) {
  const size_t markLength = std::strlen(kSetupLogRunMark);
  if (offset + kTimeLength + 1 + markLength > content.size()) return false;
  return content.compare(offset + kTimeLength + 1, markLength, kSetupLogRunMark) == 0;
}

size_t TrimmedLogStart(const std::string& content, size_t keepBytes) {
  const size_t bom = content.compare(0, 3, kUtf8ByteOrderMark) == 0 ? 3 : 0;
  if (content.size() - bom <= keepBytes) return bom;
  // The first run start at or after the earliest place from which the rest would fit.
  const size_t earliest = content.size() - keepBytes;
  for (size_t line = bom; line < content.size();) {
    if (line >= earliest && IsRunStartAt(content, line)) return line;
    const size_t end = content.find('\n', line);
    if (end == std::string::npos) break;
    line = end + 1;
  }
  return content.size();
}

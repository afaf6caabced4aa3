#include "win/setup_log_core.h"

#include <cstring>

const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
const char kSetupLogRunMark[] = "===== ";

namespace {

constexpr size_t kTimeLength = 23;  // "YYYY-MM-DD hh:mm:ss.mmm"
constexpr size_t kBomLength = 3;
// "[" and up to ten digits (a 32-bit process id) and "] ".
constexpr size_t kMaxProcessIdDigits = 10;

// Zero-padded decimal digits, by hand: no printf for a handful of numbers.
void AppendNumber(std::string& out, unsigned long value, int digits) {
  std::string text;
  for (unsigned long rest = value; text.empty() || rest != 0; rest /= 10) {
    text.insert(text.begin(), static_cast<char>('0' + rest % 10));
  }
  if (text.size() < static_cast<size_t>(digits)) text.insert(0, static_cast<size_t>(digits) - text.size(), '0');
  out += text;
}

void AppendNumber(std::string& out, int value, int digits) {
  AppendNumber(out, value < 0 ? 0ul : static_cast<unsigned long>(value), digits);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether "YYYY-MM-DD hh:mm:ss.mmm " starts at `offset`.
bool IsTimeAt(const std::string& content, size_t offset) {
  static const char kShape[] = "0000-00-00 00:00:00.000 ";
  const size_t length = sizeof(kShape) - 1;
  if (offset > content.size() || content.size() - offset < length) return false;
  for (size_t i = 0; i < length; ++i) {
    const char c = content[offset + i];
    if (kShape[i] == '0' ? !IsDigit(c) : c != kShape[i]) return false;
  }
  return true;
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

std::string FormatLogStamp(const LogTime& time, unsigned long processId) {
  std::string out = FormatLogTime(time);
  out += " [";
  AppendNumber(out, processId, 1);
  out += ']';
  return out;
}

std::string FormatRunStartText(const std::string& program, const std::string& computer) {
  std::string text = kSetupLogRunMark + program;
  if (!computer.empty()) text += " on computer " + computer;
  return text + " =====";
}

std::string FormatLogLines(const std::string& stamp, const std::string& utf8Text) {
  std::string out;
  size_t start = 0;
  for (;;) {
    size_t end = utf8Text.find_first_of("\r\n", start);
    const std::string line = utf8Text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    out += stamp;
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

size_t LogLineTextStart(const std::string& content, size_t offset) {
  if (!IsTimeAt(content, offset)) return std::string::npos;
  size_t text = offset + kTimeLength + 1;
  // "[4242] ", which older logs do not have.
  if (text < content.size() && content[text] == '[') {
    size_t digit = text + 1;
    while (digit < content.size() && IsDigit(content[digit]) && digit - text <= kMaxProcessIdDigits) ++digit;
    if (digit > text + 1 && digit + 1 < content.size() && content[digit] == ']' && content[digit + 1] == ' ') {
      text = digit + 2;
    }
  }
  return text;
}

bool IsRunStartAt(const std::string& content, size_t offset) {
  const size_t text = LogLineTextStart(content, offset);
  if (text == std::string::npos) return false;
  const size_t markLength = std::strlen(kSetupLogRunMark);
  return content.size() - text >= markLength && content.compare(text, markLength, kSetupLogRunMark) == 0;
}

bool StartsAsSetupLog(const std::string& head) {
  return head.compare(0, kBomLength, kUtf8ByteOrderMark) == 0 && IsRunStartAt(head, kBomLength);
}

size_t TrimmedLogStart(const std::string& content, size_t keepBytes) {
  if (!StartsAsSetupLog(content.substr(0, kSetupLogHeadBytes))) return 0;
  if (content.size() - kBomLength <= keepBytes) return kBomLength;
  // The first run start at or after the earliest place from which the rest would fit, else the
  // newest run start of all.
  const size_t earliest = content.size() - keepBytes;
  size_t newest = kBomLength;
  for (size_t line = kBomLength; line < content.size();) {
    if (IsRunStartAt(content, line)) {
      if (line >= earliest) return line;
      newest = line;
    }
    const size_t end = content.find('\n', line);
    if (end == std::string::npos) break;
    line = end + 1;
  }
  return newest;
}

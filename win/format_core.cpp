#include "win/format_core.h"

namespace {

std::wstring NumberText(long long n, size_t width, bool zeroPad) {
  const bool negative = n < 0;
  unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
  std::wstring digits;
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  const size_t signWidth = negative ? 1 : 0;
  if (digits.size() + signWidth < width) {
    digits.insert(0, width - digits.size() - signWidth, zeroPad ? L'0' : L' ');
  }
  if (negative) {
    if (zeroPad) {
      digits.insert(digits.begin(), L'-');
    } else {
      size_t firstDigit = digits.find_first_not_of(L' ');
      digits.insert(firstDigit, 1, L'-');
    }
  }
  return digits;
}

}  // namespace

bool IsWhiteSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring FormatText(const std::wstring& format, const std::vector<FormatArg>& args) {
  std::wstring out;
  out.reserve(format.size() + 16);
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    const wchar_t c = format[i];
    if (c != L'%' || i + 1 >= format.size()) {
      out += c;
      continue;
    }
    size_t j = i + 1;
    if (format[j] == L'%') {
      out += L'%';
      i = j;
      continue;
    }
    bool zeroPad = false;
    if (format[j] == L'0') {
      zeroPad = true;
      ++j;
    }
    size_t width = 0;
    while (j < format.size() && format[j] >= L'0' && format[j] <= L'9' && width < 64) {
      width = width * 10 + static_cast<size_t>(format[j] - L'0');
      ++j;
    }
    if (j >= format.size() || (format[j] != L's' && format[j] != L'd')) {
      // Not a conversion we know: keep it literally.
      out += c;
      continue;
    }
    const FormatArg* arg = next < args.size() ? &args[next] : nullptr;
    ++next;
    if (format[j] == L'd') {
      out += NumberText(arg && arg->isNumber ? arg->number : 0, width, zeroPad);
    } else if (arg) {
      std::wstring text = arg->isNumber ? NumberText(arg->number, 0, false) : arg->text;
      if (text.size() < width) out.append(width - text.size(), L' ');
      out += text;
    }
    i = j;
  }
  return out;
}

std::wstring ToUpperAscii(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return text;
}

std::wstring ToLowerAscii(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

bool EqualsIgnoreAsciiCase(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && ToUpperAscii(a) == ToUpperAscii(b);
}

std::wstring TrimRightWhiteSpace(const std::wstring& text) {
  size_t end = text.size();
  while (end > 0 && IsWhiteSpace(text[end - 1])) --end;
  return text.substr(0, end);
}

std::wstring TrimLeftWhiteSpace(const std::wstring& text) {
  size_t start = 0;
  while (start < text.size() && IsWhiteSpace(text[start])) ++start;
  return text.substr(start);
}

std::wstring TrimWhiteSpace(const std::wstring& text) { return TrimLeftWhiteSpace(TrimRightWhiteSpace(text)); }

// printf-style formatting of our own string-table texts, without the C runtime's varargs: only
// "%s", "%d" (with an optional zero-padded width such as "%03d") and "%%" are understood, and a
// missing argument formats as nothing, so a text can never read past what it was given.
#pragma once

#include <string>
#include <vector>

struct FormatArg {
  FormatArg(const std::wstring& s) : isNumber(false), number(0), text(s) {}
  FormatArg(const wchar_t* s) : isNumber(false), number(0), text(s ? s : L"") {}
  FormatArg(int n) : isNumber(true), number(n), text() {}
  FormatArg(unsigned int n) : isNumber(true), number(n), text() {}
  FormatArg(long n) : isNumber(true), number(n), text() {}
  FormatArg(unsigned long n) : isNumber(true), number(static_cast<long long>(n)), text() {}
  FormatArg(long long n) : isNumber(true), number(n), text() {}

  bool isNumber;
  long long number;
  std::wstring text;
};

std::wstring FormatText(const std::wstring& format, const std::vector<FormatArg>& args);

template <typename... Args>
std::wstring FormatString(const std::wstring& format, const Args&... args) {
  return FormatText(format, std::vector<FormatArg>{FormatArg(args)...});
}

// Case helpers used across the wizard: registry texts are compared in capitals, and only the
// Latin letters A to Z change case, as the system's own ordinal comparisons do.
std::wstring ToUpperAscii(std::wstring text);
std::wstring ToLowerAscii(std::wstring text);
bool EqualsIgnoreAsciiCase(const std::wstring& a, const std::wstring& b);
// Blanks, tabs, carriage returns, line feeds, vertical tabs and form feeds.
bool IsWhiteSpace(wchar_t c);
// Trims blanks, tabs, carriage returns, line feeds, vertical tabs and form feeds.
std::wstring TrimWhiteSpace(const std::wstring& text);
std::wstring TrimRightWhiteSpace(const std::wstring& text);
std::wstring TrimLeftWhiteSpace(const std::wstring& text);

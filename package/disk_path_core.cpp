#include "package/disk_path_core.h"

PathParts SplitPath(const std::wstring& path) {
  PathParts parts;
  size_t start = 0;
  if (path.size() >= 2 && path[1] == L':') {
    parts.drive = path.substr(0, 2);
    start = 2;
  }
  size_t nameStart = start;
  size_t dot = std::wstring::npos;
  for (size_t i = start; i < path.size(); ++i) {
    if (path[i] == L'\\' || path[i] == L'/') {
      nameStart = i + 1;
    } else if (path[i] == L'.') {
      dot = i;
    }
  }
  parts.directory = path.substr(start, nameStart - start);
  if (dot != std::wstring::npos && dot >= nameStart) {
    parts.name = path.substr(nameStart, dot - nameStart);
    parts.extension = path.substr(dot);
  } else {
    parts.name = path.substr(nameStart);
  }
  return parts;
}

bool IsCleanPathPart(const std::wstring& text) { return text.find_first_of(L":*?") == std::wstring::npos; }

std::wstring ToBackslashes(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::wstring JoinPath(const std::wstring& directory, const std::wstring& rest) {
  if (!directory.empty() && directory.back() == L'\\') return directory + rest;
  return directory + L"\\" + rest;
}

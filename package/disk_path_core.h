// Path pieces shared by the disk object: splitting a path the way the C runtime's _wsplitpath
// does, and the characters that may not appear in a path part.
#pragma once

#include <string>

struct PathParts {
  std::wstring drive;      // "C:" when the second character is a colon
  std::wstring directory;  // up to and including the last "\" or "/"
  std::wstring name;
  std::wstring extension;  // from the last "." of the final component
};

// The split has no length limits: a long component is kept whole rather than cut.
PathParts SplitPath(const std::wstring& path);

// True when `text` holds none of ":", "*" and "?".
bool IsCleanPathPart(const std::wstring& text);

// "\" for every "/".
std::wstring ToBackslashes(std::wstring path);

// `directory` + "\" + `rest`, without doubling the backslash after a root such as "C:\".
std::wstring JoinPath(const std::wstring& directory, const std::wstring& rest);

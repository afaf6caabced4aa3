#include "package/disk_object.h"

#include <algorithm>
#include <cwchar>

#include "package/disk_path_core.h"
#include "win/app.h"
#include "win/handles.h"

const wchar_t CDiskObject::kParameterError[] = L"CDiskObject internal error - check call parameters";

namespace {

std::wstring CurrentDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n == 0) return std::wstring();
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(n + 1);
  }
}

// Puts the current directory back when the operation that changed it returns.
class CCurrentDirectoryRestorer {
 public:
  CCurrentDirectoryRestorer() : m_strSaved(CurrentDirectory()) {}
  ~CCurrentDirectoryRestorer() {
    if (!m_strSaved.empty()) ::SetCurrentDirectoryW(m_strSaved.c_str());
  }
  CCurrentDirectoryRestorer(const CCurrentDirectoryRestorer&) = delete;
  CCurrentDirectoryRestorer& operator=(const CCurrentDirectoryRestorer&) = delete;

 private:
  std::wstring m_strSaved;
};

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

bool IsUncDirectory(const std::wstring& directory) { return directory.size() > 2 && StartsWith(directory, L"\\\\"); }

}  // namespace

CDiskObject::CDiskObject() : m_pFeedbackWnd(nullptr) {}

void CDiskObject::Feedback(const std::wstring& text) const {
  if (m_pFeedbackWnd != nullptr) ::SetWindowTextW(m_pFeedbackWnd, text.c_str());
}

void CDiskObject::ReportParameterError() {
  m_strLastError = kParameterError;
  Feedback(m_strLastError);
}

void CDiskObject::ReportSystemError(DWORD code, const std::wstring& detail) {
  m_strLastError = win::SystemErrorText(code);
  if (!detail.empty()) m_strLastError += L" " + detail;
  Feedback(m_strLastError);
}

bool CDiskObject::ResolvePath(std::wstring& path) {
  path = ToBackslashes(path);
  const PathParts parts = SplitPath(path);
  if (parts.drive.empty()) {
    const std::wstring current = CurrentDirectory();
    if (IsUncDirectory(parts.directory)) {
      // A UNC path is already absolute.
    } else if (parts.directory.size() > 2 && StartsWith(parts.directory, L"..\\")) {
      CCurrentDirectoryRestorer restore;
      std::wstring rest = parts.directory;
      while (rest.size() > 2 && StartsWith(rest, L"..\\")) {
        ::SetCurrentDirectoryW(L"..");
        rest.erase(0, 3);
      }
      path = JoinPath(CurrentDirectory(), rest + parts.name + parts.extension);
    } else if (StartsWith(parts.directory, L"\\")) {
      path = SplitPath(current).drive + path;
    } else {
      path = JoinPath(current, path);
    }
  }
  if (!IsCleanPathPart(parts.directory) || !IsCleanPathPart(parts.name) || !IsCleanPathPart(parts.extension)) {
    ReportParameterError();
    return false;
  }
  return true;
}

bool CDiskObject::ResolveDirectory(std::wstring& path) {
  path = ToBackslashes(path);
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  if (path.size() >= 2 && StartsWith(path, L"\\\\")) return true;
  return ResolvePath(path);
}

bool CDiskObject::IsExistingFile(const std::wstring& path) {
  m_strLastError.clear();
  if (path.empty()) {
    ReportParameterError();
    return false;
  }
  std::wstring resolved = path;
  if (!ResolvePath(resolved)) return false;
  win::ScopedHandle file(::CreateFileW(resolved.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.IsValid();
}

bool CDiskObject::IsExistingDirectory(const std::wstring& path) {
  m_strLastError.clear();
  if (path.empty()) {
    ReportParameterError();
    return false;
  }
  std::wstring resolved = path;
  if (!ResolveDirectory(resolved)) return false;
  CCurrentDirectoryRestorer restore;
  return ::SetCurrentDirectoryW(resolved.c_str()) != FALSE;
}

bool CDiskObject::MakeDirectoryPath(const std::wstring& path) {
  m_strLastError.clear();
  if (path.empty()) {
    ReportParameterError();
    return false;
  }
  std::wstring resolved = path;
  if (!ResolveDirectory(resolved)) return false;

  const PathParts parts = SplitPath(resolved);
  std::wstring root = parts.drive;
  std::wstring directory = parts.directory;
  CCurrentDirectoryRestorer restore;
  if (IsUncDirectory(directory)) {
    directory.erase(0, 2);
    const size_t slash = directory.find(L'\\');
    if (slash != std::wstring::npos) {
      root = L"\\\\" + directory.substr(0, slash);
      directory.erase(0, slash);
    }
  }
  const size_t first = directory.find_first_not_of(L'\\');
  directory.erase(0, first == std::wstring::npos ? directory.size() : first);

  std::wstring sofar = root;
  size_t start = 0;
  while (start < directory.size()) {
    size_t end = directory.find(L'\\', start);
    if (end == std::wstring::npos) end = directory.size();
    if (end > start) {
      sofar += L"\\" + directory.substr(start, end - start);
      Feedback(sofar);
      // Either may fail for a level that exists already or cannot be made (a UNC share); the
      // final test below tells whether the whole path is there.
      ::SetCurrentDirectoryW(sofar.c_str());
      ::CreateDirectoryW(sofar.c_str(), nullptr);
    }
    start = end + 1;
  }

  if (::SetCurrentDirectoryW(resolved.c_str())) return true;
  ReportSystemError(::GetLastError(), resolved);
  return false;
}

bool CDiskObject::ListFilesInDirectory(const std::wstring& wildcard, const std::wstring& directory,
                                       std::vector<std::wstring>& list, int mode) {
  m_strLastError.clear();
  std::wstring resolved = directory;
  if (!ResolveDirectory(resolved)) return false;
  if (!IsExistingDirectory(resolved)) return true;

  const std::wstring pattern = resolved + wildcard;
  WIN32_FIND_DATAW found;
  win::ScopedFindHandle search(::FindFirstFileW(pattern.c_str(), &found));
  if (!search.IsValid()) {
    const DWORD error = ::GetLastError();
    // An existing directory without a match is an empty listing, like a missing directory.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return true;
    ReportSystemError(error, pattern);
    return false;
  }
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    const std::wstring entry = mode == 1 ? resolved + found.cFileName : std::wstring(found.cFileName);
    const auto greater = std::find_if(list.begin(), list.end(), [&](const std::wstring& e) { return entry < e; });
    list.insert(greater, entry);
    Feedback(entry);
  } while (::FindNextFileW(search.Get(), &found));
  return true;
}

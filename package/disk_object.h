// Paths, files and directories for the payload extraction: relative paths resolved against the
// current directory, existence tests, creation of a whole directory path and a sorted file list.
// Operations that change the process-wide current directory restore it before they return, so
// they must run on one thread at a time (the user-interface thread here).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CDiskObject {
 public:
  CDiskObject();

  // When set, every error text and every progress text becomes this window's text.
  void SetFeedbackWindow(HWND window) { m_pFeedbackWnd = window; }
  // The text of the last error; emptied by every operation except the two resolvers.
  const std::wstring& GetLastErrorText() const { return m_strLastError; }

  // Makes `path` absolute in place ("/" becomes "\"). Paths with a drive and UNC paths are kept;
  // leading "..\" steps climb from the current directory; a rooted path takes the current drive.
  // False, with the parameter error text, when a directory, name or extension part holds ":",
  // "*" or "?" (the path has been rewritten already).
  bool ResolvePath(std::wstring& path);
  // As ResolvePath for a directory: the result ends with "\"; a UNC path is left unresolved.
  bool ResolveDirectory(std::wstring& path);

  // True for an existing file that can be opened for reading; a directory is no file.
  bool IsExistingFile(const std::wstring& path);
  // True for a directory that can be made the current directory.
  bool IsExistingDirectory(const std::wstring& path);
  // Creates every missing level of a directory path; true when the whole path exists afterwards.
  // A UNC server ("\\server") plays the role of the drive.
  bool MakeDirectoryPath(const std::wstring& path);
  // Adds the names of the files (never directories) in `directory` matching `wildcard` to `list`,
  // each before the first element that compares greater (ordinal, case-sensitive), so a list that
  // starts empty ends sorted. With mode 1 each entry is the resolved directory and the name. A
  // directory that does not exist, or holds no match, adds nothing and gives true.
  bool ListFilesInDirectory(const std::wstring& wildcard, const std::wstring& directory,
                            std::vector<std::wstring>& list, int mode);

  static const wchar_t kParameterError[];

 private:
  void ReportParameterError();
  void ReportSystemError(DWORD code, const std::wstring& detail);
  void Feedback(const std::wstring& text) const;

  std::wstring m_strLastError;
  HWND m_pFeedbackWnd;
};

// Files the wizard carries inside its own executable, and writing them to disk.
#pragma once

#include <windows.h>

#include <string>

// Writes the resource (typeName, resourceId) of the wizard's resource module to
// directory\fileName, creating the directory when it is missing. An existing file with exactly
// the resource's bytes is left alone. True only when the file on disk then holds exactly those
// bytes; false when the resource is missing, or the file cannot be created, read back for the
// comparison or written whole (a file this call emptied is removed again).
bool WriteResourceFile(const wchar_t* typeName, WORD resourceId, const std::wstring& directory,
                       const std::wstring& fileName);

// Writes the helper service program (resource "WIN7" 232) as fileName into the "Services"
// folder below the common program-files folder; true when it is there with the carried bytes.
bool ExtractHelperService(const std::wstring& fileName);

// The full path the helper service program is written to: the "Services" folder below the common
// program-files folder, then fileName. Empty when the system does not report that folder.
std::wstring GetHelperServicePath(const std::wstring& fileName);

// Where the program keeps a copy of itself, which Programs and Features runs to remove what it
// installed: "<common program files>\KESTROM\KQSetup.exe", a folder only administrators may write
// (a download folder would let anyone replace what runs with administrator rights). Empty when the
// system does not report the common program-files folder.
std::wstring ProgramCopyPath();

// Copies the running program to `path` (unless it is the running program itself), making the
// folder when missing. True when the copy is in place.
bool PlaceProgramCopy(const std::wstring& path);

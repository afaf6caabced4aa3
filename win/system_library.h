// System DLLs loaded from the system directory, and entry points looked up at run time.
//
// The wizard loads on every Windows NT from 4.0 on, so that a system older than the one it supports
// gets its "system too old" message instead of the loader's "entry point not found". Everything
// that came later than NT 4.0 is therefore looked up when first used, and each caller has a way on
// when the system lacks it.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// The folder a GetSystemDirectoryW-style `query` gives, without a trailing backslash (a drive's
// root keeps its own); empty on failure.
std::wstring FolderFrom(UINT(WINAPI* query)(LPWSTR, UINT));
// The system directory ("C:\WINDOWS\system32"); empty on failure.
std::wstring SystemDirectory();

// Loads a DLL from the system directory only (never from the program's folder or the path).
HMODULE LoadSystemLibrary(const wchar_t* fileName);
// Restricts the process's DLL search to the system directory where the system offers that.
void RestrictDllSearchToSystemDirectory();

// The entry point `name` (or an ordinal, MAKEINTRESOURCEA) of a loaded module as a function of
// type Fn; null when the module is null or lacks it.
template <typename Fn>
Fn ModuleFunction(HMODULE module, const char* name) {
  return module != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

// The entry point `name` of the system DLL `fileName`, loaded from the system directory and kept
// (loaded by its full path, a DLL the process already has is found again), or null when this
// system's DLL lacks it. Not for the common controls: the manifest binds the process to version 6
// side by side, which is not the copy in the system directory.
template <typename Fn>
Fn SystemFunction(const wchar_t* fileName, const char* name) {
  return ModuleFunction<Fn>(LoadSystemLibrary(fileName), name);
}

}  // namespace win

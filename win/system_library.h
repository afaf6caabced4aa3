// System DLLs loaded from the system directory, and entry points looked up at run time.
//
// The wizard loads on every Windows NT from 4.0 on, so that a system older than the one it supports
// gets its "system too old" message instead of the loader's "entry point not found". Everything
// that came later than NT 4.0 is therefore looked up when first used, and each caller has a way on
// when the system lacks it.
#pragma once

#include <windows.h>

namespace win {

// Loads a DLL from the system directory only (never from the program's folder or the path).
HMODULE LoadSystemLibrary(const wchar_t* fileName);
// Restricts the process's DLL search to the system directory where the system offers that.
void RestrictDllSearchToSystemDirectory();

// The entry point `name` of the system DLL `fileName` (loaded from the system directory and kept),
// or null when this system's DLL lacks it. Not for the common controls: the manifest binds the
// process to version 6 side by side, which is not the copy in the system directory.
FARPROC SystemEntry(const wchar_t* fileName, const char* name);

template <typename Fn>
Fn SystemFunction(const wchar_t* fileName, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(SystemEntry(fileName, name)));
}

}  // namespace win

// The driver package's INF beside the program, and what start-up takes from it.
#pragma once

#include <string>

#include "package/inf_model_core.h"

// "KQPRINTER.INF": the package INF's fixed name.
std::wstring PackageInfFileName();

// Directory of the running executable, without a trailing backslash; empty when the module path
// holds no backslash.
std::wstring GetProgramDirectory();

// The text of the INF at `path`, opened for this reader alone and decoded by its byte-order mark or
// else the keyboard layout's ANSI code page; false (and the reason logged) when it cannot be opened
// or read, including longer than any INF can be.
bool ReadInfText(const std::wstring& path, std::wstring& text);

// Reads the INF at `path` (opened for this reader alone; byte-order mark or else the keyboard
// layout's ANSI code page) and extracts the model lines. `*readable`, when given, tells whether
// the file could be opened and read; an unreadable file gives empty fields.
InfModelInfo ParseInfModelLines(const std::wstring& path, bool* readable = nullptr);

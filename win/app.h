// Application-wide services: the string table, the application title and the one message box.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win/format_core.h"

namespace win {

// The module whose resources (strings, dialogs, bitmaps, payload) the wizard uses.
HINSTANCE ResourceModule();
void SetResourceModule(HINSTANCE module);

// Loads a string-table text; false (and `out` untouched) when the id has no text.
bool TryLoadString(UINT id, std::wstring& out);
// Loads a string-table text, or an empty text when the id has none.
std::wstring LoadStringResource(UINT id);
// Loads a text and fills its %s / %d places.
template <typename... Args>
std::wstring FormatResource(UINT id, const Args&... args) {
  return FormatString(LoadStringResource(id), args...);
}

// The program's main window (the wizard), owner of the message boxes that long steps show: the
// window that is active when such a box comes up may be another program's, or none.
void SetMainWindow(HWND window);
HWND MainWindow();

// A C++ exception must not leave a window procedure or a service callback: the 32-bit build
// unwinds with DWARF tables, which cannot pass the system's frames, and the process would end on
// the spot. Callbacks catch everything and call this from their catch block: it tells the user,
// once at a time, with the system's text for what went wrong, and the program goes on.
void ReportFailedCallback() noexcept;

// The application title: the executable's file name without its extension ("KQSetup").
std::wstring ApplicationTitle();

// An unattended run shows no window and no message box at any time: every box is written to the
// setup log instead and answered with its default button.
void SetUnattended(bool unattended);
bool IsUnattended();

// Every message box of the program goes through here, and into the setup log with its answer. Tests install a hook that answers instead
// of showing a window; the hook receives owner, text, caption and style and returns the answer.
using MessageBoxHook = std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)>;
void SetMessageBoxHook(MessageBoxHook hook);
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);
// With the application title as caption.
int AppMessageBox(HWND owner, const std::wstring& text, UINT type);

// The text the system has for an error code, trimmed; empty when it has none.
std::wstring SystemErrorText(DWORD code);

// Full path of the running executable (GetModuleFileNameW of the process).
std::wstring ModuleFilePath(HMODULE module = nullptr);

}  // namespace win

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

// The application title: the executable's file name without its extension ("KQSetup").
std::wstring ApplicationTitle();

// Every message box of the program goes through here. Tests install a hook that answers instead
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

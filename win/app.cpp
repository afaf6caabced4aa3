#include "win/app.h"

#include <new>
#include <utility>
#include <vector>

#include "win/setup_log.h"

namespace win {
namespace {

HINSTANCE g_resourceModule = nullptr;
HWND g_mainWindow = nullptr;
bool g_unattended = false;
MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

}  // namespace

HINSTANCE ResourceModule() { return g_resourceModule ? g_resourceModule : ::GetModuleHandleW(nullptr); }
void SetResourceModule(HINSTANCE module) { g_resourceModule = module; }

bool TryLoadString(UINT id, std::wstring& out) {
  // With a zero buffer size LoadStringW hands out a read-only pointer into the resource itself,
  // so texts of any length load whole.
  const wchar_t* text = nullptr;
  int length = ::LoadStringW(ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return false;
  out.assign(text, static_cast<size_t>(length));
  return true;
}

std::wstring LoadStringResource(UINT id) {
  std::wstring text;
  TryLoadString(id, text);
  return text;
}

std::wstring ModuleFilePath(HMODULE module) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::wstring();
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    if (buffer.size() >= 32768) return std::wstring(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring ApplicationTitle() {
  std::wstring path = ModuleFilePath(nullptr);
  size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return name;
}

void SetMainWindow(HWND window) { g_mainWindow = window; }
HWND MainWindow() { return g_mainWindow; }

void ReportFailedCallback() noexcept {
  static bool reporting = false;
  if (reporting) return;
  reporting = true;
  DWORD error = ERROR_INTERNAL_ERROR;
  try {
    throw;
  } catch (const std::bad_alloc&) {
    error = ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
  }
  try {
    std::wstring text = SystemErrorText(error);
    if (text.empty()) text = L"Error " + DecimalText(error);
    AppMessageBox(g_mainWindow, text, MB_OK | MB_ICONERROR);
  } catch (...) {
    // Not even the text could be made: the program goes on without the message.
  }
  reporting = false;
}

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }

void SetUnattended(bool unattended) { g_unattended = unattended; }
bool IsUnattended() { return g_unattended; }

namespace {

// The button a box's Enter would press.
int DefaultAnswer(UINT type) {
  const UINT buttons = type & MB_TYPEMASK;
  const bool second = (type & MB_DEFMASK) == MB_DEFBUTTON2;
  switch (buttons) {
    case MB_OKCANCEL: return second ? IDCANCEL : IDOK;
    case MB_YESNO: return second ? IDNO : IDYES;
    case MB_YESNOCANCEL: return second ? IDNO : IDYES;
    case MB_RETRYCANCEL: return second ? IDCANCEL : IDRETRY;
    case MB_ABORTRETRYIGNORE: return second ? IDRETRY : IDABORT;
    default: return IDOK;
  }
}

const wchar_t* AnswerName(int answer) {
  switch (answer) {
    case IDOK: return L"OK";
    case IDCANCEL: return L"Cancel";
    case IDYES: return L"Yes";
    case IDNO: return L"No";
    case IDRETRY: return L"Retry";
    case IDABORT: return L"Abort";
    case IDIGNORE: return L"Ignore";
    default: return L"none";
  }
}

}  // namespace

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  if (g_unattended) {
    const int answer = DefaultAnswer(type);
    Log(L"message (not shown, unattended) \"%s\": %s", caption, text);
    return answer;
  }
  Log(L"message box \"%s\": %s", caption, text);
  const int answer = Hook() ? Hook()(owner, text, caption, type) : ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
  Log(L"answered: %s", AnswerName(answer));
  return answer;
}

int AppMessageBox(HWND owner, const std::wstring& text, UINT type) {
  return ShowMessageBox(owner, text, ApplicationTitle(), type);
}

std::wstring SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::wstring text;
  if (n != 0 && buffer != nullptr) text.assign(buffer, n);
  if (buffer != nullptr) ::LocalFree(buffer);
  return TrimWhiteSpace(text);
}

}  // namespace win

#include "e2e/driver.h"

#include <vector>

#include "res/resource.h"

namespace e2e {
namespace {

constexpr UINT kQueryTimeoutMs = 2000;

struct EnumState {
  DWORD pid;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid == state->pid) state->windows.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD pid) {
  EnumState state{pid, {}};
  ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&state));
  return state.windows;
}

bool IsDialogClass(HWND hwnd) {
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  return std::wstring(name) == L"#32770";
}

std::wstring EnvironmentValue(const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD n = ::GetEnvironmentVariableW(name, buffer, 1024);
  return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}

// Unix paths from the test script become paths on Wine's Z: drive.
std::wstring ToWindowsPath(std::wstring path) {
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (done()) return true;
    if (::GetTickCount() - start >= timeoutMs) return done();
    ::Sleep(20);
  }
}

std::wstring TextOf(HWND hwnd) {
  if (hwnd == nullptr) return std::wstring();
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kQueryTimeoutMs, &length)) {
    wchar_t buffer[1024] = {};
    int n = ::GetWindowTextW(hwnd, buffer, 1024);
    return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
  }
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 2);
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                             kQueryTimeoutMs, &copied)) {
    return std::wstring();
  }
  return std::wstring(buffer.data(), static_cast<size_t>(copied));
}

HWND FocusOf(const WizardProcess& wizard) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  const DWORD thread = ::GetWindowThreadProcessId(wizard.Frame(), nullptr);
  if (thread == 0 || !::GetGUIThreadInfo(thread, &info)) return nullptr;
  return info.hwndFocus;
}

bool IsEnabled(HWND hwnd) { return hwnd != nullptr && ::IsWindowEnabled(hwnd); }
bool IsVisible(HWND hwnd) { return hwnd != nullptr && ::IsWindowVisible(hwnd); }

bool IsChecked(HWND hwnd) {
  DWORD_PTR state = 0;
  if (hwnd == nullptr ||
      !::SendMessageTimeoutW(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kQueryTimeoutMs, &state)) {
    return false;
  }
  return state == BST_CHECKED;
}

bool Click(HWND button) {
  if (!IsEnabled(button) || !IsVisible(button)) return false;
  // Whatever sits between the wizard and this button must be enabled too, as for a mouse.
  for (HWND parent = ::GetParent(button); parent != nullptr; parent = ::GetParent(parent)) {
    if (!::IsWindowEnabled(parent)) return false;
  }
  return ::PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

void PostKey(HWND target, WPARAM virtualKey) {
  const UINT scan = ::MapVirtualKeyW(static_cast<UINT>(virtualKey), 0);
  ::PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
  ::PostMessageW(target, WM_KEYUP, virtualKey, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

void SetEditText(HWND edit, const std::wstring& text) {
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                        kQueryTimeoutMs, &ignored);
}

double MessageRoundTripMs(HWND hwnd, UINT timeoutMs) {
  LARGE_INTEGER frequency, before, after;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&before);
  DWORD_PTR ignored = 0;
  if (!::SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored)) return -1;
  ::QueryPerformanceCounter(&after);
  return 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Screenshot(HWND hwnd, const std::wstring& name) {
  std::wstring folder = ToWindowsPath(EnvironmentValue(L"KQ_SCREENSHOTS"));
  if (folder.empty() || hwnd == nullptr) return;
  ::Sleep(300);  // let the last paint reach the screen
  RECT rect;
  ::GetWindowRect(hwnd, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
  ::SelectObject(memory, old);
  const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + imageSize;
  info.bmiHeader.biSizeImage = imageSize;
  // Runs in several worlds name their shots apart.
  const std::wstring path = folder + L"\\" + EnvironmentValue(L"KQ_SCREENSHOT_PREFIX") + name + L".bmp";
  HANDLE out = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ::WriteFile(out, &file, sizeof(file), &written, nullptr);
    ::WriteFile(out, &info.bmiHeader, sizeof(info.bmiHeader), &written, nullptr);
    ::WriteFile(out, bits, imageSize, &written, nullptr);
    ::CloseHandle(out);
  }
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

std::wstring ProgramFolder() {
  // A run may test the programs of another build (the signed one) with this build's tests.
  std::wstring other = ToWindowsPath(EnvironmentValue(L"KQ_PROGRAM_FOLDER"));
  while (!other.empty() && other.back() == L'\\') other.pop_back();
  if (!other.empty()) return other;
  wchar_t path[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path, n);
  return text.substr(0, text.find_last_of(L'\\'));
}

// ---------------------------------------------------------------------------------------------

WizardProcess::WizardProcess() { ZeroMemory(&m_pi, sizeof(m_pi)); }

WizardProcess::~WizardProcess() {
  if (m_pi.hProcess != nullptr) {
    if (IsRunning()) {
      ::TerminateProcess(m_pi.hProcess, 1);
      ::WaitForSingleObject(m_pi.hProcess, 5000);
    }
    ::CloseHandle(m_pi.hProcess);
    ::CloseHandle(m_pi.hThread);
  }
}

bool WizardProcess::Start(const std::wstring& exePath, const std::vector<std::wstring>& extraEnvironment,
                          const std::wstring& arguments) {
  // The child gets this process's environment plus the extra variables.
  std::vector<wchar_t> environment;
  if (wchar_t* block = ::GetEnvironmentStringsW()) {
    const wchar_t* p = block;
    while (*p) {
      size_t n = wcslen(p);
      environment.insert(environment.end(), p, p + n + 1);
      p += n + 1;
    }
    ::FreeEnvironmentStringsW(block);
  }
  for (const std::wstring& entry : extraEnvironment) {
    environment.insert(environment.end(), entry.begin(), entry.end());
    environment.push_back(L'\0');
  }
  environment.push_back(L'\0');

  std::wstring commandLine = L"\"" + exePath + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  std::wstring folder = exePath.substr(0, exePath.find_last_of(L'\\'));
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  return ::CreateProcessW(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                          environment.data(), folder.c_str(), &si, &m_pi) != FALSE;
}

bool WizardProcess::IsRunning() const {
  return m_pi.hProcess != nullptr && ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

bool WizardProcess::WaitForExit(DWORD timeoutMs) {
  return m_pi.hProcess != nullptr && ::WaitForSingleObject(m_pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD WizardProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (m_pi.hProcess) ::GetExitCodeProcess(m_pi.hProcess, &code);
  return code;
}

HWND WizardProcess::WaitForFrame(DWORD timeoutMs) {
  WaitUntil(
      [this] {
        for (HWND hwnd : TopLevelWindowsOf(m_pi.dwProcessId)) {
          if (IsDialogClass(hwnd) && ::IsWindowVisible(hwnd) && ::GetDlgItem(hwnd, IDC_BACK) != nullptr) {
            m_frame = hwnd;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return m_frame;
}

std::wstring WizardProcess::Caption() const {
  wchar_t buffer[512] = {};
  int n = ::GetWindowTextW(m_frame, buffer, 512);
  return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

bool WizardProcess::WaitForCaption(const std::wstring& caption, DWORD timeoutMs) {
  return WaitUntil([&] { return Caption() == caption; }, timeoutMs);
}

HWND WizardProcess::Button(int id) const { return ::GetDlgItem(m_frame, id); }

std::vector<HWND> WizardProcess::Pages() const {
  std::vector<HWND> pages;
  for (HWND child = ::GetWindow(m_frame, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (IsDialogClass(child)) pages.push_back(child);
  }
  return pages;
}

HWND WizardProcess::VisiblePage() const {
  for (HWND page : Pages()) {
    if (::IsWindowVisible(page)) return page;
  }
  return nullptr;
}

HWND WizardProcess::PageControl(int id) const {
  HWND page = VisiblePage();
  return page ? ::GetDlgItem(page, id) : nullptr;
}

std::vector<HWND> WizardProcess::TopLevelDialogs() const {
  std::vector<HWND> dialogs;
  for (HWND hwnd : TopLevelWindowsOf(m_pi.dwProcessId)) {
    if (hwnd != m_frame && IsDialogClass(hwnd) && ::IsWindowVisible(hwnd)) dialogs.push_back(hwnd);
  }
  return dialogs;
}

MessageBoxInfo WizardProcess::FindMessageBox() const {
  MessageBoxInfo info;
  for (HWND hwnd : TopLevelDialogs()) {
    // A message box carries its text in a static control with id 0xFFFF.
    HWND text = ::GetDlgItem(hwnd, 0xFFFF);
    if (text == nullptr) continue;
    info.hwnd = hwnd;
    wchar_t caption[256] = {};
    int n = ::GetWindowTextW(hwnd, caption, 256);
    info.caption.assign(caption, n > 0 ? static_cast<size_t>(n) : 0);
    info.text = TextOf(text);
    return info;
  }
  return info;
}

MessageBoxInfo WizardProcess::WaitForMessageBox(DWORD timeoutMs) {
  MessageBoxInfo info;
  WaitUntil(
      [&] {
        info = FindMessageBox();
        return info.hwnd != nullptr;
      },
      timeoutMs);
  return info;
}

void WizardProcess::Answer(const MessageBoxInfo& box, int buttonId) {
  if (box.hwnd == nullptr) return;
  HWND button = ::GetDlgItem(box.hwnd, buttonId);
  ::PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

}  // namespace e2e

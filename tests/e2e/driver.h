// Drives a running KQSetup.exe from another process the way a person would: finds its windows,
// reads texts and states, posts clicks and keys (never sends into a possibly busy UI thread),
// answers message boxes and takes screenshots.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Polls `done` every 20 ms until it holds or `timeoutMs` passes; returns its last answer.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);

struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::wstring caption;
  std::wstring text;
};

class WizardProcess {
 public:
  WizardProcess();
  ~WizardProcess();  // ends the process if it still runs
  WizardProcess(const WizardProcess&) = delete;
  WizardProcess& operator=(const WizardProcess&) = delete;

  // Starts the program with extra environment variables ("NAME=value") and, after its quoted path,
  // `arguments` as they stand.
  bool Start(const std::wstring& exePath, const std::vector<std::wstring>& extraEnvironment = {},
             const std::wstring& arguments = std::wstring());
  bool IsRunning() const;
  bool WaitForExit(DWORD timeoutMs);
  DWORD ExitCode() const;
  DWORD ProcessId() const { return m_pi.dwProcessId; }

  // The wizard frame: the visible top-level dialog whose buttons include Back (1022).
  HWND WaitForFrame(DWORD timeoutMs);
  HWND Frame() const { return m_frame; }
  std::wstring Caption() const;
  bool WaitForCaption(const std::wstring& caption, DWORD timeoutMs);

  // Frame buttons (1022, 1023, 2, 1025) and the controls of the visible page, by id.
  HWND Button(int id) const;
  HWND PageControl(int id) const;  // on the visible page
  HWND VisiblePage() const;
  std::vector<HWND> Pages() const;  // every page window created so far, in creation order

  // A message box of the process (a top-level dialog other than the frame), if one is up.
  MessageBoxInfo FindMessageBox() const;
  MessageBoxInfo WaitForMessageBox(DWORD timeoutMs);
  // Presses a message box button by id (IDOK, IDCANCEL ...).
  void Answer(const MessageBoxInfo& box, int buttonId);

  // Top-level dialogs of the process other than the frame and message boxes (e.g. a test-page dialog).
  std::vector<HWND> TopLevelDialogs() const;

 private:
  PROCESS_INFORMATION m_pi;
  HWND m_frame = nullptr;
};

// The window that has the keyboard focus in the wizard's UI thread (GetGUIThreadInfo), or null.
HWND FocusOf(const WizardProcess& wizard);

// Texts and states of any window, read without blocking on a busy thread.
std::wstring TextOf(HWND hwnd);
bool IsEnabled(HWND hwnd);
bool IsVisible(HWND hwnd);
bool IsChecked(HWND hwnd);
// Clicks a button as the mouse would (refuses disabled or hidden buttons; returns false then).
bool Click(HWND button);
void PostKey(HWND target, WPARAM virtualKey);
void SetEditText(HWND edit, const std::wstring& text);
// Round trip of a message through the target's thread, in milliseconds (or -1 on timeout).
double MessageRoundTripMs(HWND hwnd, UINT timeoutMs);

// Saves a screenshot of a window (as it is on the screen) under KQ_SCREENSHOTS as NAME.bmp.
void Screenshot(HWND hwnd, const std::wstring& name);

// The folder of the running test program (where KQSetup.exe and KQPRINTER.INF are built), or the
// one that KQ_PROGRAM_FOLDER names (a Unix path is taken as one on Wine's Z: drive).
std::wstring ProgramFolder();

}  // namespace e2e

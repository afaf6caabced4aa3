// One wizard per machine: a second start (a double click too many on a slow PC, a deployment tool
// retrying) would take the same new queue name and write the same records. The first wizard holds
// a named mutex that every session sees.
#pragma once

#include <windows.h>

#include "win/handles.h"

class CSingleInstance {
 public:
  // Takes the wizard's machine-wide name. False when another wizard holds it (or holds it in a
  // way this process may not even open, which also means one is running).
  bool Acquire();

  // Brings the first wizard's window (or the box it shows) to the front, when it is in this
  // session.
  static void BringFirstWizardToFront();
  // Marks the wizard's frame so that a second start can find it.
  static void MarkWizardWindow(HWND frame);

 private:
  win::ScopedHandle m_mutex;
};

// One wizard per machine: a second start (a double click too many on a slow PC, a deployment tool
// retrying) would take the same new queue name and write the same records. The first wizard holds
// a lock that every session sees and that only administrators and the system account can create
// or open, so that no other user can take it first and hold every install off.
#pragma once

#include <windows.h>

#include <string>

#include "win/handles.h"
#include "win/private_namespace.h"

enum class SingleInstanceOutcome {
  kAcquired,         // this is the only wizard: it goes on
  kAnotherCopyRuns,  // another wizard of ours holds the lock: this one ends ("try later", 1618)
  kUnavailable,      // the lock cannot be had for another reason: the run logs why and goes on
};

struct SingleInstanceResult {
  SingleInstanceOutcome outcome = SingleInstanceOutcome::kUnavailable;
  DWORD error = ERROR_SUCCESS;    // the system's error behind kUnavailable (and what was seen otherwise)
  bool privateNamespace = false;  // the lock is (or was sought) in the administrators' private namespace

  // Whether the run may go on: it holds the lock, or there is no lock to be had (better one wizard
  // too many than none). Only kAcquired may trim the shared log.
  operator bool() const { return outcome != SingleInstanceOutcome::kAnotherCopyRuns; }
};

// The outcome for the setup log, with the kind of lock and any error.
std::wstring DescribeSingleInstance(const SingleInstanceResult& result);

class CSingleInstance {
 public:
  // Takes the wizard's machine-wide lock: on Windows Vista and later a mutex in a private
  // namespace whose boundary names the administrators group; on older systems (and under Wine,
  // which has no private namespaces) the "Global\" name that every session sees.
  SingleInstanceResult Acquire();
  // Gives the lock up (also when the object goes).
  void Release();

  // Brings the first wizard's window (or the box it shows) to the front, when it is in this
  // session; false when there is none to bring (the first run is unattended, or in another session).
  static bool BringFirstWizardToFront();
  // Marks the wizard's frame so that a second start can find it.
  static void MarkWizardWindow(HWND frame);

 private:
  SingleInstanceResult AcquireInPrivateNamespace();
  SingleInstanceResult AcquireGlobalName();

  // Declared first, gone last: the mutex is named through the namespace.
  win::ScopedPrivateNamespace m_namespace;
  win::ScopedHandle m_mutex;
};

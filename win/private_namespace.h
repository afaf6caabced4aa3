// Private object namespaces (Windows Vista and later): a folder of named kernel objects that only a
// process whose token holds every SID of the namespace's boundary can create or open. Unlike the
// "Global\" and "Local\" names, which any user may take first, nobody outside the boundary can
// squat a name in it. The functions came with Vista and are looked up at run time
// (win/system_library.h says why); Wine 8 has none of them but a CreateBoundaryDescriptorW that
// fails, so there, as on Windows XP, HasPrivateNamespaces() is false.
#pragma once

#include <windows.h>

namespace win {

// Whether this system has the private-namespace functions, all of them.
bool HasPrivateNamespaces();

// One private namespace, held open (with its boundary) for as long as the object lives: the
// objects named in it are found through it.
class ScopedPrivateNamespace {
 public:
  ScopedPrivateNamespace() = default;
  ~ScopedPrivateNamespace() { Close(); }
  ScopedPrivateNamespace(const ScopedPrivateNamespace&) = delete;
  ScopedPrivateNamespace& operator=(const ScopedPrivateNamespace&) = delete;

  // Creates the namespace `alias` whose boundary is `boundaryName` with `requiredSid` (which the
  // caller's token must hold), secured by `attributes`, or opens it when another process made it
  // first. False when neither works, with the system's `error`: ERROR_CALL_NOT_IMPLEMENTED when
  // the system has no private namespaces, ERROR_ACCESS_DENIED for a caller outside the boundary.
  // Objects in it are named "<alias>\<name>".
  bool CreateOrOpen(const wchar_t* boundaryName, PSID requiredSid, SECURITY_ATTRIBUTES* attributes,
                    const wchar_t* alias, DWORD& error);
  bool IsOpen() const { return m_namespace != nullptr; }
  // Whether this process created it (rather than opened one another process made).
  bool Created() const { return m_created; }
  void Close();

 private:
  HANDLE m_boundary = nullptr;
  HANDLE m_namespace = nullptr;
  bool m_created = false;
};

}  // namespace win

#include "win/private_namespace.h"

#include "win/system_library.h"

namespace win {
namespace {

using CreateBoundaryDescriptorFn = HANDLE(WINAPI*)(LPCWSTR, ULONG);
using AddSidToBoundaryDescriptorFn = BOOL(WINAPI*)(HANDLE*, PSID);
using DeleteBoundaryDescriptorFn = VOID(WINAPI*)(HANDLE);
using CreatePrivateNamespaceFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
using OpenPrivateNamespaceFn = HANDLE(WINAPI*)(LPVOID, LPCWSTR);
using ClosePrivateNamespaceFn = BOOLEAN(WINAPI*)(HANDLE, ULONG);

struct NamespaceFunctions {
  CreateBoundaryDescriptorFn createBoundary;
  AddSidToBoundaryDescriptorFn addSid;
  DeleteBoundaryDescriptorFn deleteBoundary;
  CreatePrivateNamespaceFn createNamespace;
  OpenPrivateNamespaceFn openNamespace;
  ClosePrivateNamespaceFn closeNamespace;

  bool Complete() const {
    return createBoundary != nullptr && addSid != nullptr && deleteBoundary != nullptr && createNamespace != nullptr &&
           openNamespace != nullptr && closeNamespace != nullptr;
  }
};

const NamespaceFunctions& Functions() {
  static const NamespaceFunctions functions = {
      SystemFunction<CreateBoundaryDescriptorFn>(L"kernel32.dll", "CreateBoundaryDescriptorW"),
      SystemFunction<AddSidToBoundaryDescriptorFn>(L"kernel32.dll", "AddSIDToBoundaryDescriptor"),
      SystemFunction<DeleteBoundaryDescriptorFn>(L"kernel32.dll", "DeleteBoundaryDescriptor"),
      SystemFunction<CreatePrivateNamespaceFn>(L"kernel32.dll", "CreatePrivateNamespaceW"),
      SystemFunction<OpenPrivateNamespaceFn>(L"kernel32.dll", "OpenPrivateNamespaceW"),
      SystemFunction<ClosePrivateNamespaceFn>(L"kernel32.dll", "ClosePrivateNamespace"),
  };
  return functions;
}

// A namespace made by a process that is closing it now vanishes between our create and our open;
// a few rounds settle that race.
constexpr int kCreateOrOpenRounds = 4;

}  // namespace

bool HasPrivateNamespaces() { return Functions().Complete(); }

bool ScopedPrivateNamespace::CreateOrOpen(const wchar_t* boundaryName, PSID requiredSid,
                                          SECURITY_ATTRIBUTES* attributes, const wchar_t* alias, DWORD& error) {
  Close();
  const NamespaceFunctions& f = Functions();
  if (!f.Complete()) {
    error = ERROR_CALL_NOT_IMPLEMENTED;
    return false;
  }
  m_boundary = f.createBoundary(boundaryName, 0);
  if (m_boundary == nullptr) {
    error = ::GetLastError();
    return false;
  }
  if (!f.addSid(&m_boundary, requiredSid)) {
    error = ::GetLastError();
    Close();
    return false;
  }
  for (int round = 0; round < kCreateOrOpenRounds; ++round) {
    m_namespace = f.createNamespace(attributes, m_boundary, alias);
    if (m_namespace != nullptr) {
      m_created = true;
      return true;
    }
    error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS) break;
    m_namespace = f.openNamespace(m_boundary, alias);
    if (m_namespace != nullptr) return true;
    error = ::GetLastError();
  }
  Close();
  ::SetLastError(error);
  return false;
}

void ScopedPrivateNamespace::Close() {
  const NamespaceFunctions& f = Functions();
  // Without the destroy flag: another wizard that opened the namespace still finds its objects.
  if (m_namespace != nullptr && f.closeNamespace != nullptr) f.closeNamespace(m_namespace, 0);
  if (m_boundary != nullptr && f.deleteBoundary != nullptr) f.deleteBoundary(m_boundary);
  m_namespace = nullptr;
  m_boundary = nullptr;
  m_created = false;
}

}  // namespace win

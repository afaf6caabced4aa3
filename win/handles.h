// One owner per system handle: each wrapper closes what it holds when it goes out of scope.
#pragma once

#include <windows.h>
#include <winsvc.h>

#include <utility>

namespace win {

template <typename Traits>
class ScopedObject {
 public:
  using Handle = typename Traits::Handle;

  ScopedObject() : m_h(Traits::Invalid()) {}
  explicit ScopedObject(Handle h) : m_h(h) {}
  ~ScopedObject() { Close(); }
  ScopedObject(const ScopedObject&) = delete;
  ScopedObject& operator=(const ScopedObject&) = delete;
  ScopedObject(ScopedObject&& other) noexcept : m_h(other.Release()) {}
  ScopedObject& operator=(ScopedObject&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle Get() const { return m_h; }
  bool IsValid() const { return Traits::IsValid(m_h); }
  explicit operator bool() const { return IsValid(); }

  void Reset(Handle h = Traits::Invalid()) {
    if (m_h != h) {
      Close();
      m_h = h;
    }
  }
  Handle Release() {
    Handle h = m_h;
    m_h = Traits::Invalid();
    return h;
  }
  // For out-parameters of system calls: closes what is held first.
  Handle* Receive() {
    Close();
    return &m_h;
  }

 private:
  // The caller may still be about to read the error of the call that failed: closing keeps it.
  void Close() {
    if (Traits::IsValid(m_h)) {
      const DWORD error = ::GetLastError();
      Traits::Close(m_h);
      ::SetLastError(error);
    }
    m_h = Traits::Invalid();
  }
  Handle m_h;
};

// Kernel handles: both NULL and INVALID_HANDLE_VALUE mean "none".
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  // Predefined root keys are never closed by their holder.
  static bool IsValid(Handle h) { return h != nullptr && !IsPredefined(h); }
  // HKEY_CLASSES_ROOT and its siblings are the sign-extended values 0x80000000 to 0x800000FF.
  static bool IsPredefined(Handle h) {
    const ULONG_PTR v = reinterpret_cast<ULONG_PTR>(h);
    const DWORD low = static_cast<DWORD>(v);
    return static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(low))) == v && low >= 0x80000000UL &&
           low <= 0x800000FFUL;
  }
  static void Close(Handle h) { ::RegCloseKey(h); }
};

struct ServiceHandleTraits {
  using Handle = SC_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::CloseServiceHandle(h); }
};

template <typename T>
struct GdiObjectTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DeleteObject(h); }
};

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::FindClose(h); }
};

struct LocalMemoryTraits {
  using Handle = HLOCAL;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::LocalFree(h); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::FreeLibrary(h); }
};

struct CursorTraits {
  using Handle = HCURSOR;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DestroyCursor(h); }
};

using ScopedHandle = ScopedObject<KernelHandleTraits>;
using ScopedKey = ScopedObject<RegistryKeyTraits>;
using ScopedServiceHandle = ScopedObject<ServiceHandleTraits>;
using ScopedFont = ScopedObject<GdiObjectTraits<HFONT>>;
using ScopedBrush = ScopedObject<GdiObjectTraits<HBRUSH>>;
using ScopedBitmap = ScopedObject<GdiObjectTraits<HBITMAP>>;
using ScopedFindHandle = ScopedObject<FindHandleTraits>;
using ScopedLocalMemory = ScopedObject<LocalMemoryTraits>;
using ScopedModule = ScopedObject<ModuleTraits>;
using ScopedCursor = ScopedObject<CursorTraits>;

// A critical section, owned like the handles above; lock() and unlock() let std::lock_guard hold
// it (the runtime we ship has no std::mutex, and needs none).
class CriticalSection {
 public:
  CriticalSection() { ::InitializeCriticalSection(&m_section); }
  ~CriticalSection() { ::DeleteCriticalSection(&m_section); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  void lock() { ::EnterCriticalSection(&m_section); }
  void unlock() { ::LeaveCriticalSection(&m_section); }

 private:
  CRITICAL_SECTION m_section;
};

}  // namespace win

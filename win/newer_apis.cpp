#include "win/newer_apis.h"

#include <shlwapi.h>

#include <new>
#include <vector>

#include "win/system_library.h"

namespace win {
namespace {

BOOL NotImplemented() {
  ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return FALSE;
}

// ---------------------------------------------------------------------------------------------
// Subclassing

using SetSubclassFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
using RemoveSubclassFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR);
using DefSubclassFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

struct CommonControlsSubclassing {
  SetSubclassFn set = nullptr;
  RemoveSubclassFn remove = nullptr;
  DefSubclassFn def = nullptr;
  bool Complete() const { return set != nullptr && remove != nullptr && def != nullptr; }
};

bool g_plainSubclassingForTesting = false;

// The common controls' own subclassing, from the copy the process runs with (version 6 through
// the manifest where the system has it).
const CommonControlsSubclassing& CommonControls() {
  static const CommonControlsSubclassing entries = [] {
    CommonControlsSubclassing found;
    HMODULE module = ::GetModuleHandleW(L"comctl32.dll");
    if (module == nullptr) return found;
    found.set = ModuleFunction<SetSubclassFn>(module, "SetWindowSubclass");
    found.remove = ModuleFunction<RemoveSubclassFn>(module, "RemoveWindowSubclass");
    found.def = ModuleFunction<DefSubclassFn>(module, "DefSubclassProc");
    if (found.Complete()) return found;
    // Version 5.8 has them by ordinal only; earlier versions may use those ordinals otherwise.
    found = CommonControlsSubclassing();
    auto getVersion = ModuleFunction<DLLGETVERSIONPROC>(module, "DllGetVersion");
    DLLVERSIONINFO version = {};
    version.cbSize = sizeof(version);
    if (getVersion == nullptr || FAILED(getVersion(&version)) ||
        (version.dwMajorVersion < 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion < 80))) {
      return found;
    }
    found.set = ModuleFunction<SetSubclassFn>(module, MAKEINTRESOURCEA(410));
    found.remove = ModuleFunction<RemoveSubclassFn>(module, MAKEINTRESOURCEA(412));
    found.def = ModuleFunction<DefSubclassFn>(module, MAKEINTRESOURCEA(413));
    if (!found.Complete()) found = CommonControlsSubclassing();
    return found;
  }();
  return entries;
}

bool UseCommonControls() { return !g_plainSubclassingForTesting && CommonControls().Complete(); }

// Plain subclassing: the window procedure is replaced by PlainSubclassProc, and the subclass
// travels in a window property.
const wchar_t kPlainSubclassProperty[] = L"KQSetup.PlainSubclass";

struct PlainSubclass {
  SUBCLASSPROC proc;
  UINT_PTR id;
  DWORD_PTR refData;
  WNDPROC original;
};

PlainSubclass* PlainSubclassOf(HWND hwnd) {
  return static_cast<PlainSubclass*>(::GetPropW(hwnd, kPlainSubclassProperty));
}

LRESULT CALLBACK PlainSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Puts the original procedure back; false when another procedure has been put on top of ours
// meanwhile, which must not be cut off (ours then only passes messages on).
bool RestoreOriginalProc(HWND hwnd, PlainSubclass* subclass) {
  if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) != &PlainSubclassProc) return false;
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass->original));
  ::RemovePropW(hwnd, kPlainSubclassProperty);
  delete subclass;
  return true;
}

LRESULT CALLBACK PlainSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  PlainSubclass* subclass = PlainSubclassOf(hwnd);
  if (subclass == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  const WNDPROC original = subclass->original;
  const LRESULT result = subclass->proc != nullptr
                             ? subclass->proc(hwnd, message, wParam, lParam, subclass->id, subclass->refData)
                             : ::CallWindowProcW(original, hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The window is gone: whatever the subclass did not remove itself goes now.
    if (PlainSubclass* left = PlainSubclassOf(hwnd)) {
      ::RemovePropW(hwnd, kPlainSubclassProperty);
      delete left;
    }
  }
  return result;
}

BOOL SetPlainSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData) {
  if (PlainSubclass* existing = PlainSubclassOf(hwnd)) {
    if (existing->proc != proc || existing->id != id) return FALSE;  // one subclass per window
    existing->refData = refData;
    return TRUE;
  }
  auto* subclass = new (std::nothrow) PlainSubclass{proc, id, refData, nullptr};
  if (subclass == nullptr) return FALSE;
  if (!::SetPropW(hwnd, kPlainSubclassProperty, subclass)) {
    delete subclass;
    return FALSE;
  }
  subclass->original = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PlainSubclassProc)));
  if (subclass->original == nullptr) {
    ::RemovePropW(hwnd, kPlainSubclassProperty);
    delete subclass;
    return FALSE;
  }
  return TRUE;
}

BOOL RemovePlainSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id) {
  PlainSubclass* subclass = PlainSubclassOf(hwnd);
  if (subclass == nullptr || subclass->proc != proc || subclass->id != id) return FALSE;
  if (!RestoreOriginalProc(hwnd, subclass)) subclass->proc = nullptr;
  return TRUE;
}

LRESULT PlainDefSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Removed already (as on WM_NCDESTROY): the original procedure is the window's own again.
  PlainSubclass* subclass = PlainSubclassOf(hwnd);
  const WNDPROC next = subclass != nullptr ? subclass->original
                                           : reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
  if (next == nullptr || next == &PlainSubclassProc) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return ::CallWindowProcW(next, hwnd, message, wParam, lParam);
}

}  // namespace

void SetShutdownBlockReason(HWND window, const std::wstring& reason) {
  using CreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
  static const CreateFn create = SystemFunction<CreateFn>(L"user32.dll", "ShutdownBlockReasonCreate");
  if (create != nullptr) create(window, reason.c_str());
}

void ClearShutdownBlockReason(HWND window) {
  using DestroyFn = BOOL(WINAPI*)(HWND);
  static const DestroyFn destroy = SystemFunction<DestroyFn>(L"user32.dll", "ShutdownBlockReasonDestroy");
  if (destroy != nullptr) destroy(window);
}

std::wstring SystemWindowsDirectory() {
  using FolderFn = UINT(WINAPI*)(LPWSTR, UINT);
  static const FolderFn shared = SystemFunction<FolderFn>(L"kernel32.dll", "GetSystemWindowsDirectoryW");
  return FolderFrom(shared != nullptr ? shared : &::GetWindowsDirectoryW);
}

void InitCommonControlClasses(DWORD classes) {
  // Loaded here, not at the program's start: a run that shows no window (unattended) never pays
  // for the common controls and the display they bring. By its name, so that the manifest's
  // binding to version 6 applies (a full path would reach the system directory's older copy); the
  // process's DLL search is restricted to the system directory for anything the binding does not
  // name.
  HMODULE module = ::LoadLibraryW(L"comctl32.dll");
  using InitExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  using InitFn = void(WINAPI*)();
  const auto initEx = ModuleFunction<InitExFn>(module, "InitCommonControlsEx");
  const auto init = ModuleFunction<InitFn>(module, "InitCommonControls");
  INITCOMMONCONTROLSEX controls = {sizeof(controls), classes};
  if ((initEx == nullptr || !initEx(&controls)) && init != nullptr) init();
}

bool GetSpecialFolderPath(int csidl, std::wstring& path) {
  using FolderFn = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
  static const FolderFn query = SystemFunction<FolderFn>(L"shell32.dll", "SHGetSpecialFolderPathW");
  if (query == nullptr) return false;
  wchar_t buffer[MAX_PATH] = {};
  if (!query(nullptr, buffer, csidl, FALSE) || buffer[0] == L'\0') return false;
  path.assign(buffer);
  return true;
}

HWND RootWindowOf(HWND hwnd) {
  while (hwnd != nullptr && (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0) {
    HWND parent = ::GetParent(hwnd);
    if (parent == nullptr) break;
    hwnd = parent;
  }
  return hwnd;
}

BOOL SetWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData) {
  if (hwnd == nullptr || proc == nullptr) return FALSE;
  if (UseCommonControls()) return CommonControls().set(hwnd, proc, id, refData);
  return SetPlainSubclass(hwnd, proc, id, refData);
}

BOOL RemoveWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id) {
  if (hwnd == nullptr || proc == nullptr) return FALSE;
  if (UseCommonControls()) return CommonControls().remove(hwnd, proc, id);
  return RemovePlainSubclass(hwnd, proc, id);
}

LRESULT DefSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (UseCommonControls()) return CommonControls().def(hwnd, message, wParam, lParam);
  return PlainDefSubclassProc(hwnd, message, wParam, lParam);
}

bool GetFileLength(HANDLE file, uint64_t& length) {
  DWORD high = 0;
  ::SetLastError(NO_ERROR);
  const DWORD low = ::GetFileSize(file, &high);
  // INVALID_FILE_SIZE is also a valid low half: only the last error tells them apart.
  if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return false;
  length = (static_cast<uint64_t>(high) << 32) | low;
  return true;
}

bool SetFilePosition(HANDLE file, int64_t distance, DWORD method) {
  LONG high = static_cast<LONG>(distance >> 32);
  ::SetLastError(NO_ERROR);
  const DWORD low = ::SetFilePointer(file, static_cast<LONG>(distance & 0xFFFFFFFF), &high, method);
  return !(low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR);
}

void UsePlainSubclassingForTesting(bool plain) { g_plainSubclassingForTesting = plain; }

namespace setupapi {
namespace {

template <typename Fn>
Fn Entry(const char* name) {
  return SystemFunction<Fn>(L"setupapi.dll", name);
}

}  // namespace

HDEVINFO GetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags) {
  using Fn = HDEVINFO(WINAPI*)(const GUID*, PCWSTR, HWND, DWORD);
  static const Fn fn = Entry<Fn>("SetupDiGetClassDevsW");
  if (fn == nullptr) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return INVALID_HANDLE_VALUE;
  }
  return fn(classGuid, enumerator, parent, flags);
}

BOOL DestroyDeviceInfoList(HDEVINFO set) {
  using Fn = BOOL(WINAPI*)(HDEVINFO);
  static const Fn fn = Entry<Fn>("SetupDiDestroyDeviceInfoList");
  return fn != nullptr ? fn(set) : NotImplemented();
}

BOOL EnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA info) {
  using Fn = BOOL(WINAPI*)(HDEVINFO, DWORD, PSP_DEVINFO_DATA);
  static const Fn fn = Entry<Fn>("SetupDiEnumDeviceInfo");
  return fn != nullptr ? fn(set, index, info) : NotImplemented();
}

BOOL GetDeviceInstanceIdW(HDEVINFO set, PSP_DEVINFO_DATA info, PWSTR id, DWORD chars, PDWORD required) {
  using Fn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, PWSTR, DWORD, PDWORD);
  static const Fn fn = Entry<Fn>("SetupDiGetDeviceInstanceIdW");
  return fn != nullptr ? fn(set, info, id, chars, required) : NotImplemented();
}

BOOL EnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA info, const GUID* interfaceClass, DWORD index,
                          PSP_DEVICE_INTERFACE_DATA data) {
  using Fn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD, PSP_DEVICE_INTERFACE_DATA);
  static const Fn fn = Entry<Fn>("SetupDiEnumDeviceInterfaces");
  return fn != nullptr ? fn(set, info, interfaceClass, index, data) : NotImplemented();
}

BOOL GetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                               DWORD size, PDWORD required, PSP_DEVINFO_DATA info) {
  using Fn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA, PSP_DEVICE_INTERFACE_DETAIL_DATA_W, DWORD, PDWORD,
                           PSP_DEVINFO_DATA);
  static const Fn fn = Entry<Fn>("SetupDiGetDeviceInterfaceDetailW");
  return fn != nullptr ? fn(set, data, detail, size, required, info) : NotImplemented();
}

}  // namespace setupapi
}  // namespace win

// The functions the wizard uses that came after Windows NT 4.0. Each is looked up when first used
// (see win/system_library.h for why), and each has a way on when the system lacks it.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <setupapi.h>

#include <cstdint>
#include <string>

namespace win {

// The reason Windows (Vista and later) shows when the session waits for this window to agree to
// end (ShutdownBlockReasonCreate / ShutdownBlockReasonDestroy); nothing on older systems.
void SetShutdownBlockReason(HWND window, const std::wstring& reason);
void ClearShutdownBlockReason(HWND window);

// The system's shared Windows folder (GetSystemWindowsDirectoryW, Windows 2000 and later; before
// it, GetWindowsDirectoryW). Unlike GetWindowsDirectoryW it is never a user's private copy under
// Terminal Services. Without a trailing backslash; empty on failure.
std::wstring SystemWindowsDirectory();

// Loads the common controls (version 6 where the manifest binds it) and registers their classes:
// InitCommonControlsEx (common controls 4.70 and later), on older ones InitCommonControls, which
// registers them all.
void InitCommonControlClasses(DWORD classes);

// SHGetSpecialFolderPathW (shell32 4.71 and later), without creating the folder. False when the
// system lacks it or has no such folder.
bool GetSpecialFolderPath(int csidl, std::wstring& path);

// The top-level window that holds `hwnd` (what GetAncestor with GA_ROOT gives, by its parents).
HWND RootWindowOf(HWND hwnd);

// A file's length and position as 64-bit numbers, through GetFileSize and SetFilePointer with
// their high halves (GetFileSizeEx and SetFilePointerEx came with Windows 2000).
bool GetFileLength(HANDLE file, uint64_t& length);
bool SetFilePosition(HANDLE file, int64_t distance, DWORD method);

// Window subclassing of the common controls: by name in version 6 (Windows XP and later), by
// ordinal in version 5.8 (Windows 2000). Without them, plain window-procedure subclassing with
// the same calls and the same callback, one subclass per window.
BOOL SetWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData);
BOOL RemoveWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Tests: use the plain subclassing even where the common controls have theirs.
void UsePlainSubclassingForTesting(bool plain);

// The device-installation functions (setupapi.dll, Windows 2000 and later). Without them the
// device set comes back as INVALID_HANDLE_VALUE and the other calls fail with
// ERROR_CALL_NOT_IMPLEMENTED, so a search finds no device.
namespace setupapi {
HDEVINFO GetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags);
BOOL DestroyDeviceInfoList(HDEVINFO set);
BOOL EnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA info);
BOOL GetDeviceInstanceIdW(HDEVINFO set, PSP_DEVINFO_DATA info, PWSTR id, DWORD chars, PDWORD required);
BOOL EnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA info, const GUID* interfaceClass, DWORD index,
                          PSP_DEVICE_INTERFACE_DATA data);
BOOL GetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                               DWORD size, PDWORD required, PSP_DEVINFO_DATA info);
}  // namespace setupapi

}  // namespace win

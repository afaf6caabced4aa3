#include "win/wow64.h"

#include "win/handles.h"
#include "win/newer_apis.h"
#include "win/system_library.h"

namespace win {

Wow64Answer QueryWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  static const IsWow64ProcessFn isWow64 = SystemFunction<IsWow64ProcessFn>(L"kernel32.dll", "IsWow64Process");
  if (isWow64 == nullptr) return Wow64Answer::kNo;
  BOOL wow64 = FALSE;
  if (!isWow64(::GetCurrentProcess(), &wow64)) return Wow64Answer::kUnknown;
  return wow64 ? Wow64Answer::kYes : Wow64Answer::kNo;
}

bool IsRunningUnderWow64() { return QueryWow64() == Wow64Answer::kYes; }

namespace {

using DisableRedirectionFn = BOOL(WINAPI*)(PVOID*);
using RevertRedirectionFn = BOOL(WINAPI*)(PVOID);

// Both looked up together, before the redirection is off: with it off, loading a DLL from the
// system directory would reach the 64-bit one.
struct RedirectionFunctions {
  DisableRedirectionFn disable = nullptr;
  RevertRedirectionFn revert = nullptr;
};

const RedirectionFunctions& Redirection() {
  static const RedirectionFunctions functions = [] {
    RedirectionFunctions found;
    found.disable = SystemFunction<DisableRedirectionFn>(L"kernel32.dll", "Wow64DisableWow64FsRedirection");
    found.revert = SystemFunction<RevertRedirectionFn>(L"kernel32.dll", "Wow64RevertWow64FsRedirection");
    if (found.disable == nullptr || found.revert == nullptr) found = RedirectionFunctions();
    return found;
  }();
  return functions;
}

}  // namespace

ScopedNoWow64Redirection::ScopedNoWow64Redirection() {
  const RedirectionFunctions& functions = Redirection();
  m_bOff = functions.disable != nullptr && functions.disable(&m_pOldValue);
}

ScopedNoWow64Redirection::~ScopedNoWow64Redirection() {
  if (m_bOff) Redirection().revert(m_pOldValue);
}

NativeMachine QueryNativeMachine() {
  NativeMachine found;
  using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
  static const IsWow64Process2Fn isWow64Process2 =
      SystemFunction<IsWow64Process2Fn>(L"kernel32.dll", "IsWow64Process2");
  USHORT processMachine = 0;
  USHORT nativeMachine = 0;
  if (isWow64Process2 != nullptr && isWow64Process2(::GetCurrentProcess(), &processMachine, &nativeMachine) &&
      MachineFromImageFileMachine(nativeMachine, found.machine)) {
    found.how = L"IsWow64Process2";
    return found;
  }
  if (QueryWow64() == Wow64Answer::kYes) {
    using NativeInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    static const NativeInfoFn nativeInfo = SystemFunction<NativeInfoFn>(L"kernel32.dll", "GetNativeSystemInfo");
    SYSTEM_INFO info = {};
    if (nativeInfo != nullptr) nativeInfo(&info);
    if (nativeInfo != nullptr && MachineFromProcessorArchitecture(info.wProcessorArchitecture, found.machine)) {
      found.how = L"IsWow64Process and GetNativeSystemInfo";
    } else {
      found.machine = Machine::kX64;
      found.how = L"IsWow64Process (a 64-bit Windows of unknown processor: taken for x64)";
    }
    return found;
  }
  found.how = L"no WOW64: a 32-bit Windows";
  return found;
}

Rundll32Launch NativeRundll32() {
  Wow64State state = Wow64State::kUnknown;
  switch (QueryWow64()) {
    case Wow64Answer::kYes: state = Wow64State::kWow64; break;
    case Wow64Answer::kNo: state = Wow64State::kNative; break;
    case Wow64Answer::kUnknown: break;
  }
  const std::wstring windows = SystemWindowsDirectory();
  const std::wstring sysnative = windows.empty() ? std::wstring() : Rundll32PathFor(true, std::wstring(), windows);
  // Only a WOW64 process sees Sysnative; the file there is the native one, opened to be sure.
  ScopedHandle file(sysnative.empty() ? nullptr
                                      : ::CreateFileW(sysnative.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  const bool sysnativeFound = file.IsValid();
  return ChooseRundll32(state, sysnativeFound, SystemDirectory(), windows);
}

}  // namespace win

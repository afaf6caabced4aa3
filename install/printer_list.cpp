#include "install/printer_list.h"

#include <winspool.h>

#include "install/printer_list_core.h"
#include "res/resource.h"
#include "win/app.h"
#include "win/handles.h"
#include "win/spooler.h"

namespace {

const DWORD kEnumFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;

void ReportEnumFailure(HWND owner, DWORD error) {
  win::AppMessageBox(owner, win::FormatResource(IDS_ENUM_PRINTERS_FAILED, static_cast<unsigned long>(error)),
                     MB_OK | MB_ICONERROR);
}

}  // namespace

bool EnumPrinterNames(std::vector<std::wstring>& list, HWND owner) {
  // The server name is empty: the local spooler.
  wchar_t name[500] = {};
  DWORD needed = 0;
  DWORD count = 0;
  win::spooler::EnumPrintersW(kEnumFlags, name, 2, nullptr, 0, &needed, &count);

  // A few spare zeroed bytes, so a spooler that reports a size one short still ends its last
  // string inside the block. A printer added between the two calls makes the block too small:
  // then ask again with the new size rather than report a failure nobody caused.
  win::ScopedLocalMemory block;
  for (int attempt = 0;; ++attempt) {
    block.Reset(::LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, static_cast<SIZE_T>(needed) + 4));
    if (!block) {
      ReportEnumFailure(owner, ::GetLastError());
      return false;
    }
    count = 0;
    const DWORD size = needed;
    if (win::spooler::EnumPrintersW(kEnumFlags, name, 2, static_cast<LPBYTE>(block.Get()), size, &needed, &count)) break;
    const DWORD error = ::GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER || needed <= size || attempt >= 2) {
      ReportEnumFailure(owner, error);
      return false;
    }
  }
  const PRINTER_INFO_2W* records = static_cast<const PRINTER_INFO_2W*>(block.Get());
  for (DWORD i = 0; i < count; ++i) {
    if (records[i].pPrinterName != nullptr) list.push_back(records[i].pPrinterName);
  }
  return true;
}

bool RefillPrinterNames(std::vector<std::wstring>& list, HWND owner) {
  list.clear();
  return EnumPrinterNames(list, owner);
}

std::wstring MakeUniquePrinterName(const std::wstring& base, const std::vector<std::wstring>& existing) {
  std::wstring suffix = win::LoadStringResource(IDS_COPY_SUFFIX);
  // Without its text the suffix would add nothing and every candidate would equal the base.
  if (suffix.find(L"%d") == std::wstring::npos) suffix = L" (副本 %d)";
  return MakeUniqueName(base, existing, suffix);
}

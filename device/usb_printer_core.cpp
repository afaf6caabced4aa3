#include "device/usb_printer_core.h"

#include "win/format_core.h"

bool IsAcceptedUsbInstanceId(const std::wstring& instanceId) {
  const std::wstring text = ToLowerAscii(L"InstanceId = " + instanceId + L"\n");
  return text.find(L"vid_5e1a") != std::wstring::npos || text.find(L"vid_0f3c") != std::wstring::npos;
}

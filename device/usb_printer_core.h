// Which USB devices are printers of the series: those whose instance identifier carries one of
// the series' two USB vendor ids.
#pragma once

#include <string>

// Tested on the lower-cased identifier, so "USB\VID_5E1A&PID_..." is accepted as well.
bool IsAcceptedUsbInstanceId(const std::wstring& instanceId);

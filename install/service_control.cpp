#include "install/service_control.h"
void RunHelperServiceOnce(const std::wstring&, const std::wstring&) {}

#include "package/payload.h"
bool ExtractHelperService(const std::wstring&) { return true; }
std::wstring GetHelperServicePath(const std::wstring& fileName) { return fileName; }

#include "package/payload_core.h"

#include "package/disk_path_core.h"

std::wstring ServicesFolderUnder(const std::wstring& base) { return JoinPath(base, L"Services"); }

#include "package/registry_key.h"

#include "win/handles.h"
#include "win/system_library.h"

namespace {

constexpr DWORD kNameSlotChars = 512;
constexpr DWORD kClassChars = 128;
constexpr DWORD kStringValueBytes = 1023;

}  // namespace

CRegistryKey::CRegistryKey(HKEY root, REGSAM sam) : m_key(root), m_sam(sam) {}

CRegistryKey::~CRegistryKey() = default;

void CRegistryKey::AttachKey(HKEY key) { ReplaceKey(key); }

// A key this object opened itself is closed when another takes its place, so that walking a
// tree with one object leaks nothing; predefined root keys are never closed.
void CRegistryKey::ReplaceKey(HKEY key) { m_key.Reset(key); }

BOOL CRegistryKey::OpenSubKey(const std::wstring& subKey, int createIfMissing) {
  return OpenKeyUnder(m_key.Get(), subKey, m_sam, createIfMissing);
}

BOOL CRegistryKey::OpenKeyUnder(HKEY parent, const std::wstring& subKey, REGSAM access, int createIfMissing) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(parent, subKey.c_str(), 0, access, &opened) == ERROR_SUCCESS) {
    ReplaceKey(opened);
    return TRUE;
  }
  if (createIfMissing != 1) return FALSE;
  {
    // Made, then opened again below with this object's own access.
    win::ScopedKey created;
    if (::RegCreateKeyExW(parent, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, m_sam, nullptr,
                          created.Receive(), nullptr) != ERROR_SUCCESS) {
      return FALSE;
    }
  }
  if (::RegOpenKeyExW(parent, subKey.c_str(), 0, m_sam, &opened) != ERROR_SUCCESS) return FALSE;
  ReplaceKey(opened);
  return TRUE;
}

BOOL CRegistryKey::CreateSubKey(const std::wstring& subKey) { return CreateKeyUnder(m_key.Get(), subKey); }

BOOL CRegistryKey::CreateKeyUnder(HKEY parent, const std::wstring& subKey) {
  HKEY created = nullptr;
  if (::RegCreateKeyExW(parent, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, m_sam, nullptr, &created,
                        nullptr) != ERROR_SUCCESS) {
    return FALSE;
  }
  ReplaceKey(created);
  return TRUE;
}

namespace {

// RegDeleteKeyExW names the view (64-bit Windows XP and later); without a view to name, the
// process's own view is the only one and RegDeleteKeyW does.
LONG DeleteLeafKey(HKEY parent, const std::wstring& name, REGSAM view) {
  if (view != 0) {
    using DeleteExFn = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    static const DeleteExFn deleteEx = win::SystemFunction<DeleteExFn>(L"advapi32.dll", "RegDeleteKeyExW");
    if (deleteEx != nullptr) return deleteEx(parent, name.c_str(), view, 0);
  }
  return ::RegDeleteKeyW(parent, name.c_str());
}

}  // namespace

bool CRegistryKey::DeleteTree(HKEY root, const std::wstring& subKey, REGSAM view) {
  if (subKey.empty()) return false;  // never the root itself
  win::ScopedKey key;
  const LONG opened = ::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ | KEY_WRITE | view, key.Receive());
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  // Bounded: a key that keeps growing under us cannot hold the removal for ever.
  for (int round = 0; round < 8; ++round) {
    const std::vector<std::wstring> names = SubKeyNames(key.Get());
    if (names.empty()) break;
    for (const std::wstring& name : names) DeleteTree(key.Get(), name, view);
  }
  key.Reset();
  const LONG deleted = DeleteLeafKey(root, subKey, view);
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

int CRegistryKey::CountSubKeys(HKEY key) { return ListSubKeys(key, nullptr, INT_MAX); }

std::vector<std::wstring> CRegistryKey::SubKeyNames(HKEY key) {
  std::vector<std::wstring> names;
  const int count = CountSubKeys(key);
  ListSubKeys(key, &names, count + 1);
  return names;
}

int CRegistryKey::ListSubKeys(HKEY key, std::vector<std::wstring>* names, int capacity) {
  wchar_t name[kNameSlotChars + 1];
  wchar_t className[kClassChars];
  int index = 0;
  while (index < capacity) {
    ZeroMemory(name, sizeof(name));
    ZeroMemory(className, sizeof(className));
    DWORD nameChars = kNameSlotChars;
    DWORD classChars = kClassChars;
    FILETIME written;
    if (::RegEnumKeyExW(key, static_cast<DWORD>(index), name, &nameChars, nullptr, className, &classChars,
                        &written) != ERROR_SUCCESS) {
      break;
    }
    if (names != nullptr) names->emplace_back(name, nameChars < kNameSlotChars ? nameChars : kNameSlotChars);
    ++index;
  }
  return index;
}

BOOL CRegistryKey::SetDwordValue(const std::wstring& name, DWORD value) {
  return ::RegSetValueExW(m_key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
         ERROR_SUCCESS;
}

BOOL CRegistryKey::GetDwordValue(const std::wstring& name, DWORD& value) {
  DWORD data = 0;
  DWORD size = sizeof(data);
  if (::RegQueryValueExW(m_key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) !=
      ERROR_SUCCESS) {
    return FALSE;
  }
  value = data;
  return TRUE;
}

BOOL CRegistryKey::SetStringValue(const std::wstring& name, const std::wstring& text, DWORD type) {
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(m_key.Get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()), bytes) ==
         ERROR_SUCCESS;
}

BOOL CRegistryKey::GetStringValue(const std::wstring& name, std::wstring& text) {
  // 1024 characters of room, but at most 1023 bytes are asked for: a longer value fails.
  wchar_t buffer[1024];
  ZeroMemory(buffer, sizeof(buffer));
  DWORD size = kStringValueBytes;
  if (::RegQueryValueExW(m_key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS) {
    return FALSE;
  }
  buffer[1023] = L'\0';
  text.assign(buffer);
  return TRUE;
}

BOOL CRegistryKey::DeleteValue(const std::wstring& name) {
  return ::RegDeleteValueW(m_key.Get(), name.c_str()) == ERROR_SUCCESS;
}

// The registry key wrapper against a scratch key standing in for HKEY_LOCAL_MACHINE, so that the
// code under test keeps its real root key.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "package/registry_key.h"

namespace {

const wchar_t kScratchParent[] = L"Software\\KQTests";

class RegistryKey : public ::testing::Test {
 protected:
  void SetUp() override {
    m_scratch = std::wstring(kScratchParent) + L"\\package-" + std::to_wstring(::GetCurrentProcessId());
    ::SHDeleteKeyW(HKEY_CURRENT_USER, m_scratch.c_str());
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, m_scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &m_root, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_root), ERROR_SUCCESS);
  }
  void TearDown() override {
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegCloseKey(m_root);
    ::SHDeleteKeyW(HKEY_CURRENT_USER, m_scratch.c_str());
  }

  // Reads through the scratch key directly, not through the wrapper.
  bool Exists(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(m_root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
  }
  void MakeKey(const std::wstring& path) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(m_root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
  }
  void SetRaw(const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(m_root, path.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    EXPECT_EQ(::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    ::RegCloseKey(key);
  }

  std::wstring m_scratch;
  HKEY m_root = nullptr;
};

}  // namespace

TEST_F(RegistryKey, OpenSubKeyCreatesOnlyWhenAskedWithOne) {
  CRegistryKey key(HKEY_LOCAL_MACHINE, KEY_READ | KEY_WRITE);
  key.AttachKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(key.OpenSubKey(L"SYSTEM\\Missing", 0));
  EXPECT_EQ(key.GetKey(), HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(key.OpenSubKey(L"SYSTEM\\Missing", 2));
  EXPECT_FALSE(Exists(L"SYSTEM\\Missing"));

  EXPECT_TRUE(key.OpenSubKey(L"SYSTEM\\Missing", 1));
  EXPECT_TRUE(Exists(L"SYSTEM\\Missing"));
  EXPECT_NE(key.GetKey(), HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(key.SetDwordValue(L"Held", 7));
  HKEY direct = nullptr;
  ASSERT_EQ(::RegOpenKeyExW(m_root, L"SYSTEM\\Missing", 0, KEY_READ, &direct), ERROR_SUCCESS);
  DWORD value = 0;
  DWORD size = sizeof(value);
  EXPECT_EQ(::RegQueryValueExW(direct, L"Held", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  ::RegCloseKey(direct);
  EXPECT_EQ(value, 7u);

  // A held key that fails to open further is kept.
  const HKEY held = key.GetKey();
  EXPECT_FALSE(key.OpenSubKey(L"Deeper", 0));
  EXPECT_EQ(key.GetKey(), held);
}

TEST_F(RegistryKey, OpenKeyUnderAndCreateSubKey) {
  MakeKey(L"Parent");
  CRegistryKey parent(HKEY_LOCAL_MACHINE, KEY_READ);
  ASSERT_TRUE(parent.OpenSubKey(L"Parent", 0));

  CRegistryKey child(HKEY_LOCAL_MACHINE, KEY_READ | KEY_WRITE);
  EXPECT_FALSE(child.OpenKeyUnder(parent.GetKey(), L"Child", KEY_READ | KEY_WRITE, 0));
  EXPECT_TRUE(child.OpenKeyUnder(parent.GetKey(), L"Child", KEY_READ | KEY_WRITE, 1));
  EXPECT_TRUE(child.SetStringValue(L"Name", L"value"));
  std::wstring text;
  EXPECT_TRUE(child.GetStringValue(L"Name", text));
  EXPECT_EQ(text, L"value");

  CRegistryKey created(HKEY_LOCAL_MACHINE, KEY_READ | KEY_WRITE);
  EXPECT_TRUE(created.CreateSubKey(L"Made\\Here"));
  EXPECT_TRUE(created.SetDwordValue(L"x", 1));
  EXPECT_TRUE(Exists(L"Made\\Here"));
  CRegistryKey under(HKEY_LOCAL_MACHINE, KEY_READ | KEY_WRITE);
  EXPECT_TRUE(under.CreateKeyUnder(created.GetKey(), L"Below"));
  EXPECT_TRUE(Exists(L"Made\\Here\\Below"));
}

TEST_F(RegistryKey, CountingAndListingSubKeys) {
  MakeKey(L"Empty");
  CRegistryKey empty(HKEY_LOCAL_MACHINE, KEY_READ);
  ASSERT_TRUE(empty.OpenSubKey(L"Empty", 0));
  EXPECT_EQ(CRegistryKey::CountSubKeys(empty.GetKey()), 0);

  for (const wchar_t* name : {L"List\\0000", L"List\\0001", L"List\\0002"}) MakeKey(name);
  CRegistryKey list(HKEY_LOCAL_MACHINE, KEY_READ);
  ASSERT_TRUE(list.OpenSubKey(L"List", 0));
  EXPECT_EQ(CRegistryKey::CountSubKeys(list.GetKey()), 3);
  EXPECT_EQ(CRegistryKey::ListSubKeys(list.GetKey(), nullptr, 100), 3);
  std::vector<std::wstring> names;
  EXPECT_EQ(CRegistryKey::ListSubKeys(list.GetKey(), &names, 100), 3);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"0000", L"0001", L"0002"}));
}

TEST_F(RegistryKey, DeleteTreeTakesEverythingBelowAndNeverTheRoot) {
  for (const wchar_t* name : {L"Tree\\A\\1", L"Tree\\A\\2\\x", L"Tree\\B", L"Kept"}) MakeKey(name);
  const DWORD one = 1;
  SetRaw(L"Tree\\A", L"value", REG_DWORD, &one, sizeof(one));
  EXPECT_TRUE(CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, L"Tree", 0));
  EXPECT_FALSE(Exists(L"Tree"));
  EXPECT_TRUE(Exists(L"Kept"));
  EXPECT_TRUE(CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, L"Tree", 0)) << "gone already counts as removed";
  EXPECT_FALSE(CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, L"", 0));
  EXPECT_TRUE(Exists(L"Kept"));
}

TEST_F(RegistryKey, ListingStaysWithinItsCapacity) {
  for (const wchar_t* name : {L"Grow\\a", L"Grow\\b"}) MakeKey(name);
  CRegistryKey grow(HKEY_LOCAL_MACHINE, KEY_READ);
  ASSERT_TRUE(grow.OpenSubKey(L"Grow", 0));
  const int counted = CRegistryKey::CountSubKeys(grow.GetKey());
  ASSERT_EQ(counted, 2);
  // Subkeys appear between the count and the listing: the listing keeps to count + 1 slots.
  MakeKey(L"Grow\\c");
  MakeKey(L"Grow\\d");
  std::vector<std::wstring> names;
  EXPECT_EQ(CRegistryKey::ListSubKeys(grow.GetKey(), &names, counted + 1), counted + 1);
  EXPECT_EQ(names.size(), static_cast<size_t>(counted + 1));
  names.clear();
  EXPECT_EQ(CRegistryKey::ListSubKeys(grow.GetKey(), &names, 0), 0);
  EXPECT_EQ(CRegistryKey::ListSubKeys(grow.GetKey(), &names, -5), 0);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(CRegistryKey::CountSubKeys(nullptr), 0);
}

TEST_F(RegistryKey, StringValuesAndTheirSizes) {
  CRegistryKey key(HKEY_LOCAL_MACHINE, KEY_READ | KEY_WRITE);
  ASSERT_TRUE(key.OpenSubKey(L"Values", 1));
  EXPECT_TRUE(key.SetStringValue(L"Empty", L""));
  DWORD type = 0;
  DWORD size = 0;
  ASSERT_EQ(::RegQueryValueExW(key.GetKey(), L"Empty", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 2u);

  // 510 characters and the NUL fit the 1023 bytes asked for; 511 do not.
  const std::wstring fits(510, L'f');
  EXPECT_TRUE(key.SetStringValue(L"Fits", fits));
  std::wstring text = L"before";
  EXPECT_TRUE(key.GetStringValue(L"Fits", text));
  EXPECT_EQ(text, fits);
  EXPECT_TRUE(key.SetStringValue(L"Long", std::wstring(511, L'l')));
  text = L"before";
  EXPECT_FALSE(key.GetStringValue(L"Long", text));
  EXPECT_EQ(text, L"before");
  EXPECT_FALSE(key.GetStringValue(L"Absent", text));

  // A value stored without its NUL, or with text after one, ends at the first NUL.
  SetRaw(L"Values", L"Raw", REG_SZ, L"ab\0cd", 10);
  EXPECT_TRUE(key.GetStringValue(L"Raw", text));
  EXPECT_EQ(text, L"ab");
  SetRaw(L"Values", L"Bare", REG_SZ, L"xyz", 6);
  EXPECT_TRUE(key.GetStringValue(L"Bare", text));
  EXPECT_EQ(text, L"xyz");
}

TEST_F(RegistryKey, DwordValuesOfOtherSizes) {
  CRegistryKey key(HKEY_LOCAL_MACHINE, KEY_READ | KEY_WRITE);
  ASSERT_TRUE(key.OpenSubKey(L"Dwords", 1));
  EXPECT_TRUE(key.SetDwordValue(L"Four", 0xDEADBEEF));
  DWORD value = 0;
  EXPECT_TRUE(key.GetDwordValue(L"Four", value));
  EXPECT_EQ(value, 0xDEADBEEFu);

  const unsigned long long wide = 0x1122334455667788ull;
  SetRaw(L"Dwords", L"Eight", REG_QWORD, &wide, sizeof(wide));
  value = 5;
  EXPECT_FALSE(key.GetDwordValue(L"Eight", value));
  EXPECT_EQ(value, 5u);
  // The type is not checked: a short binary value reads as far as it goes.
  const unsigned char two[] = {0x34, 0x12};
  SetRaw(L"Dwords", L"Two", REG_BINARY, two, sizeof(two));
  EXPECT_TRUE(key.GetDwordValue(L"Two", value));
  EXPECT_EQ(value, 0x1234u);
  EXPECT_TRUE(key.DeleteValue(L"Two"));
  EXPECT_FALSE(key.GetDwordValue(L"Two", value));
}

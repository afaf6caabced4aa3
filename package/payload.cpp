#include "package/payload.h"

#include <shlobj.h>

#include <cstring>
#include <vector>

#include "package/disk_object.h"
#include "package/disk_path_core.h"
#include "package/payload_core.h"
#include "res/resource.h"
#include "win/app.h"
#include "win/format_core.h"
#include "win/handles.h"
#include "win/newer_apis.h"

namespace {

constexpr wchar_t kHelperPayloadType[] = L"WIN7";
// Large enough for any payload we carry; a file beyond it cannot be one of ours.
constexpr uint64_t kLargestComparedFile = 64LL * 1024 * 1024;

bool LoadResourceBytes(const wchar_t* typeName, WORD resourceId, std::vector<BYTE>& bytes) {
  const HMODULE module = win::ResourceModule();
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), typeName);
  if (found == nullptr) return false;
  const DWORD size = ::SizeofResource(module, found);
  HGLOBAL loaded = ::LoadResource(module, found);
  if (loaded == nullptr) return false;
  const void* data = ::LockResource(loaded);
  if (data == nullptr && size != 0) return false;
  const BYTE* first = static_cast<const BYTE*>(data);
  bytes.assign(first, first + size);
  return true;
}

// True when the file can be read and holds exactly these bytes. Other readers may keep it open
// meanwhile (a running helper has its own executable mapped).
bool FileHoldsBytes(const std::wstring& path, const std::vector<BYTE>& bytes) {
  win::ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  uint64_t size = 0;
  if (!win::GetFileLength(file.Get(), size) || size != bytes.size() || size > kLargestComparedFile) return false;
  std::vector<BYTE> onDisk(bytes.size());
  size_t done = 0;
  while (done < onDisk.size()) {
    DWORD read = 0;
    if (!::ReadFile(file.Get(), onDisk.data() + done, static_cast<DWORD>(onDisk.size() - done), &read, nullptr) ||
        read == 0) {
      return false;
    }
    done += read;
  }
  return bytes.empty() || std::memcmp(onDisk.data(), bytes.data(), bytes.size()) == 0;
}

enum class WriteOutcome { kNotOpened, kIncomplete, kWritten };

// Creates (or truncates) the file with no sharing and writes all bytes. A file left incomplete
// is removed, so that no half-written program stays behind to be registered as a service.
WriteOutcome WriteWholeFile(const std::wstring& path, const std::vector<BYTE>& bytes) {
  win::ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return WriteOutcome::kNotOpened;
  size_t done = 0;
  bool complete = true;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!::WriteFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
        written == 0) {
      complete = false;
      break;
    }
    done += written;
  }
  if (complete && !::FlushFileBuffers(file.Get())) complete = false;
  if (!::CloseHandle(file.Release())) complete = false;
  if (complete) return WriteOutcome::kWritten;
  ::DeleteFileW(path.c_str());
  return WriteOutcome::kIncomplete;
}

void Trace(const std::wstring& line) { ::OutputDebugStringW((line + L"\n").c_str()); }

}  // namespace

bool WriteResourceFile(const wchar_t* typeName, WORD resourceId, const std::wstring& directory,
                       const std::wstring& fileName) {
  const std::wstring path = JoinPath(directory, fileName);
  CDiskObject disk;
  if (!disk.IsExistingDirectory(directory)) disk.MakeDirectoryPath(directory);

  // Without the carried bytes there is nothing sound to write: an empty or stale program file
  // must not pass for the helper.
  std::vector<BYTE> content;
  if (typeName == nullptr || !LoadResourceBytes(typeName, resourceId, content)) return false;

  if (disk.IsExistingFile(path)) {
    if (FileHoldsBytes(path, content)) return true;
    // An old copy that is read-only, hidden or system (left so by hand or by another tool) would
    // refuse to be overwritten: it is our file, so those attributes go first.
    constexpr DWORD kBlocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const bool cleared = attributes != INVALID_FILE_ATTRIBUTES && (attributes & kBlocking) != 0 &&
                         ::SetFileAttributesW(path.c_str(), (attributes & ~kBlocking) | FILE_ATTRIBUTE_ARCHIVE);
    const WriteOutcome outcome = WriteWholeFile(path, content);
    // An old copy that could not be replaced stays exactly as it was, attributes included.
    if (cleared && outcome == WriteOutcome::kNotOpened) ::SetFileAttributesW(path.c_str(), attributes);
    Trace(FormatString(outcome == WriteOutcome::kWritten ? L"Overwrite file success\uFF08name\uFF1A%s\uFF09"
                                                         : L"Overwrite file failure\uFF08name\uFF1A%s\uFF09",
                       fileName));
    return outcome == WriteOutcome::kWritten;
  }

  const WriteOutcome outcome = WriteWholeFile(path, content);
  Trace(FormatString(outcome == WriteOutcome::kWritten ? L"Gen file success\uFF08name\uFF1A%s\uFF09"
                                                       : L"Gen file failure\uFF08name\uFF1A%s\uFF09",
                     fileName));
  return outcome == WriteOutcome::kWritten;
}

namespace {

bool CommonProgramFilesFolder(std::wstring& folder) {
  return win::GetSpecialFolderPath(CSIDL_PROGRAM_FILES_COMMON, folder);
}

}  // namespace

bool ExtractHelperService(const std::wstring& fileName) {
  // Without the common program-files folder the file would land in "\Services" of the current
  // drive, where the service path would not find it.
  std::wstring base;
  if (!CommonProgramFilesFolder(base)) return false;
  const std::wstring folder = ServicesFolderUnder(base);
  CDiskObject().MakeDirectoryPath(folder);
  return WriteResourceFile(kHelperPayloadType, IDR_HELPER_PAYLOAD, folder, fileName);
}

std::wstring GetHelperServicePath(const std::wstring& fileName) {
  std::wstring base;
  if (!CommonProgramFilesFolder(base)) return std::wstring();
  return JoinPath(ServicesFolderUnder(base), fileName);
}

std::wstring ProgramCopyPath() {
  std::wstring base;
  if (!CommonProgramFilesFolder(base)) return std::wstring();
  return JoinPath(JoinPath(base, L"KESTROM"), L"KQSetup.exe");
}

bool PlaceProgramCopy(const std::wstring& path) {
  const std::wstring running = win::ModuleFilePath();
  if (path.empty() || running.empty()) return false;
  if (EqualsIgnoreAsciiCase(running, path)) return true;
  CDiskObject().MakeDirectoryPath(path.substr(0, path.rfind(L'\\')));
  return ::CopyFileW(running.c_str(), path.c_str(), FALSE) != FALSE;
}

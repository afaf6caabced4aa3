#include "device/model_query.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "device/model_reply_core.h"
#include "device/usb_printer.h"
#include "win/app.h"
#include "win/handles.h"

const wchar_t kUsbStatusOk[] = L"/ok/";
const wchar_t kUsbStatusFailed[] = L"/error/|/usb/";
const wchar_t kUsbStatusOpenFailed[] = L"/error/|/read_usb_data/";

namespace {

constexpr wchar_t kDataPipeName[] = L"PIPE01";
constexpr DWORD kTransferWaitMs = 1000;
constexpr DWORD kReplyPauseMs = 50;
constexpr DWORD kReadChunkBytes = 64;
// A late answer shorter than this is not a reply.
constexpr DWORD kShortestLateReply = 11;
// FILE_DEVICE_UNKNOWN, function 2, buffered, any access: sent after a write that failed outright.
constexpr DWORD kResetAfterFailedWrite = 0x00220008;
constexpr unsigned char kUnknownModelCode = 80;

enum class Direction { kWrite, kRead };

// Cancels the transfer still running on `handle` and waits until it has ended, so that the
// buffer and the overlapped record it writes into can go away.
void CancelAndDrain(HANDLE handle, OVERLAPPED& overlapped) {
  ::CancelIo(handle);
  DWORD ignored = 0;
  ::GetOverlappedResult(handle, &overlapped, &ignored, TRUE);
}

// The device-control request that follows a failed write; its outcome does not matter, but the
// request must have ended before the pipe is closed.
void SendResetRequest(HANDLE pipe) {
  win::ScopedHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event) return;
  OVERLAPPED overlapped = {};
  overlapped.hEvent = event.Get();
  DWORD returned = 0;
  if (::DeviceIoControl(pipe, kResetAfterFailedWrite, nullptr, 0, nullptr, 0, &returned, &overlapped)) return;
  if (::GetLastError() != ERROR_IO_PENDING) return;
  if (::WaitForSingleObject(event.Get(), kTransferWaitMs) != WAIT_OBJECT_0) {
    ::CancelIo(pipe);
  }
  ::GetOverlappedResult(pipe, &overlapped, &returned, TRUE);
}

std::wstring Transfer(Direction direction, void* buffer, DWORD count) {
  win::ScopedHandle pipe(OpenPrinterPipe(kDataPipeName));
  if (!pipe) return kUsbStatusOpenFailed;
  // The plain interface carries no data; it stays open beside the pipe for the transfer.
  win::ScopedHandle device(OpenPrinterUsbDevice());
  if (!device) return kUsbStatusOpenFailed;

  OVERLAPPED overlapped = {};
  const BOOL done = direction == Direction::kWrite
                        ? ::WriteFile(pipe.Get(), buffer, count, nullptr, &overlapped)
                        : ::ReadFile(pipe.Get(), buffer, count, nullptr, &overlapped);
  if (done) return kUsbStatusOk;
  if (::GetLastError() != ERROR_IO_PENDING) {
    if (direction == Direction::kWrite) SendResetRequest(pipe.Get());
    return kUsbStatusFailed;
  }

  ::WaitForSingleObject(pipe.Get(), kTransferWaitMs);
  DWORD moved = 0;
  if (!::GetOverlappedResult(pipe.Get(), &overlapped, &moved, FALSE)) {
    // Not finished in time (or failed): nothing counts as moved.
    moved = 0;
    if (::GetLastError() == ERROR_IO_INCOMPLETE) CancelAndDrain(pipe.Get(), overlapped);
  }
  const bool enough = direction == Direction::kWrite ? moved == count : moved >= kShortestLateReply;
  return enough ? kUsbStatusOk : kUsbStatusFailed;
}

bool IsOk(const std::wstring& status) { return status.find(L"ok") != std::wstring::npos; }

}  // namespace

std::wstring WritePrinterUsbData(const unsigned char* data, short count) {
  if (data == nullptr || count < 0) return kUsbStatusFailed;
  return Transfer(Direction::kWrite, const_cast<unsigned char*>(data), static_cast<DWORD>(count));
}

std::wstring ReadPrinterUsbData(unsigned char* buffer, std::size_t bufferSize) {
  if (buffer == nullptr) return kUsbStatusFailed;
  const DWORD count = bufferSize < kReadChunkBytes ? static_cast<DWORD>(bufferSize) : kReadChunkBytes;
  return Transfer(Direction::kRead, buffer, count);
}

int QueryPrinterModel(std::wstring& model, int& code) {
  try {
    unsigned char reply[kModelReplyBufferBytes];
    std::memset(reply, 0, sizeof(reply));
    if (!IsOk(WritePrinterUsbData(kModelQueryRequest, static_cast<short>(kModelQueryRequestBytes)))) return 0;
    ::Sleep(kReplyPauseMs);
    std::memset(reply, 0, sizeof(reply));
    if (!IsOk(ReadPrinterUsbData(reply, sizeof(reply)))) return 0;

    std::wstring decodedModel;
    int decodedCode = 0;
    if (!DecodeModelReply(reply, sizeof(reply), decodedModel, decodedCode)) {
      // Owned by the wizard: the user may have switched to another program meanwhile, and a box
      // owned by nothing could open behind it.
      win::AppMessageBox(win::MainWindow(), L"未能获取机器型号！", MB_OK);
      model = L"Unknown";
      code = kUnknownModelCode;
      return 1;
    }
    model.swap(decodedModel);
    code = decodedCode;
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

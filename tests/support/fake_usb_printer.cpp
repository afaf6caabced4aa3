#include "support/fake_usb_printer.h"

#include <atomic>

#include "win/format_core.h"

namespace kqtest {

namespace {

// Every device walk opens the interface once, and one model query walks four times: enough
// listening instances for many walks, since a closed client leaves its instance used up.
constexpr int kInterfaceInstances = 64;
constexpr DWORD kReplyBufferBytes = 4096;

std::atomic<int> g_nextPrinter{0};

HANDLE CreateInstance(const std::wstring& path, DWORD inBufferBytes, DWORD outBufferBytes) {
  return ::CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, outBufferBytes,
                            inBufferBytes, 0, nullptr);
}

}  // namespace

TestThread::TestThread(std::function<void()> body)
    : m_body(std::move(body)), m_handle(::CreateThread(nullptr, 0, &TestThread::Run, this, 0, nullptr)) {}

TestThread::~TestThread() {
  if (m_handle == nullptr) return;
  ::WaitForSingleObject(m_handle, INFINITE);
  ::CloseHandle(m_handle);
}

DWORD WINAPI TestThread::Run(void* self) {
  static_cast<TestThread*>(self)->m_body();
  return 0;
}

FakeUsbPrinter::FakeUsbPrinter(const FakePrinterScript& script)
    : m_script(script),
      m_stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_listening(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  m_interfacePath = FormatString(L"\\\\.\\pipe\\kqfake-%d-%d", static_cast<unsigned long>(::GetCurrentProcessId()),
                                 g_nextPrinter.fetch_add(1));
  // Clients may connect to a fresh instance before the server asks for a connection, so the
  // interface needs no serving: it only has to be there to be opened.
  for (int i = 0; i < kInterfaceInstances; ++i) {
    HANDLE instance = CreateInstance(m_interfacePath, 0, 0);
    if (instance != INVALID_HANDLE_VALUE) m_interfaceInstances.push_back(instance);
  }
  if (m_script.servesDataPipe) {
    m_acceptor.reset(new TestThread([this] { AcceptDataConnections(); }));
    ::WaitForSingleObject(m_listening, 5000);
  }
}

FakeUsbPrinter::~FakeUsbPrinter() {
  ::SetEvent(m_stop);
  m_acceptor.reset();
  std::vector<std::unique_ptr<TestThread>> sessions;
  {
    std::lock_guard<win::CriticalSection> guard(m_lock);
    sessions.swap(m_sessions);
  }
  sessions.clear();
  for (HANDLE pipe : m_sessionPipes) ::CloseHandle(pipe);
  for (HANDLE instance : m_interfaceInstances) ::CloseHandle(instance);
  ::CloseHandle(m_listening);
  ::CloseHandle(m_stop);
}

std::vector<unsigned char> FakeUsbPrinter::ReceivedBytes() const {
  std::lock_guard<win::CriticalSection> guard(m_lock);
  return m_received;
}

std::vector<unsigned char> FakeUsbPrinter::ModelReply(const std::string& model, unsigned char code, size_t totalBytes) {
  std::vector<unsigned char> reply = {0x00, 0x00, 0x00};
  for (char c : model) reply.push_back(static_cast<unsigned char>(c));
  reply.push_back(code);
  reply.push_back(0x00);
  if (reply.size() < totalBytes) reply.resize(totalBytes, 0x00);
  return reply;
}

void FakeUsbPrinter::AcceptDataConnections() {
  const std::wstring path = DataPipePath();
  for (int connection = 0;; ++connection) {
    // No room for incoming bytes: a write stays pending until the printer reads it.
    HANDLE pipe = CreateInstance(path, 0, kReplyBufferBytes);
    ::SetEvent(m_listening);
    if (pipe == INVALID_HANDLE_VALUE) return;
    HANDLE connected = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    OVERLAPPED overlapped = {};
    overlapped.hEvent = connected;
    bool ready = ::ConnectNamedPipe(pipe, &overlapped) != FALSE;
    if (!ready) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_PIPE_CONNECTED) {
        ready = true;
      } else if (error == ERROR_IO_PENDING) {
        HANDLE waits[2] = {connected, m_stop};
        if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) {
          DWORD ignored = 0;
          ready = ::GetOverlappedResult(pipe, &overlapped, &ignored, FALSE) != FALSE;
        } else {
          ::CancelIo(pipe);
          DWORD ignored = 0;
          ::GetOverlappedResult(pipe, &overlapped, &ignored, TRUE);
        }
      }
    }
    ::CloseHandle(connected);
    if (!ready) {
      ::CloseHandle(pipe);
      if (::WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0) return;
      continue;
    }
    m_dataConnections.fetch_add(1);
    // An answer without delay goes out before anything else happens, so that it is already
    // waiting when the client starts its read.
    bool answered = false;
    if (connection % 2 == 1 && m_script.answers && m_script.replyDelayMs == 0) {
      WriteAll(pipe, m_script.reply);
      answered = true;
    }
    std::lock_guard<win::CriticalSection> guard(m_lock);
    m_sessionPipes.push_back(pipe);
    m_sessions.emplace_back(new TestThread([this, pipe, connection, answered] {
      if (answered) {
        WaitUntilClosed(pipe);
      } else {
        Serve(pipe, connection);
      }
    }));
  }
}

void FakeUsbPrinter::Serve(HANDLE pipe, int connection) {
  if (connection % 2 == 0) {
    TakeRequest(pipe);
  } else {
    Answer(pipe);
  }
}

void FakeUsbPrinter::TakeRequest(HANDLE pipe) {
  switch (m_script.request) {
    case FakePrinterScript::Request::kHangUp:
      ::DisconnectNamedPipe(pipe);
      return;
    case FakePrinterScript::Request::kIgnore:
      ::WaitForSingleObject(m_stop, INFINITE);
      return;
    case FakePrinterScript::Request::kTake:
    case FakePrinterScript::Request::kTakePart:
      break;
  }
  const size_t wanted = m_script.request == FakePrinterScript::Request::kTake ? 7 : m_script.takeBytes;
  size_t taken = 0;
  while (taken < wanted) {
    unsigned char buffer[64];
    DWORD chunk = static_cast<DWORD>(wanted - taken < sizeof(buffer) ? wanted - taken : sizeof(buffer));
    DWORD got = 0;
    if (!ReadSome(pipe, buffer, chunk, got) || got == 0) return;
    std::lock_guard<win::CriticalSection> guard(m_lock);
    m_received.insert(m_received.end(), buffer, buffer + got);
    taken += got;
  }
  if (m_script.request == FakePrinterScript::Request::kTakePart) {
    ::WaitForSingleObject(m_stop, INFINITE);
    return;
  }
  WaitUntilClosed(pipe);
}

void FakeUsbPrinter::Answer(HANDLE pipe) {
  if (m_script.answers) {
    if (m_script.replyDelayMs != 0 && ::WaitForSingleObject(m_stop, m_script.replyDelayMs) == WAIT_OBJECT_0) return;
    if (!WriteAll(pipe, m_script.reply)) return;
  }
  WaitUntilClosed(pipe);
}

bool FakeUsbPrinter::ReadSome(HANDLE pipe, unsigned char* buffer, DWORD size, DWORD& got) {
  HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  OVERLAPPED overlapped = {};
  overlapped.hEvent = done;
  got = 0;
  bool ok = ::ReadFile(pipe, buffer, size, nullptr, &overlapped) != FALSE;
  if (ok || ::GetLastError() == ERROR_IO_PENDING) {
    HANDLE waits[2] = {done, m_stop};
    if (!ok && ::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) ::CancelIo(pipe);
    ok = ::GetOverlappedResult(pipe, &overlapped, &got, TRUE) != FALSE;
  }
  ::CloseHandle(done);
  return ok;
}

bool FakeUsbPrinter::WriteAll(HANDLE pipe, const std::vector<unsigned char>& bytes) {
  if (bytes.empty()) return true;
  HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  OVERLAPPED overlapped = {};
  overlapped.hEvent = done;
  bool ok = ::WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &overlapped) != FALSE;
  if (ok || ::GetLastError() == ERROR_IO_PENDING) {
    HANDLE waits[2] = {done, m_stop};
    if (!ok && ::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) ::CancelIo(pipe);
    DWORD written = 0;
    ok = ::GetOverlappedResult(pipe, &overlapped, &written, TRUE) != FALSE;
  }
  ::CloseHandle(done);
  return ok;
}

void FakeUsbPrinter::WaitUntilClosed(HANDLE pipe) {
  // Reads (and keeps) whatever else arrives until the client closes its end.
  for (;;) {
    unsigned char buffer[64];
    DWORD got = 0;
    if (!ReadSome(pipe, buffer, sizeof(buffer), got) || got == 0) return;
  }
}

}  // namespace kqtest

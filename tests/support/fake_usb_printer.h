// A fake USB printer for tests: it serves the printer's interface as the named pipe
// \\.\pipe\<name> and its data pipe as \\.\pipe\<name>\PIPE01, so that the real enumeration,
// open and overlapped transfer code runs against it. Point the enumeration at it with
// SetUsbEnumerationForTesting({{instanceId, printer.InterfacePath()}}).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "win/handles.h"

namespace kqtest {

struct FakePrinterScript {
  // What the printer does on a data connection that carries a request (the 1st, 3rd, ...).
  enum class Request {
    kTake,      // reads the request promptly
    kTakePart,  // reads `takeBytes` bytes of it, then nothing more
    kIgnore,    // never reads
    kHangUp,    // drops the connection at once
  };
  Request request = Request::kTake;
  size_t takeBytes = 7;

  // What it answers on the data connection that follows (the 2nd, 4th, ...).
  bool answers = true;
  std::vector<unsigned char> reply;
  DWORD replyDelayMs = 0;

  // False: there is no data pipe at all, so it cannot be opened.
  bool servesDataPipe = true;
};

// The shipped build's runtime has no std::thread (it needs none), so the fake printer's threads
// are the system's own.
class TestThread {
 public:
  explicit TestThread(std::function<void()> body);
  ~TestThread();  // joins
  TestThread(const TestThread&) = delete;
  TestThread& operator=(const TestThread&) = delete;

 private:
  static DWORD WINAPI Run(void* self);
  std::function<void()> m_body;
  HANDLE m_handle;
};

class FakeUsbPrinter {
 public:
  explicit FakeUsbPrinter(const FakePrinterScript& script);
  ~FakeUsbPrinter();
  FakeUsbPrinter(const FakeUsbPrinter&) = delete;
  FakeUsbPrinter& operator=(const FakeUsbPrinter&) = delete;

  // "\\.\pipe\kqfake-<process>-<n>"
  const std::wstring& InterfacePath() const { return m_interfacePath; }
  std::wstring DataPipePath() const { return m_interfacePath + L"\\PIPE01"; }

  // Bytes the printer read on request connections, in order.
  std::vector<unsigned char> ReceivedBytes() const;
  // Data connections accepted so far.
  int DataConnections() const { return m_dataConnections.load(); }

  // A well-formed reply: three leading bytes, the model, the code and the end byte, padded with
  // zeros to `totalBytes`.
  static std::vector<unsigned char> ModelReply(const std::string& model, unsigned char code, size_t totalBytes = 20);

 private:
  void AcceptDataConnections();
  void Serve(HANDLE pipe, int connection);
  void TakeRequest(HANDLE pipe);
  void Answer(HANDLE pipe);
  // Overlapped I/O on a server pipe that gives up when the printer is stopped.
  bool ReadSome(HANDLE pipe, unsigned char* buffer, DWORD size, DWORD& got);
  bool WriteAll(HANDLE pipe, const std::vector<unsigned char>& bytes);
  void WaitUntilClosed(HANDLE pipe);

  FakePrinterScript m_script;
  std::wstring m_interfacePath;
  HANDLE m_stop;
  // Set once the first data pipe instance exists, so that a test never races the printer's start.
  HANDLE m_listening;
  std::vector<HANDLE> m_interfaceInstances;
  std::unique_ptr<TestThread> m_acceptor;
  mutable win::CriticalSection m_lock;
  std::vector<std::unique_ptr<TestThread>> m_sessions;
  std::vector<HANDLE> m_sessionPipes;
  std::vector<unsigned char> m_received;
  std::atomic<int> m_dataConnections{0};
};

}  // namespace kqtest

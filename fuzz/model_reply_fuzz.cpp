// The printer's answer to the model query is whatever the device sends: decoding it must stay
// inside the buffer, whatever its length and content.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "device/model_reply_core.h"
#include "device/printer_name_core.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exactly as many bytes as arrived, so that the sanitizer sees any read past them...
  std::vector<unsigned char> exact(data, data + size);
  std::wstring model = L"unchanged";
  int code = -1;
  const bool decoded = DecodeModelReply(exact.empty() ? nullptr : exact.data(), exact.size(), model, code);
  if (decoded) {
    if (model.size() > 21 || code < 0 || code > 255) __builtin_trap();
    std::wstring name = L"previous";
    AssignCleanPrinterName(name, model);
    if (name.empty()) __builtin_trap();
  } else if (model != L"unchanged" || code != -1) {
    __builtin_trap();
  }
  // ...and in the zeroed 255-byte buffer the exchange uses, of which at most 64 bytes are filled.
  unsigned char buffer[kModelReplyBufferBytes];
  std::memset(buffer, 0, sizeof(buffer));
  std::memcpy(buffer, data, size < 64 ? size : 64);
  DecodeModelReply(buffer, sizeof(buffer), model, code);
  return 0;
}

// Feeds arbitrary file contents to the log trimming: a file that does not start like our log is
// never cut, and a log of ours is cut only at the first line of one of its runs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "win/setup_log_core.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t keep = data[0] * 16u;
  const size_t start = TrimmedLogStart(content, keep);
  if (!StartsAsSetupLog(content.substr(0, kSetupLogHeadBytes))) {
    if (start != 0) abort();
    return 0;
  }
  if (start < 3 || start > content.size()) abort();
  if (start > 3 && (content[start - 1] != '\n' || !IsRunStartAt(content, start))) abort();
  // Text after any stamp starts inside the content.
  const size_t text = LogLineTextStart(content, start);
  if (text != std::string::npos && text > content.size()) abort();
  return 0;
}

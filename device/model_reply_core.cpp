#include "device/model_reply_core.h"

const unsigned char kModelQueryRequest[kModelQueryRequestBytes] = {0x1B, 0x7C, 0x81, 0x81, 0x01, 0x00, 0x02};

namespace {

constexpr std::size_t kNameOffset = 3;
constexpr std::size_t kLastEndOffset = 25;

}  // namespace

bool DecodeModelReply(const unsigned char* buffer, std::size_t size, std::wstring& model, int& code) {
  if (buffer == nullptr || size <= kNameOffset) return false;
  std::size_t end = 0;
  if (buffer[kNameOffset] == 0x00) {
    end = kNameOffset;
  } else {
    const std::size_t last = size - 1 < kLastEndOffset ? size - 1 : kLastEndOffset;
    for (std::size_t i = kNameOffset + 1; i <= last; ++i) {
      if (buffer[i] == 0x00) {
        end = i;
        break;
      }
    }
    if (end == 0) return false;
  }
  std::wstring text;
  for (std::size_t i = kNameOffset; i + 1 < end; ++i) text.push_back(static_cast<wchar_t>(buffer[i]));
  model.swap(text);
  code = buffer[end - 1];
  return true;
}

#include "device/model_reply_core.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

struct Decoded {
  bool ok;
  std::wstring model;
  int code;
};

Decoded Decode(std::vector<unsigned char> bytes, size_t size = kModelReplyBufferBytes) {
  bytes.resize(size, 0x00);
  Decoded d{false, L"untouched", -1};
  d.ok = DecodeModelReply(bytes.data(), bytes.size(), d.model, d.code);
  return d;
}

TEST(ModelReplyCore, RequestBytes) {
  const std::vector<unsigned char> request(kModelQueryRequest, kModelQueryRequest + kModelQueryRequestBytes);
  EXPECT_EQ((std::vector<unsigned char>{0x1B, 0x7C, 0x81, 0x81, 0x01, 0x00, 0x02}), request);
}

TEST(ModelReplyCore, LayoutsOfTheReply) {
  Decoded d = Decode({0, 0, 0, 'K', 'Q', '-', '8', '0', 0x05, 0x00});
  EXPECT_TRUE(d.ok);
  EXPECT_EQ(L"KQ-80", d.model);
  EXPECT_EQ(5, d.code);

  d = Decode({0, 0, 0x07, 0x00, 'A'});
  EXPECT_TRUE(d.ok);
  EXPECT_EQ(L"", d.model);
  EXPECT_EQ(7, d.code);

  d = Decode({0, 0, 0, 0x09, 0x00});
  EXPECT_TRUE(d.ok);
  EXPECT_EQ(L"", d.model);
  EXPECT_EQ(9, d.code);

  d = Decode({0, 0, 0, 0xC0, 0xFE, 0x00});
  EXPECT_EQ(std::wstring(1, static_cast<wchar_t>(0xC0)), d.model);
  EXPECT_EQ(0xFE, d.code);
}

TEST(ModelReplyCore, EndByteMustStandAtOffset25OrLower) {
  std::vector<unsigned char> bytes(26, 'A');
  bytes[25] = 0x00;
  Decoded d = Decode(bytes);
  EXPECT_TRUE(d.ok);
  EXPECT_EQ(std::wstring(21, L'A'), d.model);
  EXPECT_EQ('A', d.code);

  bytes.assign(27, 'A');
  bytes[26] = 0x00;
  d = Decode(bytes);
  EXPECT_FALSE(d.ok);
  EXPECT_EQ(L"untouched", d.model);
  EXPECT_EQ(-1, d.code);
}

TEST(ModelReplyCore, ShortBuffersAreNeverReadPastTheirEnd) {
  Decoded d = Decode({0, 0, 0}, 3);
  EXPECT_FALSE(d.ok);
  d = Decode({0, 0, 0, 'K', 'Q'}, 5);
  EXPECT_FALSE(d.ok);
  d = Decode({0, 0, 0, 'K', 0}, 5);
  EXPECT_TRUE(d.ok);
  EXPECT_EQ(L"", d.model);
  EXPECT_EQ('K', d.code);
  std::wstring model;
  int code = 0;
  EXPECT_FALSE(DecodeModelReply(nullptr, 255, model, code));
}

}  // namespace

// Decoding of the printer's answer to the model query. The answer comes from the device, so the
// decoder never looks outside the buffer it is given, whatever the device sent.
#pragma once

#include <cstddef>
#include <string>

// The 7-byte request that asks the printer for its model.
constexpr std::size_t kModelQueryRequestBytes = 7;
extern const unsigned char kModelQueryRequest[kModelQueryRequestBytes];

// Room for the reply; at most 64 bytes are read into it, the rest stays zero.
constexpr std::size_t kModelReplyBufferBytes = 255;

// The reply: 3 bytes not examined, the model name (one character per byte), a code byte, then a
// 0x00 that must stand at offset 25 or lower.
// Returns false when no end byte stands in offsets 4 to 25 (or the buffer is too short to hold
// one); `model` and `code` are then left untouched. Otherwise sets the model text (bytes 3 to the
// end minus 2, each byte becoming the character with the same number) and the code (the byte
// before the end).
bool DecodeModelReply(const unsigned char* buffer, std::size_t size, std::wstring& model, int& code);

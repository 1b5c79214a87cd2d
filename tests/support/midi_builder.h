// The pieces of Standard MIDI File bytes that the case table's songs are built
// from (tests/convert/case_test.cpp writes the events themselves).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tonvert::test {

using Bytes = std::vector<uint8_t>;

// Variable-length quantity, most significant group first.
Bytes VarLen(uint32_t value);

// "MThd" with length 6 and the three fields; a chunk with its real length.
Bytes Header(int format, int trackCount, int division);
Bytes Chunk(const std::string& id, const Bytes& body);
Bytes Concat(std::initializer_list<Bytes> parts);

}  // namespace tonvert::test

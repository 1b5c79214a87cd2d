#include "support/midi_builder.h"

namespace tonvert::test {

namespace {
void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
void BigEndian(Bytes& out, uint32_t v, int bytes) {
  for (int s = 8 * (bytes - 1); s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}
}  // namespace

Bytes VarLen(uint32_t value) {
  Bytes groups{static_cast<uint8_t>(value & 0x7F)};
  while (value >>= 7) groups.insert(groups.begin(), static_cast<uint8_t>(0x80 | (value & 0x7F)));
  return groups;
}

Bytes Header(int format, int trackCount, int division) {
  Bytes out{'M', 'T', 'h', 'd', 0, 0, 0, 6};
  for (int field : {format, trackCount, division}) BigEndian(out, static_cast<uint32_t>(field), 2);
  return out;
}

Bytes Chunk(const std::string& id, const Bytes& body) {
  Bytes out(id.begin(), id.end());
  BigEndian(out, static_cast<uint32_t>(body.size()), 4);
  Append(out, body);
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) Append(out, p);
  return out;
}

}  // namespace tonvert::test

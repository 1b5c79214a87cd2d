#include "support/midi_builder.h"

namespace tonvert::test {

namespace {
void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
void BigEndian(Bytes& out, uint32_t v, int bytes) {
  for (int s = 8 * (bytes - 1); s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}
uint8_t B(int64_t v) { return static_cast<uint8_t>(v); }
}  // namespace

Bytes VarLen(uint32_t value) {
  Bytes groups{static_cast<uint8_t>(value & 0x7F)};
  while (value >>= 7) groups.insert(groups.begin(), static_cast<uint8_t>(0x80 | (value & 0x7F)));
  return groups;
}

Track& Track::Event(uint32_t delta, std::initializer_list<uint8_t> bytes) {
  Append(bytes_, VarLen(delta));
  bytes_.insert(bytes_.end(), bytes);
  return *this;
}

Track& Track::NoteOn(uint32_t delta, int channel, int note, int velocity) {
  return Event(delta, {B(0x90 | channel), B(note), B(velocity)});
}
Track& Track::NoteOff(uint32_t delta, int channel, int note, int velocity) {
  return Event(delta, {B(0x80 | channel), B(note), B(velocity)});
}
Track& Track::Program(uint32_t delta, int channel, int program) {
  return Event(delta, {B(0xC0 | channel), B(program)});
}
Track& Track::Tempo(uint32_t delta, uint32_t us) {
  return Event(delta, {0xFF, 0x51, 0x03, B(us >> 16), B(us >> 8), B(us)});
}
Track& Track::End(uint32_t delta) { return Event(delta, {0xFF, 0x2F, 0x00}); }

// A meta event (0xFF) or a sysex (0xF0): its type, then the text with its length.
Track& Track::Counted(uint32_t delta, const Bytes& head, const Bytes& data) {
  Append(bytes_, VarLen(delta));
  Append(bytes_, head);
  Append(bytes_, VarLen(static_cast<uint32_t>(data.size())));
  Append(bytes_, data);
  return *this;
}
Track& Track::Name(uint32_t delta, const std::string& text) {
  return Counted(delta, {0xFF, 0x03}, {text.begin(), text.end()});
}
Track& Track::Text(uint32_t delta, const std::string& text) {
  return Counted(delta, {0xFF, 0x01}, {text.begin(), text.end()});
}
Track& Track::Sysex(uint32_t delta, const Bytes& data) { return Counted(delta, {0xF0}, data); }

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

Bytes Smf(int format, int division, const std::vector<Track>& tracks) {
  Bytes out = Header(format, static_cast<int>(tracks.size()), division);
  for (const Track& t : tracks) Append(out, Chunk("MTrk", t.bytes()));
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) Append(out, p);
  return out;
}

}  // namespace tonvert::test

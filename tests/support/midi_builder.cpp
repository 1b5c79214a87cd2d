#include "support/midi_builder.h"

namespace tonvert::test {

namespace {
void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
void Be32(Bytes& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}
void Be16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
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

Track& Track::Raw(const Bytes& bytes) {
  Append(bytes_, bytes);
  return *this;
}

Track& Track::NoteOn(uint32_t delta, int channel, int note, int velocity) {
  return Event(delta, {static_cast<uint8_t>(0x90 | channel), static_cast<uint8_t>(note),
                       static_cast<uint8_t>(velocity)});
}

Track& Track::NoteOff(uint32_t delta, int channel, int note, int velocity) {
  return Event(delta, {static_cast<uint8_t>(0x80 | channel), static_cast<uint8_t>(note),
                       static_cast<uint8_t>(velocity)});
}

Track& Track::Program(uint32_t delta, int channel, int program) {
  return Event(delta, {static_cast<uint8_t>(0xC0 | channel), static_cast<uint8_t>(program)});
}

Track& Track::Tempo(uint32_t delta, uint32_t us) {
  return Event(delta, {0xFF, 0x51, 0x03, static_cast<uint8_t>(us >> 16),
                       static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)});
}

static void MetaText(Bytes& out, uint32_t delta, uint8_t type, const std::string& text) {
  Append(out, VarLen(delta));
  out.push_back(0xFF);
  out.push_back(type);
  Append(out, VarLen(static_cast<uint32_t>(text.size())));
  out.insert(out.end(), text.begin(), text.end());
}

Track& Track::Name(uint32_t delta, const std::string& text) {
  MetaText(bytes_, delta, 0x03, text);
  return *this;
}

Track& Track::Text(uint32_t delta, const std::string& text) {
  MetaText(bytes_, delta, 0x01, text);
  return *this;
}

Track& Track::Sysex(uint32_t delta, const Bytes& data) {
  Append(bytes_, VarLen(delta));
  bytes_.push_back(0xF0);
  Append(bytes_, VarLen(static_cast<uint32_t>(data.size())));
  Append(bytes_, data);
  return *this;
}

Track& Track::End(uint32_t delta) { return Event(delta, {0xFF, 0x2F, 0x00}); }

Bytes Header(int format, int trackCount, int division) {
  Bytes out{'M', 'T', 'h', 'd'};
  Be32(out, 6);
  Be16(out, static_cast<uint32_t>(format));
  Be16(out, static_cast<uint32_t>(trackCount));
  Be16(out, static_cast<uint32_t>(division));
  return out;
}

Bytes Chunk(const std::string& id, const Bytes& body) {
  Bytes out(id.begin(), id.end());
  Be32(out, static_cast<uint32_t>(body.size()));
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

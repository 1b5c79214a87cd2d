// Builds Standard MIDI File bytes in tests, event by event, so a fixture reads
// like the music it holds:
//   Track t; t.Tempo(0, 500000).NoteOn(0, 0, 60, 100).NoteOff(48, 0, 60).End();
//   auto bytes = Smf(1, 48, {t});
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tonvert::test {

using Bytes = std::vector<uint8_t>;

// Variable-length quantity, most significant group first.
Bytes VarLen(uint32_t value);

class Track {
 public:
  Track& NoteOn(uint32_t delta, int channel, int note, int velocity);
  Track& NoteOff(uint32_t delta, int channel, int note, int velocity = 0);
  Track& Program(uint32_t delta, int channel, int program);
  Track& Tempo(uint32_t delta, uint32_t microsecondsPerQuarter);
  Track& Name(uint32_t delta, const std::string& text);
  Track& Text(uint32_t delta, const std::string& text);  // meta 0x01
  Track& Sysex(uint32_t delta, const Bytes& data);        // F0, length, data
  Track& End(uint32_t delta = 0);
  // A delta time followed by raw event bytes (running status, odd events).
  Track& Event(uint32_t delta, std::initializer_list<uint8_t> bytes);

  const Bytes& bytes() const { return bytes_; }

 private:
  Track& Counted(uint32_t delta, const Bytes& head, const Bytes& data);
  Bytes bytes_;
};

// "MThd" with length 6 and the three fields, then one "MTrk" per track with its
// real length.
Bytes Smf(int format, int division, const std::vector<Track>& tracks);
Bytes Header(int format, int trackCount, int division);
Bytes Chunk(const std::string& id, const Bytes& body);
Bytes Concat(std::initializer_list<Bytes> parts);

}  // namespace tonvert::test

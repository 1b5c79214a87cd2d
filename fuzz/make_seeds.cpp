// Writes the seed corpora of the fuzz targets: small files of our own, built
// with the tests' MIDI builder, and hand-written definition and settings files.
//   make_seeds OUT-FOLDER   (fuzz/run.sh calls it with fuzz/seeds)
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/midi_builder.h"

using namespace tonvert::test;

namespace {

void Save(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    std::perror(path.c_str());
    std::exit(1);
  }
  std::fclose(file);
}

std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

std::vector<std::pair<std::string, Bytes>> MidiSeeds() {
  std::vector<std::pair<std::string, Bytes>> seeds;

  Track melody;
  melody.Name(0, "Melody").Tempo(0, 500000).Program(0, 0, 5);
  for (int i = 0; i < 8; ++i) melody.NoteOn(i == 0 ? 0 : 12, 0, 60 + i, 100).NoteOff(36, 0, 60 + i);
  melody.End();
  seeds.push_back({"format0.mid", Smf(0, 48, {melody})});

  Track bass, chords, drums, conductor;
  conductor.Name(0, "Conductor").Tempo(0, 400000).Text(0, "text").Tempo(96, 0).End();
  bass.Name(0, "Bass").Program(0, 1, 33).NoteOn(0, 1, 36, 90).NoteOn(48, 1, 36, 0).NoteOn(0, 1, 43, 90)
      .NoteOff(48, 1, 43).End();
  chords.Program(0, 2, 0).Event(0, {0x92, 60, 80}).Event(0, {64, 80}).Event(0, {67, 80})  // running status
      .Event(96, {60, 0}).Event(0, {64, 0}).Event(0, {67, 0}).Sysex(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}).End();
  drums.Name(0, "Drums");
  for (int i = 0; i < 8; ++i) drums.NoteOn(i == 0 ? 0 : 24, 9, i % 2 ? 38 : 36, 110).NoteOff(0, 9, i % 2 ? 38 : 36);
  drums.NoteOn(0, 9, 42, 64).End();  // left open
  seeds.push_back({"format1.mid", Smf(1, 96, {conductor, bass, chords, drums})});

  Track odd;
  odd.Event(0, {0xB0, 7, 100}).Event(0, {0xE0, 0, 64}).Event(0, {0xD0, 10}).Event(0, {0xA0, 60, 5})
      .Event(0, {0xF2, 1, 2}).Event(0, {0xF1, 3}).Event(0, {0xF8}).Event(0, {0xFF, 0x58, 4, 4, 2, 24, 8})
      .Event(0, {0xFF, 0x59, 2, 0, 0}).Event(0, {0xFF, 0x54, 5, 0, 0, 0, 0, 0}).Event(0, {0xFF, 0x00, 2, 0, 1})
      .Event(0, {0xF7, 2, 1, 2}).Event(0, {0xFF, 0x7F, 3, 1, 2, 3}).NoteOn(0x0FFFFFFF, 3, 127, 127).End();
  seeds.push_back({"events.mid", Smf(1, 0xE728, {odd})});  // SMPTE timing

  // A chunk of another type, then a track cut by the end of the file.
  Bytes cut = Concat({Header(1, 3, 120), Chunk("XFIH", {1, 2, 3}), Chunk("MTrk", melody.bytes())});
  cut.resize(cut.size() - 5);
  seeds.push_back({"cut.mid", cut});
  return seeds;
}

const char* kInstruments =
    "; instruments\r\n[0]\r\nMidiInstrument=Piano\r\nFTInstrumentVar=02\r\n"
    "FTMacroVolume=-1 -1 0 : 15 12 8 4 0\r\nFTMacroDuty=0 -1 0 : 2\r\n"
    "[33]\r\nMidiInstrument=Bass \"finger\"\r\nFTMacroArpeggio=2 -1 0 : 0 12 0\r\nFTMacroPitch=bad\r\n"
    "[ 5 ]\r\n  midiinstrument = Lead\t\r\nFTMacroHiPitch=-1 -1 0 : 1 -1\r\n[200]\r\nMidiInstrument=Out\r\n"
    "[$10]\r\nMidiInstrument=Hex\r\n";
const char* kDrums =
    "\xEF\xBB\xBF[36]\nname=Kick \xC3\xA9\nkey=1-#\nm_volume=-1 -1 0 : 15 8 0\n"
    "[38]\nname=Snare\nkey=C-3\nm_duty=-1 -1 0 : 1\n[36]\nname=Kick again\nkey=2-#\n"
    "[42]\nname=Hat\nkey=\n[-1]\nname=negative\nno equals sign\n";

const char* kSettings =
    "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Farrow\\FARROW_TONVERT]\r\n"
    "\"in\"=\"/home/ann/midi/song.mid\"\r\n\"out\"=\"/home/ann/song.txt\"\r\n\"rpp\"=\"64\"\r\n"
    "\"ticks\"=\"36\"\r\n\"mapper\"=\"10000100001000100100001000010001001000000000000000000000010000000000"
    "000000000000000100010000100000001000100001000\"\r\n\r\n/home/ann/other.mid";
const char* kOddSettings =
    "; no header\n[hkey_local_machine\\\\software\\farrow\\farrow_tonvert]\n\"RPP\"=dword:00000020\n"
    "\"ticks\"=hex:01,ab,\\\n  cd\n\"in\"=hex(2):43,3a,5c,00\n\"out\"=\"C:\\\\temp\\\"x\\\"\"\ngarbage line\n"
    "[HKEY_CURRENT_USER\\Other]\n@=\"default\"\n\"mapper\"=hex(7):41,00,00\n[HKLM\\x]\n\"in\"=\"no root\"\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Farrow\\FARROW_TONVERT]\n\"mapper\"=\"1010\"\nauto";

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds OUT-FOLDER\n");
    return 2;
  }
  const std::string out = argv[1];
  for (const char* sub : {"", "/fuzz_midi_reader", "/fuzz_conversion", "/fuzz_definitions", "/fuzz_settings"})
    mkdir((out + sub).c_str(), 0755);

  for (const auto& [name, bytes] : MidiSeeds()) {
    Save(out + "/fuzz_midi_reader/" + name, Str(bytes));
    // Rows, ticks and mapper selectors, then the file.
    const std::string settings[] = {std::string("\0\0\0", 3), std::string("\1\1\1", 3), std::string("\3\2\3", 3)};
    for (size_t k = 0; k < 3; ++k)
      Save(out + "/fuzz_conversion/" + std::to_string(k) + "-" + name, settings[k] + Str(bytes));
  }
  Save(out + "/fuzz_definitions/instruments.ini", kInstruments);
  Save(out + "/fuzz_definitions/drums.ini", kDrums);
  Save(out + "/fuzz_settings/plain.reg", std::string(1, '\4') + kSettings);
  Save(out + "/fuzz_settings/odd.reg", std::string(1, '\0') + kOddSettings);
  return 0;
}

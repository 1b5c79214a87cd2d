// The whole run on arbitrary MIDI bytes: the first three bytes pick the rows,
// the ticks and the mapper (and the timing options), the rest is the MIDI file (an input that starts
// with "MThd" is all MIDI file, run with the defaults). Fixed definition files
// define every eighth program (five macros each) and the drums. A written document must keep the invariants of CheckDocument; a
// stopped run must have said why.
#include <dirent.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "convert/conversion.h"
#include "convert/placement.h"
#include "document_check.h"
#include "fuzz_support.h"

namespace tonvert::fuzz {
using check::CheckDocument;
using check::DocumentExpectations;
namespace {

// Mostly short patterns: a fuzzed song usually runs to frame 7F, and 128 long
// patterns cost much time per input for little more coverage.
constexpr const char* kRows[] = {"8", "16", "1", "256", "0", "7", "64", "-1"};
constexpr const char* kTicks[] = {"36", "auto", "1", "6", "0", " AUTO\t", "100", "-3"};

// Keys of the drums file: note forms and noise pitches the tracker reads.
constexpr const char* kDrumKeys[] = {"1-#", "C-3", "F#2", "A-#", "D-5", "G#1"};

std::string InstrumentsIni() {
  std::string ini;
  // Every eighth program, five macros each: a song of many programs still
  // numbers its macros per type, and the file, read at every run, stays short.
  for (int p = 0; p < 128; p += 8) {
    ini += "[" + std::to_string(p) + "]\nMidiInstrument=Program " + std::to_string(p) +
           "\nFTInstrumentVar=" + std::to_string(p % 3) +
           "\nFTMacroVolume=-1 -1 0 : 15 12 8 4 0\nFTMacroArpeggio=0 -1 0 : 0 12 0\n"
           "FTMacroPitch=-1 -1 0 : 0 1 -1\nFTMacroHiPitch=-1 -1 0 : 0\nFTMacroDuty=-1 -1 0 : " +
           std::to_string(p % 3) + "\n";
  }
  return ini;
}

std::string DrumsIni() {
  std::string ini;
  for (int note = 27; note <= 87; note += 2) {
    ini += "[" + std::to_string(note) + "]\nname=Drum " + std::to_string(note) + "\nkey=" +
           kDrumKeys[note % 6] + "\nm_volume=-1 -1 0 : 15 10 5 0\n";
    if (note % 3 == 0) ini += "m_arpeggio=-1 -1 0 : 0 3 -3\nm_duty=-1 -1 0 : 1\n";
  }
  // A drum without a key and one without a group in the song.
  ini += "[29]\nname=Silent\nkey=\n";
  return ini;
}

struct Fixture {
  std::string instruments = WriteScratchFile("instruments.ini", InstrumentsIni());
  std::string drums = WriteScratchFile("drums.ini", DrumsIni());
  std::string output = ScratchFolder() + "/song.txt";
  DocumentExpectations expect;
  Fixture() {
    for (const char* key : kDrumKeys) expect.drumKeys.insert(key);
  }
};

bool KnownStop(const std::string& text) {
  return text.rfind("Unknown format !! : ", 0) == 0 || text == "Rows per pattern must be between 1 and 256." ||
         text == "Ticks per 1/16 note must be at least 1." ||
         text == "This file has no ticks per quarter note: enter the ticks per 1/16 note.";
}

}  // namespace
}  // namespace tonvert::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tonvert;
  using namespace tonvert::fuzz;
  static const Fixture fixture;
  // A whole MIDI file (a real one given as a seed) runs with the defaults.
  const bool wholeFile = size >= 4 && data[0] == 'M' && data[1] == 'T' && data[2] == 'h' && data[3] == 'd';
  const uint8_t defaults[3] = {6, 0, 0};
  const uint8_t* choice = wholeFile ? defaults : data;
  if (!wholeFile && size < 3) return 0;
  const size_t skip = wholeFile ? 0 : 3;

  RecordingFrontEnd ui;
  ui.rows = kRows[choice[0] % 8];
  ui.ticks = kTicks[choice[1] % 8];
  switch (choice[2] % 4) {
    case 0: break;  // the built-in default
    case 1: ApplyMapperText(ui.mapper, std::string(kMapperBoxCount, '1')); break;
    case 2: ClearMapper(ui.mapper); break;
    case 3:  // every MIDI channel on one tracker channel, the drums' included
      for (int k = 0; k < kMapperBoxCount; ++k) ui.mapper.SetChecked(k, k % kMidiChannels % kTrackerChannelCount == k / kMidiChannels);
      break;
  }
  // The timing options, and the grid found from the notes, on the third byte's higher bits.
  if (choice[2] & 4) ui.options.insert(Option::TempoChanges);
  if (choice[2] & 8) ui.options.insert(Option::NearestRow);
  if (choice[2] & 16) ui.ticks = " Fit";
  ui.midiPath = WriteScratchFile("song.mid", data + skip, size - skip);
  ui.outputPath = fixture.output;
  std::remove(fixture.output.c_str());

  RunOptions options;
  options.instrumentsPath = fixture.instruments;
  options.drumsPath = fixture.drums;
  const RunOutcome outcome = RunConversion(ui, options);

  // Written or not, the run leaves no temporary file beside the output.
  if (DIR* folder = opendir(ScratchFolder().c_str())) {
    while (const dirent* entry = readdir(folder))
      if (std::strncmp(entry->d_name, ".tonvert", 8) == 0) Fail(std::string("left behind: ") + entry->d_name);
    closedir(folder);
  }

  int stops = 0;
  for (const Message& m : ui.messages) {
    if (!m.stopsRun) {
      if (m.text != "Abnormal EndOfFile encountered.") Fail("unexpected warning message: " + m.text);
      continue;
    }
    ++stops;
    if (!KnownStop(m.text)) Fail("unexpected stop: " + m.text);
  }
  if (outcome == RunOutcome::Stopped) {
    if (stops != 1 || !ui.messages.back().stopsRun) Fail("a stopped run without one stopping message");
    if (FileText(fixture.output) != "" || ui.clipboard != "") Fail("a stopped run wrote something");
    return 0;
  }
  if (outcome != RunOutcome::Written || stops != 0) Fail("the run neither wrote nor stopped");
  if (ui.clipboard != fixture.output) Fail("the written path is not on the clipboard");
  // The definitions are well formed, so only the run's own warnings, those of
  // the programs left undefined, the drum keys without a group and typed
  // ticks that do not fit the file may show.
  for (const RunReport& report : ui.reports)
    for (const std::string& w : report.warnings) {
      const std::string undefined = "Undefined instrument program #";
      const bool undefinedOk = w.rfind(undefined, 0) == 0 && std::stoi(w.substr(undefined.size())) % 8 != 0;
      if (w.rfind("Undefined drum program #", 0) != 0 && w.rfind("This file has ", 0) != 0 &&
          w != "Only the first 50000 notes were read" && w != "Song cut after " + std::to_string(kMaxFrames) + " frames" &&
          w != "More than 64 instruments: instruments above 3F were left out" && !undefinedOk)
        Fail("unexpected warning: " + w);
    }

  DocumentExpectations expect = fixture.expect;
  const std::string rows = ui.rows;
  expect.rowsPerPattern = rows == "0" ? 16 : std::stoi(rows);
  expect.maxFrames = kMaxFrames;
  const std::string document = FileText(fixture.output);
  const std::string problem = CheckDocument(document, expect);
  if (!problem.empty()) Fail(problem);
  // A cut song fills every frame it may hold.
  bool cut = false;
  for (const RunReport& report : ui.reports)
    for (const std::string& w : report.warnings) cut = cut || w.rfind("Song cut", 0) == 0;
  char last[16];
  std::snprintf(last, sizeof last, "\r\nORDER %02X :", kMaxFrames - 1);
  if (cut && document.find(last) == std::string::npos) Fail("a cut song short of its last frame");
  return 0;
}

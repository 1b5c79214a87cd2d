#include "robustness_support.h"

#include <algorithm>
#include <filesystem>

#include "support/temp_dir.h"

namespace tonvert::test {

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

namespace {
constexpr const char* kDrumKeys[] = {"1-#", "2-#", "C-3", "F#2", "A-#", "D-5"};
}

void WriteDefinitions(const std::string& folder) {
  std::string instruments, drums;
  for (int p = 0; p < 128; ++p)
    instruments += "[" + std::to_string(p) + "]\nMidiInstrument=Program " + std::to_string(p) +
                   "\nFTInstrumentVar=0" + std::to_string(p % 4) + "\nFTMacroVolume=-1 -1 0 : 15 12 8 4\n" +
                   (p % 2 ? "FTMacroDuty=-1 -1 0 : 2\n" : "FTMacroArpeggio=0 -1 0 : 0 12\n");
  for (int note = 0; note <= 127; ++note)  // every key: real files play some outside General MIDI's
    drums += "[" + std::to_string(note) + "]\nname=Drum " + std::to_string(note) + "\nkey=" + kDrumKeys[note % 6] +
             "\nm_volume=-1 -1 0 : 15 9 4 0\n";
  WriteFile(folder + "/instruments.ini", instruments);
  WriteFile(folder + "/drums.ini", drums);
}

check::DocumentExpectations DocumentRules(int rowsPerPattern) {
  check::DocumentExpectations rules;
  rules.rowsPerPattern = rowsPerPattern;
  for (const char* key : kDrumKeys) rules.drumKeys.insert(key);
  return rules;
}

Bytes MultiTrackSong() {
  Track conductor, melody, chords, drums;
  conductor.Name(0, "Conductor").Tempo(0, 500000).Event(0, {0xFF, 0x58, 0x04, 4, 2, 24, 8}).Text(0, "made here")
      .Tempo(384, 400000).End(384);
  melody.Name(0, "Melody").Program(0, 0, 5);
  for (int i = 0; i < 16; ++i) melody.NoteOn(i ? 12 : 0, 0, 60 + i % 12, 100).NoteOff(36, 0, 60 + i % 12);
  melody.Program(0, 0, 73).NoteOn(0, 0, 84, 90).NoteOff(96, 0, 84).End();
  chords.Name(0, "Chords").Program(0, 1, 0);
  for (int i = 0; i < 6; ++i)
    chords.Event(i ? 48 : 0, {0x91, 48, 70}).Event(0, {52, 70}).Event(0, {55, 70})  // running status
        .Event(48, {48, 0}).Event(0, {52, 0}).Event(0, {55, 0});
  chords.Sysex(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}).Event(0, {0xB1, 7, 100}).End();
  drums.Name(0, "Drums");
  for (int i = 0; i < 24; ++i) drums.NoteOn(i ? 24 : 0, 9, i % 3 ? 42 : 36, 110).NoteOff(12, 9, i % 3 ? 42 : 36);
  drums.NoteOn(0, 9, 49, 127).End();  // a crash left ringing
  return Smf(1, 96, {conductor, melody, chords, drums});
}

InProcessResult RunInProcess(const std::string& folder, const Bytes& midi, const std::string& rows,
                             const std::string& ticks, const std::set<Option>& runOptions) {
  WriteFile(folder + "/song.mid", midi);
  const std::string out = folder + "/out.txt";
  std::remove(out.c_str());
  FakeFrontEnd ui;
  ui.fields = {{Field::MidiPath, folder + "/song.mid"}, {Field::OutputPath, out}, {Field::Rows, rows},
               {Field::Ticks, ticks}};
  ui.options = runOptions;
  RunOptions options;
  options.instrumentsPath = folder + "/instruments.ini";
  options.drumsPath = folder + "/drums.ini";
  InProcessResult result;
  result.outcome = RunConversion(ui, options);
  result.messages = ui.MessageTexts();
  for (const RunReport& report : ui.reports)
    result.warnings.insert(result.warnings.end(), report.warnings.begin(), report.warnings.end());
  if (result.outcome == RunOutcome::Written) result.document = ReadFile(out);
  Song song;
  song.division = 48;
  const std::optional<Grid> grid = ReadGrid(song, ui);
  result.rowsText = grid ? std::to_string(grid->rowsPerPattern) : "";
  return result;
}

CliResult RunCli(const std::string& folder, const std::string& args, const std::string& prefix) {
  const std::string out = folder + "/cli.stdout", err = folder + "/cli.stderr";
  const CliResult result{RunCommand("cd '" + folder + "' && " + prefix + " '" TONVERT_CLI "' " + args + " >'" + out +
                                    "' 2>'" + err + "' </dev/null"),
                         ReadFile(out), ReadFile(err)};
  std::remove(out.c_str());
  std::remove(err.c_str());
  return result;
}

std::string DocumentProblem(const std::string& document, int rowsPerPattern) {
  return check::CheckDocument(document, DocumentRules(rowsPerPattern));
}

}  // namespace tonvert::test

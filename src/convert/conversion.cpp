#include "convert/conversion.h"

#include <vector>

#include "common/text.h"
#include "convert/document.h"
#include "convert/output_file.h"
#include "convert/placement.h"
#include "instruments/definitions.h"
#include "instruments/macro_lines.h"
#include "midi/midi_reader.h"

namespace tonvert {

namespace {

constexpr const char* kInformation = "Information";

Message Stop(const std::string& text) { return {MessageKind::Information, kInformation, text, true}; }

// Ticks, then rows, from the window's fields; false (after its message) when the
// values cannot make a grid.
bool ReadGridSettings(AppState& state, FrontEnd& frontEnd) {
  const std::string ticksText = frontEnd.FieldText(Field::Ticks);
  int64_t ticks;
  if (EqualsIgnoreAsciiCase(TrimBlanksAndTabs(ticksText), "auto")) {
    // A sixteenth note of the file just read: 3/4 of its ticks per quarter note
    // in thirds of a tick. SMPTE timing has no quarter note.
    const int32_t division = state.midi.division;
    if (division & 0x8000) {
      frontEnd.ShowMessage(Stop("This file has no ticks per quarter note: enter the ticks per 1/16 note."));
      return false;
    }
    ticks = (6 * int64_t{division} + 4) / 8;
  } else {
    ticks = TextToNumber(ticksText);
  }
  int64_t rows = TextToNumber(frontEnd.FieldText(Field::Rows));
  if (rows == 0) rows = 16;
  if (ticks == 0) ticks = 16;
  // The tracker's patterns hold 1-256 rows, and placement needs positive times.
  if (rows < 1 || rows > 256) {
    frontEnd.ShowMessage(Stop("Rows per pattern must be between 1 and 256."));
    return false;
  }
  if (ticks < 1) {
    frontEnd.ShowMessage(Stop("Ticks per 1/16 note must be at least 1."));
    return false;
  }
  state.RowsPerPattern = static_cast<int32_t>(rows);
  state.TicksPerRow = static_cast<int32_t>(ticks);
  return true;
}

RunReport MakeReport(const std::vector<std::string>& warnings) {
  RunReport report{"Completed.\r\n", warnings};
  for (const std::string& w : warnings) report.text += "\r\n" + w;
  return report;
}

}  // namespace

RunOutcome RunConversion(AppState& state, FrontEnd& frontEnd, const RunOptions& options) {
  std::vector<std::string> warnings;  // the run's WarningList

  frontEnd.SetStatus("Reading MIDI");
  const std::string midiPath = frontEnd.FieldText(Field::MidiPath);
  if (!ReadMidiFile(midiPath, state.midi, frontEnd)) return RunOutcome::Stopped;

  frontEnd.SetStatus("Reading instruments");
  ReadInstrumentDefinitions(options.instrumentsPath, state.InstrumentDefs);

  if (!ReadGridSettings(state, frontEnd)) return RunOutcome::Stopped;

  InstrumentRun instruments;
  const int32_t drumBase =
      EmitProgramInstruments(instruments, state.midi, state.InstrumentDefs, warnings, frontEnd);
  CollectDrumKeys(state.midi, frontEnd);
  frontEnd.SetStatus("Reading drums");
  ReadDrumDefinitions(options.drumsPath, drumBase, state.midi.DrumKeyList, state.DrumDefs);

  const Placement placement = PlaceNotes(state, frontEnd);
  const PatternText patterns = BuildPatternText(placement.grid, state.DrumDefs, frontEnd);
  EmitDrumInstruments(instruments, state.midi, state.DrumDefs, warnings, frontEnd);
  const JoinedLines lines = JoinLines(instruments, frontEnd);
  const std::string document = FillTemplate(lines.macroText, lines.instrumentText, patterns,
                                            state.RowsPerPattern, state.midi.SongBpm);

  if (state.midi.noteLimitReached) warnings.push_back("Only the first 50000 notes were read");
  if (placement.songCut) warnings.push_back("Song cut after 128 frames");
  if (InstrumentsLeftOut(instruments))
    warnings.push_back("More than 64 instruments: instruments above 3F were left out");

  const std::string outputPath = frontEnd.FieldText(Field::OutputPath);
  if (outputPath.empty()) {
    frontEnd.ShowMessage(Stop("Canceled."));
    return RunOutcome::Canceled;
  }
  frontEnd.SetStatus("Writing file");
  const bool toStdout = options.dashWritesStdout && outputPath == "-";
  std::string whyNot;
  const bool written = toStdout ? WriteStandardOutput(document, &whyNot)
                                : WriteOutputFile(outputPath, document, midiPath, &whyNot);
  if (!written) {
    Message message = Stop("may not create the file!");
    message.detail = (toStdout ? std::string("standard output") : outputPath) + ": " + whyNot;
    frontEnd.ShowMessage(message);
    return RunOutcome::Stopped;
  }
  frontEnd.PutOnClipboard(outputPath);
  frontEnd.SetStatus("Completed");
  if (!warnings.empty()) frontEnd.ShowReport(MakeReport(warnings));
  return RunOutcome::Written;
}

}  // namespace tonvert

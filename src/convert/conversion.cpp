#include "convert/conversion.h"

#include <optional>
#include <vector>

#include "common/text.h"
#include "convert/document.h"
#include "convert/output_file.h"
#include "convert/placement.h"
#include "instruments/definitions.h"
#include "instruments/instrument_set.h"
#include "midi/midi_reader.h"

namespace tonvert {

namespace {

constexpr const char* kInformation = "Information";
constexpr const char* kError = "Error";

Message Stop(const std::string& text) { return {MessageKind::Information, kInformation, text, true, {}}; }

RunReport MakeReport(const std::vector<std::string>& warnings) {
  RunReport report{"Completed.\r\n", warnings};
  for (const std::string& w : warnings) report.text += "\r\n" + w;
  return report;
}

}  // namespace

std::optional<Message> ReadMessage(const ReadResult& read, const std::string& path) {
  switch (read.outcome) {
    case ReadOutcome::Read:
      return std::nullopt;
    case ReadOutcome::CutShort:
      // What came before the cut is still a song: the run goes on.
      return Message{MessageKind::Plain, kError, "Abnormal EndOfFile encountered.", false, {}};
    case ReadOutcome::NotOpened:
      return Message{MessageKind::Error, kError, "Bad file", true,
                     read.whyNotOpened.empty() ? std::string() : path + ": " + read.whyNotOpened};
    case ReadOutcome::UnknownFormat:
      return Message{MessageKind::Plain, kError,
                     "Unknown format !! : " + read.headerId + " / " + DecimalForm(read.headerLength), true, {}};
  }
  return std::nullopt;
}

std::optional<Grid> ReadGrid(const Song& song, FrontEnd& frontEnd) {
  const std::string ticksText = frontEnd.FieldText(Field::Ticks);
  int64_t ticks;
  if (EqualsIgnoreAsciiCase(TrimBlanksAndTabs(ticksText), "auto")) {
    // A sixteenth note of the file just read: 3/4 of its ticks per quarter note
    // in thirds of a tick. SMPTE timing has no quarter note.
    if (song.division & 0x8000) {
      frontEnd.ShowMessage(Stop("This file has no ticks per quarter note: enter the ticks per 1/16 note."));
      return std::nullopt;
    }
    ticks = (6 * int64_t{song.division} + 4) / 8;
  } else {
    ticks = TextToNumber(ticksText);
  }
  int64_t rows = TextToNumber(frontEnd.FieldText(Field::Rows));
  // An empty or zero field means the tracker's own default pattern length,
  // and a sixteenth of 48 ticks per quarter note, rather than an error.
  if (rows == 0) rows = 16;
  if (ticks == 0) ticks = 16;
  // The tracker's patterns hold 1-256 rows, and placement needs positive times.
  if (rows < 1 || rows > 256) {
    frontEnd.ShowMessage(Stop("Rows per pattern must be between 1 and 256."));
    return std::nullopt;
  }
  if (ticks < 1) {
    frontEnd.ShowMessage(Stop("Ticks per 1/16 note must be at least 1."));
    return std::nullopt;
  }
  return Grid{static_cast<int32_t>(rows), ticks};
}

RunOutcome RunConversion(FrontEnd& frontEnd, const RunOptions& options) {
  frontEnd.Step(Stage::ReadingMidi);
  const std::string midiPath = frontEnd.FieldText(Field::MidiPath);
  const ReadResult read = ReadMidiFile(midiPath);
  if (const std::optional<Message> message = ReadMessage(read, midiPath)) frontEnd.ShowMessage(*message);
  if (!read.HasSong()) return RunOutcome::Stopped;
  const Song& song = read.song;

  frontEnd.Step(Stage::ReadingInstruments);
  const InstrumentDefTable instrumentDefs = ReadInstrumentDefinitions(options.instrumentsPath);

  const std::optional<Grid> grid = ReadGrid(song, frontEnd);
  if (!grid) return RunOutcome::Stopped;

  for (size_t k = 0; k < song.programs.size(); ++k) frontEnd.Step(Stage::Program, static_cast<int64_t>(k));
  frontEnd.Step(Stage::Notes);
  frontEnd.Step(Stage::ReadingDrums);
  const DrumDefs drumDefs = ReadDrumDefinitions(options.drumsPath);
  const InstrumentSet instruments = BuildInstrumentSet(song, instrumentDefs, drumDefs);

  const Placement placement = PlaceNotes(song, *grid, instruments, frontEnd, frontEnd);
  const std::string document = WriteDocument(instruments, placement.grid, song.bpm, frontEnd);

  std::vector<std::string> warnings = instruments.warnings;
  if (song.noteLimitReached) warnings.push_back("Only the first 50000 notes were read");
  if (placement.songCut) warnings.push_back("Song cut after " + std::to_string(kMaxFrames) + " frames");
  if (instruments.instrumentsLeftOut)
    warnings.push_back("More than 64 instruments: instruments above 3F were left out");

  const std::string outputPath = frontEnd.FieldText(Field::OutputPath);
  if (outputPath.empty()) {
    frontEnd.ShowMessage(Stop("Canceled."));
    return RunOutcome::Canceled;
  }
  frontEnd.Step(Stage::WritingFile);
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
  frontEnd.Step(Stage::Completed);
  if (!warnings.empty()) frontEnd.ShowReport(MakeReport(warnings));
  return RunOutcome::Written;
}

}  // namespace tonvert

#include "convert/conversion.h"

#include <numeric>
#include <optional>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "convert/chords.h"
#include "convert/document.h"
#include "convert/mapping_suggestion.h"
#include "convert/output_file.h"
#include "convert/placement.h"
#include "convert/timing.h"
#include "convert/summary.h"
#include "instruments/definitions.h"
#include "instruments/instrument_set.h"
#include "midi/midi_reader.h"

namespace tonvert {

namespace {

constexpr const char* kInformation = "Information";
constexpr const char* kError = "Error";

Message Stop(const std::string& text) { return {MessageKind::Information, kInformation, text, true, {}}; }

// A front end's fields with its messages held back: the suggested mapping is
// chosen before the run reads its grid and says what is wrong with it.
class QuietFields : public FrontEnd {
 public:
  explicit QuietFields(FrontEnd& inner) : inner_(inner) {}
  void Step(Stage, int64_t) override {}
  void ShowMessage(const Message&) override {}
  bool IsChannelMapped(int, int) override { return false; }
  std::string FieldText(Field field) override { return inner_.FieldText(field); }
  void PutOnClipboard(const std::string&) override {}
  void ShowReport(const RunReport&) override {}

 private:
  FrontEnd& inner_;
};

// A sixteenth note of a file timed in ticks per quarter note: 3/4 of them, in
// thirds of a tick, halves up.
int64_t AutoTicks(int32_t division) { return (6 * int64_t{division} + 4) / 8; }

// A typed value far from the file's own sixteenth stretches or squeezes the
// song (36 makes a file of 480 ticks per quarter note ten times as long):
// say what auto would take. Nothing when it is near, or the file has no
// quarter note.
std::string TicksMismatch(int32_t division, int64_t ticks) {
  if ((division & 0x8000) != 0 || division < 1) return {};
  const int64_t autoTicks = AutoTicks(division);
  if (2 * ticks >= autoTicks && ticks <= 2 * autoTicks) return {};
  return "This file has " + DecimalForm(division) + " ticks per quarter note: ticks per 1/16 note should be " +
         DecimalForm(autoTicks) + " (auto).";
}

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

std::optional<Grid> ReadGrid(const Song& song, FrontEnd& frontEnd, std::string* ticksWarning) {
  const std::string ticksText = frontEnd.FieldText(Field::Ticks);
  const std::string_view ticksWord = TrimBlanksAndTabs(ticksText);
  const bool fit = EqualsIgnoreAsciiCase(ticksWord, "fit");
  const bool nearestRow = frontEnd.IsOptionOn(Option::NearestRow);
  Grid grid;
  int64_t ticks;
  bool typed = false;
  if (fit || EqualsIgnoreAsciiCase(ticksWord, "auto")) {
    // A sixteenth note of the file just read: 3/4 of its ticks per quarter note
    // in thirds of a tick. SMPTE timing has no quarter note.
    if ((song.division & 0x8000) || (fit && song.division == 0)) {
      frontEnd.ShowMessage(Stop("This file has no ticks per quarter note: enter the ticks per 1/16 note."));
      return std::nullopt;
    }
    ticks = AutoTicks(song.division);
    // Without rounding the row to whole time units, rows keep to the beats over
    // a long song; the plain grid keeps the rounded row it always had.
    const bool exact = fit || (song.division > 0 && nearestRow);
    if (exact) {
      grid.rowsPerQuarter = fit ? FitRowsPerQuarter(song) : 4;
      grid.fitted = fit;
      const int64_t quarter = 3 * int64_t{song.division};
      const int64_t common = std::gcd(quarter, int64_t{grid.rowsPerQuarter});
      ticks = quarter / common;
      grid.rowDivisor = grid.rowsPerQuarter / common;
    }
  } else {
    ticks = TextToNumber(ticksText);
    typed = true;
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
  if (typed && ticksWarning != nullptr) *ticksWarning = TicksMismatch(song.division, ticks);
  grid.rowsPerPattern = static_cast<int32_t>(rows);
  grid.ticksPerRow = ticks;
  grid.nearestRow = nearestRow;
  return grid;
}

RunOutcome RunConversion(FrontEnd& frontEnd, const RunOptions& options) {
  frontEnd.Step(Stage::ReadingMidi);
  const std::string midiPath = frontEnd.FieldText(Field::MidiPath);
  const ReadResult read = ReadMidiFile(midiPath);
  if (const std::optional<Message> message = ReadMessage(read, midiPath)) frontEnd.ShowMessage(*message);
  if (!read.HasSong()) return RunOutcome::Stopped;
  const Song& song = read.song;
  if (options.autoMapping != nullptr) {
    QuietFields fields(frontEnd);
    if (const std::optional<Grid> grid = ReadGrid(song, fields)) {
      SuggestMapping(song, *grid, frontEnd.IsOptionOn(Option::SpreadChords), frontEnd.IsOptionOn(Option::Arpeggios),
                     *options.autoMapping);
      frontEnd.Step(Stage::Mapper);
    }
  }

  frontEnd.Step(Stage::ReadingInstruments);
  const InstrumentDefTable instrumentDefs = ReadInstrumentDefinitions(options.instrumentsPath);

  std::string ticksWarning;
  const std::optional<Grid> grid = ReadGrid(song, frontEnd, &ticksWarning);
  if (!grid) return RunOutcome::Stopped;

  if (grid->fitted) frontEnd.Step(Stage::Grid, grid->rowsPerQuarter);
  for (size_t k = 0; k < song.programs.size(); ++k) frontEnd.Step(Stage::Program, static_cast<int64_t>(k));
  frontEnd.Step(Stage::Notes);
  frontEnd.Step(Stage::ReadingDrums);
  const DrumDefs drumDefs = ReadDrumDefinitions(options.drumsPath);
  const InstrumentSet instruments = BuildInstrumentSet(song, instrumentDefs, drumDefs);

  PlacementOptions placing;
  placing.spread = frontEnd.IsOptionOn(Option::SpreadChords);
  placing.arpeggios = frontEnd.IsOptionOn(Option::Arpeggios);
  placing.transpose = options.transpose;
  Placement placement = PlaceNotes(song, *grid, instruments, frontEnd, frontEnd, placing);
  // The plain grid at one tempo keeps the song's tempo as it always was.
  const bool tempoChanges = frontEnd.IsOptionOn(Option::TempoChanges);
  const TrackTiming timing =
      tempoChanges || grid->fitted ? StartTiming(song, *grid, tempoChanges) : TrackTimingFor(song.bpm);
  if (tempoChanges) WriteTempoChanges(song, *grid, timing, placement.grid);
  // After every pass that writes effects of its own: an arpeggio takes only
  // the columns they leave free.
  if (placing.arpeggios) AddArpeggios(song, placement);
  if (options.summary != nullptr) *options.summary = SummaryText(song, placement, frontEnd, placing.spread);
  const std::string document = WriteDocument(instruments, placement.grid, timing, frontEnd);

  std::vector<std::string> warnings = instruments.warnings;
  if (song.noteLimitReached) warnings.push_back("Only the first 50000 notes were read");
  if (placement.songCut) warnings.push_back("Song cut after " + std::to_string(kMaxFrames) + " frames");
  if (instruments.instrumentsLeftOut)
    warnings.push_back("More than 64 instruments: instruments above 3F were left out");
  if (!ticksWarning.empty()) warnings.push_back(ticksWarning);

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

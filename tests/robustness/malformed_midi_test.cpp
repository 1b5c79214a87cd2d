// Malformed MIDI files, each built here, through a whole run in process and
// through tonvert-cli: no crash or hang, the reader's own message or none, a
// clean document whenever one is written, and the exit status that goes with it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "robustness_support.h"
#include "support/temp_dir.h"

namespace tonvert::test {
namespace {

constexpr const char* kAbnormalEnd = "Abnormal EndOfFile encountered.";

struct Outcome {
  InProcessResult run;
  CliResult cli;
};

class MalformedMidi : public ::testing::Test {
 protected:
  MalformedMidi() { WriteDefinitions(dir.path()); }

  // The run in process, then the CLI on the same file: both must agree on the
  // outcome, the messages (as error:/warning: lines) and the document.
  Outcome Convert(const Bytes& midi, const std::string& rows = "64", const std::string& ticks = "36") {
    Outcome o;
    o.run = RunInProcess(dir.path(), midi, rows, ticks);
    if (o.run.outcome == RunOutcome::Written) {
      EXPECT_EQ(DocumentProblem(o.run.document, std::stoi(o.run.rowsText)), "");
      EXPECT_EQ(FtCheck(dir / "out.txt"), 0) << "the tracker would not import this document";
    } else {
      EXPECT_EQ(o.run.outcome, RunOutcome::Stopped);
      EXPECT_FALSE(FileExists(dir / "out.txt"));
    }
    std::remove((dir / "out.txt").c_str());

    o.cli = RunCli(dir.path(), "-q -i instruments.ini -d drums.ini -r '" + rows + "' -t '" + ticks +
                                   "' -o out.txt song.mid");
    std::string expectedErr;
    for (size_t i = 0; i < o.run.messages.size(); ++i) {
      const bool stops = o.run.outcome == RunOutcome::Stopped && i + 1 == o.run.messages.size();
      expectedErr += (stops ? "error: " : "warning: ") + o.run.messages[i] + "\n";
    }
    for (const std::string& w : o.run.warnings) expectedErr += "warning: " + w + "\n";
    EXPECT_EQ(o.cli.err, expectedErr);
    if (o.run.outcome == RunOutcome::Written) {
      EXPECT_EQ(o.cli.status, 0);
      EXPECT_EQ(o.cli.out, "out.txt\n");
      EXPECT_TRUE(ReadFile(dir / "out.txt") == o.run.document) << "the CLI wrote another document";
    } else {
      EXPECT_EQ(o.cli.status, 1);
      EXPECT_EQ(o.cli.out, "");
      EXPECT_FALSE(FileExists(dir / "out.txt"));
    }
    std::remove((dir / "out.txt").c_str());
    return o;
  }

  void ExpectRefused(const Bytes& midi, const std::string& message) {
    const Outcome o = Convert(midi);
    EXPECT_EQ(o.run.outcome, RunOutcome::Stopped);
    EXPECT_EQ(o.run.messages, std::vector<std::string>{message});
    EXPECT_EQ(o.cli.err, "error: " + message + "\n");
  }

  ScratchDir dir;
};

// "TRACK  64   6 120" of a document.
std::string TrackLine(const std::string& doc) {
  const size_t at = doc.find("TRACK  ");
  return at == std::string::npos ? "" : doc.substr(at, doc.find(" \"", at) - at);
}

// The note column of a tracker channel (1-7) at a frame and row.
std::string NoteAt(const std::string& doc, int frame, int row, int channel) {
  static const char digits[] = "0123456789ABCDEF";
  const std::string f{digits[frame / 16], digits[frame % 16]}, r{digits[row / 16], digits[row % 16]};
  size_t at = doc.find("PATTERN " + f + "\r\n");
  if (at == std::string::npos) return "<no frame>";
  at = doc.find("ROW " + r + " : ", at);
  if (at == std::string::npos) return "<no row>";
  at += 9;
  for (int c = 1; c < channel; ++c) at = doc.find(" : ", at) + 3;
  return doc.substr(at, 3);
}

Bytes Bytes_(std::initializer_list<uint8_t> b) { return Bytes(b); }

// One track of raw event bytes after a valid header.
Bytes OneTrack(const Bytes& events, int tracks = 1) {
  return Concat({Header(1, tracks, 48), Chunk("MTrk", events)});
}

// --- headers -----------------------------------------------------------------

TEST_F(MalformedMidi, HeadersWithWrongIdsAreRefused) {
  const Bytes song = MultiTrackSong();
  auto withId = [&](const std::string& id) {
    Bytes b = song;
    std::copy(id.begin(), id.end(), b.begin());
    return b;
  };
  ExpectRefused(withId("mthd"), "Unknown format !! : mthd / 6");
  ExpectRefused(withId(std::string("MT\0d", 4)), "Unknown format !! : MTd / 6");  // zero bytes are dropped
  ExpectRefused(withId("MTrk"), "Unknown format !! : MTrk / 6");
}

TEST_F(MalformedMidi, HeadersWithWrongLengthsAreRefused) {
  auto withLength = [](uint32_t length) {
    Bytes b = MultiTrackSong();
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<uint8_t>(length >> (24 - 8 * i));
    return b;
  };
  ExpectRefused(withLength(0), "Unknown format !! : MThd / 0");
  ExpectRefused(withLength(0xFFFFFFFF), "Unknown format !! : MThd / 4294967295");
  ExpectRefused({}, "Unknown format !! :  / 0");
  ExpectRefused(Bytes_({'M', 'T', 'h'}), "Unknown format !! : MTh / 0");
  ExpectRefused(Bytes_({'M', 'T', 'h', 'd', 0, 0}), "Unknown format !! : MThd / 0");
}

TEST_F(MalformedMidi, HeaderFieldsCutByTheEndReadAsZeroWithoutAMessage) {
  const Outcome o = Convert(Bytes_({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0}));
  EXPECT_EQ(o.run.outcome, RunOutcome::Written);
  EXPECT_TRUE(o.run.messages.empty());
  EXPECT_EQ(o.cli.err, "");
}

// --- chunk lengths -------------------------------------------------------------

TEST_F(MalformedMidi, AnOtherChunkLongerThanTheFileIsReadOnFromItsHeader) {
  // Reading goes on right after the header of a chunk that claims to run past
  // the end, so the track after it is still found.
  const Track t = Track().NoteOn(0, 0, 60, 100).NoteOff(48, 0, 60).End();
  const Bytes head = Header(1, 2, 48);
  Bytes chunk{'X', 'F', 'I', 'H', 0xFF, 0xFF, 0xFF, 0xF0};
  const Outcome o = Convert(Concat({head, chunk, Chunk("MTrk", t.bytes())}));
  ASSERT_EQ(o.run.outcome, RunOutcome::Written);
  EXPECT_TRUE(o.run.messages.empty());
  EXPECT_EQ(NoteAt(o.run.document, 0, 0, 1), "C-4");
}

TEST_F(MalformedMidi, ATrackLongerThanTheFileEndsAtItsEndOfTrack) {
  const Track t = Track().NoteOn(0, 0, 62, 100).NoteOff(48, 0, 62).End();
  Bytes track = Chunk("MTrk", t.bytes());
  for (int i = 4; i < 8; ++i) track[static_cast<size_t>(i)] = 0xFF;
  const Outcome o = Convert(Concat({Header(0, 1, 48), track}));
  ASSERT_EQ(o.run.outcome, RunOutcome::Written);
  EXPECT_TRUE(o.run.messages.empty());
  EXPECT_EQ(NoteAt(o.run.document, 0, 0, 1), "D-4");
}

TEST_F(MalformedMidi, MoreTracksAnnouncedThanTheFileHoldsKeepTheNotesRead) {
  const Track t = Track().NoteOn(0, 0, 64, 100).NoteOff(48, 0, 64).End();
  const Outcome o = Convert(Concat({Header(1, 9, 48), Chunk("MTrk", t.bytes())}));
  ASSERT_EQ(o.run.outcome, RunOutcome::Written);
  EXPECT_EQ(o.run.messages, std::vector<std::string>{kAbnormalEnd});
  EXPECT_EQ(NoteAt(o.run.document, 0, 0, 1), "E-4");
}

// --- variable-length quantities ------------------------------------------------

TEST_F(MalformedMidi, AnElevenByteQuantityIsTheLargestDelta) {
  // Ten bytes of FF then 7F: the largest delta there is, far past frame 7F.
  const Outcome far = Convert(OneTrack(Track().NoteOn(0, 0, 60, 100).NoteOff(24, 0, 60)
                                           .Raw({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})
                                           .Raw({0x90, 62, 100}).NoteOff(24, 0, 62).End().bytes()));
  ASSERT_EQ(far.run.outcome, RunOutcome::Written);
  EXPECT_EQ(far.run.warnings, std::vector<std::string>{"Song cut after 128 frames"});
}

TEST_F(MalformedMidi, AQuantityRunningIntoTheEndOfTheFileEndsTheRead) {
  const Bytes events = Concat({Track().NoteOn(0, 0, 60, 100).NoteOff(24, 0, 60).bytes(), Bytes(40, 0x80)});
  const Outcome o = Convert(OneTrack(events));
  ASSERT_EQ(o.run.outcome, RunOutcome::Written);
  EXPECT_EQ(o.run.messages, std::vector<std::string>{kAbnormalEnd});
  EXPECT_EQ(NoteAt(o.run.document, 0, 0, 1), "C-4");
}

// --- sysex and meta lengths --------------------------------------------------------

TEST_F(MalformedMidi, SysexAndMetaLengthsPastTheEndKeepTheNotesBefore) {
  const Bytes before = Track().Tempo(0, 500000).NoteOn(0, 0, 60, 100).NoteOff(24, 0, 60).bytes();
  const std::vector<Bytes> cuts = {
      {0x00, 0xF0, 0xBF, 0xFF, 0xFF, 0x7F, 1, 2, 3},  // sysex of 2^28 - 1 bytes
      {0x00, 0xF7, 0x8F, 0x00, 1},                    // escape of 1920 bytes
      {0x00, 0xFF, 0x01, 0xFF, 0xFF, 0x7F, 'a'},      // text
      {0x00, 0xFF, 0x03, 0x81, 0x00, 'n', 'a'},       // track name of 128 bytes
      {0x00, 0xFF, 0x7F, 0x90, 0x00},                 // sequencer-specific
      {0x00, 0xFF, 0x51, 0x03, 0x07},                 // a tempo cut short changes nothing
      {0x00, 0xFF, 0x58, 0x04, 4},                    // time signature cut short
  };
  for (const Bytes& cut : cuts) {
    SCOPED_TRACE(::testing::PrintToString(cut));
    const Outcome o = Convert(OneTrack(Concat({before, cut})));
    ASSERT_EQ(o.run.outcome, RunOutcome::Written);
    EXPECT_EQ(o.run.messages, std::vector<std::string>{kAbnormalEnd});
    EXPECT_EQ(NoteAt(o.run.document, 0, 0, 1), "C-4");
    EXPECT_EQ(TrackLine(o.run.document), "TRACK  64   6 120");
  }
}

// --- status bytes ---------------------------------------------------------------------

TEST_F(MalformedMidi, DataBytesBeforeAnyStatusAreReadWithoutHarm) {
  // The file's first event has no status byte and no running status to use.
  const Outcome o = Convert(OneTrack(Track().Raw({0x00, 0x3C, 0x40, 0x00, 0x3E, 0x40}).NoteOn(0, 0, 67, 100)
                                         .NoteOff(24, 0, 67).End().bytes()));
  EXPECT_EQ(o.run.outcome, RunOutcome::Written);
  for (const std::string& m : o.run.messages) EXPECT_EQ(m, kAbnormalEnd);
}

TEST_F(MalformedMidi, NoteNumbersAndProgramsAbove127AreIgnored) {
  const Track t = Track()
                      .Program(0, 0, 5)
                      .Event(0, {0xC0, 0x85})        // program 133: ignored
                      .Event(0, {0x90, 0x80, 100})   // note 128: ignored
                      .Event(0, {0x90, 0xFF, 100})   // note 255: ignored
                      .NoteOn(0, 0, 60, 0xFF)        // velocity 255: kept, loudest volume
                      .Event(24, {0x80, 0xFF, 0})    // note-off of 255: nothing to close
                      .NoteOff(0, 0, 60)
                      .End();
  const Outcome o = Convert(OneTrack(t.bytes()));
  ASSERT_EQ(o.run.outcome, RunOutcome::Written);
  EXPECT_TRUE(o.run.messages.empty());
  const std::string& doc = o.run.document;
  EXPECT_NE(doc.find("INST2A03\t0\t"), std::string::npos);
  EXPECT_EQ(doc.find("INST2A03\t1\t"), std::string::npos) << "one program only";
  EXPECT_NE(doc.find("\"Program 5\""), std::string::npos);
  EXPECT_NE(doc.find("ROW 00 : C-4 00 F "), std::string::npos);
}

// --- sizes and tempos ------------------------------------------------------------------

Bytes ManyNotes(int count) {
  Track t;
  for (int i = 0; i < count; ++i) t.NoteOn(0, i % 2, 48 + i % 24, 100).NoteOff(1, i % 2, 48 + i % 24);
  return OneTrack(t.End().bytes());
}

TEST_F(MalformedMidi, SixtyThousandNotesKeepTheFirst50000WithAWarning) {
  const Outcome o = Convert(ManyNotes(60000));
  ASSERT_EQ(o.run.outcome, RunOutcome::Written);
  EXPECT_EQ(o.run.warnings, std::vector<std::string>{"Only the first 50000 notes were read"});
  EXPECT_EQ(o.cli.err, "warning: Only the first 50000 notes were read\n");

  const Outcome exact = Convert(ManyNotes(50000));
  EXPECT_TRUE(exact.run.warnings.empty());
  EXPECT_TRUE(exact.run.document == o.run.document) << "the first 50,000 notes make the same song";
}

TEST_F(MalformedMidi, TempoZeroKeepsTheTempoAndTempoOneIsTheFastestTheTrackerPlays) {
  auto song = [](std::initializer_list<uint32_t> tempos) {
    Track t;
    for (uint32_t us : tempos) t.Tempo(0, us);
    return OneTrack(t.NoteOn(0, 0, 60, 100).NoteOff(24, 0, 60).End().bytes());
  };
  EXPECT_EQ(TrackLine(Convert(song({0})).run.document), "TRACK  64   6 120") << "no tempo at all: 120";
  EXPECT_EQ(TrackLine(Convert(song({600000, 0})).run.document), "TRACK  64   6 100");
  EXPECT_EQ(TrackLine(Convert(song({1})).run.document), "TRACK  64   1 255") << "60,000,000 BPM";
  EXPECT_EQ(TrackLine(Convert(song({0xFFFFFF})).run.document), "TRACK  64   20 32") << "4 BPM";
}

// --- the MIDI path itself ------------------------------------------------------------------

TEST_F(MalformedMidi, APathThatIsNoRegularFileIsABadFile) {
  ASSERT_EQ(mkdir((dir / "folder.mid").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo((dir / "fifo.mid").c_str(), 0644), 0);
  for (const auto& [midi, why] : {std::pair{"folder.mid", "is a folder"}, {"fifo.mid", "is not a regular file"},
                                  {"missing.mid", "No such file or directory"}, {"/dev/null", "is not a regular file"}}) {
    SCOPED_TRACE(midi);
    const CliResult r = RunCli(dir.path(), "-q -o out.txt " + std::string(midi));  // a FIFO must not block
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Bad file (" + std::string(midi) + ": " + why + ")\n");
    EXPECT_FALSE(FileExists(dir / "out.txt"));
  }
}

}  // namespace
}  // namespace tonvert::test

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <string>
#include <vector>

#include "convert/conversion.h"
#include "midi/midi_reader.h"
#include "support/fake_front_end.h"
#include "support/midi_builder.h"
#include "support/temp_dir.h"

namespace tonvert {
namespace {

using test::Bytes;
using test::Smf;
using test::Track;

// A read as the run sees it: the song, and the message the user is shown.
struct Read {
  Song song;
  test::FakeFrontEnd ui;
  bool goesOn = false;

  explicit Read(const Bytes& bytes) { Take(ReadMidiBytes(bytes.data(), bytes.size())); }
  Read() = default;
  void Again(const Bytes& bytes) { Take(ReadMidiBytes(bytes.data(), bytes.size())); }
  void Take(ReadResult result, const std::string& path = "") {
    if (const auto message = ReadMessage(result, path)) ui.ShowMessage(*message);
    goesOn = result.HasSong();
    song = std::move(result.song);
  }
  int count() const { return static_cast<int>(song.notes.size()); }
  // Past the last note: an empty note.
  const Note& note(int i) const {
    static const Note kNone;
    return i < count() ? song.notes[static_cast<size_t>(i)] : kNone;
  }
};

// --- Tempo, division, header ----------------------------------------------------

TEST(MidiReader, SetTempoGivesWholeBeatsPerMinuteAndTheLastOneWins) {
  // Rounded to the nearest, halves up: 89.99995 is 90, 12.5 is 13, 12.49999 is 12.
  const std::pair<uint32_t, int> cases[] = {{500000, 120}, {600000, 100}, {1500000, 40},  {400000, 150},
                                            {1, 60000000},  {666667, 90},  {4800000, 13}, {4800001, 12}};
  for (const auto& [us, bpm] : cases) {
    Read r(Smf(0, 48, {Track().Tempo(0, us).End()}));
    EXPECT_EQ(r.song.bpm, bpm) << us;
  }
  // Tempo 0 has no meaning: the song keeps the tempo it had.
  Read r(Smf(0, 48, {Track().Tempo(0, 500000).Tempo(10, 600000).Tempo(10, 0).End()}));
  EXPECT_EQ(r.song.bpm, 100);
}

TEST(MidiReader, EachReadStartsWithACleanSlate) {
  Read r(Smf(1, 48, {Track().Tempo(0, 500000).NoteOn(0, 0, 60, 100).NoteOff(480, 0, 60).End()}));
  ASSERT_EQ(r.song.bpm, 120);
  r.Again(Smf(1, 96, {Track().NoteOn(0, 1, 62, 90).NoteOff(24, 1, 62).End()}));
  EXPECT_EQ(r.song.bpm, 0) << "a file without Set Tempo must not inherit the last one";
  EXPECT_EQ(r.song.division, 96);
  EXPECT_EQ(r.count(), 1);
  EXPECT_EQ(r.song.end, 72);
  EXPECT_EQ(r.note(0).key, 62);
  EXPECT_EQ(r.note(1).length, 0);
}

TEST(MidiReader, DivisionIsKeptButDoesNotChangeTheTable) {
  Track t = Track().NoteOn(0, 0, 60, 100).NoteOff(96, 0, 60).End();
  Read a(Smf(1, 96, {t}));
  Read b(Smf(1, 480, {t}));
  EXPECT_EQ(a.song.division, 96);
  EXPECT_EQ(b.song.division, 480);
  EXPECT_EQ(a.note(0).start, b.note(0).start);
  EXPECT_EQ(a.note(0).end, b.note(0).end);
  EXPECT_EQ(a.note(0).end, 288) << "times count in thirds of a tick";
}

TEST(MidiReader, UnknownHeaderStopsTheRun) {
  Read r(Smf(1, 48, {Track().Tempo(0, 500000).NoteOn(0, 0, 60, 100).End()}));
  Bytes riff = {'R', 'I', 'F', 'F', 0x00, 0x00, 0x12, 0x34, 1, 2, 3};
  r.Again(riff);
  EXPECT_FALSE(r.goesOn);
  ASSERT_EQ(r.ui.messages.size(), 1u);
  EXPECT_EQ(r.ui.messages[0].title, "Error");
  EXPECT_EQ(r.ui.messages[0].text, "Unknown format !! : RIFF / 4660");
  EXPECT_TRUE(r.ui.messages[0].stopsRun);

  r.Again({});
  EXPECT_EQ(r.ui.messages.back().text, "Unknown format !! :  / 0");
  // Right id, wrong length.
  r.Again(test::Concat({{'M', 'T', 'h', 'd', 0, 0, 0, 7}, Bytes(7, 0)}));
  EXPECT_EQ(r.ui.messages.back().text, "Unknown format !! : MThd / 7");
  EXPECT_FALSE(r.goesOn);
}

TEST(MidiReader, HeaderCutShortReadsItsFieldsAsZeroWithoutAMessage) {
  Bytes cut = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
  Read r(cut);
  EXPECT_TRUE(r.goesOn);
  EXPECT_TRUE(r.ui.messages.empty());
  EXPECT_EQ(r.song.division, 0);
}

// --- Chunks and tracks -----------------------------------------------------------

TEST(MidiReader, ReadsAsManyChunksAsAnnouncedWhateverTheirType) {
  Bytes three = test::Concat({test::Header(1, 1, 48),
                              test::Chunk("MTrk", Track().NoteOn(0, 0, 60, 100).End().bytes()),
                              test::Chunk("MTrk", Track().NoteOn(0, 0, 62, 100).End().bytes())});
  EXPECT_EQ(Read(three).count(), 1);
  Bytes bytes = test::Concat({test::Header(1, 2, 48), test::Chunk("XFIH", Bytes(5, 0x90)),
                              test::Chunk("MTrk", Track().NoteOn(0, 0, 60, 100).End().bytes()),
                              test::Chunk("MTrk", Track().NoteOn(0, 0, 62, 100).End().bytes())});
  Read r(bytes);
  ASSERT_EQ(r.count(), 1);
  EXPECT_EQ(r.note(0).key, 60);
}

TEST(MidiReader, EveryTrackCountsTimeFromItsOwnStart) {
  // The second track has no name event; a name event in mid-track does not
  // move time back either.
  Track one = Track().Name(0, "Lead").NoteOn(0, 0, 60, 100).NoteOff(480, 0, 60).End(960);
  Track two = Track().NoteOn(24, 1, 48, 100).Name(24, "Bass").NoteOn(24, 1, 50, 100).End();
  Read r(Smf(1, 48, {one, two}));
  ASSERT_EQ(r.count(), 3);
  EXPECT_EQ(r.note(1).start, 3 * 24);
  EXPECT_EQ(r.note(2).start, 3 * 72);
}

TEST(MidiReader, FormatTwoTracksPlayOneAfterTheOther) {
  // Each sequence starts where the previous one ended: at its End of Track,
  // past any note-off; a track of no events takes no time.
  Track one = Track().NoteOn(0, 0, 60, 100).NoteOff(10, 0, 60).End(5);
  Track two = Track().NoteOn(2, 0, 62, 100).NoteOff(10, 0, 62).End();
  const std::pair<int, std::vector<int64_t>> cases[] = {{2, {0, 3 * 17, 3 * 27}}, {1, {0, 3 * 2, 3 * 12}}};
  for (const auto& [format, times] : cases) {
    Read r(Smf(format, 48, {one, Track().End(), two}));
    ASSERT_EQ(r.count(), 2) << format;
    EXPECT_EQ(r.note(0).start, times[0]) << format;
    EXPECT_EQ(r.note(1).start, times[1]) << format;
    EXPECT_EQ(r.song.end, times[2]) << format;
  }
}

TEST(MidiReader, RunningStatusContinuesAcrossChunks) {
  Track one = Track().NoteOn(0, 3, 60, 100).End();
  Track two = Track().Event(10, {62, 90}).End();  // data bytes: the last status 0x93 applies
  Read r(Smf(1, 48, {one, two}));
  ASSERT_EQ(r.count(), 2);
  EXPECT_EQ(r.note(1).key, 62);
  EXPECT_EQ(r.note(1).channel, 3);
  EXPECT_EQ(r.note(1).velocity, 90);
}

TEST(MidiReader, SkipsSysexMetaAndSystemEventsWhole) {
  Track t;
  t.Sysex(0, Bytes(10, 0x42))
      .Text(0, "ignored text")
      .Event(0, {0xFF, 0x58, 0x04, 4, 2, 24, 8})      // time signature
      .Event(0, {0xFF, 0x59, 0x02, 0, 0})             // key signature
      .Event(0, {0xFF, 0x54, 0x05, 1, 2, 3, 4, 5})    // SMPTE offset
      .Event(0, {0xFF, 0x00, 0x02, 0, 1})             // sequence number
      .Event(0, {0xB0, 7, 100})                       // controller
      .Event(0, {0xE0, 0, 64})                        // pitch wheel
      .Event(0, {0xF2, 1, 2})
      .Event(0, {0xF8})
      .NoteOn(5, 0, 60, 100)
      .End();
  Read r(Smf(0, 48, {t}));
  ASSERT_EQ(r.count(), 1);
  EXPECT_EQ(r.note(0).start, 15);
  EXPECT_TRUE(r.ui.messages.empty());
}

TEST(MidiReader, OddLengthsReadAsTheFormatFixesThem) {
  // A five-group quantity counts its last four groups: 0x80 0x80 0x80 0x01 = 1.
  Read quantity(Smf(0, 48, {Track().Raw({0x81, 0x80, 0x80, 0x80, 0x01, 0x90, 60, 100}).End()}));
  EXPECT_EQ(quantity.note(0).start, 3);
  // Set Tempo always reads three bytes; a fourth (5) is the next delta time.
  Read tempo(Smf(0, 48, {Track().Raw({0x00, 0xFF, 0x51, 0x04, 0x07, 0xA1, 0x20, 0x05, 0x90, 60, 100}).End()}));
  EXPECT_EQ(tempo.song.bpm, 120);
  EXPECT_EQ(tempo.note(0).start, 15);
}

TEST(MidiReader, LargeDeltaTimesNeverWrapIntoNegativeTimes) {
  Track t;
  for (int i = 0; i < 8; ++i) t.Text(0x0FFFFFFF, "x");
  t.NoteOn(0, 0, 60, 100).NoteOff(0x0FFFFFFF, 0, 60).End();
  Read r(Smf(0, 48, {t}));
  ASSERT_EQ(r.count(), 1);
  EXPECT_EQ(r.note(0).start, 3 * 8 * int64_t{0x0FFFFFFF});
  EXPECT_EQ(r.song.end, 3 * 9 * int64_t{0x0FFFFFFF});
}

// --- Notes ------------------------------------------------------------------------

TEST(MidiReader, StoresNotesWithTheirProgramAndClosesThemAtTheirNoteOff) {
  Track t = Track().NoteOff(0, 0, 60).Program(0, 0, 5).NoteOn(0, 0, 60, 100).NoteOn(12, 0, 64, 80)
                .NoteOff(12, 0, 60).NoteOn(0, 0, 64, 0).NoteOn(30, 0, 67, 90).End();
  Read r(Smf(0, 48, {t}));
  ASSERT_EQ(r.count(), 3);
  EXPECT_EQ(r.note(0).start, 0);
  EXPECT_EQ(r.note(0).end, 72);
  EXPECT_EQ(r.note(0).length, 72);
  EXPECT_EQ(r.note(0).program, 5);
  EXPECT_EQ(r.note(1).length, 36) << "Note On with velocity 0 closes";
  EXPECT_EQ(r.note(2).end, 0) << "never closed";
  EXPECT_EQ(r.note(2).length, 100);
  EXPECT_EQ(r.song.end, 162);
  EXPECT_EQ(r.song.programs, std::vector<int32_t>{5});
}

TEST(MidiReader, NoteOffClosesOnlyAnOpenNoteOfItsOwnChannelAndTrack) {
  // Channel 2's note is the newest open one of the key: channel 1's note-off
  // must pass it by.
  Track one = Track().NoteOn(0, 0, 60, 100).NoteOn(0, 1, 60, 100).NoteOff(10, 0, 60).End();
  Track two = Track().NoteOff(20, 1, 60).End();  // another track: closes nothing
  Read r(Smf(1, 48, {one, two}));
  ASSERT_EQ(r.count(), 2);
  EXPECT_EQ(r.note(0).length, 30);
  EXPECT_EQ(r.note(1).length, 100) << "a note-off on channel 1 leaves channel 2's note open";
}

TEST(MidiReader, RepeatedNotesPairUpNewestFirstAndNeverReopen) {
  Track t = Track().NoteOn(0, 0, 60, 100).NoteOn(10, 0, 60, 100).NoteOff(10, 0, 60).NoteOff(10, 0, 60)
                .NoteOff(10, 0, 60).End();
  Read r(Smf(0, 48, {t}));
  EXPECT_EQ(r.note(1).end, 60);
  EXPECT_EQ(r.note(0).end, 90);
  EXPECT_EQ(r.song.end, 90) << "the third note-off finds no open note";
  // Closed at its own start: empty, and closed for good.
  Read zero(Smf(0, 48, {Track().NoteOn(0, 0, 60, 100).NoteOff(0, 0, 60).NoteOff(40, 0, 60).End()}));
  EXPECT_EQ(zero.note(0).length, 0);
  EXPECT_EQ(zero.song.end, 0);
}

TEST(MidiReader, AKeyStruckAgainAtTheSameTickEndsTheOldNoteFirst) {
  // The note-on of the new note comes before the old note's note-off at the
  // same tick; ends in thirds of a tick, 0 for a note left open.
  const struct {
    Track track;
    std::vector<int64_t> ends;
  } cases[] = {
      {Track().NoteOn(0, 0, 60, 100).NoteOn(10, 0, 60, 100).NoteOff(0, 0, 60).NoteOff(10, 0, 60), {30, 60}},
      // Of several older notes, the newest gives way.
      {Track().NoteOn(0, 0, 60, 100).NoteOn(5, 0, 60, 100).NoteOn(5, 0, 60, 100).NoteOff(0, 0, 60), {0, 30, 0}},
      // Another key's or channel's older note is no reason to give way.
      {Track().NoteOn(0, 0, 61, 100).NoteOn(0, 1, 60, 100).NoteOn(10, 0, 60, 100).NoteOff(0, 0, 60), {0, 0, 30}},
  };
  for (const auto& c : cases) {
    Read r(Smf(0, 48, {Track(c.track).End()}));
    ASSERT_EQ(r.count(), static_cast<int>(c.ends.size()));
    for (int i = 0; i < r.count(); ++i) EXPECT_EQ(r.note(i).end, c.ends[static_cast<size_t>(i)]) << i;
  }
}

TEST(MidiReader, EachChannelKeepsItsOwnProgram) {
  Track t = Track().Program(0, 0, 10).Program(0, 1, 20).Program(0, 9, 30).NoteOn(0, 9, 36, 100)
                .NoteOn(0, 0, 60, 100).NoteOn(0, 1, 62, 100).NoteOn(0, 2, 64, 100).NoteOn(0, 0, 65, 100).End();
  Read r(Smf(0, 48, {t}));
  EXPECT_EQ(r.note(0).program, 30);
  EXPECT_EQ(r.note(1).program, 10);
  EXPECT_EQ(r.note(2).program, 20);
  EXPECT_EQ(r.note(3).program, 0);
  EXPECT_EQ(r.note(4).program, 10);
  EXPECT_EQ(r.song.programs, (std::vector<int32_t>{10, 20, 0})) << "drums play drum instruments, not programs";
}

TEST(MidiReader, OutOfRangeDataBytesAreIgnoredButLoudVelocitiesKept) {
  // A data byte before any status (0x05) is read as a quantity and dropped.
  Track t = Track().Raw({0x00, 0x05}).Program(0, 0, 7).Event(0, {0xC0, 200}).Event(0, {0x90, 200, 100})
                .Event(0, {0x90, 60, 200}).Event(3, {0x80, 200, 0}).End();
  Read r(Smf(0, 48, {t}));
  ASSERT_EQ(r.count(), 1);
  EXPECT_EQ(r.note(0).key, 60);
  EXPECT_EQ(r.note(0).velocity, 200);
  EXPECT_EQ(r.note(0).program, 7);
  EXPECT_EQ(r.note(0).length, 100);
}


// --- The 50,000-note table -------------------------------------------------------

Track ManyNotes(int count) {
  Track t;
  for (int i = 0; i < count; ++i) t.NoteOn(0, 0, 60 + i % 12, 100);
  for (int i = 0; i < count; ++i) t.NoteOff(1, 0, 60 + i % 12);
  return t.End();
}

TEST(MidiReader, ExactlyFiftyThousandNotesAreAllClosedWithoutAWarning) {
  Read r(Smf(0, 48, {ManyNotes(50000)}));
  EXPECT_EQ(r.count(), 50000);
  EXPECT_FALSE(r.song.noteLimitReached);
  EXPECT_NE(r.note(49999).length, 100) << "note-offs after the 50,000th note are still read";
  EXPECT_EQ(r.note(50000).length, 0);
}

TEST(MidiReader, TheNoteAfterAFullTableStopsTheRead) {
  Track extra = Track().Tempo(0, 500000).End();
  Read r(Smf(1, 48, {ManyNotes(50001), extra}));
  EXPECT_EQ(r.count(), 50000);
  EXPECT_TRUE(r.song.noteLimitReached);
  EXPECT_EQ(r.song.bpm, 0) << "no further chunk is read";
  EXPECT_EQ(r.note(50000).length, 0);
  EXPECT_TRUE(r.ui.messages.empty());
}

// --- End of file -----------------------------------------------------------------

TEST(MidiReader, MissingChunkAfterTheLastOneIsAnAbnormalEnd) {
  Bytes bytes = test::Concat({test::Header(1, 2, 48),
                              test::Chunk("MTrk", Track().NoteOn(0, 0, 60, 100).End().bytes())});
  Read r(bytes);
  EXPECT_TRUE(r.goesOn);
  ASSERT_EQ(r.ui.MessageTexts(), std::vector<std::string>{"Abnormal EndOfFile encountered."});
  EXPECT_EQ(r.ui.messages[0].title, "Error");
  EXPECT_FALSE(r.ui.messages[0].stopsRun);
  EXPECT_EQ(r.count(), 1);
}

TEST(MidiReader, TrackCutBeforeItsEndKeepsItsNotesAndSaysSoOnce) {
  Bytes whole = Smf(1, 48, {Track().Tempo(0, 500000).NoteOn(0, 0, 60, 100).NoteOn(10, 0, 62, 100)});
  Bytes cut(whole.begin(), whole.end() - 1);  // the second note-on loses its velocity
  Read r(cut);
  EXPECT_TRUE(r.goesOn);
  EXPECT_EQ(r.ui.MessageTexts(), std::vector<std::string>{"Abnormal EndOfFile encountered."});
  EXPECT_EQ(r.count(), 1) << "an event cut by the end has no effect";
  EXPECT_EQ(r.song.bpm, 120);
}

TEST(MidiReader, CutSetTempoLeavesTheTempo) {
  Bytes whole = Smf(1, 48, {Track().Tempo(0, 500000).Tempo(0, 600000)});
  EXPECT_EQ(Read(Bytes(whole.begin(), whole.end() - 1)).song.bpm, 120);
}

TEST(MidiReader, ChunkLengthFarPastTheEndDoesNotLoseTheReader) {
  Bytes bytes = test::Concat({test::Header(1, 2, 48), {'J', 'U', 'N', 'K', 0x7F, 0xFF, 0xFF, 0xFF},
                              test::Chunk("MTrk", Track().NoteOn(0, 0, 60, 100).End().bytes())});
  Read r(bytes);
  EXPECT_TRUE(r.goesOn);
  EXPECT_EQ(r.count(), 1) << "reading goes on right after the chunk header";
}

// --- Files ------------------------------------------------------------------------

TEST(MidiReaderFile, PathsThatAreNotReadableRegularFilesAreABadFile) {
  test::TempDir dir;
#ifdef _WIN32
  // No pipes in the file system there; NUL is the null device.
  const std::string pipe = "NUL", nullDevice = "NUL";
#else
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  const std::string pipe = dir / "pipe", nullDevice = "/dev/null";
#endif
  test::WriteFile(dir / "plain", "x");
  for (const std::string& path : {std::string(), dir / "missing.mid", dir.path(), pipe,
                                  nullDevice, dir / "plain/under-a-file.mid"}) {
    Read r;
    r.Take(ReadMidiFile(path), path);
    EXPECT_FALSE(r.goesOn) << path;
    ASSERT_EQ(r.ui.messages.size(), 1u) << path;
    EXPECT_EQ(r.ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(r.ui.messages[0].title, "Error");
    EXPECT_EQ(r.ui.messages[0].text, "Bad file");
    EXPECT_TRUE(r.ui.messages[0].stopsRun);
  }
}

TEST(MidiReaderFile, ReadsARealFileLikeItsBytes) {
  const std::string path = std::string(TONVERT_TEST_DATA_DIR) + "/midi/mma-rockgroove.mid";
  const Bytes bytes = test::ReadBytes(path);
  ASSERT_FALSE(bytes.empty());
  Read fromBytes(bytes);
  Read fromFile;
  fromFile.Take(ReadMidiFile(path), path);
  EXPECT_TRUE(fromFile.goesOn);
  EXPECT_EQ(fromFile.count(), fromBytes.count());
  EXPECT_EQ(fromFile.song.end, fromBytes.song.end);
  EXPECT_EQ(fromFile.song.division, 192);
  EXPECT_GT(fromFile.count(), 1000);
  EXPECT_TRUE(fromFile.ui.messages.empty());
}

}  // namespace
}  // namespace tonvert

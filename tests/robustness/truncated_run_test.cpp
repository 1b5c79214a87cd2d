// Files cut anywhere, through the whole run: every cut of our own multi-track
// songs in process, cuts of real files at a stride, and a stride of cuts
// through tonvert-cli. Each run ends (the CLI under a time limit), says only
// what the reader says of a cut file, and any document it writes is clean.
#include <gtest/gtest.h>

#include <string>

#include "robustness_support.h"
#include "support/temp_dir.h"
#include "support/truncation.h"

namespace tonvert::test {
namespace {

constexpr const char* kAbnormalEnd = "Abnormal EndOfFile encountered.";

bool IsUnknownFormat(const std::string& text) { return text.rfind("Unknown format !! : ", 0) == 0; }

// A format-0 song: all channels in one track, running status across channels,
// every meta and system event the reader skips.
Bytes FormatZeroSong() {
  Track t;
  t.Name(0, "All in one").Tempo(0, 600000).Event(0, {0xFF, 0x00, 0x02, 0, 1}).Event(0, {0xFF, 0x59, 0x02, 0, 0})
      .Event(0, {0xFF, 0x54, 0x05, 0, 0, 0, 0, 0}).Event(0, {0xF2, 1, 2}).Event(0, {0xF1, 3}).Event(0, {0xF8})
      .Program(0, 2, 40).Program(0, 3, 41);
  for (int i = 0; i < 12; ++i) {
    t.NoteOn(6, i % 4, 55 + i, 90).Event(0, {static_cast<uint8_t>(67 + i), 90});
    t.Event(0, {static_cast<uint8_t>(0xE0 | (i % 4)), 0, 64}).Event(0, {0xD0, 20}).Event(0, {0xA0, 60, 5});
    t.NoteOff(18, i % 4, 55 + i).NoteOff(0, i % 4, 67 + i);
  }
  t.NoteOn(0, 9, 36, 100).Event(0, {0xF7, 2, 1, 2}).Event(0, {0xFF, 0x7F, 3, 1, 2, 3}).End(12);
  return Smf(0, 120, {t});
}

// What a cut file may make a run say, and a clean document when it writes one.
void CheckCutRun(const InProcessResult& run, size_t length) {
  if (run.outcome == RunOutcome::Stopped) {
    ASSERT_EQ(run.messages.size(), 1u) << length;
    ASSERT_TRUE(IsUnknownFormat(run.messages[0])) << length << ": " << run.messages[0];
    return;
  }
  ASSERT_EQ(run.outcome, RunOutcome::Written) << length;
  ASSERT_LE(run.messages.size(), 1u) << length;
  if (!run.messages.empty()) {
    ASSERT_EQ(run.messages[0], kAbnormalEnd) << length;
  }
  // A cut header can leave a division that the typed ticks do not fit.
  for (const std::string& w : run.warnings)
    ASSERT_TRUE(w == "Song cut after 128 frames" || w.rfind("This file has ", 0) == 0) << length << ": " << w;
  ASSERT_EQ(DocumentProblem(run.document, std::stoi(run.rowsText)), "") << length;
}

class TruncatedRun : public ::testing::Test {
 protected:
  TruncatedRun() { WriteDefinitions(dir.path()); }
  // Runs every stride-th cut; returns how many wrote a document.
  int RunCuts(const Bytes& bytes, size_t stride, const std::string& rows = "64", const std::string& ticks = "36") {
    int written = 0;
    ForEachTruncation(bytes, stride, [&](const uint8_t* data, size_t length) {
      const InProcessResult run = RunInProcess(dir.path(), Bytes(data, data + length), rows, ticks);
      CheckCutRun(run, length);
      written += run.outcome == RunOutcome::Written;
    });
    return written;
  }
  ScratchDir dir;
};

TEST_F(TruncatedRun, EveryCutOfOurMultiTrackSong) {
  const Bytes song = MultiTrackSong();
  EXPECT_EQ(RunCuts(song, 1), static_cast<int>(song.size()) - 8) << "every cut with the header's id and length is written";
  // Short patterns and ticks from the file's division: other grids, same rules.
  RunCuts(song, 3, "7", "auto");
}

TEST_F(TruncatedRun, EveryCutOfAFormatZeroSong) {
  const Bytes song = FormatZeroSong();
  EXPECT_EQ(RunCuts(song, 1, "16", "auto"), static_cast<int>(song.size()) - 8);
}

TEST_F(TruncatedRun, CutsOfRealFiles) {
  const std::string midi = std::string(TONVERT_TEST_DATA_DIR) + "/midi/";
  const Bytes fanfare = ReadBytes(midi + "solfege-fanfare.midi");
  ASSERT_FALSE(fanfare.empty());
  RunCuts(fanfare, 1);
  for (const char* name : {"freedoom-D_E2M9.mid", "mma-rockgroove.mid", "openmsx-busy_schedule.mid"}) {
    SCOPED_TRACE(name);
    const Bytes bytes = ReadBytes(midi + name);
    ASSERT_GT(bytes.size(), 10000u);
    RunCuts(bytes, bytes.size() / 60 + 1, "16", "auto");
  }
}

// Through the CLI process: exit 0 with a document the tracker imports, or exit
// 1 with the header's message; a hang fails under `timeout`.
TEST_F(TruncatedRun, CutsThroughTheCommandLine) {
  const Bytes song = MultiTrackSong();
  const std::string midi = std::string(TONVERT_TEST_DATA_DIR) + "/midi/";
  struct Source {
    Bytes bytes;
    size_t stride;
  };
  const Source sources[] = {{song, song.size() / 40 + 1}, {ReadBytes(midi + "mma-rockgroove.mid"), 3001}};
  int checked = 0;
  for (const Source& source : sources) {
    ForEachTruncation(source.bytes, source.stride, [&](const uint8_t* data, size_t length) {
      WriteFile(dir / "song.mid", Bytes(data, data + length));
      // 72 ticks fit both whole files' divisions (96 and 192): no warning.
      const CliResult r =
          RunCli(dir.path(), "-q -t 72 -i instruments.ini -d drums.ini -o out.txt song.mid", "timeout 60");
      if (length < 8) {
        ASSERT_EQ(r.status, 1) << length;
        ASSERT_TRUE(r.err.rfind("error: Unknown format !! : ", 0) == 0 && r.err.find('\n') == r.err.size() - 1)
            << length << ": " << r.err;
        ASSERT_FALSE(FileExists(dir / "out.txt"));
        return;
      }
      ASSERT_EQ(r.status, 0) << length << ": " << r.err;
      ASSERT_TRUE(r.err.empty() || r.err == std::string("warning: ") + kAbnormalEnd + "\n") << length << ": " << r.err;
      ASSERT_EQ(DocumentProblem(ReadFile(dir / "out.txt")), "") << length;
      ASSERT_EQ(FtCheck(dir / "out.txt"), 0) << length;
      std::remove((dir / "out.txt").c_str());
      ++checked;
    });
  }
  EXPECT_GT(checked, 40);
}

}  // namespace
}  // namespace tonvert::test

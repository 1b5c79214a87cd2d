#include <gtest/gtest.h>

#include <string>

#include "midi/midi_reader.h"
#include "support/temp_dir.h"
#include "support/truncation.h"

namespace tonvert {
namespace {

class Truncation : public ::testing::TestWithParam<const char*> {};

// Every cut of a real multi-track file reads without a crash, a hang or a read
// out of bounds (the sanitizer build checks the last), keeps at most what the
// whole file holds.
TEST_P(Truncation, EveryPrefixOfARealFileReadsSafely) {
  const auto bytes = test::ReadBytes(std::string(TONVERT_TEST_DATA_DIR) + "/midi/" + GetParam());
  ASSERT_GT(bytes.size(), 0u);
  const ReadResult whole = ReadMidiBytes(bytes.data(), bytes.size());
  ASSERT_EQ(whole.outcome, ReadOutcome::Read);

  test::ForEachTruncation(bytes, 1, [&](const uint8_t* data, size_t length) {
    const ReadResult cut = ReadMidiBytes(data, length);
    ASSERT_NE(cut.outcome, ReadOutcome::NotOpened) << length;
    ASSERT_LE(cut.song.notes.size(), whole.song.notes.size()) << length;
    ASSERT_LE(cut.song.end, whole.song.end) << length;
  });
}

INSTANTIATE_TEST_SUITE_P(RealFiles, Truncation,
                         ::testing::Values("solfege-fanfare.midi", "freedoom-D_E2M9.mid",
                                           "mma-rockgroove.mid", "openmsx-busy_schedule.mid"));

}  // namespace
}  // namespace tonvert

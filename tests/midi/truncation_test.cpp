#include <gtest/gtest.h>

#include <string>

#include "midi/midi_reader.h"
#include "support/fake_front_end.h"
#include "support/temp_dir.h"
#include "support/truncation.h"

namespace tonvert {
namespace {

class Truncation : public ::testing::TestWithParam<const char*> {};

// Every cut of a real multi-track file reads without a crash, a hang or a read
// out of bounds (the sanitizer build checks the last), keeps at most what the
// whole file holds, and explains itself with one of the reader's own messages.
TEST_P(Truncation, EveryPrefixOfARealFileReadsSafely) {
  const auto bytes = test::ReadBytes(std::string(TONVERT_SHARED_DIR) + "/midi/" + GetParam());
  ASSERT_GT(bytes.size(), 0u);
  MidiState whole;
  test::FakeFrontEnd quiet;
  ASSERT_TRUE(ReadMidiBytes(bytes.data(), bytes.size(), whole, quiet));

  MidiState state;  // reused, as the program reuses it run after run
  test::ForEachTruncation(bytes, 1, [&](const uint8_t* data, size_t length) {
    test::FakeFrontEnd ui;
    ReadMidiBytes(data, length, state, ui);
    ASSERT_LE(ui.messages.size(), 1u) << length;
    if (!ui.messages.empty()) {
      const std::string& text = ui.messages[0].text;
      ASSERT_TRUE(text == "Abnormal EndOfFile encountered." || text.rfind("Unknown format !! : ", 0) == 0)
          << length << ": " << text;
    }
    ASSERT_LE(state.count, whole.count) << length;
    ASSERT_LE(state.SongEnd, whole.SongEnd) << length;
  });
}

INSTANTIATE_TEST_SUITE_P(RealFiles, Truncation,
                         ::testing::Values("solfege-fanfare.midi", "freedoom-D_E2M9.mid",
                                           "mma-rockgroove.mid", "openmsx-busy_schedule.mid"));

}  // namespace
}  // namespace tonvert

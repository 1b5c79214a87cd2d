// The requesters' filters in FLTK's pattern language (no display needed).
#include <gtest/gtest.h>

#include <FL/filename.H>

#include "shell/fltk/fltk_toolkit.h"

namespace tonvert::test {
namespace {

TEST(FltkFilter, MidiMatchesEitherLetterCaseLikeWindows) {
  const std::string text = FltkFilterText({{"MIDI", "*.MID"}});
  EXPECT_EQ(text, "MIDI\t*.[Mm][Ii][Dd]");
  const std::string pattern = text.substr(text.find('\t') + 1);
  for (const char* name : {"song.mid", "SONG.MID", "Song.Mid"})
    EXPECT_TRUE(fl_filename_match(name, pattern.c_str())) << name;
  for (const char* name : {"song.midi", "song.txt", "mid"})
    EXPECT_FALSE(fl_filename_match(name, pattern.c_str())) << name;
}

TEST(FltkFilter, SaveFiltersKeepTheirOrderAndAllFilesMatchesEveryName) {
  const std::string text =
      FltkFilterText({{"Text (*.txt)", "*.txt"}, {"All files (*.*)", "*.*"}});
  // FLTK's own chooser reads the pattern from the first "(" of an entry.
  EXPECT_EQ(text, "Text\t*.[Tt][Xx][Tt]\nAll files\t*");
  EXPECT_TRUE(fl_filename_match("README", "*"));
}

}  // namespace
}  // namespace tonvert::test

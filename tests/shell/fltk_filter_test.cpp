// The requesters' filters in FLTK's pattern language (no display needed).
#include <gtest/gtest.h>

#include <FL/filename.H>

#include "shell/fltk/fltk_toolkit.h"
#include "shell/shell_platform.h"

namespace tonvert::test {
namespace {

TEST(FltkFilter, MidiMatchesEitherLetterCaseAndTheSaveFiltersKeepTheirOrder) {
  EXPECT_EQ(FltkFilterText(OutputFileRequest().filters), "Text\t*.[Tt][Xx][Tt]\nAll files\t*");
  const std::string text = FltkFilterText(MidiFileRequest("", '/').filters), pattern = text.substr(text.find('\t') + 1);
  for (const char* name : {"song.mid", "SONG.MID", "Song.Mid"}) EXPECT_TRUE(fl_filename_match(name, pattern.c_str())) << name;
  for (const char* name : {"song.midi", "song.txt", "mid"}) EXPECT_FALSE(fl_filename_match(name, pattern.c_str())) << name;
}

}  // namespace
}  // namespace tonvert::test

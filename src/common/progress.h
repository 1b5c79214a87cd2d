// How a run tells where it is: a stage and, for the stages that repeat, an
// index. The status texts are built here and nowhere else.
#pragma once

#include <cstdint>
#include <string>

namespace tonvert {

enum class Stage {
  ReadingMidi,           // "Reading MIDI"
  Mapper,                // "Mapper": a mapping was chosen for this song (the command line's -m auto)
  ReadingInstruments,    // "Reading instruments"
  Grid,                  // "Grid: q rows per quarter note", the grid found from the notes
  Program,               // "Program #k", k counted from 0 along the song's programs
  Notes,                 // "Notes"
  ReadingDrums,          // "Reading drums"
  Note,                  // "Note #i", every 31st note slot
  Frame,                 // "Frame #f"
  Drums,                 // "Drums", once per drum key of the song
  MacrosAndInstruments,  // "Macros and instruments"
  WritingFile,           // "Writing file"
  Completed,             // "Completed"
};

std::string StatusText(Stage stage, int64_t index);

class Progress {
 public:
  virtual ~Progress() = default;
  // The window shows the text and lets one pending event through here.
  virtual void Step(Stage stage, int64_t index = 0) = 0;
};

}  // namespace tonvert

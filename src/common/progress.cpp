#include "common/progress.h"

#include "common/text.h"

namespace tonvert {

std::string StatusText(Stage stage, int64_t index) {
  switch (stage) {
    case Stage::ReadingMidi: return "Reading MIDI";
    case Stage::Mapper: return "Mapper";
    case Stage::ReadingInstruments: return "Reading instruments";
    case Stage::Grid: return "Grid: " + DecimalForm(index) + " rows per quarter note";
    case Stage::Program: return "Program #" + DecimalForm(index);
    case Stage::Notes: return "Notes";
    case Stage::ReadingDrums: return "Reading drums";
    case Stage::Note: return "Note #" + DecimalForm(index);
    case Stage::Frame: return "Frame #" + DecimalForm(index);
    case Stage::Drums: return "Drums";
    case Stage::MacrosAndInstruments: return "Macros and instruments";
    case Stage::WritingFile: return "Writing file";
    case Stage::Completed: return "Completed";
  }
  return std::string();
}

}  // namespace tonvert

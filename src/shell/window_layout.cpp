#include "shell/window_layout.h"

#include "common/version.h"
#include "convert/channel_map.h"
#include "convert/document.h"  // kMakerAddress, also in the documents
#include "convert/placement.h"  // the grid's defaults

namespace tonvert {

std::string MainWindowTitle() {
  return std::string("Quenby Tonvert v") + TONVERT_VERSION + " (" + kMakerAddress + ")";
}

std::vector<ControlLayout> MainWindowControls(const std::string& defaultOutputPath) {
  using K = ControlKind;
  std::vector<ControlLayout> controls;
  int nextOther = FirstOtherControl;
  // Controls nobody addresses get the next free number in creation order.
  auto add = [&](K kind, int number, int x, int y, int w, int h, std::string text,
                 std::string setting = {}) {
    ControlLayout c;
    c.kind = kind;
    c.number = number < 0 ? nextOther++ : number;
    c.x = x, c.y = y, c.w = w, c.h = h;
    c.text = std::move(text);
    c.setting = std::move(setting);
    controls.push_back(std::move(c));
    return &controls.back();
  };
  constexpr int kOther = -1;
  auto addOption = [&](int number, int x, int y, std::string text) {
    for (const OptionBox& box : kOptionBoxes)
      if (box.control == number) add(K::CheckBox, number, x, y, 150, 20, std::move(text), box.setting);
  };

  add(K::Frame, kOther, 10, 10, 500, 160, "");
  add(K::Label, kOther, 20, 20, 270, 20, "MIDI file:");
  add(K::Field, MidiPathField, 20, 40, 390, 20, "", "in");
  add(K::Button, MidiBrowseButton, 420, 40, 80, 20, "Browse");
  add(K::Label, kOther, 20, 70, 400, 20, "Rows per pattern (Default is 64 (1 bar = 64 * 1/16))");
  add(K::Field, RowsField, 20, 90, 70, 20, std::to_string(kDefaultRowsPerPattern), "rpp");
  // Each timing option right after its field, the chord option of the same row
  // after it: Tab reaches them in that order.
  addOption(TempoChangesBox, 110, 90, "Tempo changes");
  addOption(SpreadChordsBox, 270, 90, "Spread chords");
  add(K::Label, kOther, 20, 120, 440, 20,
      "Ticks per 1/16 note (Default is 36 (1/16 note = 36 ticks))");
  add(K::Field, TicksField, 20, 140, 70, 20, std::to_string(kDefaultTicksPerRow), "ticks");
  addOption(NearestRowBox, 110, 140, "Nearest row");
  addOption(ArpeggiosBox, 270, 140, "Arpeggios");

  // The mapper grid column by column: the column's frame, then its 16 boxes.
  add(K::Frame, kOther, 10, 180, 500, 410, "Channel Mapper");
  for (int t = 1; t <= kTrackerChannelCount; ++t) {
    const int x = 20 + 70 * (t - 1);
    add(K::Frame, kOther, x, 200, 60, 350, TrackerChannel(t).label);
    for (int m = 0; m < kMidiChannels; ++m) {
      ControlLayout* box = add(K::CheckBox, kOther, x + 10, 220 + 20 * m, 30, 20,
                             std::to_string(m + 1));
      box->trackerChannel = t;
      box->midiChannel = m;
    }
  }

  add(K::Button, ClearButton, 20, 560, 80, 20, "Clear");
  add(K::Button, DefaultButton, 110, 560, 80, 20, "Default");
  add(K::Button, AutoButton, 200, 560, 80, 20, "Auto");
  add(K::Frame, kOther, 10, 600, 500, 90, "");
  add(K::Label, kOther, 20, 610, 270, 20, "Text file:");
  add(K::Field, OutputPathField, 20, 630, 390, 20, defaultOutputPath, "out");
  add(K::Button, OutputBrowseButton, 420, 630, 80, 20, "Browse");
  add(K::Button, GoButton, 420, 660, 80, 20, "Go!");
  add(K::Label, StatusLine, 20, 660, 390, 20, "Load complete");
  return controls;
}

}  // namespace tonvert

// The main window as data: its title, client size and every control in creation
// order. Toolkit layers draw it; the event loop and the run address the numbered
// controls below.
#pragma once

#include <string>
#include <vector>

#include "shell/toolkit.h"

namespace tonvert {

enum ControlNumber : int {
  ClearButton = 0,
  DefaultButton = 1,
  MidiPathField = 2,
  MidiBrowseButton = 3,
  RowsField = 4,
  TicksField = 5,
  OutputPathField = 6,
  OutputBrowseButton = 7,
  GoButton = 8,
  StatusLine = 9,
  AutoButton = 10,
  TempoChangesBox = 11,
  NearestRowBox = 12,
  SpreadChordsBox = 13,
  ArpeggiosBox = 14,
  FirstOtherControl = 15,  // frames, labels and the mapper boxes count on from here
};

// The option check boxes: the option each one turns on, and the setting that
// keeps it between runs ("1" checks it). The close sequence writes them in
// this order.
struct OptionBox {
  Option option;
  int control;
  const char* setting;
};
constexpr OptionBox kOptionBoxes[] = {
    {Option::TempoChanges, TempoChangesBox, "tempos"},
    {Option::NearestRow, NearestRowBox, "nearest"},
    {Option::SpreadChords, SpreadChordsBox, "spread"},
    {Option::Arpeggios, ArpeggiosBox, "arpeggio"},
};

constexpr int kMainWindowNumber = 0;
constexpr int kClientWidth = 520;
constexpr int kClientHeight = 700;

// "Quenby Tonvert v0.1.124.1 (farrow.example)".
std::string MainWindowTitle();

// All controls in creation order. `defaultOutputPath` is the platform's default
// of the "out" setting.
std::vector<ControlLayout> MainWindowControls(const std::string& defaultOutputPath);

}  // namespace tonvert

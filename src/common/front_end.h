// The one interface through which the conversion core reaches the program around
// it: the window, the command-line tool and the test fakes implement it. The core
// never talks to a toolkit, a terminal or a clipboard directly.
#pragma once

#include <string>
#include <vector>

#include "common/progress.h"

namespace tonvert {

enum class MessageKind {
  Error,        // shown with an error icon
  Information,  // "Information" boxes of the run
  Plain,        // no icon
};

struct Message {
  MessageKind kind = MessageKind::Plain;
  std::string title;
  std::string text;
  bool stopsRun = false;  // the run ends after this message, writing nothing
  // The file and the cause ("song.mid: Permission denied"); the command line
  // prints it after the text, the window's boxes keep their fixed texts.
  std::string detail = {};  // "= {}": the messages without one need not name it
};

// The four text fields a run reads, each at the moment it needs it.
enum class Field { MidiPath, Rows, Ticks, OutputPath };

// The conversion's optional capabilities, all off unless the user turns them on;
// each is read at the moment the run needs it, like the fields.
enum class Option { TempoChanges, NearestRow, SpreadChords, Arpeggios };

// The closing report of a completed run: the text the window shows, and the
// warnings one by one for front ends that list them.
struct RunReport {
  std::string text;
  std::vector<std::string> warnings;
};

// The live question a run asks for every note, so that a box clicked during a
// run counts for the notes placed after it.
class ChannelRouting {
 public:
  virtual ~ChannelRouting() = default;
  // trackerChannel 1-7, midiChannel 0-15; anything else answers false.
  virtual bool IsChannelMapped(int trackerChannel, int midiChannel) = 0;
};

class FrontEnd : public Progress, public ChannelRouting {
 public:
  // Modal message; returns when the user has seen it.
  virtual void ShowMessage(const Message& message) = 0;
  virtual std::string FieldText(Field field) = 0;
  virtual bool IsOptionOn(Option) { return false; }
  virtual void PutOnClipboard(const std::string& text) = 0;
  // Only called when the run collected warnings.
  virtual void ShowReport(const RunReport& report) = 0;
};

}  // namespace tonvert

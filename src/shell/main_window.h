// The window's logic, whatever toolkit draws it: the window build with the
// stored settings, the channel mapper's boxes, the event loop and its dispatch,
// the status step and the close sequence. It is also the FrontEnd a conversion
// run talks to.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/front_end.h"
#include "convert/app_state.h"
#include "convert/conversion.h"
#include "settings/settings.h"
#include "shell/channel_mapper.h"
#include "shell/shell_platform.h"
#include "shell/toolkit.h"

namespace tonvert {

// One mapper check box: its column, its MIDI channel and its control.
struct MapperBox {
  int trackerChannel = 0;
  int midiChannel = 0;
  int box = 0;
};

// The conversion the Go! button starts; tests put their own in.
using RunFunction = std::function<RunOutcome(AppState&, FrontEnd&, const RunOptions&)>;

// What the "Auto" button runs: it reads what it needs (fields, options, the
// boxes as they are) through the window as a FrontEnd, shows its messages there,
// and checks the boxes it chooses through `boxes` (MapperBoxIndex order), the
// interface the command line's mapper model has too. Empty: "Auto" does nothing.
using MappingSuggestion = std::function<void(FrontEnd&, MapperBoxes&)>;

// How long the closing report of a run stays up at most.
constexpr double kReportSeconds = 4.0;

class MainWindow : public FrontEnd {
 public:
  MainWindow(Toolkit& toolkit, Settings& settings, AppState& state,
             const ShellPlatform& platform, RunFunction run = RunConversion,
             MappingSuggestion suggest = {});
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Opens the window and creates every control, each field with its stored
  // setting; the mapper boxes take the default and then the stored "mapper",
  // the option boxes their stored state.
  // False, with nothing created, when the window cannot be opened.
  bool Build();
  // Runs until the close request; returns the exit code.
  int RunEventLoop();

  void LoadMapper();
  void SaveMapper();
  void ClearMapper();
  void DefaultMapper();
  void SuggestMapping();

  // FrontEnd
  void SetStatus(const std::string& text) override;
  void ShowMessage(const Message& message) override;
  bool IsChannelMapped(int trackerChannel, int midiChannel) override;
  std::string FieldText(Field field) override;
  bool IsOptionOn(Option option) override;
  void PutOnClipboard(const std::string& text) override;
  void ShowReport(const RunReport& report) override;

  const std::vector<MapperBox>& MapperBoxList() const { return mapperBoxList_; }

 private:
  // The mapper rules address boxes by their position in the MapperBoxList.
  class Boxes : public MapperBoxes {
   public:
    explicit Boxes(MainWindow& window) : window_(window) {}
    bool IsChecked(int box) const override;
    void SetChecked(int box, bool checked) override;

   private:
    MainWindow& window_;
  };

  void Dispatch(int control);
  void Convert();
  void ChooseMidiFile();
  void ChooseOutputFile();
  void CloseSequence();

  Toolkit& toolkit_;
  Settings& settings_;
  AppState& state_;
  ShellPlatform platform_;
  RunFunction run_;
  MappingSuggestion suggest_;
  AppEventQueue events_;
  std::vector<MapperBox> mapperBoxList_;
  Boxes boxes_{*this};
};

}  // namespace tonvert

// The window's logic, whatever toolkit draws it: the window build with the
// stored settings, the channel mapper's boxes, the event loop and its dispatch,
// the status step and the close sequence. It is also the FrontEnd a conversion
// run talks to.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "common/front_end.h"
#include "convert/conversion.h"
#include "settings/settings.h"
#include "shell/channel_mapper.h"
#include "shell/shell_platform.h"
#include "shell/toolkit.h"

namespace tonvert {

// The conversion the Go! button starts; tests put their own in.
using RunFunction = std::function<RunOutcome(FrontEnd&, const RunOptions&)>;
using Clock = std::function<std::chrono::steady_clock::time_point()>;

// What the "Auto" button runs: it reads what it needs (fields, options, the
// boxes as they are) through the window as a FrontEnd, shows its messages there,
// and checks the boxes it chooses through `boxes` (MapperBoxIndex order), the
// interface the command line's mapper model has too. Empty: "Auto" does nothing.
using MappingSuggestion = std::function<void(FrontEnd&, ChannelAssignment&)>;

// How long the closing report of a run stays up at most.
constexpr double kReportSeconds = 4.0;
// Repainting the status line for every step would cost a large song's run
// more time than the conversion itself.
constexpr std::chrono::milliseconds kStatusRepaint{20};

class MainWindow : public FrontEnd {
 public:
  MainWindow(Toolkit& toolkit, Settings& settings, const ShellPlatform& platform,
             RunFunction run = RunConversion, MappingSuggestion suggest = {},
             Clock clock = std::chrono::steady_clock::now);
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
  void Step(Stage stage, int64_t index) override;
  void ShowMessage(const Message& message) override;
  bool IsChannelMapped(int trackerChannel, int midiChannel) override;
  std::string FieldText(Field field) override;
  bool IsOptionOn(Option option) override;
  void PutOnClipboard(const std::string& text) override;
  void ShowReport(const RunReport& report) override;

  const std::vector<MapperBox>& MapperBoxList() const { return mapperBoxList_; }

 private:
  void Dispatch(int control);
  void Convert();
  void ChooseMidiFile();
  void ChooseOutputFile();
  void CloseSequence();
  void ShowPendingStatus();

  Toolkit& toolkit_;
  Settings& settings_;
  ShellPlatform platform_;
  RunFunction run_;
  MappingSuggestion suggest_;
  Clock clock_;
  AppEventQueue events_;
  std::vector<MapperBox> mapperBoxList_;
  CheckBoxAssignment boxes_{toolkit_, mapperBoxList_};
  // The status line is repainted at most every kStatusRepaint; the text held
  // back is shown at the next chance, and always before the run ends.
  std::chrono::steady_clock::time_point lastStatusPaint_{};
  std::string pendingStatus_;
  bool statusPending_ = false;
};

}  // namespace tonvert

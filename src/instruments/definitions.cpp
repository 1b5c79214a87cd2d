#include "instruments/definitions.h"

#include <algorithm>

#include "common/text.h"
#include "instruments/ini_file.h"

namespace tonvert {

namespace {

// The tables have one entry per MIDI program or note; clamping or wrapping an
// odd group number would silently overwrite some other entry.
bool InTable(int32_t number) { return number >= 0 && number <= 127; }

}  // namespace

void ReadInstrumentDefinitions(const std::string& path, InstrumentDefTable& table) {
  table.fill(InstrumentDef{});
  for (const IniGroup& group : ReadIniFile(path)) {
    const int32_t program = TextToNumber(group.name);
    if (!InTable(program)) continue;
    // All seven fields are replaced, so a later group for the same program
    // fully supersedes an earlier one.
    InstrumentDef& def = table[static_cast<size_t>(program)];
    def.name = group.Value("MidiInstrument");
    def.effectValue = group.Value("FTInstrumentVar");
    def.volume = group.Value("FTMacroVolume");
    def.arpeggio = group.Value("FTMacroArpeggio");
    def.pitch = group.Value("FTMacroPitch");
    def.hiPitch = group.Value("FTMacroHiPitch");
    def.duty = group.Value("FTMacroDuty");
  }
}

void ReadDrumDefinitions(const std::string& path, int32_t drumBase,
                         const std::vector<int32_t>& drumKeyList, DrumDefTable& table) {
  table.fill(DrumDef{});
  int64_t counter = 1;
  for (const IniGroup& group : ReadIniFile(path)) {
    const int32_t note = TextToNumber(group.name);
    if (!InTable(note)) continue;
    DrumDef& def = table[static_cast<size_t>(note)];
    def.name = group.Value("name");
    def.key = group.Value("key");
    def.volume = group.Value("m_volume");
    def.arpeggio = group.Value("m_arpeggio");
    def.pitch = group.Value("m_pitch");
    def.hiPitch = group.Value("m_hipitch");
    def.duty = group.Value("m_duty");
    // Only drums the song plays take a number, so the song's instruments stay
    // contiguous however many drums the file defines.
    if (std::find(drumKeyList.begin(), drumKeyList.end(), note) != drumKeyList.end()) {
      // Saturating: a file with absurdly many repeated groups must not wrap
      // around into small, valid-looking numbers.
      const int64_t number = std::min<int64_t>(int64_t{drumBase} + counter, INT32_MAX);
      def.instrument = static_cast<int32_t>(number);
      ++counter;
    } else {
      def.instrument = 0;
    }
  }
}

}  // namespace tonvert

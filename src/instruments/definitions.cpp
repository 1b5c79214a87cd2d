#include "instruments/definitions.h"

#include "common/text.h"
#include "instruments/ini_file.h"

namespace tonvert {

namespace {

// The tables have one entry per MIDI program or note; clamping or wrapping an
// odd group number would silently overwrite some other entry.
bool InTable(int32_t number) { return number >= 0 && number <= 127; }

}  // namespace

InstrumentDefTable ReadInstrumentDefinitions(const std::string& path) {
  InstrumentDefTable table;
  for (const IniGroup& group : ReadIniFile(path)) {
    const int32_t program = TextToNumber(group.name);
    if (!InTable(program)) continue;
    InstrumentDef& def = table[static_cast<size_t>(program)];
    def.name = group.Value("MidiInstrument");
    def.effectValue = group.Value("FTInstrumentVar");
    def.volume = group.Value("FTMacroVolume");
    def.arpeggio = group.Value("FTMacroArpeggio");
    def.pitch = group.Value("FTMacroPitch");
    def.hiPitch = group.Value("FTMacroHiPitch");
    def.duty = group.Value("FTMacroDuty");
  }
  return table;
}

DrumDefs ReadDrumDefinitions(const std::string& path) {
  DrumDefs drums;
  for (const IniGroup& group : ReadIniFile(path)) {
    const int32_t key = TextToNumber(group.name);
    if (!InTable(key)) continue;
    DrumDef& def = drums.byKey[static_cast<size_t>(key)];
    def.name = group.Value("name");
    def.key = group.Value("key");
    def.volume = group.Value("m_volume");
    def.arpeggio = group.Value("m_arpeggio");
    def.pitch = group.Value("m_pitch");
    def.hiPitch = group.Value("m_hipitch");
    def.duty = group.Value("m_duty");
    def.priority = TextToNumber(group.Value("priority"));
    drums.groupKeys.push_back(key);
  }
  return drums;
}

}  // namespace tonvert

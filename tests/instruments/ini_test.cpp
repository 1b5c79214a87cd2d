#include <gtest/gtest.h>

#include "instruments/definitions.h"
#include "instruments/ini_file.h"
#include "support/temp_dir.h"

namespace tonvert {
namespace {

using test::TempDir;
using test::WriteFile;
using Texts = std::vector<std::string>;

TEST(IniFile, ReadsLinesCommentsKeysAndGroupsAsUsersWriteThem) {
  const auto groups = ParseIni(
      "Lost=before any group\r\n[ 12 ]\r\n  ; a comment\r\n"
      "\tMIDIINSTRUMENT \t=  Grand ; piano \t\r\nFTMacroDuty\r\nmidiinstrument=second\r\r\n\n"
      "[7] trailing\nA=1\rB = 2=3 \n[open header\n[7]\nA=other");
  ASSERT_EQ(groups.size(), 4u);
  EXPECT_EQ(groups[0].name, " 12 ");
  EXPECT_EQ(groups[0].Value("MidiInstrument"), "Grand ; piano");  // first key wins
  EXPECT_EQ(groups[0].Value("FTMacroDuty"), "");                  // no "=": empty
  EXPECT_EQ(groups[0].Value("Lost"), "");
  EXPECT_EQ(groups[1].name, "7");
  EXPECT_EQ(groups[1].Value("a"), "1");
  EXPECT_EQ(groups[1].Value("b"), "2=3");
  EXPECT_EQ(groups[2].name, "open header");
  EXPECT_EQ(groups[3].Value("A"), "other");  // a repeated name is a group of its own
}

TEST(IniFile, ByteOrderMarkDecodesUtf8ToEightBitCharacters) {
  const std::string body = "[Gr\xC3\xA9]\nname=caf\xC3\xA9 \xE2\x82\xAC|\xE2\x82x|\xC0\xAF|\xF0\x80\x80|"
                           "\xED\xA0\x80|\xF4\x90|\xFF|\xF0\x9F\x8E";
  const auto decoded = ParseIni("\xEF\xBB\xBF" + body);
  ASSERT_EQ(decoded.size(), 1u);
  EXPECT_EQ(decoded[0].name, "Gr\xE9");
  EXPECT_EQ(decoded[0].Value("name"), "caf\xE9 ?|?x|??|???|???|??|?|?");
  // Without the mark the bytes stand as they are.
  EXPECT_EQ(ParseIni(body)[0].name, "Gr\xC3\xA9");
  EXPECT_EQ(ParseIni("\xEF\xBB\xBF[1]\r\nname = Kick\r\n")[0].Value("NAME"), "Kick");
}

TEST(InstrumentDefinitions, GroupNamesGiveProgramNumbersAndEachRunStartsClean) {
  TempDir dir;
  const std::string path = dir / "instruments.ini";
  WriteFile(path,
            "[ 12 ]\nMidiInstrument=Twelve\nFTInstrumentVar=2\n[$0D]\nMidiInstrument=Thirteen\n"
            "[word]\nMidiInstrument=Zero\n[128]\nMidiInstrument=Wrapped\n[-1]\nMidiInstrument=Negative\n"
            "[40]\nMidiInstrument=First\nFTMacroDuty=-1 -1 0 : 2\n[40]\nMidiInstrument=Second\n");
  InstrumentDefTable table{};
  const auto names = [&table] { return Texts{table[0].name, table[12].name, table[13].name, table[127].name}; };
  ReadInstrumentDefinitions(path, table);
  EXPECT_EQ(names(), (Texts{"Zero", "Twelve", "Thirteen", ""}));
  EXPECT_EQ(table[12].effectValue, "2");
  EXPECT_EQ(table[40].name + "|" + table[40].duty, "Second|");  // the later group replaces all fields

  WriteFile(path, "[13]\nMidiInstrument=Again\n");
  ReadInstrumentDefinitions(path, table);
  EXPECT_EQ(names(), (Texts{"", "", "Again", ""}));
  ReadInstrumentDefinitions(dir / "missing.ini", table);
  EXPECT_EQ(names(), (Texts{"", "", "", ""}));
  table[13].name = "Kept?";
  ReadInstrumentDefinitions(dir.path(), table);  // a folder reads as no groups
  EXPECT_EQ(table[13].name, "");
}

TEST(DrumDefinitions, OnlyUsedDrumsTakeNumbersInFileOrder) {
  TempDir dir;
  const std::string path = dir / "drums.ini";
  WriteFile(path,
            "[35]\nname=Low\n[36]\nname=Kick\nkey=C-4\nm_volume=-1 -1 0 : 15\n[38]\nname=Snare\n"
            "[166]\nname=Far\n[-90]\n[42]\nname=Hat\n");
  DrumDefTable table{};
  const auto numbers = [&table] {
    return std::vector<int32_t>{table[35].instrument, table[36].instrument, table[38].instrument,
                                table[42].instrument};
  };
  ReadDrumDefinitions(path, 3, {42, 38, 36}, table);
  EXPECT_EQ(numbers(), (std::vector<int32_t>{0, 4, 5, 6}));
  EXPECT_EQ(table[36].key + "|" + table[36].volume + "|" + table[38].name, "C-4|-1 -1 0 : 15|Snare");

  // The group for 36 is gone: its drum loses its old number and texts.
  WriteFile(path, "[38]\nname=Snare\n");
  ReadDrumDefinitions(path, 3, {42, 38, 36}, table);
  EXPECT_EQ(numbers(), (std::vector<int32_t>{0, 0, 4, 0}));
  EXPECT_EQ(table[36].name, "");
}

}  // namespace
}  // namespace tonvert

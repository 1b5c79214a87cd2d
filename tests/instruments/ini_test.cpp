#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "instruments/definitions.h"
#include "instruments/ini_file.h"
#include "instruments/instrument_set.h"
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

TEST(InstrumentDefinitions, GroupNamesGiveProgramNumbers) {
  TempDir dir;
  const std::string path = dir / "instruments.ini";
  WriteFile(path,
            "[ 12 ]\nMidiInstrument=Twelve\nFTInstrumentVar=2\n[$0D]\nMidiInstrument=Thirteen\n"
            "[word]\nMidiInstrument=Zero\n[128]\nMidiInstrument=Wrapped\n[-1]\nMidiInstrument=Negative\n"
            "[40]\nMidiInstrument=First\nFTMacroDuty=-1 -1 0 : 2\n[40]\nMidiInstrument=Second\n");
  InstrumentDefTable table = ReadInstrumentDefinitions(path);
  const auto names = [&table] { return Texts{table[0].name, table[12].name, table[13].name, table[127].name}; };
  EXPECT_EQ(names(), (Texts{"Zero", "Twelve", "Thirteen", ""}));
  EXPECT_EQ(table[12].effectValue, "2");
  EXPECT_EQ(table[40].name + "|" + table[40].duty, "Second|");  // the later group replaces all fields

  table = ReadInstrumentDefinitions(dir / "missing.ini");
  EXPECT_EQ(names(), (Texts{"", "", "", ""}));
  table = ReadInstrumentDefinitions(dir.path());  // a folder reads as no groups
  EXPECT_EQ(names(), (Texts{"", "", "", ""}));
#ifndef _WIN32
  // A pipe in the file's place would wait for a writer for ever: it is no file.
  ASSERT_EQ(mkfifo((dir / "pipe.ini").c_str(), 0600), 0);
  table = ReadInstrumentDefinitions(dir / "pipe.ini");
  EXPECT_EQ(names(), (Texts{"", "", "", ""}));
#endif
}

TEST(DrumDefinitions, OnlyUsedDrumsTakeNumbersInFileOrder) {
  TempDir dir;
  const std::string path = dir / "drums.ini";
  WriteFile(path,
            "[35]\nname=Low\n[36]\nname=Kick\nkey=C-4\nm_volume=-1 -1 0 : 15\n[38]\nname=Snare\n"
            "[166]\nname=Far\n[-90]\n[42]\nname=Hat\n");
  // Four programs (instruments 0-3), then the drums 42, 38 and 36 in the order played.
  Song song;
  song.programs = {0, 1, 2, 3};
  for (int key : {42, 38, 36}) {
    Note note;
    note.channel = kDrumChannel;
    note.key = key;
    note.length = 10;
    song.notes.push_back(note);
  }
  InstrumentSet set = BuildInstrumentSet(song, {}, ReadDrumDefinitions(path));
  const auto numbers = [&set] {
    return std::vector<int32_t>{set.drums[35].instrument, set.drums[36].instrument, set.drums[38].instrument,
                                set.drums[42].instrument};
  };
  EXPECT_EQ(numbers(), (std::vector<int32_t>{0, 4, 5, 6}));
  EXPECT_EQ(set.drums[36].keyText, "C-4");

  // The group for 36 is gone: its drum has no number and no instrument.
  WriteFile(path, "[38]\nname=Snare\n");
  set = BuildInstrumentSet(song, {}, ReadDrumDefinitions(path));
  EXPECT_EQ(numbers(), (std::vector<int32_t>{0, 0, 4, 0}));
}

}  // namespace
}  // namespace tonvert

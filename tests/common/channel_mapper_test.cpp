#include <gtest/gtest.h>

#include <string>

#include "convert/channel_map.h"

namespace tonvert {
namespace {

TEST(ChannelMapper, DefaultAssignsEveryMidiChannelToExactlyOneColumnAndLeavesDpcmEmpty) {
  AssignmentTable boxes;
  EXPECT_EQ(MapperText(boxes),
            "1000010000100010"
            "0100001000010001"
            "0010000000000000"
            "0000000001000000"
            "0000000000000000"
            "0001000100001000"
            "0000100010000100");
  for (int m = 0; m < 16; ++m) {
    int columns = 0;
    for (int t = 1; t <= 7; ++t) columns += IsChannelMapped(boxes, t, m) ? 1 : 0;
    EXPECT_EQ(columns, 1) << "MIDI channel " << m;
  }
}

TEST(ChannelMapper, StoredTextReplacesTheWholeDefault) {
  AssignmentTable boxes;
  ApplyMapperText(boxes, "1");
  EXPECT_EQ(MapperText(boxes), "1" + std::string(111, '0'));

  ApplyMapperText(boxes, std::string(112, '0'));
  EXPECT_EQ(MapperText(boxes), std::string(112, '0'));

  ApplyMapperText(boxes, "12 1" + std::string(200, '1'));
  EXPECT_EQ(MapperText(boxes), "1001" + std::string(108, '1'));
}

TEST(ChannelMapper, EmptyStoredTextKeepsTheDefault) {
  AssignmentTable boxes;
  const std::string before = MapperText(boxes);
  ApplyMapperText(boxes, "");
  EXPECT_EQ(MapperText(boxes), before);
}

TEST(ChannelMapper, ClearThenDefaultRestoresTheBuiltInAssignment) {
  AssignmentTable boxes;
  const std::string builtIn = MapperText(boxes);
  ApplyMapperText(boxes, "0101");
  ClearMapper(boxes);
  EXPECT_EQ(MapperText(boxes), std::string(112, '0'));
  DefaultMapper(boxes);
  EXPECT_EQ(MapperText(boxes), builtIn);
}

TEST(ChannelMapper, ChannelsOutsideTheGridAreNeverMapped) {
  AssignmentTable boxes;
  ApplyMapperText(boxes, std::string(112, '1'));
  EXPECT_TRUE(IsChannelMapped(boxes, 7, 15));
  EXPECT_FALSE(IsChannelMapped(boxes, 1, 16));
  EXPECT_FALSE(IsChannelMapped(boxes, 1, -1));
  EXPECT_FALSE(IsChannelMapped(boxes, 0, 0));
  EXPECT_FALSE(IsChannelMapped(boxes, 8, 0));
}

}  // namespace
}  // namespace tonvert

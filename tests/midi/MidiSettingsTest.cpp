#include <gtest/gtest.h>

#include "SmfWriter.h"
#include "midi/MidiSettingsBlock.h"
#include "midi/SoundFonts.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

const std::string kSmf = test::Smf(0, 96, {test::TrackWriter().End()});

// Saving through the player (one block, the song kept) is covered with MidiPlayer;
// here the lines other programs read.
TEST(MidiSettingsBlock, LinesHoldEveryChannelAndReadBack) {
    MidiSettings s;
    s.Transposition = -13;
    s.Channels[3] = {false, 25, false, 80, 10};
    const std::string bytes = WithSettingsBlock(kSmf, s);
    EXPECT_NE(bytes.find("\r\nch03=0,-13,80,10,25\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("ch15=1,-13,100,64,0\r\n#End CBXMidi"), std::string::npos);
    EXPECT_EQ(StripSettingsBlock(bytes), kSmf);

    MidiSettings read;
    ASSERT_TRUE(ReadMidi(bytes, read));
    EXPECT_EQ(read.Transposition, -13);
    EXPECT_FALSE(read.Channels[3].Enabled);
    EXPECT_EQ(read.Channels[3].Volume, 80);
    EXPECT_TRUE(read.Channels[3].VolumeSet);
    EXPECT_EQ(read.Channels[3].Instrument, 25);
    EXPECT_FALSE(read.Channels[4].VolumeSet);  // saved defaults do not override the song
}

TEST(MidiSettingsBlock, LockedChannelsShortLinesAndUnterminatedBlocks) {
    MidiSettings s;
    s.Channels[0].Volume = 5;
    s.Channels[1].Volume = 6;
    std::string bytes = WithSettingsBlock(kSmf, s);
    MidiSettings read;
    read.Channels[1].Locked = true;
    read.Channels[1].Volume = 99;
    ASSERT_TRUE(ReadMidi(bytes, read));
    EXPECT_EQ(read.Channels[0].Volume, 5);
    EXPECT_EQ(read.Channels[1].Volume, 99);

    const std::string shortLine =
        kSmf + "#CBXMidi\r\nch00=1,0,7,64,0\r\nch01=1,0\r\nch02=1,0,9,64,0\r\n#End CBXMidi";
    MidiSettings partial;
    ASSERT_TRUE(ReadMidi(shortLine, partial));
    EXPECT_EQ(partial.Channels[0].Volume, 7);
    EXPECT_EQ(partial.Channels[2].Volume, kDefaultChannelVolume);  // reading stopped at ch01

    const std::string open = kSmf + "#CBXMidi\r\nch00=0,0,1,1,1\r\n";
    MidiSettings none;
    EXPECT_FALSE(ReadMidi(open, none));
    EXPECT_EQ(StripSettingsBlock(open), open);
    const std::string saved = WithSettingsBlock(open, MidiSettings());
    EXPECT_EQ(saved.rfind(open, 0), 0u);  // appended after the broken block
    EXPECT_EQ(StripSettingsBlock(saved), open);
}

TEST(SoundFonts, ChosenFileFirstAndDeviceNumbering) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "sys");
    for (const char* n : {"b.sf2", "TimGM6mb.sf2", "a.SF2", "notes.txt"})
        test::WriteBytes(dir / "sys" / n, "x");
    test::WriteBytes(dir / "mine.sf2", "x");
    const auto ports = ListSoundFonts(dir / "mine.sf2", {dir / "sys", dir / "missing"});
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_EQ(ports[0].Name, "mine");
    EXPECT_EQ(ports[1].Name, "TimGM6mb");
    EXPECT_EQ(ports[2].Name, "a");
    EXPECT_EQ(ports[3].Number, 4);
    EXPECT_EQ(SelectMidiDevice(ports, -1)->Number, 1);
    EXPECT_EQ(SelectMidiDevice(ports, 3)->Name, "a");
    EXPECT_EQ(SelectMidiDevice(ports, 9)->Number, 1);
    EXPECT_EQ(SelectMidiDevice({}, 1), nullptr);
}

}  // namespace
}  // namespace cx

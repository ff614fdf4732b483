// The open song's kind, length, technical data and tags (ID3v1, ID3v2 and
// the Lyrics3 block), and the writers of those tags. Tags go through TagLib,
// the exact MP3 length and emphasis through mpg123, ID3v1 and Lyrics3 through
// our own byte readers.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/Id3v1.h"
#include "lyrics/LyricsModel.h"
#include "platform/Codepage.h"

namespace cx {

// What the MIDI reader tells about a MIDI file: filled in by the MIDI side.
struct MidiFacts {
    std::string Title;
    std::string Artist;
    double LengthSeconds = 0;
};
using MidiInspector = std::function<bool(const std::string& path, MidiFacts& facts)>;

// The properties, named as the rest of the program knows them.
struct MP3Info {
    bool LyricsExist = false;
    long LyricsSize = 0;
    int LyricsVersion = 0;
    std::string Lyrics, LyricsAuthor, LyricsArtist, LyricsAlbum, LyricsTitle, LyricsPicture;
    std::string BaseName;
    std::string Description, Performer;
    std::string WAVInfo;
    bool ID3v1Exist = false;
    bool ID3v2Exist = false;
    std::string MPEGInfo;
    std::string Filename;
    double HeaderPosition = 0;
    std::string format;  // "MP3", "WAV", "MIDI" or empty
    std::string channels;
    double Length = 0;
    long samplerate = 0;
    int Bitrate = 0;
    std::string Title, Artist, Album, Year, Comment, Track, Genre;
    std::string Title1, Artist1, Album1, Year1, Comment1, Track1, Genre1;
    std::string Title2, Artist2, Album2, Year2, Comment2, Track2, Genre2;
    std::string Composer, Copyright, url, Encoded, OriginalArtist, Lyrycist;
};

// Tag values as edited in the file information dialog (UTF-8).
struct TagValues {
    std::string Title, Artist, Album, Year, Comment, Track, Genre;
};

// SaveId3Tag results.
inline constexpr int kSaveTagOk = 0;
inline constexpr int kSaveTagV1Failed = -1;
inline constexpr int kSaveTagV2Failed = -2;
inline constexpr int kSaveTagBothFailed = -3;
inline constexpr int kSaveTagBadTrack = -4;  // nothing was written

// The largest track number an ID3v1 tag holds.
inline constexpr int kMaxId3v1Track = 255;

// A track text a tag can store as it stands: empty or digits; ID3v2 also
// "number/total"; ID3v1 only up to kMaxId3v1Track.
bool ValidTrackText(std::string_view text, bool id3v1);

class MP3Class {
public:
    explicit MP3Class(CodepageChoice cp = Codepage::Cp1252) : m_cp(cp) {}

    // Setting the file clears every property and sets BaseName.
    void SetFilename(const std::string& path);
    const std::string& Filename() const { return m_info.Filename; }
    const MP3Info& Info() const { return m_info; }
    void SetTitle(const std::string& title) { m_info.Title = title; }
    void SetLength(double seconds) { m_info.Length = seconds; }
    void SetHeaderPosition(double v) { m_info.HeaderPosition = v; }

    // The MIDI reader that ReadFile asks for a MIDI file's title, artist and length.
    void SetMidiInspector(MidiInspector inspector) { m_midi = std::move(inspector); }

    void ZeroValues();
    // Kind, length, bit rate, sample rate, title and artist. False (with
    // Error()) for a file that cannot be measured: not an audio file.
    bool ReadFile();
    // Tags, the Lyrics3 block and the information texts.
    void ReadTag();
    const std::string& Error() const { return m_error; }

    // Rewrites the file without its ID3v1 and ID3v2 tags.
    LyricsResult RemoveTag();
    // Cuts the ID3v1 tag off, remembering it; gives "ID3v1", or empty when there was none.
    std::string RemoveBaseTag();
    // With "ID3v1", appends the remembered tag again.
    LyricsResult SaveBaseTag(const std::string& kind);
    // Writes a Lyrics3 v2.00 block with these fields (UTF-8), replacing any earlier one.
    LyricsResult SaveLyrics(const std::string& author, const std::string& artist,
                            const std::string& title, const std::string& album,
                            const std::string& picture, const std::string& lyrics);
    // Writes the chosen tags; kSaveTagOk or one of the failure codes. A
    // track that is not a number refuses the whole save (kSaveTagBadTrack).
    int SaveId3Tag(const TagValues& v1, const TagValues& v2, bool writeV1, bool writeV2);
    // After SaveId3Tag: the ID3v1 fields ("Title", "Artist", "Album", "Year",
    // "Comment") whose text the code page could not hold, written with "?".
    const std::vector<std::string>& LossyId3v1Fields() const { return m_lossyFields; }

private:
    bool ReadMidi();
    bool ReadWav();
    bool ReadOther();
    void ReadLyrics3Tag(const std::string& bytes);
    void ReadId3v1Tag(const std::string& bytes);
    void ReadId3v2Tag();

    CodepageChoice m_cp;
    MP3Info m_info;
    MidiInspector m_midi;
    std::string m_error;
    std::string m_savedId3v1;  // raw bytes kept by RemoveBaseTag
    std::vector<std::string> m_lossyFields;
};

}  // namespace cx

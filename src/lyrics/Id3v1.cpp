#include "lyrics/Id3v1.h"

#include <array>

#include "lyrics/LyricsText.h"

namespace cx {
namespace {

constexpr std::array<std::string_view, kGenreCount> kGenres = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
    "Folk",
    "Folk-Rock",
    "National Folk",
    "Swing",
    "Fast Fusion",
    "Bebob",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantgarde",
    "Gothic Rock",
    "Progressive Rock",
    "Psychedelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big Band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "Speech",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Bass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Tango",
    "Samba",
    "Folklore",
    "Ballad",
    "Power Ballad",
    "Rhythmic Soul",
    "Freestyle",
    "Duet",
    "Punk Rock",
    "Drum Solo",
    "A capella",
    "Euro-House",
    "Dance Hall",
};

void PutField(std::string& tag, std::size_t at, std::size_t width, std::string_view v) {
    for (std::size_t i = 0; i < width && i < v.size(); ++i) tag[at + i] = v[i];
}

}  // namespace

std::string CutSp(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\0')) --n;
    // A NUL ends the text in padded fields.
    const std::string_view kept = text.substr(0, n);
    return std::string(kept.substr(0, kept.find('\0')));
}

bool ParseId3v1(std::string_view tag, Id3v1Values& out) {
    if (tag.size() != 128 || tag.substr(0, 3) != "TAG") return false;
    out.Title = CutSp(tag.substr(3, 30));
    out.Artist = CutSp(tag.substr(33, 30));
    out.Album = CutSp(tag.substr(63, 30));
    out.Year = CutSp(tag.substr(93, 4));
    const bool v11 = tag[125] == '\0' && tag[126] != '\0';
    out.Comment = CutSp(tag.substr(97, v11 ? 28 : 30));
    out.Track = v11 ? static_cast<unsigned char>(tag[126]) : 0;
    out.Genre = static_cast<unsigned char>(tag[127]);
    return true;
}

std::string BuildId3v1(const Id3v1Values& v) {
    std::string tag(128, '\0');
    PutField(tag, 0, 3, "TAG");
    PutField(tag, 3, 30, v.Title);
    PutField(tag, 33, 30, v.Artist);
    PutField(tag, 63, 30, v.Album);
    PutField(tag, 93, 4, v.Year);
    const bool track = v.Track > 0 && v.Track < 256;
    PutField(tag, 97, track ? 28 : 30, v.Comment);
    if (track) tag[126] = static_cast<char>(v.Track);
    tag[127] = static_cast<char>(v.Genre >= 0 && v.Genre < 256 ? v.Genre : 255);
    return tag;
}

std::string GenreName(int number) {
    if (number < 0 || number >= kGenreCount) return {};
    return std::string(kGenres[static_cast<std::size_t>(number)]);
}

int GenreNumber(std::string_view name) {
    const std::string wanted = AsciiLower(name);
    for (int i = 0; i < kGenreCount; ++i)
        if (AsciiLower(kGenres[static_cast<std::size_t>(i)]) == wanted) return i;
    return 255;
}

}  // namespace cx

// The sample content as its tables describe it: resources by group, pictures, fonts, sounds,
// music and particle files, read from the content folder and checked against each other and
// against the rules the program's code relies on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mkcontent {

struct Group {
    std::string name;
    std::string manifest;  // archive path, e.g. "properties/res_init.xml"
};

enum class Kind { Image, Font, Sound };

// One picture to draw: a manifest image or a file loaded by path.
struct Picture {
    std::string path;    // archive path with '/'
    int width = 0;       // the whole picture
    int height = 0;
    int cols = 1;        // cels
    int rows = 1;
    std::string style;   // fill, light, dark, grey, overlay, hud, clear, cursor, soft
    std::string label;   // lines separated by '|'
    uint32_t colour = 0; // 0xRRGGBB of its group or folder
};

struct Resource {
    std::string id;
    std::string group;
    Kind kind = Kind::Image;
    std::string file;       // archive path with '/'; sounds without extension
    std::string anim;       // "" for none
    int frameDelay = 0;
    int picture = -1;       // index into Content::pictures for images
    std::string where;      // file:line for messages
};

struct FontSpec {
    std::string id;
    std::string face;
    int size = 0;
    bool bold = false;
    std::string descriptor; // archive path of the descriptor, e.g. "fonts/FONT_S14.txt"
};

struct SoundSpec {
    std::string id;
    std::string recipe;
    int ms = 0;
    double pitch = 0;
    std::vector<int> notes;
    uint32_t seed = 0;
    std::string file;       // archive path with ".wav"
};

struct MusicSpec {
    std::string file;
    double seconds = 0;
    int bpm = 0;
    int root = 0;
    bool minor = false;
    uint32_t seed = 0;
};

struct ParticleSpec {
    std::string file;                  // e.g. "FX_fire.psi"; written as particle/<file>
    int rate = 0;
    std::vector<float> before;         // duration, life min/max, direction, spread (offsets 8-24)
    bool relative = false;             // offset 28
    std::vector<float> after;          // speed min .. alpha variation (offsets 32-124)
    bool additive = false;
    bool hasPosition = false;
    float x = 0, y = 0;
    std::string image;
    std::vector<std::pair<int, int>> path;
    bool hasPathTime = false;
    float pathTime = 0;
    int pathMode = 0;
};

struct Content {
    std::vector<Group> groups;
    std::vector<Resource> resources;
    std::vector<Picture> pictures;
    std::vector<FontSpec> fonts;
    std::vector<SoundSpec> sounds;
    std::vector<MusicSpec> music;
    std::vector<ParticleSpec> particles;
};

// Reads every table of the folder and checks them; throws ContentError naming the row of the
// first fault.
Content LoadContent(const std::string& folder);

} // namespace mkcontent

// Reading the content tables into one checked description of the content.
#include "tools/mkcontent/Content.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <sstream>

#include "tools/mkcontent/Table.h"

namespace mkcontent {

namespace {

const std::set<std::string> kStyles = {"fill", "light", "dark", "grey", "overlay", "hud", "clear", "cursor", "soft"};
const std::set<std::string> kRecipes = {"blip", "tick", "arpeggio", "chord", "noise", "buzz",
                                        "vehicle", "rattle", "bird", "cow", "water", "wind"};

// Pictures the program animates or retimes: without an animation in their manifest the code
// that draws them finds no animation to use.
const char* const kMustAnimate[] = {
    "FX_C_UI_DATE", "GC3_CUP", "GM_FACTORY_MG2", "GM_FACTORY_MG3", "FX_C_BIRD2", "FX_C_BIRD",
    "FX_C_SMOKE", "FX_C_PPL1", "FX_C_PPL2", "FX_C_PPL3", "FX_C_DOG", "FX_C_HORSE", "FX_C_HORSE_L",
    "GC1_WATER", "GC2_FLOWER", "GC2_BIC", "GC3_CUP2", "GC3_SNAKE", "GC4_FLOWER", "GC4_FLOWER2",
    "GC5_COW", "GC6_SNOW", "GC7_NEON", "GC7_NEON1", "GC7_NEON2", "GC7_NEON3", "GC7_NEON4",
    "GC7_HELICOPTER", "TU_AU", "TU_AD", "TU_AL", "TU_AR", "MG_1_BELT_1", "MG_1_BELT_3",
    "MG_1_BELT_3A"};

// Cel counts the code counts on.
const std::map<std::string, int> kCelCounts = {
    {"FX_C_MISSION_FIN", 17}, {"TU_AU", 2}, {"TU_AD", 2}, {"TU_AL", 2}, {"TU_AR", 2}};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Folder(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string Stem(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// An archive path: folders and a name of printable characters, '/' between them, no "..".
bool GoodPath(const std::string& path) {
    if (path.empty() || path.size() > 200 || path.front() == '/' || path.back() == '/') return false;
    for (char c : path)
        if (c <= ' ' || c > '~' || c == '\\' || c == '"' || c == '<' || c == '>' || c == '&' || c == '!') return false;
    return path.find("..") == std::string::npos && path.find("//") == std::string::npos;
}

std::map<std::string, uint32_t> LoadColours(const std::string& folder) {
    Table table = Table::Load(folder + "/colours.tsv");
    std::map<std::string, uint32_t> colours;
    for (const Table::Row& row : table.Rows()) {
        const std::string& text = table.Cell(row, "colour");
        bool ok = text.size() == 7 && text[0] == '#' &&
                  std::all_of(text.begin() + 1, text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
        if (!ok) table.Fail(row, "colour is not #rrggbb: " + text);
        if (!colours.emplace(table.Cell(row, "key"), static_cast<uint32_t>(std::stoul(text.substr(1), nullptr, 16))).second)
            table.Fail(row, "listed twice");
    }
    return colours;
}

// The picture columns shared by resources.tsv and files.tsv.
Picture ReadPicture(const Table& table, const Table::Row& row, const std::string& path, const std::string& id,
                    const std::map<std::string, uint32_t>& colours, const std::string& colourKey) {
    Picture p;
    p.path = path;
    p.width = table.Int(row, "width", 0);
    p.height = table.Int(row, "height", 0);
    p.cols = table.Int(row, "cols", 1);
    p.rows = std::find(table.Columns().begin(), table.Columns().end(), "rows") != table.Columns().end()
                 ? table.Int(row, "rows", 1) : 1;
    p.style = table.Cell(row, "style");
    p.label = table.Cell(row, "label") == "-" ? id : table.Cell(row, "label");
    if (!GoodPath(path) || !EndsWith(Lower(path), ".png")) table.Fail(row, "picture path must be a plain .png path: " + path);
    if (p.width < 1 || p.height < 1 || p.width > 8192 || p.height > 8192)
        table.Fail(row, "picture size must be 1-8192 by 1-8192");
    if (p.cols < 1 || p.rows < 1 || p.width % p.cols != 0 || p.height % p.rows != 0)
        table.Fail(row, "the picture does not divide into " + std::to_string(p.cols) + " x " + std::to_string(p.rows) + " cels");
    if (kStyles.count(p.style) == 0) table.Fail(row, "unknown style " + p.style);
    auto colour = colours.find(colourKey);
    if (colour == colours.end()) table.Fail(row, "colours.tsv has no colour for " + colourKey);
    p.colour = colour->second;
    return p;
}

void LoadResources(const std::string& folder, Content& content, const std::map<std::string, uint32_t>& colours) {
    Table groups = Table::Load(folder + "/groups.tsv");
    std::set<std::string> groupNames;
    for (const Table::Row& row : groups.Rows()) {
        Group g{groups.Cell(row, "group"), groups.Cell(row, "manifest")};
        if (!groupNames.insert(g.name).second) groups.Fail(row, "group listed twice");
        if (!GoodPath(g.manifest) || !EndsWith(g.manifest, ".xml")) groups.Fail(row, "manifest must be an .xml path");
        // Sections of one manifest sit together, in the order the manifests are read.
        if (!content.groups.empty() && content.groups.back().manifest != g.manifest &&
            std::any_of(content.groups.begin(), content.groups.end(), [&](const Group& o) { return o.manifest == g.manifest; }))
            groups.Fail(row, "the groups of " + g.manifest + " must be listed one after another");
        content.groups.push_back(g);
    }

    Table table = Table::Load(folder + "/resources.tsv");
    std::set<std::string> ids[3];
    std::string lastGroup;
    std::set<std::string> seenGroups;
    for (const Table::Row& row : table.Rows()) {
        Resource r;
        r.id = table.Cell(row, "id");
        r.group = table.Cell(row, "group");
        r.file = table.Cell(row, "file");
        r.where = table.Where(row);
        const std::string& kind = table.Cell(row, "kind");
        if (kind == "image") r.kind = Kind::Image;
        else if (kind == "font") r.kind = Kind::Font;
        else if (kind == "sound") r.kind = Kind::Sound;
        else table.Fail(row, "kind must be image, font or sound: " + kind);
        for (char c : r.id)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') table.Fail(row, "id may hold letters, digits and '_' only");
        if (!ids[static_cast<int>(r.kind)].insert(r.id).second) table.Fail(row, "id defined twice for one kind");
        if (groupNames.count(r.group) == 0) table.Fail(row, "group not in groups.tsv: " + r.group);
        if (r.group != lastGroup && !seenGroups.insert(r.group).second)
            table.Fail(row, "the rows of group " + r.group + " must be one after another");
        lastGroup = r.group;
        if (!GoodPath(r.file)) table.Fail(row, "file is not a plain path: " + r.file);

        const std::string& anim = table.Cell(row, "anim");
        if (anim != "-") {
            if (anim != "loop" && anim != "once" && anim != "pingpong" && anim != "none")
                table.Fail(row, "anim must be none, once, loop or pingpong");
            r.anim = anim == "none" ? "" : anim;
        }
        r.frameDelay = table.Int(row, "framedelay", 0);
        if (r.frameDelay < 0) table.Fail(row, "framedelay below 0");

        if (r.kind == Kind::Image) {
            r.picture = static_cast<int>(content.pictures.size());
            content.pictures.push_back(ReadPicture(table, row, r.file, r.id, colours, r.group));
            const Picture& p = content.pictures.back();
            if (!r.anim.empty() && std::max(p.cols, p.rows) < 2) table.Fail(row, "an animation needs at least two cels");
        } else {
            for (const char* column : {"width", "height", "cols", "rows", "anim", "framedelay", "style", "label"})
                if (table.Cell(row, column) != "-") table.Fail(row, std::string("column ") + column + " is for pictures only");
            if (r.kind == Kind::Font && r.file != "fonts/" + r.id + ".txt")
                table.Fail(row, "a font's file is fonts/<id>.txt");
            if (r.kind == Kind::Sound && (Folder(r.file) != "sounds" || r.file.find('.') != std::string::npos))
                table.Fail(row, "a sound's file is sounds/<name>, without extension");
        }
        content.resources.push_back(r);
    }

    // Rules the program's code relies on.
    for (const char* id : kMustAnimate) {
        auto r = std::find_if(content.resources.begin(), content.resources.end(),
                              [&](const Resource& x) { return x.kind == Kind::Image && x.id == id; });
        if (r != content.resources.end() && r->anim != "loop")
            throw ContentError(r->where + ": the program animates this picture: it needs anim loop and two or more cels");
    }
    for (const Resource& r : content.resources) {
        if (r.kind != Kind::Image) continue;
        const Picture& p = content.pictures[static_cast<size_t>(r.picture)];
        auto cels = kCelCounts.find(r.id);
        if (cels != kCelCounts.end() && std::max(p.cols, p.rows) != cels->second)
            throw ContentError(r.where + ": the program counts on " + std::to_string(cels->second) + " cels");
        const bool sky = r.id.size() == 7 && r.id.compare(0, 2, "GC") == 0 && std::isdigit(static_cast<unsigned char>(r.id[2])) &&
                         EndsWith(r.id, "_SKY");
        if (sky && p.width != 1024)
            throw ContentError(r.where + ": a sky is exactly the screen's width, 1024");
        if (r.id == "IMG_NONE" && p.style != "clear") throw ContentError(r.where + ": IMG_NONE must be fully transparent (style clear)");
    }
}

void LoadFiles(const std::string& folder, Content& content, const std::map<std::string, uint32_t>& colours) {
    Table table = Table::Load(folder + "/files.tsv");
    for (const Table::Row& row : table.Rows()) {
        const std::string& path = table.Cell(row, "path");
        Picture p = ReadPicture(table, row, path, Stem(path), colours, Folder(path));
        // The fitting puzzle cuts its pictures into 3 x 3 tiles of 56 pixels.
        if (Folder(path) == "images/mg_2" && path.compare(12, 1, "p") == 0 && std::isdigit(static_cast<unsigned char>(path[13])) &&
            (p.width != 168 || p.height != 168))
            table.Fail(row, "puzzle pictures are exactly 168 x 168");
        content.pictures.push_back(p);
    }
}

void CheckUniquePaths(const Content& content) {
    std::map<std::string, std::string> seen;
    auto add = [&](const std::string& path) {
        if (!seen.emplace(Lower(path), path).second)
            throw ContentError("two files would share the archive name " + path + " (names are found without regard to letter case)");
    };
    for (const Picture& p : content.pictures) add(p.path);
    for (const FontSpec& f : content.fonts) {
        add(f.descriptor);
        add(f.descriptor.substr(0, f.descriptor.size() - 4) + ".png");
    }
    for (const SoundSpec& s : content.sounds) add(s.file);
    for (const MusicSpec& m : content.music) add(m.file);
    for (const Group& g : content.groups)
        if (seen.count(Lower(g.manifest)) == 0) add(g.manifest);
}

void LoadFonts(const std::string& folder, Content& content) {
    Table table = Table::Load(folder + "/fonts.tsv");
    for (const Table::Row& row : table.Rows()) {
        FontSpec f;
        f.id = table.Cell(row, "id");
        f.face = table.Cell(row, "face");
        f.size = table.Int(row, "size", 0);
        f.bold = table.Int(row, "bold", 0) != 0;
        if (f.size < 6 || f.size > 96) table.Fail(row, "size must be 6-96 pixels");
        auto r = std::find_if(content.resources.begin(), content.resources.end(),
                              [&](const Resource& x) { return x.kind == Kind::Font && x.id == f.id; });
        if (r == content.resources.end()) table.Fail(row, "no font resource of this id in resources.tsv");
        f.descriptor = r->file;
        if (std::any_of(content.fonts.begin(), content.fonts.end(), [&](const FontSpec& o) { return o.id == f.id; }))
            table.Fail(row, "listed twice");
        content.fonts.push_back(f);
    }
    for (const Resource& r : content.resources)
        if (r.kind == Kind::Font && std::none_of(content.fonts.begin(), content.fonts.end(), [&](const FontSpec& f) { return f.id == r.id; }))
            throw ContentError(r.where + ": fonts.tsv does not say how to render this font");
}

void LoadSounds(const std::string& folder, Content& content) {
    Table table = Table::Load(folder + "/sounds.tsv");
    for (const Table::Row& row : table.Rows()) {
        SoundSpec s;
        s.id = table.Cell(row, "id");
        s.recipe = table.Cell(row, "recipe");
        s.ms = table.Int(row, "ms", 0);
        s.pitch = table.Number(row, "pitch", 0);
        s.seed = static_cast<uint32_t>(table.Int(row, "seed", 1));
        if (kRecipes.count(s.recipe) == 0) table.Fail(row, "unknown recipe " + s.recipe);
        if (s.ms < 10 || s.ms > 5000) table.Fail(row, "ms must be 10-5000");
        if (s.pitch <= 0 || s.pitch > 10000) table.Fail(row, "pitch must be above 0 and at most 10000 Hz");
        const std::string& notes = table.Cell(row, "notes");
        if (notes != "-") {
            std::stringstream in(notes);
            std::string note;
            while (std::getline(in, note, ',')) {
                char* end = nullptr;
                long n = std::strtol(note.c_str(), &end, 10);
                if (note.empty() || *end != '\0' || n < -36 || n > 36) table.Fail(row, "notes must be semitones -36..36 separated by ','");
                s.notes.push_back(static_cast<int>(n));
            }
        }
        if ((s.recipe == "arpeggio" || s.recipe == "chord") && s.notes.empty()) table.Fail(row, "this recipe needs notes");
        auto r = std::find_if(content.resources.begin(), content.resources.end(),
                              [&](const Resource& x) { return x.kind == Kind::Sound && x.id == s.id; });
        if (r == content.resources.end()) table.Fail(row, "no sound resource of this id in resources.tsv");
        s.file = r->file + ".wav";
        if (std::any_of(content.sounds.begin(), content.sounds.end(), [&](const SoundSpec& o) { return o.id == s.id; }))
            table.Fail(row, "listed twice");
        content.sounds.push_back(s);
    }
    for (const Resource& r : content.resources)
        if (r.kind == Kind::Sound && std::none_of(content.sounds.begin(), content.sounds.end(), [&](const SoundSpec& s) { return s.id == r.id; }))
            throw ContentError(r.where + ": sounds.tsv does not say how to make this sound");
}

void LoadMusic(const std::string& folder, Content& content) {
    Table table = Table::Load(folder + "/music.tsv");
    for (const Table::Row& row : table.Rows()) {
        MusicSpec m;
        m.file = table.Cell(row, "file");
        m.seconds = table.Number(row, "seconds", 0);
        m.bpm = table.Int(row, "bpm", 0);
        m.root = table.Int(row, "root", 0);
        m.seed = static_cast<uint32_t>(table.Int(row, "seed", 1));
        const std::string& mode = table.Cell(row, "mode");
        if (mode != "major" && mode != "minor") table.Fail(row, "mode must be major or minor");
        m.minor = mode == "minor";
        if (!GoodPath(m.file) || !EndsWith(Lower(m.file), ".ogg")) table.Fail(row, "file must be an .ogg path");
        if (m.seconds < 1 || m.seconds > 60) table.Fail(row, "seconds must be 1-60");
        if (m.bpm < 30 || m.bpm > 240) table.Fail(row, "bpm must be 30-240");
        if (m.root < 36 || m.root > 84) table.Fail(row, "root must be MIDI note 36-84");
        // The seed picks the tune: two files of one seed would sound alike to a tester.
        auto same = std::find_if(content.music.begin(), content.music.end(), [&](const MusicSpec& o) { return o.seed == m.seed; });
        if (same != content.music.end()) table.Fail(row, "the seed of " + same->file + " again: each file needs a tune of its own");
        content.music.push_back(m);
    }
}

const char* const kBefore[] = {"duration", "life_min", "life_max", "direction", "spread"};
const char* const kAfter[] = {"speed_min", "speed_max", "gravity_min", "gravity_max", "radial_min", "radial_max",
                              "tangential_min", "tangential_max", "size_start", "size_end", "size_variation",
                              "spin_start", "spin_end", "spin_variation", "start_red", "start_green", "start_blue",
                              "start_alpha", "end_red", "end_green", "end_blue", "end_alpha", "colour_variation",
                              "alpha_variation"};

void LoadParticles(const std::string& folder, Content& content) {
    Table table = Table::Load(folder + "/particles.tsv");
    // One column per file; rows are fields.
    std::map<std::string, const Table::Row*> fields;
    for (const Table::Row& row : table.Rows())
        if (!fields.emplace(row.cells[0], &row).second) table.Fail(row, "field listed twice");
    auto field = [&](const std::string& name) -> const Table::Row& {
        auto f = fields.find(name);
        if (f == fields.end()) throw ContentError(table.Name() + ": no row for the field " + name);
        return *f->second;
    };
    for (size_t col = 1; col < table.Columns().size(); ++col) {
        const std::string& file = table.Columns()[col];
        ParticleSpec p;
        p.file = file;
        if (!GoodPath(file) || file.find('/') != std::string::npos || !EndsWith(file, ".psi"))
            throw ContentError(table.Name() + ": column " + file + " must be named <name>.psi");
        auto number = [&](const char* name) {
            const Table::Row& row = field(name);
            return static_cast<float>(table.Number(row, file, 0));
        };
        auto integer = [&](const char* name) {
            const Table::Row& row = field(name);
            return table.Int(row, file, 0);
        };
        p.rate = integer("rate");
        if (p.rate < 0 || p.rate > 10000) table.Fail(field("rate"), file + ": rate must be 0-10000");
        for (const char* name : kBefore) p.before.push_back(number(name));
        p.relative = integer("relative") != 0;
        for (const char* name : kAfter) p.after.push_back(number(name));
        p.additive = integer("additive") != 0;
        p.image = table.Cell(field("image"), file);
        if (p.image != "-" && std::none_of(content.pictures.begin(), content.pictures.end(),
                                           [&](const Picture& pic) { return pic.path == p.image; }))
            table.Fail(field("image"), file + ": " + p.image + " is not a picture of files.tsv");
        if (p.image == "-") p.image.clear();
        const std::string& position = table.Cell(field("position"), file);
        if (position != "-") {
            if (std::sscanf(position.c_str(), "%f,%f", &p.x, &p.y) != 2) table.Fail(field("position"), file + ": position is x,y");
            p.hasPosition = true;
        }
        const std::string& path = table.Cell(field("path"), file);
        if (path != "-") {
            std::stringstream in(path);
            std::string point;
            while (in >> point) {
                int x = 0, y = 0;
                char tail = 0;
                if (std::sscanf(point.c_str(), "%d,%d%c", &x, &y, &tail) != 2) table.Fail(field("path"), file + ": a path point is x,y");
                p.path.emplace_back(x, y);
            }
        }
        if (table.Cell(field("path_time"), file) != "-") {
            p.hasPathTime = true;
            p.pathTime = number("path_time");
            p.pathMode = integer("path_mode");
        }
        if (!p.path.empty() && (p.path.size() < 2 || !p.hasPathTime))
            table.Fail(field("path"), file + ": a path needs two points or more and a path_time");
        content.particles.push_back(p);
    }
}

} // namespace

Content LoadContent(const std::string& folder) {
    Content content;
    std::map<std::string, uint32_t> colours = LoadColours(folder);
    LoadResources(folder, content, colours);
    LoadFiles(folder, content, colours);
    LoadFonts(folder, content);
    LoadSounds(folder, content);
    LoadMusic(folder, content);
    LoadParticles(folder, content);
    CheckUniquePaths(content);
    return content;
}

} // namespace mkcontent

// Reading the resource-name list and comparing the content tables with it.
#include "tools/mkcontent/Names.h"

#include <fstream>
#include <map>
#include <sstream>

#include "tools/mkcontent/Table.h"

namespace mkcontent {

namespace {

const char* KindName(Kind kind) {
    switch (kind) {
    case Kind::Image: return "image";
    case Kind::Font: return "font";
    case Kind::Sound: return "sound";
    }
    return "";
}

} // namespace

std::vector<ResourceName> LoadResourceNames(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw ContentError(path + ": cannot be read");
    std::vector<ResourceName> names;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::istringstream words(line);
        std::string group, kind, name, id, extra;
        if (!(words >> group) || group[0] == '#') continue;
        auto fail = [&](const std::string& message) {
            throw ContentError(path + ":" + std::to_string(number) + ": " + message);
        };
        if (!(words >> kind >> name >> id)) fail("needs a group, a kind, a name and an id");
        ResourceName entry;
        entry.line = number;
        entry.group = group;
        entry.name = name;
        if (kind == "image") entry.kind = Kind::Image;
        else if (kind == "font") entry.kind = Kind::Font;
        else if (kind == "sound") entry.kind = Kind::Sound;
        else fail("unknown kind " + kind);
        if (id != "-") {
            try {
                entry.id = std::stoi(id);
            } catch (...) {
                fail("the id is not a number: " + id);
            }
        }
        while (words >> extra) {
            if (extra.compare(0, 5, "hold=") != 0) fail("unknown field " + extra);
            try {
                entry.hold = std::stoi(extra.substr(5));
            } catch (...) {
                fail("the hold time is not a number: " + extra);
            }
        }
        names.push_back(entry);
    }
    return names;
}

void CheckAgainstNames(const Content& content, const std::vector<ResourceName>& names, const std::string& namesPath) {
    std::map<std::pair<int, std::string>, const Resource*> rows;
    for (const Resource& r : content.resources) rows[{static_cast<int>(r.kind), r.id}] = &r;
    std::map<std::pair<int, std::string>, const ResourceName*> listed;
    for (const ResourceName& n : names) {
        const std::string where = namesPath + ":" + std::to_string(n.line) + " (" + n.name + "): ";
        if (!listed.emplace(std::make_pair(static_cast<int>(n.kind), n.name), &n).second)
            throw ContentError(where + "listed twice");
        if (n.group == "-") continue;
        auto row = rows.find({static_cast<int>(n.kind), n.name});
        if (row == rows.end())
            throw ContentError(where + "resources.tsv has no " + KindName(n.kind) + " row of this id (group " + n.group + ")");
        if (row->second->group != n.group)
            throw ContentError(row->second->where + ": belongs to group " + n.group + " by " + namesPath + ":" +
                               std::to_string(n.line) + ", not " + row->second->group);
        if (n.hold >= 0 && row->second->anim != "loop")
            throw ContentError(row->second->where + ": the program retimes this picture's animation: it needs anim loop");
    }
    for (const Resource& r : content.resources) {
        auto n = listed.find({static_cast<int>(r.kind), r.id});
        if (n == listed.end() || n->second->group == "-")
            throw ContentError(r.where + ": not in the resource-name list " + namesPath + " as a " + KindName(r.kind));
    }
}

} // namespace mkcontent

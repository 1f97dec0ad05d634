// Writing the resource manifests.
#include "tools/mkcontent/Manifests.h"

#include <algorithm>
#include <sstream>

namespace mkcontent {

namespace {

const char* ElementName(Kind kind) {
    switch (kind) {
    case Kind::Image: return "Image";
    case Kind::Font: return "Font";
    case Kind::Sound: return "Sound";
    }
    return "";
}

std::string FolderOf(const std::string& file) {
    return file.substr(0, file.rfind('/'));
}

// A section: the group's resources folder by folder (in the order the folders first appear),
// each folder under one SetDefaults.
void WriteSection(std::ostringstream& out, const Content& content, const std::string& group) {
    out << "  <Resources id=\"" << group << "\">\n";
    std::vector<std::string> folders;
    for (const Resource& r : content.resources)
        if (r.group == group && std::find(folders.begin(), folders.end(), FolderOf(r.file)) == folders.end())
            folders.push_back(FolderOf(r.file));
    for (const std::string& folder : folders) {
        out << "    <SetDefaults path=\"" << folder << "\" idprefix=\"\"/>\n";
        for (const Resource& r : content.resources) {
            if (r.group != group || FolderOf(r.file) != folder) continue;
            out << "    <" << ElementName(r.kind) << " id=\"" << r.id << "\" path=\"" << r.file.substr(folder.size() + 1) << "\"";
            if (r.kind == Kind::Image) {
                const Picture& p = content.pictures[static_cast<size_t>(r.picture)];
                if (p.cols > 1) out << " cols=\"" << p.cols << "\"";
                if (p.rows > 1) out << " rows=\"" << p.rows << "\"";
                if (!r.anim.empty()) out << " anim=\"" << r.anim << "\" framedelay=\"" << r.frameDelay << "\"";
            }
            out << "/>\n";
        }
    }
    out << "  </Resources>\n";
}

} // namespace

std::vector<std::pair<std::string, std::string>> WriteManifests(const Content& content) {
    std::vector<std::pair<std::string, std::string>> manifests;
    for (size_t i = 0; i < content.groups.size();) {
        const std::string& manifest = content.groups[i].manifest;
        std::ostringstream out;
        out << "<?xml version=\"1.0\"?>\n<ResourceManifest>\n";
        for (; i < content.groups.size() && content.groups[i].manifest == manifest; ++i)
            WriteSection(out, content, content.groups[i].name);
        out << "</ResourceManifest>\n";
        manifests.emplace_back(manifest, out.str());
    }
    return manifests;
}

} // namespace mkcontent

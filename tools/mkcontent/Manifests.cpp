// Writing the resource manifests.
#include "tools/mkcontent/Manifests.h"

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

void WriteSection(std::ostringstream& out, const Content& content, const std::string& group) {
    out << "  <Resources id=\"" << group << "\">\n";
    std::string folder;
    bool first = true;
    for (const Resource& r : content.resources) {
        if (r.group != group) continue;
        size_t slash = r.file.rfind('/');
        std::string here = r.file.substr(0, slash);
        if (first || here != folder) {
            out << "    <SetDefaults path=\"" << here << "\" idprefix=\"\"/>\n";
            folder = here;
            first = false;
        }
        out << "    <" << ElementName(r.kind) << " id=\"" << r.id << "\" path=\"" << r.file.substr(slash + 1) << "\"";
        if (r.kind == Kind::Image) {
            const Picture& p = content.pictures[static_cast<size_t>(r.picture)];
            if (p.cols > 1) out << " cols=\"" << p.cols << "\"";
            if (p.rows > 1) out << " rows=\"" << p.rows << "\"";
            if (!r.anim.empty()) out << " anim=\"" << r.anim << "\" framedelay=\"" << r.frameDelay << "\"";
        }
        out << "/>\n";
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

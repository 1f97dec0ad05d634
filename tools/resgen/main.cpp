// resgen: turns the list of resource names (game/shell/ResourceNames.txt) into C++: one
// program-wide variable per name, one binding table per resource group and the tables of the
// numbered resource ids.
//
//     resgen <ResourceNames.txt> <out-header> <out-source>
//
// The list is checked while it is read: duplicate names or ids, ids outside 0-332 or missing,
// unknown kinds, a numbered name that no line declares. Any fault stops the build with the line.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kNumberedCount = 333;

struct Entry {
    std::string group;  // "-" for a variable no group binds
    std::string kind;   // image, font, sound
    std::string name;
    int id = -1;
    int hold = 0;  // ms of cel 0 after retiming, 0 for none
    int line = 0;
};

[[noreturn]] void Fail(const std::string& file, int line, const std::string& text)
{
    std::cerr << file << ":" << line << ": " << text << "\n";
    std::exit(1);
}

bool ParseInt(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 6)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

bool IsIdentifier(const std::string& text)
{
    if (text.empty() || (text[0] >= '0' && text[0] <= '9'))
        return false;
    for (char c : text)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

std::vector<Entry> ReadList(const std::string& file)
{
    std::ifstream in(file);
    if (!in)
        Fail(file, 0, "cannot open the list");
    std::vector<Entry> entries;
    std::set<std::string> names;
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        std::istringstream fields(text);
        std::vector<std::string> f;
        for (std::string w; fields >> w;)
            f.push_back(w);
        if (f.empty() || f[0][0] == '#')
            continue;
        if (f.size() < 4 || f.size() > 5)
            Fail(file, line, "expected <group> <kind> <name> <id> [hold=<ms>]");
        Entry e;
        e.group = f[0];
        e.kind = f[1];
        e.name = f[2];
        e.line = line;
        if (e.kind != "image" && e.kind != "font" && e.kind != "sound")
            Fail(file, line, "unknown kind " + e.kind);
        if (!IsIdentifier(e.name))
            Fail(file, line, "not a name: " + e.name);
        if (!names.insert(e.name).second)
            Fail(file, line, "name given twice: " + e.name);
        if (f[3] != "-" && (!ParseInt(f[3], e.id) || e.id >= kNumberedCount))
            Fail(file, line, "bad id " + f[3]);
        if (f.size() == 5) {
            if (f[4].rfind("hold=", 0) != 0 || !ParseInt(f[4].substr(5), e.hold) || e.hold <= 0)
                Fail(file, line, "bad hold " + f[4]);
            if (e.kind != "image")
                Fail(file, line, "only images can be retimed");
        }
        if (e.group != "-" && !IsIdentifier(e.group))
            Fail(file, line, "not a group name: " + e.group);
        entries.push_back(e);
    }
    return entries;
}

const char* VariableType(const std::string& kind)
{
    return kind == "image" ? "Image*" : kind == "font" ? "Font*" : "int";
}

const char* KindConstant(const std::string& kind)
{
    return kind == "image" ? "ResourceKind::Image" : kind == "font" ? "ResourceKind::Font" : "ResourceKind::Sound";
}

// Bind function name of a group: "Fx" -> BindFxResources; the country groups share one.
std::string BindName(const std::string& group)
{
    if (group.rfind("GameCountry", 0) == 0)
        return "BindGameCountryResources";
    return "Bind" + group + "Resources";
}

bool IsCountryGroup(const std::string& group, int& country)
{
    if (group.rfind("GameCountry", 0) != 0)
        return false;
    return ParseInt(group.substr(11), country);
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out)
            Fail(path, 0, "cannot write");
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0)
        Fail(path, 0, "cannot rename the written file into place");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: resgen <ResourceNames.txt> <out-header> <out-source>\n";
        return 2;
    }
    const std::string listFile = argv[1];
    std::vector<Entry> entries = ReadList(listFile);

    // Groups in the order of their first line; numbered names by id.
    std::vector<std::string> groups;
    std::map<std::string, std::vector<const Entry*>> byGroup;
    std::vector<const Entry*> numbered(kNumberedCount, nullptr);
    for (const Entry& e : entries) {
        if (e.group != "-") {
            if (!byGroup.count(e.group))
                groups.push_back(e.group);
            byGroup[e.group].push_back(&e);
        }
        if (e.id >= 0) {
            if (numbered[e.id])
                Fail(listFile, e.line, "id given twice: " + std::to_string(e.id));
            numbered[e.id] = &e;
        }
    }
    for (int i = 0; i < kNumberedCount; ++i)
        if (!numbered[i])
            Fail(listFile, 0, "no name has the id " + std::to_string(i));

    std::ostringstream h;
    h << "// Generated by resgen from game/shell/ResourceNames.txt; edit that list, not this file.\n"
         "// The program-wide resource variables, the bind functions of the resource groups and\n"
         "// the numbered resource ids.\n"
         "#pragma once\n\n"
         "#include <cstddef>\n\n"
         "namespace Quor {\n\n"
         "class Font;\nclass Image;\nclass ResourceManager;\n\n";
    for (const Entry& e : entries)
        h << "extern " << VariableType(e.kind) << " " << e.name << ";\n";
    h << "\n";
    std::set<std::string> declared;
    for (const std::string& g : groups) {
        std::string bind = BindName(g);
        if (!declared.insert(bind).second)
            continue;
        if (bind == "BindGameCountryResources")
            h << "bool " << bind << "(ResourceManager* rm, int country);\n";
        else
            h << "bool " << bind << "(ResourceManager* rm);\n";
    }
    h << "\n// Numbered resources: the ids 0-" << kNumberedCount - 1 << "; RESOURCE_ID_MAX stands for none.\n"
         "enum ResourceId {\n";
    for (int i = 0; i < kNumberedCount; ++i)
        h << "    " << numbered[i]->name << "_ID = " << i << ",\n";
    h << "    RESOURCE_ID_MAX = " << kNumberedCount << "\n};\n\n";
    h << "enum class ResourceKind { Image, Font, Sound };\n\n"
         "// One name of a group's binding list: the variable it fills and, for the animated images\n"
         "// retimed after binding, the time of cel 0.\n"
         "struct ResourceBinding {\n"
         "    const char* name;\n"
         "    ResourceKind kind;\n"
         "    void* variable;\n"
         "    int holdMs;\n"
         "};\n\n"
         "// The binding list of a group by its name (\"Fx\", \"GameCountry3\", ...); null and 0 entries\n"
         "// for a name that is not a group.\n"
         "const ResourceBinding* ResourceGroupBindings(const char* group, std::size_t* count);\n"
         "// The names of every group, in the order of their names, and their count.\n"
         "extern const char* const kResourceGroupNames[];\n"
         "extern const std::size_t kResourceGroupCount;\n"
         "// Every variable of the list (bound or not), in the list's order.\n"
         "extern const ResourceBinding kAllResourceVariables[];\n"
         "extern const std::size_t kAllResourceVariableCount;\n\n"
         "// The numbered resources, indexed by id.\n"
         "extern const ResourceBinding kNumberedResources[RESOURCE_ID_MAX];\n\n"
         "} // namespace Quor\n";

    std::ostringstream s;
    s << "// Generated by resgen from game/shell/ResourceNames.txt; edit that list, not this file.\n"
         "#include \"game/shell/ResourceIds.h\"\n\n"
         "#include <cstring>\n#include <iterator>\n\n"
         "namespace Quor {\n\n";
    for (const Entry& e : entries)
        s << VariableType(e.kind) << " " << e.name << (e.kind == "sound" ? " = 0;\n" : " = nullptr;\n");
    s << "\nnamespace {\n\n";
    auto writeList = [&](const std::string& listName, const std::vector<const Entry*>& list) {
        s << "const ResourceBinding " << listName << "[] = {\n";
        for (const Entry* e : list)
            s << "    {\"" << e->name << "\", " << KindConstant(e->kind) << ", &" << e->name << ", " << e->hold
              << "},\n";
        s << "};\n\n";
    };
    for (const std::string& g : groups)
        writeList("k" + g + "List", byGroup[g]);
    std::vector<const Entry*> all;
    for (const Entry& e : entries)
        all.push_back(&e);
    s << "} // namespace\n\n";
    // The full list has external linkage; written outside the unnamed namespace.
    s << "const ResourceBinding kAllResourceVariables[] = {\n";
    for (const Entry* e : all)
        s << "    {\"" << e->name << "\", " << KindConstant(e->kind) << ", &" << e->name << ", " << e->hold << "},\n";
    s << "};\nconst std::size_t kAllResourceVariableCount = " << all.size() << ";\n\n";

    std::vector<std::string> sortedGroups = groups;
    std::sort(sortedGroups.begin(), sortedGroups.end());
    s << "const char* const kResourceGroupNames[] = {\n";
    for (const std::string& g : sortedGroups)
        s << "    \"" << g << "\",\n";
    s << "};\nconst std::size_t kResourceGroupCount = " << sortedGroups.size() << ";\n\n";

    s << "const ResourceBinding* ResourceGroupBindings(const char* group, std::size_t* count)\n{\n";
    for (const std::string& g : groups)
        s << "    if (std::strcmp(group, \"" << g << "\") == 0) {\n        *count = std::size(k" << g
          << "List);\n        return k" << g << "List;\n    }\n";
    s << "    *count = 0;\n    return nullptr;\n}\n\n";

    s << "bool BindResourceList(ResourceManager* rm, const ResourceBinding* list, std::size_t count);\n\n";
    declared.clear();
    for (const std::string& g : groups) {
        std::string bind = BindName(g);
        if (!declared.insert(bind).second)
            continue;
        if (bind == "BindGameCountryResources") {
            s << "bool " << bind << "(ResourceManager* rm, int country)\n{\n    switch (country) {\n";
            for (const std::string& cg : groups) {
                int c = 0;
                if (IsCountryGroup(cg, c))
                    s << "    case " << c << ":\n        return BindResourceList(rm, k" << cg << "List, std::size(k"
                      << cg << "List));\n";
            }
            s << "    default:\n        return true;\n    }\n}\n\n";
        } else {
            s << "bool " << bind << "(ResourceManager* rm)\n{\n    return BindResourceList(rm, k" << g
              << "List, std::size(k" << g << "List));\n}\n\n";
        }
    }

    s << "const ResourceBinding kNumberedResources[RESOURCE_ID_MAX] = {\n";
    for (int i = 0; i < kNumberedCount; ++i)
        s << "    {\"" << numbered[i]->name << "\", " << KindConstant(numbered[i]->kind) << ", &" << numbered[i]->name
          << ", " << numbered[i]->hold << "},\n";
    s << "};\n\n} // namespace Quor\n";

    WriteFile(argv[2], h.str());
    WriteFile(argv[3], s.str());
    return 0;
}

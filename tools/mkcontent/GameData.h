// The game data of the content folder: the XML files read with the program's own parser, the
// recipes the series table adds to the hand-written ones, and the check of the data's
// cross-references (lint).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace mkcontent {

// One start tag or text run of a game-data file, as the program's XML parser reads it.
struct XmlItem {
    int line = 0;
    bool isText = false;
    std::string section;  // the enclosing tags joined by '/'
    std::string value;    // the tag name, or the text
    std::map<std::string, std::string> attributes;

    // The attribute's text, or nullptr when it is absent.
    const std::string* Find(const std::string& name) const;
    // The attribute read as the program reads numbers (absent or malformed: 0).
    int Int(const std::string& name) const;
};

struct XmlFile {
    std::string name;         // "properties/X.xml"
    bool opened = false;
    std::string error;        // the parser's error; empty when the file was read to its end
    int errorLine = 0;
    std::vector<XmlItem> items;
};

// Reads path with the program's parser; name is what messages call the file.
XmlFile ReadXmlFile(const std::string& path, const std::string& name);

// A recipe as DataBluePrint.xml holds it.
struct Recipe {
    int id = 0;
    std::string name;
    std::string img;
    int country = 0;
    std::vector<std::pair<int, int>> materials;  // material Id, quantity
    std::vector<std::pair<int, int>> glazes;     // glaze Id, glaze stage (IsColor)
};

// Recipes 6-80 from CONTENT_DIR/series.tsv: series s makes five recipes in country s mod 8
// from the body materials (1-21) that country's supplier sells (properties/DataCountryMap.xml).
// Throws ContentError naming the row or file at fault.
std::vector<Recipe> SeriesRecipes(const std::string& contentDir);

// The hand-written DataBluePrint.xml with the recipes added before its closing tag.
std::string MergeRecipes(const std::string& handWritten, const std::vector<Recipe>& recipes);

// Every rule the game data of CONTENT_DIR/properties breaks, one message each:
// "properties/X.xml:LINE: [rule] what is wrong". namesFile is the resource-name list (numbered
// picture names). Empty when the data is sound.
std::vector<std::string> LintGameData(const std::string& contentDir, const std::string& namesFile);

} // namespace mkcontent

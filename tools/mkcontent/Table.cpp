// Reading the tab-separated content tables.
#include "tools/mkcontent/Table.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace mkcontent {

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> cells;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return cells;
}

} // namespace

Table Table::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ContentError(path + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(path, text.str());
}

Table Table::Parse(const std::string& name, const std::string& text) {
    Table table;
    table.mName = name;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> cells = SplitTabs(line);
        if (table.mColumns.empty()) {
            table.mColumns = cells;
            continue;
        }
        Row row{number, cells};
        if (cells.size() != table.mColumns.size())
            table.Fail(row, "has " + std::to_string(cells.size()) + " cells, the header names " +
                                std::to_string(table.mColumns.size()) + " columns");
        for (size_t i = 0; i < cells.size(); ++i)
            if (cells[i].empty()) table.Fail(row, "column " + table.mColumns[i] + " is empty (write - for none)");
        table.mRows.push_back(std::move(row));
    }
    if (table.mColumns.empty()) throw ContentError(name + ": no header line");
    return table;
}

size_t Table::Column(const std::string& name) const {
    for (size_t i = 0; i < mColumns.size(); ++i)
        if (mColumns[i] == name) return i;
    throw ContentError(mName + ": no column named " + name);
}

const std::string& Table::Cell(const Row& row, const std::string& column) const {
    return row.cells[Column(column)];
}

int Table::Int(const Row& row, const std::string& column, int fallback) const {
    const std::string& text = Cell(row, column);
    if (text == "-") return fallback;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || errno != 0 || value < -1000000000L || value > 1000000000L)
        Fail(row, "column " + column + " is not a whole number: " + text);
    return static_cast<int>(value);
}

double Table::Number(const Row& row, const std::string& column, double fallback) const {
    const std::string& text = Cell(row, column);
    if (text == "-") return fallback;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') Fail(row, "column " + column + " is not a number: " + text);
    return value;
}

std::string Table::Where(const Row& row) const {
    return mName + ":" + std::to_string(row.line) + " (" + row.cells[0] + ")";
}

void Table::Fail(const Row& row, const std::string& message) const {
    throw ContentError(Where(row) + ": " + message);
}

} // namespace mkcontent

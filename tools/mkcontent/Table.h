// The hand-edited tables of the content folder: tab-separated text, '#' lines are comments, the
// first other line names the columns. Every error names the file, the line and the row.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace mkcontent {

// A fault in the content tables or in what was made from them.
class ContentError : public std::runtime_error {
public:
    explicit ContentError(const std::string& what) : std::runtime_error(what) {}
};

class Table {
public:
    struct Row {
        int line = 0;                    // 1-based line in the file
        std::vector<std::string> cells;  // as many as the header has columns
    };

    // Reads a table; throws ContentError when the file cannot be read, has no header, or a row
    // has a different number of cells than the header.
    static Table Load(const std::string& path);
    // The same from text already read (the name is used in messages).
    static Table Parse(const std::string& name, const std::string& text);

    const std::string& Name() const { return mName; }
    const std::vector<std::string>& Columns() const { return mColumns; }
    const std::vector<Row>& Rows() const { return mRows; }

    // The index of a column; throws when the table has none of that name.
    size_t Column(const std::string& name) const;
    const std::string& Cell(const Row& row, const std::string& column) const;
    // A cell as a whole number or a number with a fraction; "-" gives the fallback. Anything
    // else that is not a number throws, naming the row.
    int Int(const Row& row, const std::string& column, int fallback) const;
    double Number(const Row& row, const std::string& column, double fallback) const;

    // "file:line (first cell): message", for messages about a row.
    std::string Where(const Row& row) const;
    [[noreturn]] void Fail(const Row& row, const std::string& message) const;

private:
    std::string mName;
    std::vector<std::string> mColumns;
    std::vector<Row> mRows;
};

} // namespace mkcontent

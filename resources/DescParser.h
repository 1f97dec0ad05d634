// The descriptor language: a file of ';'-separated commands, each a list of words and nested
// lists, handed one by one to a subclass; with named values (defines) and value conversions.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace Quor {

// A value of the language: one word or a list of values.
class DataElement {
public:
    bool mIsList = false;

    DataElement() = default;
    virtual ~DataElement() = default;
    // A deep copy, owned by the caller.
    virtual DataElement* Duplicate() const = 0;

protected:
    DataElement(const DataElement&) = default;
    DataElement& operator=(const DataElement&) = default;
};

class SingleDataElement : public DataElement {
public:
    std::string mString;  // the word as read (quotes included when it was quoted)

    SingleDataElement() = default;
    explicit SingleDataElement(const std::string& text) : mString(text) {}
    DataElement* Duplicate() const override;
};

class ListDataElement : public DataElement {
public:
    std::vector<DataElement*> mElementVector;  // owned, in the order read

    ListDataElement();
    ListDataElement(const ListDataElement& other);
    ListDataElement& operator=(const ListDataElement& other);
    ~ListDataElement() override;
    DataElement* Duplicate() const override;
};

using DataElementMap = std::map<std::string, DataElement*>;
using StringVector = std::vector<std::string>;
using IntVector = std::vector<int>;
using DoubleVector = std::vector<double>;

class DescParser {
public:
    enum { CMDSEP_SEMICOLON = 1 };
    // Lists may nest this deep; deeper nesting is an error, not unbounded recursion.
    static constexpr int MAX_LIST_DEPTH = 64;

    int mCmdSep = CMDSEP_SEMICOLON;
    std::string mError;
    int mCurrentLineNum = 0;      // line on which the command being handled began
    std::string mCurrentLine;     // the command being assembled or handled
    DataElementMap mDefineMap;    // upper-case names to owned values

    DescParser() = default;
    DescParser(const DescParser&) = delete;
    DescParser& operator=(const DescParser&) = delete;

    // Stores the text and returns false; subclasses say where the failure happened.
    virtual bool Error(const std::string& text);
    virtual DataElement* GetDefine(const std::string& name);
    virtual bool HandleCommand(const ListDataElement& params) = 0;
    virtual ~DescParser();

    bool LoadDescriptor(const std::string& fileName);
    bool ParseDescriptorLine(const std::string& text);
    // Splits text into words and lists from *stringPos (0 when null), which is advanced.
    bool ParseToList(const std::string& text, ListDataElement* list, bool expectListEnd, int* stringPos);

    bool IsImmediate(const std::string& word);
    std::string Unquote(const std::string& word);
    bool DereferenceList(const ListDataElement* src, ListDataElement* dest);

    std::string DataElementToString(const DataElement* element);
    bool DataToString(const DataElement* source, std::string* out);
    bool DataToStringVector(const DataElement* source, StringVector* out);
    bool DataToList(const DataElement* source, ListDataElement* out);
    bool DataToIntVector(const DataElement* source, IntVector* out);
    bool DataToDoubleVector(const DataElement* source, DoubleVector* out);

private:
    int mListDepth = 0;
};

} // namespace Quor

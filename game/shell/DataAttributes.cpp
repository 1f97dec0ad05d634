#include "game/shell/DataAttributes.h"

#include "app/Common.h"
#include "resources/XMLParser.h"

namespace Quor {

namespace {
const std::string kEmpty;
} // namespace

const std::string& Attr(const XMLElement& e, const char* name)
{
    auto it = e.mAttributes.find(name);
    return it == e.mAttributes.end() ? kEmpty : it->second;
}

// The parsers set the value to 0 when they refuse the text.
int32_t IntAttr(const XMLElement& e, const char* name)
{
    int value = 0;
    StringToInt(Attr(e, name), &value);
    return value;
}

double DoubleAttr(const XMLElement& e, const char* name)
{
    double value = 0.0;
    StringToDouble(Attr(e, name), &value);
    return value;
}

bool BoolAttr(const XMLElement& e, const char* name)
{
    return StringToLower(Attr(e, name)) != "false";
}

std::string SyntaxErrorLine(const std::string& fileName, const XMLParser& parser)
{
    return "Syntax error in " + fileName + " on line " + std::to_string(parser.GetCurrentLineNum()) + ": " +
           parser.GetErrorText() + ". The rest of the file was not read.";
}

} // namespace Quor

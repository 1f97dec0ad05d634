// Attribute readers shared by the readers of the game's XML files: an absent attribute reads as
// empty text, a malformed or absent number as 0; and the log line of a syntax error.
#pragma once

#include <cstdint>
#include <string>

namespace Quor {

class XMLElement;
class XMLParser;

const std::string& Attr(const XMLElement& e, const char* name);
int32_t IntAttr(const XMLElement& e, const char* name);
double DoubleAttr(const XMLElement& e, const char* name);
// False only for "false" in any case; absent, "0" and "no" are all true.
bool BoolAttr(const XMLElement& e, const char* name);

// "Syntax error in FILE on line N: TEXT. The rest of the file was not read."
std::string SyntaxErrorLine(const std::string& fileName, const XMLParser& parser);

} // namespace Quor

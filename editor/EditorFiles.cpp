#include "editor/EditorFiles.h"

namespace Quor {

std::string EscapeXmlText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

namespace {

// One attribute line of a record: its literal start, the value in quotes and the line end.
void Line(std::string& out, const char* start, const std::string& value)
{
    out += start;
    out += '"';
    out += value;
    out += "\"\n";
}

} // namespace

std::string DataSourceBytes(const std::map<int32_t, SourceRecord>& materials)
{
    std::string out = "<?xml version=\"1.0\"?>\n<DataSource>\n";
    for (const auto& [id, m] : materials) {
        out += "\t<Source\n";
        Line(out, "\t\tId = ", std::to_string(m.Id));
        Line(out, "\t\tName = ", EscapeXmlText(m.Name));
        Line(out, "\t\tImg = ", EscapeXmlText(m.Img));
        Line(out, "\t\tPrice = ", std::to_string(m.Price));
        out += "\t/>\n";
    }
    out += "</DataSource>\n";
    return out;
}

void PruneColorSources(std::map<int32_t, BlueprintRecord>& blueprints)
{
    for (auto& record : blueprints) {
        BlueprintRecord& bp = record.second;  // a named reference: lambdas cannot take bindings in clang 14
        std::erase_if(bp.colorSources, [&bp](const auto& entry) { return !bp.materialQty.count(entry.first); });
    }
}

std::string DataBluePrintBytes(const std::map<int32_t, BlueprintRecord>& blueprints)
{
    std::string out = "<?xml version=\"1.0\"?>\n\n<DataBluePrint>\n\n";
    for (const auto& [id, bp] : blueprints) {
        const std::string bpId = std::to_string(bp.Id);
        out += "\t<BluePrint\n";
        Line(out, "\t\tId\t\t\t= ", bpId);
        Line(out, "\t\tName\t\t= ", EscapeXmlText(bp.Name));
        Line(out, "\t\tImg\t\t\t= ", EscapeXmlText(bp.Img));
        Line(out, "\t\tCountryId\t= ", std::to_string(bp.CountryId));
        out += "\t/>\n";
        for (const auto& [material, qty] : bp.materialQty)
            out += "\t<Source\tBpId = \"" + bpId + "\"\tId = \"" + std::to_string(material) + "\"\t\tQty = \"" +
                   std::to_string(qty) + "\"\t/>\n";
        for (const auto& [material, isColor] : bp.colorSources)
            out += "\t<ColorSrc\tBpId = \"" + bpId + "\"\tId = \"" + std::to_string(material) +
                   "\"\t\tIsColor = \"" + std::to_string(isColor) + "\"\t/>\n";
        out += "\n";
    }
    out += "</DataBluePrint>\n";
    return out;
}

bool ParseFieldInt(const std::string& text, int32_t* value)
{
    *value = 0;
    size_t i = 0;
    bool negative = false;
    unsigned radix = 10;
    if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        radix = 16;
        i = 2;
    } else if (!text.empty() && text[0] == '-') {
        negative = true;
        i = 1;
    }
    if (i == text.size())
        return false;
    // The magnitude may reach 2^31 for a negative decimal, 2^31 - 1 otherwise.
    const int64_t limit = negative ? int64_t(1) << 31 : (int64_t(1) << 31) - 1;
    int64_t result = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (radix == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (radix == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return false;
        result = result * radix + digit;
        if (result > limit)
            return false;
    }
    *value = static_cast<int32_t>(negative ? -result : result);
    return true;
}

std::string BaseNameProblem(const std::string& baseName, std::size_t maxChars)
{
    if (baseName.empty())
        return "the file name is empty";
    if (baseName.size() > maxChars)
        return "the file name has more than " + std::to_string(maxChars) + " characters";
    for (char c : baseName) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                             c == '_' || c == '-';
        if (!allowed)
            return "the file name may hold only letters, digits, '_' and '-'";
    }
    return "";
}

} // namespace Quor

// The XML pull parser: byte, UTF-8 and UTF-16 readers chosen by the byte-order mark, and the
// character-by-character item scanner.
#include "resources/XMLParser.h"

#include <cstdio>

#include "app/Common.h"
#include "resources/PakInterface.h"

namespace Quor {

namespace {

constexpr size_t READ_CHUNK = 16384;

// White space is judged on the low 8 bits, the part of a character that narrow text keeps.
bool IsXMLSpace(int c) {
    c &= 0xFF;
    return (c >= 9 && c <= 13) || c == 32;
}
char Narrow(int c) { return static_cast<char>(c & 0xFF); }

// Entity decoding, skipped for the common text without any '&'.
std::wstring Decoded(const std::wstring& text) {
    return text.find(L'&') == std::wstring::npos ? text : XMLDecodeWString(text);
}

} // namespace

XMLParser::XMLParser() = default;

XMLParser::~XMLParser() { CloseFile(); }

void XMLParser::CloseFile() {
    if (mFile) PakFClose(mFile);
    mFile = nullptr;
    mReadPos = mReadEnd = 0;
    mBufferedText.clear();
    mPendingUnit = -1;
}

void XMLParser::SetEncodingType(XMLEncoding encoding) {
    mEncoding = encoding;
    mForcedEncoding = true;
}

bool XMLParser::OpenFile(const std::string& fileName) {
    CloseFile();
    mFile = PakFOpen(fileName.c_str(), "r");
    if (!mFile) {
        mLineNum = 0;
        Fail("Unable to open file " + fileName);
        return false;
    }
    if (!mForcedEncoding) {
        PakFSeek(mFile, 0, SEEK_END);
        long size = PakFTell(mFile);
        PakFSeek(mFile, 0, SEEK_SET);
        mEncoding = XMLEncoding::SingleByte;
        uint8_t bom[3] = {0, 0, 0};
        if (size >= 2) {
            size_t got = PakFRead(bom, 1, 2, mFile);
            if (got == 2 && ((bom[0] == 0xFF && bom[1] == 0xFE) || (bom[0] == 0xFE && bom[1] == 0xFF)))
                mEncoding = XMLEncoding::UTF16;
            PakFSeek(mFile, 0, SEEK_SET);
        }
        if (mEncoding == XMLEncoding::SingleByte && size >= 3) {
            size_t got = PakFRead(bom, 1, 3, mFile);
            if (got == 3 && bom[0] == 0xEF && bom[1] == 0xBB && bom[2] == 0xBF) mEncoding = XMLEncoding::UTF8;
            PakFSeek(mFile, 0, SEEK_SET);
        }
    }
    mFileName = fileName;
    Init();
    return true;
}

void XMLParser::Fail(const std::string& message) {
    mHasFailed = true;
    mErrorText = message;
}

void XMLParser::Init() {
    mSection.clear();
    mLineNum = 1;
    mHasFailed = false;
    mErrorText.clear();
    mFirstChar = true;
    mByteSwap = false;
}

bool XMLParser::AddAttribute(XMLElement* element, const std::string& name, const std::string& value) {
    auto [it, isNew] = element->mAttributes.insert_or_assign(name, value);
    (void)it;
    if (name != "/") element->mAttributeKeys.push_back(name);
    return isNew;
}

// The file is read in chunks; the parser is the only reader of its handle.
inline int XMLParser::ReadByte() {
    if (mReadPos < mReadEnd) return mReadBuf[mReadPos++];
    return Refill();
}

int XMLParser::Refill() {
    if (!mFile) return END_OF_INPUT;
    if (mReadBuf.size() < READ_CHUNK) mReadBuf.resize(READ_CHUNK);
    mReadEnd = PakFRead(mReadBuf.data(), 1, READ_CHUNK, mFile);
    mReadPos = 0;
    if (mReadEnd == 0) return END_OF_INPUT;
    return mReadBuf[mReadPos++];
}

int XMLParser::ReadSingleByte() { return ReadByte(); }

int XMLParser::ReadUTF8() {
    for (;;) {
        int lead = ReadByte();
        if (lead < 0) return END_OF_INPUT;
        int value;
        if (lead < 0x80) {
            value = lead;
        } else {
            if ((lead & 0xC0) != 0xC0) return ILLEGAL;
            int extra;
            if ((lead & 0xE0) == 0xC0) extra = 1;
            else if ((lead & 0xF0) == 0xE0) extra = 2;
            else if ((lead & 0xF8) == 0xF0) extra = 3;
            else if ((lead & 0xFC) == 0xF8) extra = 4;
            else return ILLEGAL;
            value = lead & (0x3F >> extra);
            int firstCont = 0;
            for (int i = 0; i < extra; ++i) {
                int cont = ReadByte();
                if (cont < 0) return END_OF_INPUT;
                if ((cont & 0xC0) != 0x80) return ILLEGAL;
                if (i == 0) firstCont = cont;
                value = (value << 6) | (cont & 0x3F);
            }
            bool overlong = false;
            switch (extra) {
            case 1: overlong = (lead & 0x3E) == 0; break;
            case 2: overlong = (lead & 0x1F) == 0 && (firstCont & 0x20) == 0; break;
            case 3: overlong = (lead & 0x0F) == 0 && (firstCont & 0x30) == 0; break;
            case 4: overlong = (lead & 0x07) == 0 && (firstCont & 0x38) == 0; break;
            }
            if (overlong) return ILLEGAL;
            if ((value >= 0xD800 && value <= 0xDFFF) || value == 0xFFFE || value == 0xFFFF) return ILLEGAL;
        }
        bool first = mFirstChar;
        mFirstChar = false;
        if (first && value == 0xFEFF) continue;
        return value & 0xFFFF;
    }
}

int XMLParser::ReadUTF16() {
    auto readUnit = [this]() -> int {
        int a = ReadByte();
        if (a < 0) return END_OF_INPUT;
        int b = ReadByte();
        if (b < 0) return END_OF_INPUT;
        int unit = a | (b << 8);
        if (mFirstChar) {
            mFirstChar = false;
            if (unit == 0xFEFF) return -3;
            if (unit == 0xFFFE) {
                mByteSwap = true;
                return -3;
            }
        }
        if (mByteSwap) unit = ((unit & 0xFF) << 8) | (unit >> 8);
        return unit;
    };
    int unit;
    if (mPendingUnit >= 0) {
        unit = mPendingUnit;
        mPendingUnit = -1;
    } else {
        do unit = readUnit();
        while (unit == -3);
        if (unit < 0) return END_OF_INPUT;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) return '?';  // a low surrogate on its own
    if (unit < 0xD800 || unit > 0xDBFF) return unit;
    int low = readUnit();
    if (low < 0) return '?';  // the pair breaks off at the end of the file
    if (low < 0xDC00 || low > 0xDFFF) {
        mPendingUnit = low;  // not a pair: the unit after it stands on its own
        return '?';
    }
    // Characters are 16 bits wide: the low 16 bits of the code point remain.
    int codePoint = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    return codePoint & 0xFFFF;
}

int XMLParser::NextChar() {
    if (!mBufferedText.empty()) {
        int c = mBufferedText.back();
        mBufferedText.pop_back();
        return c;
    }
    switch (mEncoding) {
    case XMLEncoding::SingleByte: return ReadSingleByte();
    case XMLEncoding::UTF8: return ReadUTF8();
    case XMLEncoding::UTF16: return ReadUTF16();
    }
    return END_OF_INPUT;
}

bool XMLParser::AddPendingAttribute(XMLElement* element, std::wstring& name, std::wstring& value,
                                    bool atTagClose) {
    bool emptyTag = false;
    if (!name.empty()) {
        std::string narrowName = WStringToString(Decoded(name));
        if (atTagClose && !value.empty() && value.back() == L'/') {
            // <tag name=value/> : the '/' closes the tag, it is not part of the value.
            value.pop_back();
            emptyTag = true;
        }
        AddAttribute(element, narrowName, WStringToString(Decoded(value)));
    }
    name.clear();
    value.clear();
    return emptyTag;
}

bool XMLParser::NextElement(XMLElement* element) {
    for (;;) {
        element->mType = XMLElement::TYPE_NONE;
        element->mSection = mSection;
        element->mValue.clear();
        element->mInstruction.clear();
        element->mAttributes.clear();
        element->mAttributeKeys.clear();

        bool quoted = false;
        bool spacePending = false;
        bool inAttributes = false;
        bool afterEquals = false;
        bool quoteClosed = false;
        std::wstring attrName;
        std::wstring attrValue;
        std::string& value = element->mValue;
        std::string& instruction = element->mInstruction;

        bool complete = false;
        while (!complete) {
            int c = NextChar();
            if (c < 0) {
                if (c == ILLEGAL) Fail("Illegal Character");
                if (element->mType != XMLElement::TYPE_NONE) Fail("Unexpected End of File");
                return false;
            }
            if (c == 10) ++mLineNum;
            int type = element->mType;

            if (type == XMLElement::TYPE_COMMENT) {
                instruction += Narrow(c);
                size_t n = instruction.size();
                if (c == '>' && n >= 3 && instruction[n - 2] == '-' && instruction[n - 3] == '-') {
                    instruction.resize(n - 3);
                    complete = true;
                }
                continue;
            }
            if (type == XMLElement::TYPE_INSTRUCTION) {
                std::string& target = (instruction.empty() && !IsXMLSpace(c)) ? value : instruction;
                target += Narrow(c);
                size_t n = target.size();
                if (c == '>' && n >= 2 && target[n - 2] == '?') {
                    target.resize(n - 2);
                    complete = true;
                }
                continue;
            }

            bool ordinary = false;
            if (c == '"') {
                quoted = !quoted;
                if (!quoted) quoteClosed = true;
                if (type != XMLElement::TYPE_TEXT && type != XMLElement::TYPE_NONE) continue;
                ordinary = true;
            } else if (quoted) {
                ordinary = true;
            } else if (c == '<') {
                if (type == XMLElement::TYPE_TEXT) {
                    mBufferedText.push_back('<');
                    complete = true;
                } else if (type == XMLElement::TYPE_NONE) {
                    element->mType = XMLElement::TYPE_START;
                } else {
                    Fail("Unexpected '<'");
                    return false;
                }
                continue;
            } else if (c == '>') {
                if (type == XMLElement::TYPE_END) {
                    size_t slash = mSection.rfind('/');
                    std::string last = slash == std::string::npos ? mSection : mSection.substr(slash + 1);
                    if (mSection.empty()) {
                        Fail("Unexpected End");
                        return false;
                    }
                    if (last != value) {
                        Fail("End '" + value + "' Doesn't Match Start '" + last + "'");
                        return false;
                    }
                    mSection.resize(slash == std::string::npos ? 0 : slash);
                    complete = true;
                } else if (type == XMLElement::TYPE_START) {
                    bool emptyTag = false;
                    if (attrName == L"/") {
                        emptyTag = true;
                    } else if (!attrName.empty()) {
                        emptyTag = AddPendingAttribute(element, attrName, attrValue, true);
                    } else if (!value.empty() && value.back() == '/') {
                        value.pop_back();
                        emptyTag = true;
                    }
                    if (emptyTag) {
                        std::string endTag = "</" + value + ">";
                        for (auto it = endTag.rbegin(); it != endTag.rend(); ++it)
                            mBufferedText.push_back(static_cast<uint8_t>(*it));
                        attrName.clear();
                    }
                    mSection = mSection.empty() ? value : mSection + "/" + value;
                    complete = true;
                } else {
                    Fail("Unexpected '>'");
                    return false;
                }
                continue;
            } else if (c == '/' && type == XMLElement::TYPE_START && value.empty()) {
                element->mType = XMLElement::TYPE_END;
                continue;
            } else if (c == '?' && type == XMLElement::TYPE_START && value.empty()) {
                element->mType = XMLElement::TYPE_INSTRUCTION;
                continue;
            } else if (IsXMLSpace(c)) {
                if (!value.empty()) spacePending = true;
                if (type == XMLElement::TYPE_START && value == "!--") element->mType = XMLElement::TYPE_COMMENT;
                continue;
            } else if (c <= 32) {
                Fail("Illegal Character");
                return false;
            } else {
                ordinary = true;
            }

            if (!ordinary) continue;
            if (element->mType == XMLElement::TYPE_NONE) element->mType = XMLElement::TYPE_TEXT;
            if (element->mType == XMLElement::TYPE_START && (inAttributes || spacePending)) {
                if (!inAttributes) {
                    inAttributes = true;
                } else if (spacePending) {
                    if (!afterEquals) {
                        if (c != '=') AddPendingAttribute(element, attrName, attrValue);
                    } else if (!attrValue.empty() || quoteClosed) {
                        AddPendingAttribute(element, attrName, attrValue);
                        afterEquals = false;
                    }
                }
                spacePending = false;
                if (c == '=' && !quoted) {
                    afterEquals = true;
                    quoteClosed = false;
                } else if (afterEquals) {
                    attrValue += static_cast<wchar_t>(c);
                } else {
                    attrName += static_cast<wchar_t>(c);
                }
            } else {
                if (spacePending) {
                    value += ' ';
                    spacePending = false;
                }
                value += Narrow(c);
            }
        }

        if (!attrName.empty()) AddPendingAttribute(element, attrName, attrValue);
        if (element->mValue.find('&') != std::string::npos) element->mValue = XMLDecodeString(element->mValue);
        if (element->mType == XMLElement::TYPE_COMMENT && !mAllowComments) continue;
        return true;
    }
}

} // namespace Quor

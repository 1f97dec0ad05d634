// A small pull parser for the program's XML files: it reads one file through the archive-aware
// file functions and hands out start tags, end tags, text, instructions and comments one by one.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Quor {

struct PakFile;

class XMLElement {
public:
    enum {
        TYPE_NONE = 0,
        TYPE_START = 1,
        TYPE_END = 2,
        TYPE_TEXT = 3,
        TYPE_INSTRUCTION = 4,
        TYPE_COMMENT = 5,
    };

    int mType = TYPE_NONE;
    std::string mSection;      // the open tags before this item, joined by "/"
    std::string mValue;        // tag name, text, instruction name, or "!--" for a comment
    std::string mInstruction;  // the rest of an instruction, or a comment's body
    std::map<std::string, std::string> mAttributes;
    std::vector<std::string> mAttributeKeys;  // in the order read
};

enum class XMLEncoding { SingleByte, UTF8, UTF16 };

class XMLParser {
public:
    XMLParser();
    virtual ~XMLParser();
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    // Opens a file (closing one still open); the encoding follows its byte-order mark.
    bool OpenFile(const std::string& fileName);
    // Reads the next item; false at the end of the input or on a failure (see HasFailed).
    bool NextElement(XMLElement* element);

    bool HasFailed() const { return mHasFailed; }
    std::string GetErrorText() const { return mErrorText; }
    int GetCurrentLineNum() const { return mLineNum; }
    std::string GetFileName() const { return mFileName; }

    // Reads every file with the given reader instead of looking for a byte-order mark.
    void SetEncodingType(XMLEncoding encoding);

    // Comments are dropped unless this is set; then they are items of their own.
    bool mAllowComments = false;

protected:
    void Fail(const std::string& message);
    void Init();
    bool AddAttribute(XMLElement* element, const std::string& name, const std::string& value);

private:
    static constexpr int END_OF_INPUT = -1;
    static constexpr int ILLEGAL = -2;

    int NextChar();
    int ReadByte();
    int Refill();
    int ReadSingleByte();
    int ReadUTF8();
    int ReadUTF16();
    void CloseFile();
    // Adds the attribute being read and empties it. Only at the '>' closing a start tag does a
    // trailing '/' of the value close the tag rather than belong to the value; then true.
    bool AddPendingAttribute(XMLElement* element, std::wstring& name, std::wstring& value,
                             bool atTagClose = false);

    std::string mFileName;
    std::string mErrorText;
    int mLineNum = 0;
    PakFile* mFile = nullptr;
    bool mHasFailed = false;
    std::vector<uint16_t> mBufferedText;  // pushed back; the last is read first
    std::string mSection;
    XMLEncoding mEncoding = XMLEncoding::UTF8;
    bool mForcedEncoding = false;
    bool mFirstChar = false;  // at the start of the file: a byte-order mark may come
    bool mByteSwap = false;   // UTF-16 big-endian
    int mPendingUnit = -1;    // a UTF-16 unit read ahead that is not part of a surrogate pair

    // Bytes read from the file ahead of the decoder.
    std::vector<uint8_t> mReadBuf;
    size_t mReadPos = 0;
    size_t mReadEnd = 0;
};

} // namespace Quor

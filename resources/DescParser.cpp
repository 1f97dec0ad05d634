// Reading descriptor files: the command splitter, the tokeniser, defines and conversions.
#include "resources/DescParser.h"

#include "app/Common.h"
#include "resources/PakInterface.h"

namespace Quor {

DataElement* SingleDataElement::Duplicate() const { return new SingleDataElement(*this); }

ListDataElement::ListDataElement() { mIsList = true; }

ListDataElement::ListDataElement(const ListDataElement& other) : DataElement(other) {
    mIsList = true;
    for (const DataElement* e : other.mElementVector) mElementVector.push_back(e->Duplicate());
}

ListDataElement& ListDataElement::operator=(const ListDataElement& other) {
    if (this == &other) return *this;
    for (DataElement* e : mElementVector) delete e;
    mElementVector.clear();
    for (const DataElement* e : other.mElementVector) mElementVector.push_back(e->Duplicate());
    return *this;
}

ListDataElement::~ListDataElement() {
    for (DataElement* e : mElementVector) delete e;
}

DataElement* ListDataElement::Duplicate() const { return new ListDataElement(*this); }

DescParser::~DescParser() {
    for (auto& [name, value] : mDefineMap) delete value;
}

bool DescParser::Error(const std::string& text) {
    mError = text;
    return false;
}

DataElement* DescParser::GetDefine(const std::string& name) {
    auto it = mDefineMap.find(StringToUpper(name));
    return it == mDefineMap.end() ? nullptr : it->second;
}

bool DescParser::IsImmediate(const std::string& word) {
    if (word.empty()) return false;
    char c = word[0];
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '\'' || c == '"';
}

std::string DescParser::Unquote(const std::string& word) {
    if (word.empty() || (word[0] != '\'' && word[0] != '"')) return word;
    const char q = word[0];
    std::string result;
    bool lastWasQuote = false;
    for (char c : word) {
        if (c != q) {
            result += c;
            lastWasQuote = false;
        } else {
            if (lastWasQuote) result += q;
            lastWasQuote = true;
        }
    }
    return result;
}

bool DescParser::ParseToList(const std::string& text, ListDataElement* list, bool expectListEnd, int* stringPos) {
    size_t pos = stringPos ? static_cast<size_t>(*stringPos) : 0;
    SingleDataElement* word = nullptr;  // the word in progress, owned by the list
    bool inSingle = false;
    bool inDouble = false;
    bool escape = false;
    auto append = [&](char c) {
        if (!word) {
            word = new SingleDataElement();
            list->mElementVector.push_back(word);
        }
        word->mString += c;
    };
    auto storePos = [&]() {
        if (stringPos) *stringPos = static_cast<int>(pos);
    };

    while (pos < text.size()) {
        char c = text[pos++];
        if (escape) {
            escape = false;
            append(c);
            continue;
        }
        if (c == '\\') {
            escape = true;
            continue;
        }
        if (c == '\'' && !inDouble) {
            inSingle = !inSingle;
            append(c);
            continue;
        }
        if (c == '"' && !inSingle) {
            inDouble = !inDouble;
            append(c);
            continue;
        }
        if (inSingle || inDouble) {
            append(c);
            continue;
        }
        if (c == ')') {
            storePos();
            if (expectListEnd) return true;
            return Error("Unexpected List End");
        }
        if (c == '(') {
            if (word) {
                storePos();
                return Error("Unexpected List Start");
            }
            if (mListDepth >= MAX_LIST_DEPTH) {
                storePos();
                return Error("List Nesting Too Deep");
            }
            ListDataElement* sub = new ListDataElement();
            int subPos = static_cast<int>(pos);
            ++mListDepth;
            bool ok = ParseToList(text, sub, true, &subPos);
            --mListDepth;
            pos = static_cast<size_t>(subPos);
            if (!ok) {
                delete sub;
                storePos();
                return false;
            }
            list->mElementVector.push_back(sub);
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == ',') {
            word = nullptr;
            continue;
        }
        append(c);
    }
    storePos();
    if (inSingle) return Error("Unterminated Single Quotes");
    if (inDouble) return Error("Unterminated Double Quotes");
    if (expectListEnd) return Error("Unterminated List");
    return true;
}

bool DescParser::ParseDescriptorLine(const std::string& text) {
    ListDataElement params;
    if (!ParseToList(text, &params, false, nullptr)) return false;
    if (params.mElementVector.empty()) return true;
    if (params.mElementVector[0]->mIsList) return Error("Missing Command");
    return HandleCommand(params);
}

bool DescParser::LoadDescriptor(const std::string& fileName) {
    mCurrentLineNum = 0;
    mError.clear();
    PakFile* file = PakFOpen(fileName.c_str(), "r");
    if (!file) return false;

    bool atLineStart = true, inComment = false, inSingle = false, inDouble = false, escapePending = false;
    int lineCounter = 0;
    bool failed = false;
    mCurrentLine.clear();

    auto append = [&](char c) {
        if (mCurrentLine.empty()) mCurrentLineNum = lineCounter + 1;
        mCurrentLine += c;
    };
    auto appendHeld = [&]() {
        if (escapePending) append('\\');
        escapePending = false;
    };
    auto endCommand = [&]() {
        if (!mCurrentLine.empty()) {
            if (!ParseDescriptorLine(mCurrentLine)) {
                failed = true;
                return;
            }
            mCurrentLine.clear();
        }
        atLineStart = true;
        inComment = inSingle = inDouble = escapePending = false;
    };

    for (;;) {
        int c = PakFGetC(file);
        if (c < 0) break;
        if (c == '\r') continue;
        if (c == '\n') ++lineCounter;
        if (atLineStart) {
            if (c == ' ' || c == '\t' || c == '\n') continue;
            atLineStart = false;
            if (c == '#') inComment = true;
        }
        if (c == '\n') {
            atLineStart = true;
            if (inComment) {
                inComment = false;
                continue;
            }
            appendHeld();
            append('\n');
            continue;
        }
        if (inComment) continue;
        const bool quoted = inSingle || inDouble;
        if (c == '\\') {
            if (!quoted) {
                append('\\');
            } else if (!escapePending) {
                escapePending = true;
            } else {
                append('\\');
                append('\\');
                escapePending = false;
            }
            continue;
        }
        if ((c == '\'' && !inDouble) || (c == '"' && !inSingle)) {
            if (escapePending) {
                appendHeld();
            } else if (c == '\'') {
                inSingle = !inSingle;
            } else {
                inDouble = !inDouble;
            }
            append(static_cast<char>(c));
            continue;
        }
        if (c == ';' && !quoted && (mCmdSep & CMDSEP_SEMICOLON)) {
            endCommand();
            if (failed) break;
            continue;
        }
        appendHeld();
        append(static_cast<char>(c));
    }
    if (!failed) endCommand();

    mCurrentLine.clear();
    mCurrentLineNum = 0;
    PakFClose(file);
    return !failed;
}

bool DescParser::DereferenceList(const ListDataElement* src, ListDataElement* dest) {
    for (const DataElement* e : src->mElementVector) {
        if (e->mIsList) {
            ListDataElement* sub = new ListDataElement();
            dest->mElementVector.push_back(sub);
            if (!DereferenceList(static_cast<const ListDataElement*>(e), sub)) return false;
            continue;
        }
        const std::string& word = static_cast<const SingleDataElement*>(e)->mString;
        if (!word.empty() && (word[0] == '\'' || word[0] == '"')) {
            dest->mElementVector.push_back(new SingleDataElement(Unquote(word)));
        } else if (IsImmediate(word)) {
            dest->mElementVector.push_back(e->Duplicate());
        } else {
            DataElement* define = GetDefine(word);
            if (!define) return Error("Unable to Dereference \"" + word + "\"");
            dest->mElementVector.push_back(define->Duplicate());
        }
    }
    return true;
}

std::string DescParser::DataElementToString(const DataElement* element) {
    if (!element->mIsList) return static_cast<const SingleDataElement*>(element)->mString;
    const auto* list = static_cast<const ListDataElement*>(element);
    std::string result = "(";
    for (size_t i = 0; i < list->mElementVector.size(); ++i) {
        if (i > 0) result += ", ";
        result += DataElementToString(list->mElementVector[i]);
    }
    return result + ")";
}

bool DescParser::DataToString(const DataElement* source, std::string* out) {
    out->clear();
    if (source->mIsList) return false;
    const std::string& word = static_cast<const SingleDataElement*>(source)->mString;
    if (DataElement* define = GetDefine(word)) {
        if (define->mIsList) return false;
        *out = Unquote(static_cast<const SingleDataElement*>(define)->mString);
        return true;
    }
    *out = Unquote(word);
    return true;
}

bool DescParser::DataToStringVector(const DataElement* source, StringVector* out) {
    out->clear();
    ListDataElement dereferenced;
    const ListDataElement* items;
    if (source->mIsList) {
        if (!DereferenceList(static_cast<const ListDataElement*>(source), &dereferenced)) return false;
        items = &dereferenced;
    } else {
        const std::string& word = static_cast<const SingleDataElement*>(source)->mString;
        DataElement* define = GetDefine(word);
        if (!define) return Error("Unable to Dereference \"" + word + "\"");
        if (!define->mIsList) return false;
        items = static_cast<const ListDataElement*>(define);
    }
    for (const DataElement* e : items->mElementVector) {
        if (e->mIsList) {
            out->clear();
            return false;
        }
        out->push_back(static_cast<const SingleDataElement*>(e)->mString);
    }
    return true;
}

bool DescParser::DataToList(const DataElement* source, ListDataElement* out) {
    *out = ListDataElement();
    if (source->mIsList) return DereferenceList(static_cast<const ListDataElement*>(source), out);
    DataElement* define = GetDefine(static_cast<const SingleDataElement*>(source)->mString);
    if (!define || !define->mIsList) return false;
    *out = *static_cast<const ListDataElement*>(define);
    return true;
}

bool DescParser::DataToIntVector(const DataElement* source, IntVector* out) {
    out->clear();
    StringVector words;
    if (!DataToStringVector(source, &words)) return false;
    for (const std::string& w : words) {
        int value = 0;
        if (!StringToInt(w, &value)) return false;
        out->push_back(value);
    }
    return true;
}

bool DescParser::DataToDoubleVector(const DataElement* source, DoubleVector* out) {
    out->clear();
    StringVector words;
    if (!DataToStringVector(source, &words)) return false;
    for (const std::string& w : words) {
        double value = 0.0;
        if (!StringToDouble(w, &value)) return false;
        out->push_back(value);
    }
    return true;
}

} // namespace Quor

// Callbacks through which an edit field reports its text and asks its owner which keys,
// characters and texts to accept (everything by default).
#pragma once

#include <string>

namespace Quor {

class EditListener {
public:
    virtual ~EditListener() = default;

    virtual void EditWidgetText(int id, const std::string& text) { (void)id; (void)text; }
    virtual bool AllowKey(int id, int keyCode) { (void)id; (void)keyCode; return true; }
    virtual bool AllowChar(int id, char c) { (void)id; (void)c; return true; }
    virtual bool AllowText(int id, const std::string& text) { (void)id; (void)text; return true; }
};

} // namespace Quor

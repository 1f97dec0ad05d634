// The program's command line as one line of text, the clipboard, and opening web addresses
// with the desktop's handler.
#pragma once

#include <string>

namespace plat {

// The command line the way the program reads it: the program's name, then each argument,
// separated by single spaces; a piece holding a space or nothing is put in double quotes.
std::string GetCommandLine();

// Sets the command line that GetCommandLine returns (main() hands over argv here).
void SetCommandLine(int argc, const char* const* argv);

// Starts xdg-open on the address without waiting for it; false when it cannot be started.
bool OpenURL(const std::string& url);

// The clipboard, in the program's narrow encoding (UTF-8 on the system side). Setting fails
// and getting gives "" when the clipboard cannot be reached.
bool SetClipboardText(const std::string& text);
std::string GetClipboardText();

} // namespace plat

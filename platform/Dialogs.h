// Message boxes. Texts come in the program's narrow encoding (Windows-1252) and are shown as
// UTF-8. Without a display (no video, or SDL's dummy or offscreen driver) nothing is shown:
// the caption and text go to the debugger output and the default answer is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Flags, numbered as the program's callers number them.
enum : uint32_t {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
};

// Answers.
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Shows a modal message box and returns the button chosen; closing the box answers Cancel
// (or No where there is no Cancel).
int MessageBox(const std::string& text, const std::string& caption, uint32_t flags);

// The answer a box with these flags gives without a display: its default button.
int DefaultMessageBoxAnswer(uint32_t flags);

// Whether message boxes can be shown at all.
bool CanShowMessageBoxes();

// A modal list of texts: returns the index of the entry chosen, or -1 when the dialog is closed
// without a choice. Without a display the caption and the entries are logged and -1 comes back.
int ShowListDialog(const std::string& caption, const std::vector<std::string>& entries);

// A modal one-line text entry with Ok (the default) and Cancel. The text opens selected (the
// first key typed replaces it) and comes back as edited on Ok, at most maxLength characters.
// Returns IDOK or IDCANCEL. Without a display it is logged and Ok answers with the text as it is.
int ShowTextEntryDialog(const std::string& caption, std::string& text, size_t maxLength);

// Conversions between the program's narrow text and UTF-8.
std::string Cp1252ToUtf8(const std::string& text);
std::string Utf8ToCp1252(const std::string& text);

} // namespace plat

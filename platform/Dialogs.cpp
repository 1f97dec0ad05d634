// Message boxes through SDL.
#include "platform/Dialogs.h"

#include "platform/Sys.h"

#include <SDL.h>

#include <cstring>
#include <vector>

namespace plat {

namespace {

// Windows-1252 code points for 0x80-0x9F; 0 marks the five unassigned bytes.
const uint16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string Cp1252ToUtf8(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        uint32_t code = c;
        if (c >= 0x80 && c < 0xA0)
            code = kCp1252High[c - 0x80] ? kCp1252High[c - 0x80] : 0xFFFD;
        AppendUtf8(out, code);
    }
    return out;
}

std::string Utf8ToCp1252(const std::string& text)
{
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = text[i];
        uint32_t code = 0;
        size_t extra = 0;
        if (c < 0x80) {
            code = c;
        } else if ((c & 0xE0) == 0xC0) {
            code = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            code = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            code = c & 0x07;
            extra = 3;
        } else {
            out += '?';
            ++i;
            continue;
        }
        if (extra && i + extra >= text.size()) {
            out += '?';
            break;
        }
        bool valid = true;
        for (size_t k = 1; k <= extra; ++k) {
            unsigned char next = text[i + k];
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        i += extra + 1;
        if (code < 0x80 || (code >= 0xA0 && code < 0x100)) {
            out += char(code);
            continue;
        }
        char mapped = '?';
        for (int k = 0; k < 32; ++k)
            if (kCp1252High[k] == code)
                mapped = char(0x80 + k);
        out += mapped;
    }
    return out;
}

bool CanShowMessageBoxes()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
}

int DefaultMessageBoxAnswer(uint32_t flags)
{
    bool second = (flags & MB_DEFBUTTON2) != 0;
    switch (flags & 0x0F) {
    case MB_OKCANCEL:
        return second ? IDCANCEL : IDOK;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return second ? IDNO : IDYES;
    default:
        return IDOK;
    }
}

int MessageBox(const std::string& text, const std::string& caption, uint32_t flags)
{
    if (!CanShowMessageBoxes()) {
        std::string line = "[" + caption + "] " + text + "\n";
        DebugOutput(line.c_str());
        return DefaultMessageBoxAnswer(flags);
    }

    std::vector<SDL_MessageBoxButtonData> buttons;
    int escape = IDCANCEL;
    switch (flags & 0x0F) {
    case MB_OKCANCEL:
        buttons = {{0, IDOK, "OK"}, {0, IDCANCEL, "Cancel"}};
        break;
    case MB_YESNO:
        buttons = {{0, IDYES, "Yes"}, {0, IDNO, "No"}};
        escape = IDNO;
        break;
    case MB_YESNOCANCEL:
        buttons = {{0, IDYES, "Yes"}, {0, IDNO, "No"}, {0, IDCANCEL, "Cancel"}};
        break;
    default:
        buttons = {{0, IDOK, "OK"}};
        escape = IDOK;
        break;
    }
    int def = DefaultMessageBoxAnswer(flags);
    for (SDL_MessageBoxButtonData& button : buttons) {
        if (button.buttonid == def)
            button.flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (button.buttonid == escape)
            button.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    }

    uint32_t icon = flags & 0xF0;
    SDL_MessageBoxData data;
    std::memset(&data, 0, sizeof(data));
    data.flags = icon == MB_ICONERROR     ? SDL_MESSAGEBOX_ERROR
                 : icon == MB_ICONWARNING ? SDL_MESSAGEBOX_WARNING
                                          : SDL_MESSAGEBOX_INFORMATION;
    std::string utf8Caption = Cp1252ToUtf8(caption);
    std::string utf8Text = Cp1252ToUtf8(text);
    data.title = utf8Caption.c_str();
    data.message = utf8Text.c_str();
    data.numbuttons = int(buttons.size());
    data.buttons = buttons.data();
    int chosen = -1;
    if (SDL_ShowMessageBox(&data, &chosen) != 0) {
        std::string line = "[" + caption + "] " + text + "\n";
        DebugOutput(line.c_str());
        return def;
    }
    return chosen < 0 ? escape : chosen;
}

int ShowListDialog(const std::string& caption, const std::vector<std::string>& entries)
{
    if (!CanShowMessageBoxes() || entries.empty()) {
        std::string line = "[" + caption + "]";
        for (const std::string& entry : entries)
            line += " " + entry + ";";
        line += "\n";
        DebugOutput(line.c_str());
        return -1;
    }
    // One button per entry (as many as a box can hold), and a last one that closes.
    const size_t kMostEntries = 24;
    size_t count = entries.size() < kMostEntries ? entries.size() : kMostEntries;
    std::vector<std::string> texts;
    for (size_t i = 0; i < count; ++i)
        texts.push_back(Cp1252ToUtf8(entries[i]));
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (size_t i = 0; i < count; ++i)
        buttons.push_back({0, int(i), texts[i].c_str()});
    buttons.push_back({SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, -1, "Close"});
    SDL_MessageBoxData data;
    std::memset(&data, 0, sizeof(data));
    data.flags = SDL_MESSAGEBOX_INFORMATION | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    std::string utf8Caption = Cp1252ToUtf8(caption);
    data.title = utf8Caption.c_str();
    data.message = utf8Caption.c_str();
    data.numbuttons = int(buttons.size());
    data.buttons = buttons.data();
    int chosen = -1;
    if (SDL_ShowMessageBox(&data, &chosen) != 0)
        return -1;
    return chosen >= 0 && size_t(chosen) < count ? chosen : -1;
}

int ShowTextEntryDialog(const std::string& caption, std::string& text, size_t maxLength)
{
    if (text.size() > maxLength)
        text.resize(maxLength);
    if (!CanShowMessageBoxes()) {
        std::string line = "[" + caption + "] " + text + "\n";
        DebugOutput(line.c_str());
        return IDOK;
    }
    // A small window of its own whose title line shows the text being typed: Enter is Ok,
    // Escape or closing the window is Cancel.
    SDL_Window* window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 400,
                                          1, SDL_WINDOW_SHOWN | SDL_WINDOW_ALWAYS_ON_TOP);
    if (window == nullptr)
        return IDCANCEL;
    std::string edited = text;
    bool selected = true;
    auto showText = [&] {
        std::string title = caption + ": " + (selected ? "[" + edited + "]" : edited + "_");
        SDL_SetWindowTitle(window, Cp1252ToUtf8(title).c_str());
    };
    showText();
    SDL_RaiseWindow(window);
    SDL_StartTextInput();
    int result = 0;
    const uint32_t id = SDL_GetWindowID(window);
    while (result == 0) {
        SDL_Event event;
        if (!SDL_WaitEventTimeout(&event, 100))
            continue;
        switch (event.type) {
        case SDL_QUIT:
            result = IDCANCEL;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.windowID == id && event.window.event == SDL_WINDOWEVENT_CLOSE)
                result = IDCANCEL;
            break;
        case SDL_KEYDOWN:
            if (event.key.windowID != id)
                break;
            if (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER) {
                result = IDOK;
            } else if (event.key.keysym.sym == SDLK_ESCAPE) {
                result = IDCANCEL;
            } else if (event.key.keysym.sym == SDLK_BACKSPACE) {
                if (selected)
                    edited.clear();
                else if (!edited.empty())
                    edited.pop_back();
                selected = false;
                showText();
            }
            break;
        case SDL_TEXTINPUT:
            if (event.text.windowID != id)
                break;
            if (selected)
                edited.clear();
            selected = false;
            edited += Utf8ToCp1252(event.text.text);
            if (edited.size() > maxLength)
                edited.resize(maxLength);
            showText();
            break;
        default:
            break;
        }
    }
    SDL_StopTextInput();
    SDL_DestroyWindow(window);
    if (result == IDOK)
        text = edited;
    return result;
}

} // namespace plat

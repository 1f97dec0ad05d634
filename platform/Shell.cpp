// Command line, clipboard and web addresses.
#include "platform/Shell.h"

#include "platform/Dialogs.h"
#include "platform/Sys.h"

#include <SDL.h>

#include <fstream>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace plat {

namespace {

std::mutex gCommandLineMutex;
bool gCommandLineSet = false;
std::string gCommandLine;

std::string Quote(const std::string& piece)
{
    if (!piece.empty() && piece.find(' ') == std::string::npos &&
        piece.find('\t') == std::string::npos)
        return piece;
    return "\"" + piece + "\"";
}

std::string Join(const std::vector<std::string>& pieces)
{
    std::string line;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i)
            line += ' ';
        line += Quote(pieces[i]);
    }
    return line;
}

// The clipboard that stands in when the video system offers none (no display).
std::mutex gClipboardMutex;
std::string gLocalClipboard;

} // namespace

void SetCommandLine(int argc, const char* const* argv)
{
    std::vector<std::string> pieces;
    for (int i = 0; i < argc; ++i)
        pieces.push_back(argv[i] ? argv[i] : "");
    std::lock_guard<std::mutex> lock(gCommandLineMutex);
    gCommandLine = Join(pieces);
    gCommandLineSet = true;
}

std::string GetCommandLine()
{
    {
        std::lock_guard<std::mutex> lock(gCommandLineMutex);
        if (gCommandLineSet)
            return gCommandLine;
    }
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::vector<std::string> pieces;
    std::string piece;
    char c;
    while (in.get(c)) {
        if (c == '\0') {
            pieces.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.empty())
        pieces.push_back(piece);
    return Join(pieces);
}

bool OpenURL(const std::string& url)
{
    // xdg-open must be on the PATH; a missing handler is a failure to report.
    std::string path = GetEnv("PATH");
    bool found = false;
    size_t start = 0;
    while (!found && start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        std::string folder = path.substr(start, end - start);
        if (!folder.empty() && access((folder + "/xdg-open").c_str(), X_OK) == 0)
            found = true;
        start = end + 1;
    }
    if (!found)
        return false;
    // Started through a short-lived shell that is waited for, so no zombie is left behind; the
    // handler itself runs on by itself.
    const char* sh = "/bin/sh";
    const char* argv[] = {sh, "-c", "xdg-open \"$0\" >/dev/null 2>&1 &", url.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, sh, nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
        return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool SetClipboardText(const std::string& text)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) && CanShowMessageBoxes())
        return SDL_SetClipboardText(Cp1252ToUtf8(text).c_str()) == 0;
    std::lock_guard<std::mutex> lock(gClipboardMutex);
    gLocalClipboard = text;
    return true;
}

std::string GetClipboardText()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) && CanShowMessageBoxes()) {
        if (!SDL_HasClipboardText())
            return std::string();
        char* text = SDL_GetClipboardText();
        std::string result = text ? Utf8ToCp1252(text) : std::string();
        SDL_free(text);
        return result;
    }
    std::lock_guard<std::mutex> lock(gClipboardMutex);
    return gLocalClipboard;
}

} // namespace plat

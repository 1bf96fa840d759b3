// The command line of the process, and the Windows rules for quoting and
// splitting command lines.
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "vpr/win/path.h"
#include "vpr/win/process.h"

namespace vpr::win {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Absolute host path of the running program as it was started (links under
// Windows names are not resolved to their targets).
std::string ProgramHostPath(const std::string& argv0) {
    if (argv0.find('/') == std::string::npos) {
        // Found through PATH: only the kernel knows where.
        char buffer[4096];
        ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : argv0;
    }
    if (argv0[0] == '/') return argv0;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return argv0;
    std::string relative = argv0;
    while (relative.starts_with("./")) relative.erase(0, 2);
    return std::string(cwd) + "/" + relative;
}

// The program's host path and its arguments, as the process was started.
std::vector<std::string> ReadArguments() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> argv;
    for (size_t start = 0; start < raw.size();) {
        size_t end = raw.find('\0', start);
        if (end == std::string::npos) end = raw.size();
        argv.push_back(raw.substr(start, end - start));
        start = end + 1;
    }
    if (!argv.empty()) argv[0] = ProgramHostPath(argv[0]);
    return argv;
}

// Taken when the layer is loaded, before the program can change its
// current directory.
const std::vector<std::string>* const g_arguments = new std::vector<std::string>(ReadArguments());

std::string BuildCommandLine() {
    if (g_arguments->empty()) return {};
    std::string program = WindowsPathFromHost((*g_arguments)[0]);
    // The program's path is quoted without escapes: it cannot hold a quote.
    bool quote = program.find_first_of(" \t") != std::string::npos;
    std::string line = quote ? "\"" + program + "\"" : program;
    for (size_t i = 1; i < g_arguments->size(); ++i) line += " " + QuoteArgument((*g_arguments)[i]);
    return line;
}

}  // namespace

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');  // they precede the closing quote
    out += '"';
    return out;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> args;
    size_t i = 0;
    size_t n = commandLine.size();
    while (i < n && IsBlank(commandLine[i])) ++i;
    if (i == n) return args;

    // The program name: up to the closing quote, or to the first blank; no
    // escapes.
    std::string program;
    if (commandLine[i] == '"') {
        size_t close = commandLine.find('"', i + 1);
        if (close == std::string::npos) close = n;
        program = commandLine.substr(i + 1, close - i - 1);
        i = close < n ? close + 1 : n;
    } else {
        while (i < n && !IsBlank(commandLine[i])) program += commandLine[i++];
    }
    args.push_back(program);

    for (;;) {
        while (i < n && IsBlank(commandLine[i])) ++i;
        if (i == n) break;
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || !IsBlank(commandLine[i]))) {
            size_t backslashes = 0;
            while (i < n && commandLine[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < n && commandLine[i] == '"') {
                // 2n backslashes and a quote: n backslashes, the quote
                // toggles quoting; 2n+1: n backslashes and a literal quote.
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    arg += '"';
                } else if (quoted && i + 1 < n && commandLine[i + 1] == '"') {
                    arg += '"';  // "" inside quotes is a literal quote
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(backslashes, '\\');
                if (i < n && (quoted || !IsBlank(commandLine[i]))) arg += commandLine[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

}  // namespace vpr::win

// Built on first use, in Windows form on the machine the process runs on.
extern "C" LPSTR WINAPI GetCommandLineA(void) {
    static std::string* const commandLine = new std::string(vpr::win::BuildCommandLine());
    return commandLine->data();
}

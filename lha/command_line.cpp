#include "command_line.h"

#include "error.h"
#include "file_io.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>

namespace lha {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

[[noreturn]] void bad(const std::string& message) {
    throw LhaError(UNLHA_ERROR_COMMAND, message);
}

bool exists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

int readNumber(std::string_view group, std::size_t& j, int defaultValue) {
    if (j >= group.size() || !std::isdigit(static_cast<unsigned char>(group[j])))
        return defaultValue;
    int v = 0;
    while (j < group.size() && std::isdigit(static_cast<unsigned char>(group[j]))) {
        v = v * 10 + (group[j] - '0');
        if (v > 999) bad("switch value too large in -" + std::string(group));
        ++j;
    }
    return v;
}

void parseSwitchGroup(std::string_view group, Switches& sw, CodePage cp) {
    // `group` is the text after the dash; several switches may follow one dash (-r2x1).
    std::size_t j = 0;
    if (group.empty()) bad("a lone \"-\" is not a switch");
    while (j < group.size()) {
        const char ch = group[j];
        const std::string rest = "-" + std::string(group.substr(j));
        auto numeric = [&](int& field, int max, const char* name) {
            const int v = readNumber(group, j, 1);
            if (v > max)
                throw LhaError(UNLHA_ERROR_NOT_SUPPORTED, std::string("switch -") + name +
                                                              std::to_string(v) +
                                                              " is not supported");
            field = v;
        };
        switch (ch) {
        case '+': {
            ++j;
            // Settings from the environment are never read, so every form is honoured.
            int ignored = 0;
            numeric(ignored, 2, "+");
            break;
        }
        case 'a':
            ++j;
            numeric(sw.a, 1, "a");
            break;
        case 'c':
            ++j;
            numeric(sw.c, 1, "c");
            break;
        case 'm':
            ++j;
            numeric(sw.m, 2, "m");
            break;
        case 'n':
            ++j;
            numeric(sw.n, 3, "n");
            break;
        case 'p':
            ++j;
            numeric(sw.p, 1, "p");
            break;
        case 'r':
            ++j;
            numeric(sw.r, 2, "r");
            break;
        case 'x':
            ++j;
            numeric(sw.x, 1, "x");
            break;
        case 'w': {
            const std::string_view value = group.substr(j + 1);
            if (value.empty()) bad("switch -w needs a folder");
            auto utf8 = toUtf8(value, cp);
            sw.workFolder = utf8 ? *utf8 : std::string(value);
            j = group.size();
            break;
        }
        case 'j':
            if (group.substr(j, 3) == "jso") {
                j += 3;
                numeric(sw.jso, 1, "jso");
                break;
            }
            throw LhaError(UNLHA_ERROR_NOT_SUPPORTED, "switch " + rest + " is not supported");
        default:
            if (std::isalpha(static_cast<unsigned char>(ch)))
                throw LhaError(UNLHA_ERROR_NOT_SUPPORTED, "switch " + rest + " is not supported");
            bad("unknown switch " + rest);
        }
    }
}

struct Encodings {
    CodePage command;
    CodePage disk;
};

PathArg makeArg(const std::string& raw, Encodings enc, std::vector<std::string>& warnings) {
    auto u = toUtf8(raw, enc.command);
    if (!u) {
        if (enc.command == CodePage::Cp932) bad("argument is not valid CP932 text: " + raw);
        // File names on Linux need not be UTF-8; keep the bytes and let the name fields show
        // replacement characters.
        warnings.push_back("name is not valid UTF-8, stored with replacements: " + raw);
        return {raw, raw};
    }
    if (enc.command == enc.disk) return {*u, raw};
    if (enc.disk == CodePage::Utf8) return {*u, *u};
    auto disk = fromUtf8(*u, enc.disk);
    return {*u, disk ? *disk : raw};
}

std::string joinBase(const std::optional<PathArg>& base, const std::string& name) {
    if (!base || name.starts_with('/')) return name;
    return base->fs + name;
}

// Reads a response file whole: a regular file only (a FIFO or device would hold the call or
// never end) and at most kMaxResponseFile bytes.
std::string readResponseText(const std::string& path) {
    OpenedFile f = openRegularFile(path);
    if (f.notRegular)
        throw LhaError(UNLHA_ERROR_RESPONSE_READ, "response file is not a regular file: " + path);
    if (!f.fd)
        throw LhaError(UNLHA_ERROR_RESPONSE_READ,
                       errnoMessage("cannot open response file " + path, f.error));
    const auto tooLarge = [&] {
        return LhaError(UNLHA_ERROR_RESPONSE_READ, "response file larger than " +
                                                       std::to_string(kMaxResponseFile >> 20) +
                                                       " MiB: " + path);
    };
    if (static_cast<std::uint64_t>(f.st.st_size) > kMaxResponseFile) throw tooLarge();
    std::string content;
    char buf[65536];
    while (true) {
        const long long n = readFull(f.fd.get(), buf, sizeof buf);
        if (n < 0)
            throw LhaError(UNLHA_ERROR_RESPONSE_READ,
                           errnoMessage("cannot read response file " + path, errno));
        content.append(buf, static_cast<std::size_t>(n));
        if (content.size() > kMaxResponseFile) throw tooLarge(); // grew while read
        if (n < static_cast<long long>(sizeof buf)) break;
    }
    return content;
}

void readResponseFile(const std::string& path, Encodings enc, CommandLine& out) {
    std::string content = readResponseText(path);
    if (content.starts_with(kUtf8Bom)) {
        // The exact form: UTF-8, every name byte for byte.
        content.erase(0, kUtf8Bom.size());
        const char separator = content.find('\0') != std::string::npos ? '\0' : '\n';
        const Encodings exact{CodePage::Utf8, enc.disk};
        std::size_t start = 0;
        while (start < content.size()) {
            auto end = content.find(separator, start);
            if (end == std::string::npos) end = content.size();
            if (end > start)
                out.names.push_back(
                    makeArg(content.substr(start, end - start), exact, out.warnings));
            start = end + 1;
        }
        return;
    }
    std::size_t start = 0;
    while (start < content.size()) {
        auto end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // One name a line, optionally in quotes; blank lines are skipped.
        std::size_t b = 0, e = line.size();
        while (b < e && (line[b] == ' ' || line[b] == '\t'))
            ++b;
        while (e > b && (line[e - 1] == ' ' || line[e - 1] == '\t'))
            --e;
        line = line.substr(b, e - b);
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
            line = line.substr(1, line.size() - 2);
        if (line.empty()) continue;
        out.names.push_back(makeArg(line, enc, out.warnings));
    }
}

} // namespace

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (true) {
        while (i < n && isBlank(s[i]))
            ++i;
        if (i >= n) break;
        Token tok;
        tok.quotedStart = s[i] == '"';
        while (i < n && !isBlank(s[i])) {
            if (s[i] != '"') {
                tok.text += s[i++];
                continue;
            }
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == '"' && (i + 1 == n || isBlank(s[i + 1]))) {
                    ++i;
                    closed = true;
                    break;
                }
                tok.text += s[i++];
            }
            if (!closed) bad("unterminated quote in the command line");
        }
        if (!tok.text.empty()) tokens.push_back(std::move(tok));
    }
    return tokens;
}

CommandLine parseCommandLine(std::string_view text, CodePage cp, CodePage fileSystem) {
    const Encodings enc{cp, fileSystem};
    const auto tokens = tokenize(text);
    if (tokens.empty()) bad("empty command line");
    CommandLine cl;
    const std::string& word = tokens[0].text;
    if (word.size() != 1) bad("unknown command \"" + word + "\"");
    cl.command = static_cast<char>(std::tolower(static_cast<unsigned char>(word[0])));
    switch (cl.command) {
    case 'u':
    case 'a':
    case 'f':
    case 't':
        break;
    case 'x':
    case 'e':
    case 'l':
    case 'v':
    case 'd':
    case 'm':
    case 's':
    case 'p':
    case 'c':
    case 'j':
    case 'y':
    case 'g':
        throw LhaError(UNLHA_ERROR_NOT_SUPPORTED,
                       std::string("command \"") + word + "\" is not supported by this library");
    default:
        bad("unknown command \"" + word + "\"");
    }

    bool archiveSeen = false;
    bool switchesEnded = false;
    bool firstAfterArchive = true;
    for (std::size_t k = 1; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        // Quoted arguments after the archive name are always names: names may start with "-".
        const bool switchLike =
            t.text.starts_with('-') && !switchesEnded && (!archiveSeen || !t.quotedStart);
        if (switchLike) {
            if (t.text == "--") {
                switchesEnded = true;
                continue;
            }
            parseSwitchGroup(std::string_view(t.text).substr(1), cl.switches, cp);
            continue;
        }
        if (!archiveSeen) {
            cl.archive = makeArg(t.text, enc, cl.warnings);
            archiveSeen = true;
            continue;
        }
        if (firstAfterArchive) {
            firstAfterArchive = false;
            if (t.text.ends_with('/')) {
                cl.baseFolder = makeArg(t.text, enc, cl.warnings);
                continue;
            }
        }
        if (t.text.starts_with('@') && t.text.size() > 1) {
            // "@list" names a response file, unless it is a file to pack; both at once
            // cannot be told apart.
            const std::string list = makeArg(t.text.substr(1), enc, cl.warnings).fs;
            const bool listExists = exists(list);
            const bool fileExists =
                exists(joinBase(cl.baseFolder, makeArg(t.text, enc, cl.warnings).fs));
            if (listExists && fileExists)
                bad("\"" + t.text + "\" is both a response file and a file to pack");
            if (!fileExists) {
                readResponseFile(list, enc, cl);
                continue;
            }
        }
        cl.names.push_back(makeArg(t.text, enc, cl.warnings));
    }
    if (!archiveSeen) throw LhaError(UNLHA_ERROR_NO_FILENAME, "no archive name given");
    return cl;
}

} // namespace lha

// The archiver's command-line parser in both code pages, and the quoting rule the program
// relies on: a name quoted as "name" comes back whole unless it holds a quote followed by a
// blank (the one spelling the syntax cannot carry).
#include "FuzzSupport.h"

#include "command_line.h"
#include "error.h"

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool quotable(std::string_view name) {
    for (std::size_t i = 0; i + 1 < name.size(); ++i)
        if (name[i] == '"' && blank(name[i + 1])) return false;
    return !name.empty() && name.find('\0') == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = mvfuzz::asText(data, size);

    // Response files named by the input stay in the working folder (a name without "/"), so
    // the input cannot name a device or a FIFO elsewhere.
    bool outsideFiles = false;
    try {
        for (const auto& t : lha::tokenize(text))
            outsideFiles |=
                t.text.find('@') != std::string::npos && t.text.find('/') != std::string::npos;
    } catch (const lha::LhaError&) {
    }
    if (!outsideFiles) {
        for (auto cp : {lha::CodePage::Utf8, lha::CodePage::Cp932}) {
            for (auto disk : {lha::CodePage::Utf8, lha::CodePage::Cp932}) {
                try {
                    const auto cl = lha::parseCommandLine(text, cp, disk);
                    FUZZ_CHECK(cl.command != 0, "no command");
                    FUZZ_CHECK(!cl.archive.utf8.empty(), "no archive");
                } catch (const lha::LhaError&) {
                }
            }
        }
    }

    // The program's form: each name quoted, separated by blanks. Names are the input's lines
    // without their line breaks (a blank at either end is part of the name).
    std::vector<std::string> names;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            names.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    names.push_back(line);
    std::string cmd;
    std::vector<std::string> expected;
    for (const auto& n : names) {
        if (!quotable(n) || n.find('\n') != std::string::npos) continue;
        cmd += " \"" + n + "\"";
        expected.push_back(n);
    }
    std::vector<lha::Token> tokens;
    try {
        tokens = lha::tokenize(cmd);
    } catch (const lha::LhaError& e) {
        mvfuzz::fail("tokenize refused quoted names", e.what());
    }
    FUZZ_CHECK(tokens.size() == expected.size(), cmd);
    for (std::size_t i = 0; i < tokens.size(); ++i)
        FUZZ_CHECK(tokens[i].text == expected[i], cmd);
    return 0;
}

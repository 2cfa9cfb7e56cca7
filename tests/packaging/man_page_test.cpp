// The manual pages say what the programs do: the options and exit statuses
// that delvaro-cli's --help names, and the messages of the string table.
// The pages are read as man shows them, at a width where no line wraps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/afxres.h"
#include "res/resource.h"
#include "res/string_table.h"
#include "res/version.h"
#include "support/process.h"

namespace {

using delvaro::test::RunProcess;

std::string Rendered(const std::string& page) {
    const delvaro::test::ProcessResult man =
        RunProcess({"/usr/bin/env", "LC_ALL=C", "MANWIDTH=1000", "MANPAGER=cat", "PAGER=cat", "man",
                    "-l", std::string(DELVARO_MAN_DIR) + "/" + page});
    EXPECT_EQ(man.exitStatus, 0) << man.err;
    EXPECT_FALSE(man.out.empty()) << page;
    return man.out;
}

// Runs of blanks and line ends become one space: the page's layout does not
// matter, its words do.
std::string Words(const std::string& text) {
    std::istringstream in(text);
    std::string word, out;
    while (in >> word) out += (out.empty() ? "" : " ") + word;
    return out;
}

// The lines of a rendered page from the heading `name` to the next heading.
std::string Section(const std::string& page, const std::string& name) {
    std::istringstream in(page);
    std::string line, section;
    bool inside = false;
    while (std::getline(in, line)) {
        const bool heading = !line.empty() && line[0] != ' ';
        if (heading)
            inside = line == name;
        else if (inside)
            section += line + "\n";
    }
    return section;
}

std::string Help() {
    const delvaro::test::ProcessResult help = RunProcess({DELVARO_CLI, "--help"});
    EXPECT_EQ(help.exitStatus, 0);
    return help.out;
}

// Each option of the help with its description, joined into one line.
std::vector<std::string> HelpOptions(const std::string& help) {
    std::vector<std::string> options;
    std::istringstream in(help);
    std::string line;
    bool inOption = false;
    while (std::getline(in, line)) {
        const size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos && first > 0 && line[first] == '-') {
            options.push_back(Words(line));
            inOption = true;
        } else if (inOption && first != std::string::npos && first >= 4) {
            options.back() += " " + Words(line);
        } else {
            inOption = false;
        }
    }
    return options;
}

// The whole numbers written in `text`.
std::set<int> Numbers(const std::string& text) {
    std::set<int> numbers;
    for (size_t at = 0; (at = text.find_first_of("0123456789", at)) != std::string::npos;) {
        const size_t end = std::min(text.find_first_not_of("0123456789", at), text.size());
        if (at == 0 || !std::isalpha(static_cast<unsigned char>(text[at - 1])))
            numbers.insert(std::stoi(text.substr(at, end - at)));
        at = end;
    }
    return numbers;
}

// A message as the page shows it: the line number as N, a file as FILE.
std::string AsDocumented(unsigned id) {
    std::string text = delvaro::FindResourceString(id);
    for (const auto& [field, name] : {std::pair{"%d", "N"}, {"%s", "FILE"}})
        for (size_t at; (at = text.find(field)) != std::string::npos;) text.replace(at, 2, name);
    return text;
}

TEST(ManPages, CommandLinePageListsEveryOptionOfTheHelp) {
    const std::string help = Help();
    const std::string options = Words(Section(Rendered("delvaro-cli.1"), "OPTIONS"));
    const std::vector<std::string> helpOptions = HelpOptions(help);
    ASSERT_GE(helpOptions.size(), 5u) << help;
    for (const std::string& option : helpOptions)
        EXPECT_NE(options.find(option), std::string::npos) << option << "\nnot in:\n" << options;
}

// The usage lines of the help ("Usage: " and any "  or: " after it) are the
// synopsis.
TEST(ManPages, CommandLinePageHasTheUsageAndVersionOfTheProgram) {
    const std::string page = Rendered("delvaro-cli.1");
    std::istringstream help(Help());
    std::string usage;
    for (std::string line; std::getline(help, line);)
        for (const std::string prefix : {"Usage: ", "  or: "})
            if (line.rfind(prefix, 0) == 0) usage += " " + line.substr(prefix.size());
    ASSERT_FALSE(usage.empty());
    EXPECT_EQ(Words(Section(page, "SYNOPSIS")), Words(usage));
    EXPECT_NE(page.find("Delvaro " DELVARO_VERSION_TEXT), std::string::npos);
}

// The help names its exit statuses after "Exit status:"; the page explains
// the same ones, no more and no fewer.
TEST(ManPages, CommandLinePageExplainsTheExitStatusesOfTheHelp) {
    const std::string help = Help();
    const size_t start = help.find("Exit status:");
    ASSERT_NE(start, std::string::npos) << help;
    const size_t end = help.find("\n\n", start);
    const std::set<int> inHelp = Numbers(help.substr(start, end - start));
    ASSERT_FALSE(inHelp.empty());

    // Each status heads an entry: a number at the page's left margin.
    std::set<int> inPage;
    std::istringstream section(Section(Rendered("delvaro-cli.1"), "EXIT STATUS"));
    for (std::string line; std::getline(section, line);)
        if (line.rfind("       ", 0) == 0 && std::isdigit(static_cast<unsigned char>(line[7])))
            inPage.insert(std::stoi(line.substr(7)));
    EXPECT_EQ(inPage, inHelp);
}

TEST(ManPages, CommandLinePageHasEveryConversionMessage) {
    const std::string diagnostics = Section(Rendered("delvaro-cli.1"), "DIAGNOSTICS");
    for (unsigned id = IDS_ERR_READ; id <= IDS_ERR_OUTPUT_IS_INPUT; ++id) {
        if (id == IDS_ERR_NO_OUTPUT_NAME) continue;  // the dialog's alone
        EXPECT_NE(diagnostics.find("       " + AsDocumented(id) + "\n"), std::string::npos)
            << AsDocumented(id);
    }
}

// Every usage error the program prints, with the value it names shown in
// the page as the name of that value.
TEST(ManPages, CommandLinePageHasEveryUsageError) {
    struct Case {
        std::vector<std::string> args;
        std::string value, shownAs;
    };
    const Case cases[] = {
        {{"--bogus"}, "--bogus", "OPTION"},
        {{"-o"}, "-o", "OPTION"},
        {{"-s", "x1", "-o", "out", "a.asc"}, "x1", "VALUE"},
        {{"-s", "100000", "-o", "out", "a.asc"}, "100000", "VALUE"},
        {{"a.asc"}, "", ""},
        {{"-o", "out"}, "", ""},
    };
    const std::string diagnostics = Section(Rendered("delvaro-cli.1"), "DIAGNOSTICS");
    for (const Case& c : cases) {
        std::vector<std::string> args{DELVARO_CLI};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const delvaro::test::ProcessResult run = RunProcess(args);
        ASSERT_EQ(run.exitStatus, 2) << c.args[0];
        std::string message = run.err.substr(0, run.err.find('\n'));
        ASSERT_EQ(message.rfind("delvaro-cli: ", 0), 0u) << message;
        message.erase(0, 13);
        if (!c.value.empty()) message.replace(message.find(c.value), c.value.size(), c.shownAs);
        EXPECT_NE(diagnostics.find("       " + message + "\n"), std::string::npos) << message;
    }
}

#if DELVARO_HAVE_APP
TEST(ManPages, DialogPageHasTheDialogsOwnMessages) {
    const std::string page = Rendered("delvaro.1");
    const std::string diagnostics = Section(page, "DIAGNOSTICS");
    for (unsigned id :
         std::initializer_list<unsigned>{IDS_ERR_NO_OUTPUT_NAME, IDS_ERR_NO_MEMORY,
                                         IDS_ERR_SELECTION_TOO_LONG, AFX_IDP_PARSE_REAL})
        EXPECT_NE(diagnostics.find("       " + AsDocumented(id) + "\n"), std::string::npos)
            << AsDocumented(id);
    std::string range = delvaro::FindResourceString(AFX_IDP_PARSE_REAL_RANGE);
    range.replace(range.find("%1"), 2, "1e-05");
    range.replace(range.find("%2"), 2, "99999");
    EXPECT_NE(diagnostics.find("       " + range + "\n"), std::string::npos) << range;
    EXPECT_NE(page.find("Delvaro " DELVARO_VERSION_TEXT), std::string::npos);
}
#endif

}  // namespace

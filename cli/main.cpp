// delvaro-cli: converts Leica SKI ASCII baseline files into one TREVADEL
// input file, for scripts and batch work.
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "common/windows_text.h"
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "cli/check_options.h"
#include "cli/console_host.h"
#include "cli/interrupt.h"
#include "engine/conversion_run.h"
#include "engine/number_parse.h"
#include "res/string_table.h"
#include "res/version.h"

namespace {

constexpr char kProgram[] = "delvaro-cli";
constexpr char kUsage[] = "Usage: delvaro-cli [-s SCALER] [-q] -o OUTPUT SKIFILE...";
constexpr double kMinScaler = 0.00001;
constexpr double kMaxScaler = 99999;

enum ExitStatus { kExitOk = 0, kExitConversionFault = 1, kExitUsage = 2 };

void PrintHelp() {
    std::printf(
        "%s\n"
        "Convert Leica SKI ASCII baseline files (ECEF coordinates in metres, US survey\n"
        "feet or international feet) into one TREVADEL input file: two geodetic\n"
        "station records on WGS 84 and one GPS observation for every baseline.\n"
        "\n"
        "  -o, --output FILE    the TREVADEL file to create or replace ('-' writes to\n"
        "                       standard output)\n"
        "  -s, --scaler VALUE   covariance scaler, 0.00001 to 99999 (default 1)\n"
        "  -q, --quiet          no summary line\n"
        "  -h, --help           show this help and exit\n"
        "      --version        show the version and exit\n"
        "\n"
        "%s"
        "\n"
        "Files are converted in the order given; the first failing file stops the run.\n"
        "A file is written under a temporary name beside it and then moved into\n"
        "place, so it always holds one run's whole output.\n"
        "Exit status: 0 when every file converted, 1 on a conversion fault, 2 on\n"
        "wrong usage, 130 and 143 when interrupted by SIGINT and SIGTERM.\n",
        kUsage, delvaro::kCheckOptionsHelp);
}

int UsageError(const std::string& message) {
    delvaro::WriteLine(stderr, std::string(kProgram) + ": " + message);
    std::fprintf(stderr, "%s\nTry '%s --help' for more information.\n", kUsage, kProgram);
    return kExitUsage;
}

struct Options {
    std::string output;
    bool haveOutput = false;
    double scaler = 1.0;
    bool quiet = false;
    std::vector<std::string> skiFiles;
    delvaro::CheckSettings checks;
};

// Matches `arg` against a short or long option that takes a value, in the
// forms -o VALUE, -oVALUE, --output VALUE and --output=VALUE.
enum class Match { No, Yes, MissingValue };
Match TakeValue(int argc, char** argv, int& i, char shortName, const char* longName,
                std::string& value) {
    const char* arg = argv[i];
    const size_t longLength = std::strlen(longName);
    const char* inline_value = nullptr;
    if (arg[0] == '-' && arg[1] == shortName) {
        if (arg[2] != '\0') inline_value = arg + 2;
    } else if (std::strncmp(arg, "--", 2) == 0 &&
               std::strncmp(arg + 2, longName, longLength) == 0 &&
               (arg[2 + longLength] == '\0' || arg[2 + longLength] == '=')) {
        if (arg[2 + longLength] == '=') inline_value = arg + 3 + longLength;
    } else {
        return Match::No;
    }
    if (inline_value != nullptr) {
        value = inline_value;
        return Match::Yes;
    }
    if (i + 1 >= argc) return Match::MissingValue;
    value = argv[++i];
    return Match::Yes;
}

// The run itself, into the output file or standard output. Memory that
// runs out where the run cannot report it still ends in its message.
delvaro::Status Convert(const Options& options, delvaro::ConsoleHost& host,
                        const std::string& shownName, delvaro::DataChecks* checks) {
    delvaro::InstallInterruptHandlers();
    try {
        if (options.output == "-") {
#ifdef _WIN32
            _setmode(_fileno(stdout), _O_BINARY);
#endif
            return delvaro::RunConversionToStream(host, stdout, shownName.c_str(), options.scaler,
                                                  options.skiFiles, checks);
        }
        return delvaro::RunConversion(host, options.output.c_str(), options.scaler,
                                      options.skiFiles, checks);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s\n", delvaro::FindResourceString(IDS_ERR_NO_MEMORY));
        return IDS_ERR_NO_MEMORY;
    }
}

int Main(int argc, char** argv) {
#ifdef _WIN32
    // Messages are the same bytes on every platform, lines ended by LF
    // alone; a console shows them through its own call either way.
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    Options options;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.skiFiles.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            PrintHelp();
            return kExitOk;
        }
        if (arg == "--version") {
            std::printf("%s %s\n", DELVARO_PRODUCT_NAME, DELVARO_VERSION_TEXT);
            return kExitOk;
        }
        if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
            continue;
        }
        std::string value;
        switch (delvaro::TakeCheckOption(argc, argv, i, options.checks, value)) {
            case delvaro::CheckOption::Taken:
                continue;
            case delvaro::CheckOption::Error:
                return UsageError(value);
            case delvaro::CheckOption::NotMine:
                break;
        }
        Match match = TakeValue(argc, argv, i, 'o', "output", value);
        if (match == Match::Yes) {
            options.output = value;
            options.haveOutput = true;
            continue;
        }
        if (match == Match::No) {
            match = TakeValue(argc, argv, i, 's', "scaler", value);
            if (match == Match::Yes) {
                double scaler = 0;
                if (!delvaro::ParseDecimalNumber(value, scaler))
                    return UsageError("the scaler '" + value + "' is not a number");
                if (!(scaler >= kMinScaler && scaler <= kMaxScaler))
                    return UsageError("the scaler " + value +
                                      " is out of range: it must lie from 0.00001 to 99999");
                options.scaler = scaler;
                continue;
            }
        }
        if (match == Match::MissingValue) return UsageError("option '" + arg + "' needs a value");
        return UsageError("unknown option '" + arg + "'");
    }
    if (!options.haveOutput || options.output.empty())
        return UsageError("no output file given (-o OUTPUT)");
    if (options.skiFiles.empty()) return UsageError("no SKI file given");
    if (std::string error;
        !delvaro::CheckSettingsFit(options.checks, options.output, options.skiFiles, error))
        return UsageError(error);

    const bool progress = !options.quiet && isatty(fileno(stderr));
    delvaro::ConsoleHost host(stderr, progress);
    const std::string shownName = options.output == "-" ? "standard output" : options.output;
    std::unique_ptr<delvaro::DataChecks> checks;
    if (options.checks.enabled)
        checks = std::make_unique<delvaro::DataChecks>(host, options.checks.options);
    delvaro::CheckReport report(options.checks, host);
    const bool converted = Convert(options, host, shownName, checks.get()) == delvaro::kStatusOk;
    const bool reported = delvaro::FinishChecks(options.checks, checks.get(), report, converted,
                                                shownName, options.scaler, options.quiet);
    if (!converted || !reported) return kExitConversionFault;
    if (!options.quiet)
        delvaro::WriteLine(stderr, std::string(kProgram) + ": " +
                                       delvaro::CountOf(host.FilesProcessed(), "file") + ", " +
                                       delvaro::CountOf(host.BaselinesProcessed(), "baseline") +
                                       " converted into " + shownName);
    if (!delvaro::StrictPasses(options.checks, host)) return kExitConversionFault;
    return kExitOk;
}

}  // namespace

#ifdef _WIN32
// The arguments as Windows holds them, in UTF-16, made UTF-8 like every
// other text of the program: the runtime's narrow arguments would turn a
// name outside the ANSI code page into question marks.
int wmain(int argc, wchar_t** wideArgv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(delvaro::Utf8FromWide(wideArgv[i]));
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    return Main(argc, argv.data());
}
#else
int main(int argc, char** argv) { return Main(argc, argv); }
#endif

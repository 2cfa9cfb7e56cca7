#include "cli/check_options.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "checks/html_report.h"
#include "checks/network_checks.h"
#include "engine/file_io.h"
#include "engine/number_parse.h"

namespace delvaro {

const char kCheckOptionsHelp[] =
    "Checking the data (warnings on standard error, FILE:LINE: warning: TEXT):\n"
    "      --report FILE    write an HTML report of the run and the network\n"
    "      --strict         exit with status 1 when there was any warning\n"
    "      --no-checks      convert without checking\n"
    "      --height-min M   lowest plausible ellipsoid height, metres (default -1000)\n"
    "      --height-max M   highest plausible ellipsoid height, metres (default 10000)\n"
    "      --spread M       most distance between positions of one station name,\n"
    "                       metres (default 0.10)\n"
    "      --repeat-mm MM   repeated baselines may differ by MM millimetres\n"
    "      --repeat-ppm PPM   plus PPM parts per million of their length (20 + 2)\n"
    "      --loop-mm MM     loops may miss closing by MM millimetres\n"
    "      --loop-ppm PPM     plus PPM parts per million of their length (20 + 2)\n"
    "      --network-limit N  the network checks step aside beyond N baselines\n"
    "                       (default 20000)\n";

namespace {

// --name VALUE or --name=VALUE.
enum class Value { No, Yes, Missing };
Value TakeLongValue(int argc, char** argv, int& i, const char* name, std::string& value) {
    const char* arg = argv[i];
    const size_t length = std::strlen(name);
    if (std::strncmp(arg, "--", 2) != 0 || std::strncmp(arg + 2, name, length) != 0)
        return Value::No;
    if (arg[2 + length] == '=') {
        value = arg + 3 + length;
        return Value::Yes;
    }
    if (arg[2 + length] != '\0') return Value::No;
    if (i + 1 >= argc) return Value::Missing;
    value = argv[++i];
    return Value::Yes;
}

// Names are UTF-8 on every platform.
std::filesystem::path PathOf(const std::string& name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

// One file under two names, or one name for a file still to be made.
bool SamePlace(const std::string& a, const std::string& b) {
    if (IdentityOfPath(a.c_str()) == IdentityOfPath(b.c_str())) return true;
    std::error_code error;
    const auto ca = std::filesystem::weakly_canonical(PathOf(a), error);
    if (error) return false;
    const auto cb = std::filesystem::weakly_canonical(PathOf(b), error);
    return !error && ca == cb;
}

}  // namespace

CheckOption TakeCheckOption(int argc, char** argv, int& i, CheckSettings& settings,
                            std::string& error) {
    const std::string arg = argv[i];
    if (arg == "--strict") {
        settings.strict = true;
        return CheckOption::Taken;
    }
    if (arg == "--no-checks") {
        settings.enabled = false;
        return CheckOption::Taken;
    }
    std::string value;
    Value found = TakeLongValue(argc, argv, i, "report", value);
    if (found == Value::Yes) {
        if (value.empty()) {
            error = "the report needs a file name";
            return CheckOption::Error;
        }
        settings.report = value;
        return CheckOption::Taken;
    }
    CheckOptions& o = settings.options;
    struct Number {
        const char* name;
        double* target;
        double least;  // the value must be at least this
    } numbers[] = {
        {"height-min", &o.minHeight, -1e9}, {"height-max", &o.maxHeight, -1e9},
        {"spread", &o.stationSpread, 0},    {"repeat-mm", &o.repeatMm, 0},
        {"repeat-ppm", &o.repeatPpm, 0},    {"loop-mm", &o.loopMm, 0},
        {"loop-ppm", &o.loopPpm, 0},
    };
    for (const Number& number : numbers) {
        if (found != Value::No) break;
        found = TakeLongValue(argc, argv, i, number.name, value);
        if (found != Value::Yes) continue;
        double parsed = 0;
        if (!ParseDecimalNumber(value, parsed) || parsed < number.least || parsed > 1e9) {
            error = "--" + std::string(number.name) + " takes a number" +
                    (number.least == 0 ? " of 0 or more" : "") + ", not '" + value + "'";
            return CheckOption::Error;
        }
        *number.target = parsed;
        return CheckOption::Taken;
    }
    if (found == Value::No) found = TakeLongValue(argc, argv, i, "network-limit", value);
    if (found == Value::Yes) {
        double parsed = 0;
        if (!ParseDecimalNumber(value, parsed) || parsed < 0 || parsed > 1e9 ||
            parsed != static_cast<double>(static_cast<int64_t>(parsed))) {
            error = "--network-limit takes a whole number of baselines, not '" + value + "'";
            return CheckOption::Error;
        }
        o.networkLimit = static_cast<int64_t>(parsed);
        return CheckOption::Taken;
    }
    if (found == Value::Missing) {
        error = "option '" + arg + "' needs a value";
        return CheckOption::Error;
    }
    return CheckOption::NotMine;
}

bool CheckSettingsFit(const CheckSettings& settings, const std::string& output,
                      const std::vector<std::string>& skiFiles, std::string& error) {
    if (!settings.enabled && (settings.strict || !settings.report.empty())) {
        error = "--no-checks cannot be combined with --report or --strict";
        return false;
    }
    if (settings.options.minHeight > settings.options.maxHeight) {
        error = "--height-min is above --height-max";
        return false;
    }
    if (settings.report.empty()) return true;
    // Writing the report over the output or an SKI file would destroy it.
    if (output != "-" && SamePlace(settings.report, output)) {
        error = "the report " + settings.report + " would overwrite the output";
        return false;
    }
    for (const std::string& ski : skiFiles)
        if (SamePlace(settings.report, ski)) {
            error = "the report " + settings.report + " would overwrite the SKI file " + ski;
            return false;
        }
    return true;
}

CheckReport::CheckReport(const CheckSettings& settings, ConsoleHost& host) : m_host(host) {
    if (settings.report.empty()) return;
    // A report lists this many; a run with more says how many more there were.
    constexpr size_t kMostListed = 10000;
    host.ListenToWarnings([this](const std::string& file, int32_t line, const std::string& text) {
        if (m_warnings.size() < kMostListed) m_warnings.push_back({file, line, text});
    });
}

bool FinishChecks(const CheckSettings& settings, DataChecks* checks, CheckReport& report,
                  bool converted, const std::string& outputName, double scaler, bool quiet) {
    ConsoleHost& host = report.Host();
    if (checks == nullptr) return true;
    NetworkAnalysis network;
    bool outOfMemory = checks->OutOfMemory();
    if (converted && !checks->SteppedAside()) {
        try {
            network = CheckNetwork(*checks);
        } catch (const std::bad_alloc&) {
            network = NetworkAnalysis();
            outOfMemory = true;
        }
    }
    // A notice, not a warning; -q leaves it out unless warnings decide the
    // exit status.
    if (converted && (checks->SteppedAside() || outOfMemory) && (!quiet || settings.strict)) {
        if (outOfMemory)
            std::fprintf(stderr,
                         "delvaro-cli: note: the network checks were left out: not enough "
                         "memory\n");
        else
            std::fprintf(stderr,
                         "delvaro-cli: note: the network checks were left out: the run has more "
                         "than %lld baselines (--network-limit)\n",
                         static_cast<long long>(settings.options.networkLimit));
    }
    if (settings.report.empty()) return true;
    RunSummary run;
    run.outputName = outputName;
    run.covarianceScaler = scaler;
    run.filesConverted = host.FilesProcessed();
    run.baselines = host.BaselinesProcessed();
    run.succeeded = converted;
    run.failure = host.LastMessage();
    run.warnings = std::move(report.Warnings());
    run.warningCount = host.WarningCount();
    std::string error;
    try {
        if (WriteHtmlReport(settings.report, HtmlReport(run, *checks, network), error)) return true;
    } catch (const std::bad_alloc&) {
        error = std::strerror(ENOMEM);
    }
    std::fprintf(stderr, "delvaro-cli: cannot write the report %s: %s\n",
                 OneLine(settings.report).c_str(), error.c_str());
    return false;
}

bool StrictPasses(const CheckSettings& settings, const ConsoleHost& host) {
    if (!settings.strict || host.WarningCount() == 0) return true;
    std::fprintf(stderr, "delvaro-cli: %lld warning%s, and --strict makes that a failure\n",
                 host.WarningCount(), host.WarningCount() == 1 ? "" : "s");
    return false;
}

}  // namespace delvaro

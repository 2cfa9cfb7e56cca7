// The command line's side of the data checks: their options, and what
// follows a run (the network checks, the report, --strict).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "checks/data_checks.h"
#include "cli/console_host.h"

namespace delvaro {

struct CheckSettings {
    bool enabled = true;
    bool strict = false;
    std::string report;  // the HTML report's path; empty for none
    CheckOptions options;
};

// The options' lines of --help.
extern const char kCheckOptionsHelp[];

// Takes argv[i] (and its value, advancing i) when it is an option of the
// checks. Taken, NotMine, or Error with `error` set.
enum class CheckOption { NotMine, Taken, Error };
CheckOption TakeCheckOption(int argc, char** argv, int& i, CheckSettings& settings,
                            std::string& error);

// Whether the settings fit the run: the report must be a file of its own.
// False, with `error` set, when they do not.
bool CheckSettingsFit(const CheckSettings& settings, const std::string& output,
                      const std::vector<std::string>& skiFiles, std::string& error);

// What the report needs of the run besides the checks: every warning the
// host shows, kept from the start when a report is asked for.
class CheckReport {
  public:
    CheckReport(const CheckSettings& settings, ConsoleHost& host);
    ConsoleHost& Host() { return m_host; }
    std::vector<CheckWarning>& Warnings() { return m_warnings; }

  private:
    ConsoleHost& m_host;
    std::vector<CheckWarning> m_warnings;
};

// After the run: the network checks when it converted, and the report when
// asked for (also after a failure). Notices (not with `quiet`) and faults go
// to standard error. False when the report could not be written.
bool FinishChecks(const CheckSettings& settings, DataChecks* checks, CheckReport& report,
                  bool converted, const std::string& outputName, double scaler, bool quiet);

// --strict: false, with a line that says how many warnings there were,
// when the run gave any.
bool StrictPasses(const CheckSettings& settings, const ConsoleHost& host);

}  // namespace delvaro

// The network report: one self-contained HTML file with the run, every
// warning, tables of the stations, repeated baselines, loops and parts, and
// a drawing of the network in inline SVG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "checks/data_checks.h"
#include "checks/network_checks.h"

namespace delvaro {

struct RunSummary {
    std::string outputName;
    double covarianceScaler = 1;
    int32_t filesConverted = 0;
    int32_t baselines = 0;
    bool succeeded = true;
    std::string failure;  // the run's message when it did not succeed
    // Every warning of the run (the checks' and the conversion's own), as
    // far as they were kept, and how many there were in all.
    std::vector<CheckWarning> warnings;
    int64_t warningCount = 0;
};

std::string HtmlReport(const RunSummary& run, const DataChecks& checks,
                       const NetworkAnalysis& network);

// Writes the report to `path`; false, with `error` saying why, when it
// could not be written whole.
bool WriteHtmlReport(const std::string& path, const std::string& html, std::string& error);

}  // namespace delvaro

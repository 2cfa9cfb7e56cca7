#include "checks/html_report.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "common/text_utils.h"
#include "engine/file_io.h"
#include "engine/geodesy.h"

namespace delvaro {

namespace {

// Text for HTML: the markup characters escaped, control characters and
// bytes that are not UTF-8 shown as '?'.
std::string Escape(const std::string& text) {
    std::string out;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '&':
                out += "&amp;";
                continue;
            case '<':
                out += "&lt;";
                continue;
            case '>':
                out += "&gt;";
                continue;
            case '"':
                out += "&quot;";
                continue;
            case '\'':
                out += "&#39;";
                continue;
            default:
                break;
        }
        if (c < 0x20 || c == 0x7f) {
            out += '?';
            continue;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        // A whole UTF-8 sequence, or '?' for the byte.
        const size_t length = c >= 0xf0 && c <= 0xf4 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 ? 2 : 0;
        bool valid = length > 0 && i + length <= n && c < 0xf5;
        for (size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(text[i + k]) & 0xc0) == 0x80;
        if (valid) {
            out.append(text, i, length);
            i += length - 1;
        } else {
            out += '?';
        }
    }
    return out;
}

// A value that rounds to zero is shown without a sign.
std::string Fixed(double value, int decimals) {
    std::string text = FormatNumber(value, decimals);
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}
std::string Mm(double metres) { return Fixed(metres * 1000, 1); }

std::string Packed(double radians) { return Fixed(RadiansToPackedDms(radians), 10); }

constexpr char kStyle[] = R"(
:root { --fail: #c0182a; --repeat: #1f5fbf; --line: #555; --muted: #666; }
* { box-sizing: border-box; }
body { font: 10.5pt/1.35 "DejaVu Sans", Arial, Helvetica, sans-serif; color: #111;
       margin: 1.5em auto; max-width: 60em; padding: 0 1em; }
h1 { font-size: 17pt; margin: 0 0 .2em; }
h2 { font-size: 13pt; margin: 1.4em 0 .4em; border-bottom: 1px solid #bbb; }
p.lead { color: var(--muted); margin-top: 0; }
table { border-collapse: collapse; width: 100%; margin: .3em 0 .8em; font-size: 9pt; }
th, td { border: 1px solid #ccc; padding: .15em .4em; text-align: left; vertical-align: top; }
th { background: #eee; }
td.num { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
tr.fail td { background: #fbe3e5; }
.fail-text { color: var(--fail); font-weight: bold; }
.ok-text { color: #17692c; }
.note { color: var(--muted); }
table.run th { width: 14em; }
figure { margin: .5em 0; page-break-inside: avoid; break-inside: avoid; }
svg.network { width: 100%; height: auto; border: 1px solid #bbb; background: #fff; }
svg .baseline { stroke: var(--line); fill: none; }
svg .repeated { stroke: var(--repeat); }
svg .loop-fail { stroke: var(--fail); stroke-dasharray: 6 3; }
svg .station { fill: #fff; stroke: #000; }
svg .station.flagged { fill: var(--fail); }
svg .station-name { fill: #000; font-family: "DejaVu Sans", Arial, sans-serif;
                    paint-order: stroke; stroke: #fff; stroke-width: 3px; }
svg .scale rect.dark { fill: #000; } svg .scale rect.light { fill: #fff; stroke: #000; }
svg .scale text, svg .north text { font-family: "DejaVu Sans", Arial, sans-serif; fill: #000; }
figcaption { font-size: 9pt; color: var(--muted); }
.key { display: inline-block; width: 2.2em; height: 0; border-top: 2px solid var(--line);
       vertical-align: middle; margin: 0 .3em 0 1em; }
.key.repeated { border-top: 4px solid var(--repeat); }
.key.loop-fail { border-top: 4px dashed var(--fail); }
@page { size: A4; margin: 14mm 12mm; }
@media print {
  body { margin: 0; max-width: none; padding: 0; font-size: 9.5pt; }
  h2 { page-break-after: avoid; break-after: avoid; }
  tr { page-break-inside: avoid; break-inside: avoid; }
  svg.network { max-height: 235mm; }
}
)";

class ReportWriter {
  public:
    ReportWriter(const RunSummary& run, const DataChecks& checks, const NetworkAnalysis& network)
        : m_run(run), m_checks(checks), m_network(network) {}

    std::string Write() {
        m_out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
        m_out += "<title>Delvaro network report: " + Escape(m_run.outputName) + "</title>\n";
        m_out += "<style>" + std::string(kStyle) + "</style>\n</head>\n<body>\n";
        m_out +=
            "<h1>Delvaro network report</h1>\n<p class=\"lead\">Read this before the "
            "adjustment: every warning names what to check.</p>\n";
        Run();
        Warnings();
        const bool analysed =
            m_run.succeeded && !m_checks.SteppedAside() && !m_network.stations.empty();
        if (!analysed) {
            m_out += "<h2 id=\"network\">Network</h2>\n<p class=\"note\">";
            if (!m_run.succeeded)
                m_out += "The network was not checked: the conversion failed.";
            else if (m_checks.SteppedAside())
                m_out += "The network was not checked: the run has more than " +
                         std::to_string(m_checks.Options().networkLimit) + " baselines.";
            else
                m_out += "The run holds no baselines.";
            m_out += "</p>\n";
        } else {
            Drawing();
            Stations();
            Repeats();
            Loops();
            Parts();
        }
        m_out += "</body>\n</html>\n";
        return std::move(m_out);
    }

  private:
    void Run();
    void Warnings();
    void Drawing();
    void Stations();
    void Repeats();
    void Loops();
    void Parts();
    std::string Name(uint32_t station) const { return Escape(m_network.stations[station].name); }
    // FILE:LINE of a baseline's first record, the file by its name alone
    // (the table of SKI files has the paths).
    std::string Place(uint32_t baseline) const {
        const CollectedBaseline& b = m_checks.Baselines()[baseline];
        return Escape(FileNameFromPath(m_checks.Files()[static_cast<size_t>(b.file)], false) + ":" +
                      std::to_string(std::min(b.line[0], b.line[1])));
    }

    const RunSummary& m_run;
    const DataChecks& m_checks;
    const NetworkAnalysis& m_network;
    std::string m_out;
};

void ReportWriter::Run() {
    m_out += "<h2 id=\"run\">The run</h2>\n<table class=\"run\">\n";
    m_out += "<tr><th>Output</th><td>" + Escape(m_run.outputName) + "</td></tr>\n";
    m_out += "<tr><th>Covariance scaler</th><td>" + Escape(Fixed(m_run.covarianceScaler, 5)) +
             "</td></tr>\n";
    m_out += "<tr><th>Result</th><td>";
    if (m_run.succeeded)
        m_out +=
            "<span class=\"ok-text\">converted</span>: " + std::to_string(m_run.filesConverted) +
            " files, " + std::to_string(m_run.baselines) + " baselines";
    else
        m_out += "<span class=\"fail-text\">failed</span>: " + Escape(m_run.failure);
    m_out += "</td></tr>\n";
    const int64_t warnings = m_run.warningCount;
    m_out += "<tr><th>Warnings</th><td>" +
             (warnings == 0 ? std::string("<span class=\"ok-text\">none</span>")
                            : "<span class=\"fail-text\">" + std::to_string(warnings) + "</span>") +
             "</td></tr>\n";
    if (!m_network.stations.empty()) {
        size_t failingLoops = 0, oneSession = 0, failingRepeats = 0;
        for (const Loop& loop : m_network.loops) {
            failingLoops += loop.fails;
            oneSession += loop.oneSession;
        }
        for (const RepeatGroup& group : m_network.repeats)
            for (const RepeatEntry& entry : group.repeats) failingRepeats += entry.fails;
        m_out += "<tr><th>Network</th><td>" + std::to_string(m_network.stations.size()) +
                 " stations, " + std::to_string(m_checks.Baselines().size()) + " baselines, " +
                 std::to_string(m_network.repeats.size()) + " repeated (" +
                 std::to_string(failingRepeats) + " over tolerance), " +
                 std::to_string(m_network.loops.size()) + " loops (" +
                 std::to_string(failingLoops) + " over tolerance, " + std::to_string(oneSession) +
                 " from one session), " + std::to_string(m_network.parts.size()) +
                 (m_network.parts.size() == 1 ? " part" : " parts") + "</td></tr>\n";
    }
    const CheckOptions& o = m_checks.Options();
    m_out += "<tr><th>Thresholds</th><td>heights " + Fixed(o.minHeight, 0) + " m to " +
             Fixed(o.maxHeight, 0) + " m; one name within " + Fixed(o.stationSpread, 3) +
             " m; repeated baselines " + Fixed(o.repeatMm, 1) + " mm + " + Fixed(o.repeatPpm, 1) +
             " ppm; loops " + Fixed(o.loopMm, 1) + " mm + " + Fixed(o.loopPpm, 1) +
             " ppm</td></tr>\n</table>\n";

    m_out +=
        "<table id=\"files\">\n<thead><tr><th>SKI file</th><th>Unit</th>"
        "<th>Baselines</th></tr></thead>\n<tbody>\n";
    for (size_t i = 0; i < m_checks.Files().size(); ++i)
        m_out += "<tr><td>" + Escape(m_checks.Files()[i]) + "</td><td>" +
                 Escape(m_checks.FileUnits()[i]) + "</td><td class=\"num\">" +
                 std::to_string(m_checks.FileBaselines()[i]) + "</td></tr>\n";
    m_out += "</tbody>\n</table>\n";
}

void ReportWriter::Warnings() {
    m_out += "<h2 id=\"warnings\">Warnings</h2>\n";
    if (m_run.warnings.empty()) {
        m_out += "<p>No warnings.</p>\n";
        return;
    }
    m_out +=
        "<table id=\"warning-list\">\n<thead><tr><th>File</th><th>Line</th><th>Warning</th>"
        "</tr></thead>\n<tbody>\n";
    for (const CheckWarning& w : m_run.warnings) {
        m_out += "<tr><td>" + (w.file.empty() ? std::string("(network)") : Escape(w.file)) +
                 "</td><td class=\"num\">" + (w.line > 0 ? std::to_string(w.line) : "") +
                 "</td><td>" + Escape(w.text) + "</td></tr>\n";
    }
    m_out += "</tbody>\n</table>\n";
    const int64_t notListed = m_run.warningCount - static_cast<int64_t>(m_run.warnings.size());
    if (notListed > 0)
        m_out += "<p class=\"note\">" + std::to_string(notListed) +
                 " further warnings are not listed here.</p>\n";
}

// A round length for the scale bar: 1, 2 or 5 times a power of ten, at
// most `most` metres.
double RoundLength(double most) {
    double unit = 0.001;
    while (unit * 10 <= most) unit *= 10;
    for (double factor : {5.0, 2.0})
        if (unit * factor <= most) return unit * factor;
    return unit;
}

std::string LengthText(double metres) {
    if (metres >= 1000) return Fixed(metres / 1000, metres >= 10000 ? 0 : 1) + " km";
    if (metres >= 1) return Fixed(metres, 0) + " m";
    return Fixed(metres * 100, 0) + " cm";
}

void ReportWriter::Drawing() {
    const std::vector<StationSummary>& stations = m_network.stations;
    double minE = stations[0].east, maxE = minE, minN = stations[0].north, maxN = minN;
    for (const StationSummary& s : stations) {
        minE = std::min(minE, s.east), maxE = std::max(maxE, s.east);
        minN = std::min(minN, s.north), maxN = std::max(maxN, s.north);
    }
    // At least a metre each way, so that one point or a line still draws.
    const double spanE = std::max(maxE - minE, 1.0), spanN = std::max(maxN - minN, 1.0);
    const double midE = (minE + maxE) / 2, midN = (minN + maxN) / 2;
    constexpr double kWidth = 1000, kMargin = 70, kInner = kWidth - 2 * kMargin;
    constexpr double kMaxInnerHeight = 1.3 * kInner, kMinInnerHeight = 0.35 * kInner;
    const double scale = std::min(kInner / spanE, kMaxInnerHeight / spanN);
    const double innerHeight = std::max(spanN * scale, kMinInnerHeight);
    const double height = innerHeight + 2 * kMargin + 30;
    auto X = [&](double e) { return kWidth / 2 + (e - midE) * scale; };
    auto Y = [&](double n) { return kMargin + innerHeight / 2 - (n - midN) * scale; };
    // Names and marks shrink as the network fills up, within readable sizes.
    const double count = static_cast<double>(stations.size());
    const double font = std::clamp(90 / SquareRoot(count), 7.0, 15.0);
    const double radius = font * 0.35;
    const double stroke = std::max(font / 9, 0.7);

    // Which pairs are drawn how.
    std::set<std::pair<uint32_t, uint32_t>> repeated, failing;
    auto pairOf = [&](uint32_t baseline) {
        const CollectedBaseline& b = m_checks.Baselines()[baseline];
        return std::minmax(b.station[0], b.station[1]);
    };
    for (const RepeatGroup& group : m_network.repeats) repeated.insert(pairOf(group.first));
    for (const Loop& loop : m_network.loops)
        if (loop.fails)
            for (const LoopStep& step : loop.steps) failing.insert(pairOf(step.baseline));
    std::set<uint32_t> flagged;
    for (size_t i = 0; i < stations.size(); ++i)
        if (stations[i].spreadFails) flagged.insert(static_cast<uint32_t>(i));
    for (const auto& group : m_network.nameGroups) flagged.insert(group.begin(), group.end());

    m_out += "<h2 id=\"drawing\">The network</h2>\n<figure>\n";
    m_out += "<svg class=\"network\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " +
             Fixed(kWidth, 0) + " " + Fixed(height, 0) +
             "\" role=\"img\" aria-label=\"Drawing of the baseline network\">\n";
    m_out += "<rect x=\"0\" y=\"0\" width=\"" + Fixed(kWidth, 0) + "\" height=\"" +
             Fixed(height, 0) + "\" fill=\"#fff\"/>\n<g class=\"baselines\">\n";
    std::set<std::pair<uint32_t, uint32_t>> drawn;
    for (uint32_t i = 0; i < m_checks.Baselines().size(); ++i) {
        const auto pair = pairOf(i);
        if (pair.first == pair.second || !drawn.insert(pair).second) continue;
        const StationSummary& a = stations[pair.first];
        const StationSummary& b = stations[pair.second];
        std::string cls = "baseline";
        double width = stroke;
        if (repeated.count(pair)) cls += " repeated", width = stroke * 2.5;
        if (failing.count(pair)) cls += " loop-fail", width = stroke * 3;
        m_out += "<line class=\"" + cls + "\" data-from=\"" + Escape(a.name) + "\" data-to=\"" +
                 Escape(b.name) + "\" x1=\"" + Fixed(X(a.east), 1) + "\" y1=\"" +
                 Fixed(Y(a.north), 1) + "\" x2=\"" + Fixed(X(b.east), 1) + "\" y2=\"" +
                 Fixed(Y(b.north), 1) + "\" stroke-width=\"" + Fixed(width, 2) + "\"/>\n";
    }
    m_out += "</g>\n<g class=\"stations\">\n";
    for (uint32_t i = 0; i < stations.size(); ++i) {
        const StationSummary& s = stations[i];
        m_out += "<circle class=\"station" + std::string(flagged.count(i) ? " flagged" : "") +
                 "\" data-name=\"" + Escape(s.name) + "\" cx=\"" + Fixed(X(s.east), 1) +
                 "\" cy=\"" + Fixed(Y(s.north), 1) + "\" r=\"" + Fixed(radius, 2) +
                 "\" stroke-width=\"" + Fixed(stroke, 2) + "\"><title>" + Escape(s.name) +
                 "</title></circle>\n";
    }
    m_out += "</g>\n<g class=\"names\" font-size=\"" + Fixed(font, 1) + "\">\n";
    for (const StationSummary& s : stations)
        m_out += "<text class=\"station-name\" x=\"" + Fixed(X(s.east) + radius * 1.3, 1) +
                 "\" y=\"" + Fixed(Y(s.north) - radius * 1.3, 1) + "\">" + Escape(s.name) +
                 "</text>\n";
    m_out += "</g>\n";

    // Scale bar, bottom left: about a fifth of the width, in four fields.
    const double barMetres = RoundLength(spanE / 5 < 0.001 ? 0.001 : spanE / 5);
    const double barLength = barMetres * scale;
    const double barX = 30, barY = height - 30;
    m_out += "<g class=\"scale\">\n";
    for (int k = 0; k < 4; ++k)
        m_out += "<rect class=\"" + std::string(k % 2 == 0 ? "dark" : "light") + "\" x=\"" +
                 Fixed(barX + k * barLength / 4, 1) + "\" y=\"" + Fixed(barY, 1) + "\" width=\"" +
                 Fixed(barLength / 4, 1) + "\" height=\"6\"/>\n";
    m_out += "<text x=\"" + Fixed(barX, 1) + "\" y=\"" + Fixed(barY - 6, 1) +
             "\" font-size=\"13\">0</text>\n<text x=\"" + Fixed(barX + barLength, 1) + "\" y=\"" +
             Fixed(barY - 6, 1) + "\" font-size=\"13\" text-anchor=\"middle\">" +
             LengthText(barMetres) + "</text>\n</g>\n";
    // North arrow, top right.
    m_out += "<g class=\"north\" transform=\"translate(" + Fixed(kWidth - 40, 0) +
             " 22)\">\n<polygon points=\"0,0 11,34 0,26 -11,34\" fill=\"#000\"/>\n"
             "<text x=\"0\" y=\"52\" font-size=\"16\" font-weight=\"bold\" "
             "text-anchor=\"middle\">N</text>\n</g>\n</svg>\n";
    m_out +=
        "<figcaption>Stations on a local east/north plane centred on the network "
        "(latitude " +
        Packed(m_network.centreLatitude) + ", longitude " + Packed(m_network.centreLongitude) +
        ", packed DD.MMSS). <span class=\"key\"></span>baseline "
        "<span class=\"key repeated\"></span>repeated baseline "
        "<span class=\"key loop-fail\"></span>baseline of a loop over tolerance; "
        "filled stations have a warning.</figcaption>\n</figure>\n";
}

void ReportWriter::Stations() {
    m_out +=
        "<h2 id=\"stations\">Stations</h2>\n<p class=\"note\">Latitude and longitude as "
        "written (DD.MMSSsssss), the ellipsoid height in metres, from the first baseline "
        "that names the station.</p>\n";
    m_out +=
        "<table id=\"station-list\">\n<thead><tr><th>Station</th><th>Latitude</th>"
        "<th>Longitude</th><th>Height</th><th>Spread (mm)</th><th>Baselines</th>"
        "<th>To stations</th></tr></thead>\n<tbody>\n";
    for (uint32_t i = 0; i < m_network.stations.size(); ++i) {
        const StationSummary& s = m_network.stations[i];
        std::map<std::string, int> others;
        for (uint32_t b : s.baselines) {
            const CollectedBaseline& base = m_checks.Baselines()[b];
            const uint32_t other = base.station[0] == i ? base.station[1] : base.station[0];
            ++others[m_network.stations[other].name];
        }
        std::string to;
        for (const auto& [name, times] : others) {
            if (!to.empty()) to += ", ";
            to += Escape(name) + (times > 1 ? " (" + std::to_string(times) + "&times;)" : "");
        }
        m_out += std::string(s.spreadFails ? "<tr class=\"fail\">" : "<tr>") + "<td>" +
                 Escape(s.name) + "</td><td class=\"num\">" + Packed(s.latitude) +
                 "</td><td class=\"num\">" + Packed(s.longitude) + "</td><td class=\"num\">" +
                 Fixed(s.height, 5) + "</td><td class=\"num\">" + Mm(s.spread) +
                 "</td><td class=\"num\">" + std::to_string(s.baselines.size()) + "</td><td>" + to +
                 "</td></tr>\n";
    }
    m_out += "</tbody>\n</table>\n";
}

void ReportWriter::Repeats() {
    m_out += "<h2 id=\"repeats\">Repeated baselines</h2>\n";
    if (m_network.repeats.empty()) {
        m_out += "<p>No baseline was observed twice.</p>\n";
        return;
    }
    m_out +=
        "<p class=\"note\">Each repeat compared with the first observation of its pair "
        "(reversed where it runs the other way).</p>\n";
    m_out +=
        "<table id=\"repeat-list\">\n<thead><tr><th>Stations</th><th>First</th>"
        "<th>Repeat</th><th>Length (m)</th><th>Difference (mm)</th><th>Allowed (mm)</th>"
        "<th>Result</th></tr></thead>\n<tbody>\n";
    for (const RepeatGroup& group : m_network.repeats) {
        const CollectedBaseline& first = m_checks.Baselines()[group.first];
        for (const RepeatEntry& entry : group.repeats) {
            m_out += std::string(entry.fails ? "<tr class=\"fail\">" : "<tr>") + "<td>" +
                     Name(first.station[0]) + " &ndash; " + Name(first.station[1]) + "</td><td>" +
                     Place(group.first) + "</td><td>" + Place(entry.baseline) +
                     "</td><td class=\"num\">" + Fixed(Length3d(first.vector), 3) +
                     "</td><td class=\"num\">" + Mm(entry.difference) + "</td><td class=\"num\">" +
                     Mm(entry.tolerance) + "</td><td>" +
                     (entry.fails ? "<span class=\"fail-text\">over</span>" : "ok") +
                     "</td></tr>\n";
        }
    }
    m_out += "</tbody>\n</table>\n";
}

void ReportWriter::Loops() {
    m_out += "<h2 id=\"loops\">Loops</h2>\n";
    if (m_network.loops.empty()) {
        m_out +=
            "<p>The network has no loops: nothing checks its baselines against each "
            "other.</p>\n";
        return;
    }
    m_out +=
        "<p class=\"note\">An independent set of loops, each as short as could be found. "
        "Misclosure: the sum of the vectors around the loop, in 3D and in local east, "
        "north and up. A loop whose baselines were all observed in one session closes "
        "whatever they hold, so its closure proves little.</p>\n";
    m_out +=
        "<table id=\"loop-list\">\n<thead><tr><th>#</th><th>Loop</th><th>Baselines</th>"
        "<th>Length (m)</th><th>3D (mm)</th><th>East (mm)</th><th>North (mm)</th>"
        "<th>Up (mm)</th><th>Horizontal (mm)</th><th>ppm</th><th>Allowed (mm)</th>"
        "<th>Result</th></tr></thead>\n<tbody>\n";
    for (size_t i = 0; i < m_network.loops.size(); ++i) {
        const Loop& loop = m_network.loops[i];
        std::string path, places;
        for (size_t k = 0; k < loop.steps.size(); ++k) {
            path += Name(loop.stations[k]) + " &ndash; ";
            places += (k > 0 ? "<br>" : "") + Place(loop.steps[k].baseline);
        }
        path += Name(loop.stations[0]);
        m_out +=
            std::string(loop.fails ? "<tr class=\"fail\">" : "<tr>") + "<td class=\"num\">" +
            std::to_string(i + 1) + "</td><td>" + path + "</td><td>" + places +
            "</td><td class=\"num\">" + Fixed(loop.length, 1) + "</td><td class=\"num\">" +
            Mm(loop.Misclosure3d()) + "</td><td class=\"num\">" + Mm(loop.east) +
            "</td><td class=\"num\">" + Mm(loop.north) + "</td><td class=\"num\">" + Mm(loop.up) +
            "</td><td class=\"num\">" + Mm(loop.Horizontal()) + "</td><td class=\"num\">" +
            Fixed(loop.Ppm(), 1) + "</td><td class=\"num\">" + Mm(loop.tolerance) + "</td><td>" +
            (loop.fails ? "<span class=\"fail-text\">over</span>" : "ok") +
            (loop.oneSession ? " <span class=\"note\">(one session)</span>" : "") + "</td></tr>\n";
    }
    m_out += "</tbody>\n</table>\n";
}

void ReportWriter::Parts() {
    m_out += "<h2 id=\"parts\">Parts</h2>\n";
    if (m_network.parts.size() == 1) {
        m_out += "<p>The network is in one piece.</p>\n";
        return;
    }
    m_out += "<p class=\"fail-text\">The network falls into " +
             std::to_string(m_network.parts.size()) +
             " separate parts: each needs its own control.</p>\n";
    m_out +=
        "<table id=\"part-list\">\n<thead><tr><th>Part</th><th>Stations</th><th>Names</th>"
        "</tr></thead>\n<tbody>\n";
    for (size_t p = 0; p < m_network.parts.size(); ++p) {
        std::string names;
        for (uint32_t s : m_network.parts[p]) names += (names.empty() ? "" : ", ") + Name(s);
        m_out += "<tr><td class=\"num\">" + std::to_string(p + 1) + "</td><td class=\"num\">" +
                 std::to_string(m_network.parts[p].size()) + "</td><td>" + names + "</td></tr>\n";
    }
    m_out += "</tbody>\n</table>\n";
}

}  // namespace

std::string HtmlReport(const RunSummary& run, const DataChecks& checks,
                       const NetworkAnalysis& network) {
    return ReportWriter(run, checks, network).Write();
}

bool WriteHtmlReport(const std::string& path, const std::string& html, std::string& error) {
    errno = 0;
    FILE* file = CreateOutputFile(path.c_str());
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(html.data(), 1, html.size(), file) == html.size() &&
                         std::fflush(file) == 0 && !std::ferror(file);
    const int savedErrno = errno;
    if (std::fclose(file) != 0 || !written) {
        error = std::strerror(written ? errno : savedErrno);
        return false;
    }
    return true;
}

}  // namespace delvaro

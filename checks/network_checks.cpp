#include "checks/network_checks.h"

#include <algorithm>
#include <deque>
#include <map>
#include <utility>

#include "common/text_utils.h"
#include "engine/geodesy.h"

namespace delvaro {

namespace {

// A search for a short loop gives up after this many stations and takes
// the loop through the spanning tree instead.
constexpr size_t kMaxLoopSearch = 5000;
// Names listed in one warning; the report lists them all.
constexpr size_t kNamesInWarning = 12;
constexpr size_t kPartsInWarning = 10;

std::string Quoted(const std::string& name) {
    for (char c : name)
        if (IsBlank(c)) return "\"" + name + "\"";
    return name.empty() ? "\"\"" : name;
}

std::string ListNames(const std::vector<std::string>& names, const std::vector<uint32_t>& ids,
                      size_t most) {
    std::string text;
    for (size_t i = 0; i < ids.size() && i < most; ++i) {
        if (i > 0) text += ", ";
        text += Quoted(names[ids[i]]);
    }
    if (ids.size() > most) text += " and " + std::to_string(ids.size() - most) + " more";
    return text;
}

std::string Millimetres(double metres) { return FormatNumber(metres * 1000, 1) + " mm"; }

// The rotation from earth-centred axes to local east, north, up.
struct LocalFrame {
    double sinLat, cosLat, sinLon, cosLon;
    LocalFrame(double latitude, double longitude)
        : sinLat(Sine(latitude)),
          cosLat(Cosine(latitude)),
          sinLon(Sine(longitude)),
          cosLon(Cosine(longitude)) {}
    void ToLocal(const double d[3], double& east, double& north, double& up) const {
        east = -sinLon * d[0] + cosLon * d[1];
        north = -sinLat * cosLon * d[0] - sinLat * sinLon * d[1] + cosLat * d[2];
        up = cosLat * cosLon * d[0] + cosLat * sinLon * d[1] + sinLat * d[2];
    }
};

double Distance(const double a[3], const double b[3]) {
    const double d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
    return Length3d(d);
}

std::string NameKey(const std::string& name) {
    std::string key;
    for (char c : name) {
        if (IsBlank(c)) continue;
        key += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return key;
}

struct Occurrence {
    double xyz[3];
    uint32_t baseline;
    int end;  // 0 from, 1 to
};

class NetworkChecker {
  public:
    explicit NetworkChecker(DataChecks& checks)
        : m_checks(checks),
          m_names(checks.StationNames()),
          m_baselines(checks.Baselines()),
          m_options(checks.Options()) {}

    NetworkAnalysis Run() {
        m_result.stations.resize(m_names.size());
        for (size_t i = 0; i < m_names.size(); ++i) m_result.stations[i].name = m_names[i];
        Stations();
        NameGroups();
        Spreads();
        Edges();
        Parts();
        Repeats();
        Loops();
        return std::move(m_result);
    }

  private:
    void Stations();
    void NameGroups();
    void Spreads();
    void Edges();
    void Parts();
    void Repeats();
    void Loops();
    bool ShortPath(uint32_t from, uint32_t to, uint32_t skipEdge, std::vector<uint32_t>& edges);
    void TreePath(uint32_t from, uint32_t to, std::vector<uint32_t>& edges);
    void MakeLoop(uint32_t start, const std::vector<uint32_t>& edges);
    std::string Place(uint32_t baseline) const {
        return BaselinePlace(m_checks, m_baselines[baseline]);
    }
    void PositionOf(uint32_t baseline, int end, double xyz[3]) const {
        const CollectedBaseline& b = m_baselines[baseline];
        for (int axis = 0; axis < 3; ++axis)
            xyz[axis] = end == 0 ? b.fromXyz[axis] : b.fromXyz[axis] + b.vector[axis];
    }

    DataChecks& m_checks;
    const std::vector<std::string>& m_names;
    const std::vector<CollectedBaseline>& m_baselines;
    const CheckOptions& m_options;
    NetworkAnalysis m_result;

    // Baselines between the same two stations form one edge of the graph.
    struct Edge {
        uint32_t a, b;                    // stations, a <= b
        std::vector<uint32_t> baselines;  // the first one stands for the edge
    };
    std::vector<Edge> m_edges;
    std::vector<std::vector<std::pair<uint32_t, uint32_t>>> m_adjacent;  // station, edge
    std::vector<bool> m_treeEdge;
    std::vector<bool> m_usable;  // in the tree, or already the new edge of a loop
    std::vector<int64_t> m_parentEdge;
    std::vector<uint32_t> m_depth;
    // Scratch of the loop search, reset by generation.
    std::vector<uint32_t> m_seen;
    std::vector<uint32_t> m_via;
    uint32_t m_generation = 0;
};

void NetworkChecker::Stations() {
    std::vector<bool> placed(m_names.size(), false);
    for (uint32_t i = 0; i < m_baselines.size(); ++i) {
        for (int end = 0; end < 2; ++end) {
            StationSummary& s = m_result.stations[m_baselines[i].station[end]];
            s.baselines.push_back(i);
            if (!placed[m_baselines[i].station[end]]) {
                placed[m_baselines[i].station[end]] = true;
                PositionOf(i, end, s.xyz);
            }
        }
        // A baseline from a station to itself counts once there.
        if (m_baselines[i].station[0] == m_baselines[i].station[1])
            m_result.stations[m_baselines[i].station[0]].baselines.pop_back();
    }
    if (m_names.empty()) return;
    double centre[3] = {};
    for (const StationSummary& s : m_result.stations)
        for (int axis = 0; axis < 3; ++axis) centre[axis] += s.xyz[axis];
    for (double& c : centre) c /= static_cast<double>(m_names.size());
    const double a = kWgs84A, e2 = Wgs84EccentricitySquared();
    double centreHeight;
    EcefToGeodetic(a, e2, centre[0], centre[1], centre[2], m_result.centreLatitude,
                   m_result.centreLongitude, centreHeight);
    const LocalFrame frame(m_result.centreLatitude, m_result.centreLongitude);
    for (StationSummary& s : m_result.stations) {
        EcefToGeodetic(a, e2, s.xyz[0], s.xyz[1], s.xyz[2], s.latitude, s.longitude, s.height);
        const double d[3] = {s.xyz[0] - centre[0], s.xyz[1] - centre[1], s.xyz[2] - centre[2]};
        double up;
        frame.ToLocal(d, s.east, s.north, up);
    }
}

void NetworkChecker::NameGroups() {
    std::map<std::string, std::vector<uint32_t>> byKey;
    for (uint32_t i = 0; i < m_names.size(); ++i) byKey[NameKey(m_names[i])].push_back(i);
    for (auto& [key, ids] : byKey) {
        if (ids.size() < 2) continue;
        m_checks.WarnRun("station names " + ListNames(m_names, ids, kNamesInWarning) +
                         " differ only in letter case or blanks: probably one point under " +
                         std::to_string(ids.size()) + " names; check the names");
        m_result.nameGroups.push_back(ids);
    }
}

void NetworkChecker::Spreads() {
    for (uint32_t id = 0; id < m_result.stations.size(); ++id) {
        StationSummary& s = m_result.stations[id];
        std::vector<Occurrence> at;
        for (uint32_t b : s.baselines)
            for (int end = 0; end < 2; ++end)
                if (m_baselines[b].station[end] == id) {
                    Occurrence o{{}, b, end};
                    PositionOf(b, end, o.xyz);
                    at.push_back(o);
                }
        // The farthest position from the first bounds the largest distance
        // between any two from below and, doubled, from above: only an
        // unclear case needs every pair.
        size_t first = 0, second = 0;
        double largest = 0;
        for (size_t j = 1; j < at.size(); ++j) {
            const double d = Distance(at[0].xyz, at[j].xyz);
            if (d > largest) largest = d, second = j;
        }
        if (largest > m_options.stationSpread / 2 && largest <= m_options.stationSpread) {
            for (size_t i = 0; i < at.size(); ++i)
                for (size_t j = i + 1; j < at.size(); ++j) {
                    const double d = Distance(at[i].xyz, at[j].xyz);
                    if (d > largest) largest = d, first = i, second = j;
                }
        }
        s.spread = largest;
        if (!(largest > m_options.stationSpread)) continue;
        s.spreadFails = true;
        const Occurrence& p = at[first];
        const Occurrence& q = at[second];
        m_checks.WarnRun(
            "station " + Quoted(s.name) + " has positions " + FormatNumber(largest, 3) +
            " m apart, more than " + FormatNumber(m_options.stationSpread, 3) + " m: at " +
            BaselinePlace(m_checks, m_baselines[p.baseline]) + " (" + (p.end == 0 ? "from" : "to") +
            " station) and at " + BaselinePlace(m_checks, m_baselines[q.baseline]) + " (" +
            (q.end == 0 ? "from" : "to") + " station); check the station's name and coordinates");
    }
}

void NetworkChecker::Edges() {
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> index;
    m_adjacent.assign(m_names.size(), {});
    for (uint32_t i = 0; i < m_baselines.size(); ++i) {
        uint32_t a = m_baselines[i].station[0], b = m_baselines[i].station[1];
        if (a > b) std::swap(a, b);
        auto [it, added] = index.try_emplace({a, b}, static_cast<uint32_t>(m_edges.size()));
        if (added) {
            m_edges.push_back({a, b, {}});
            m_adjacent[a].push_back({b, it->second});
            if (a != b) m_adjacent[b].push_back({a, it->second});
        }
        m_edges[it->second].baselines.push_back(i);
    }
}

void NetworkChecker::Parts() {
    // A spanning forest by breadth-first search, one tree per part.
    const size_t n = m_names.size();
    m_treeEdge.assign(m_edges.size(), false);
    m_parentEdge.assign(n, -1);
    m_depth.assign(n, 0);
    std::vector<bool> reached(n, false);
    for (uint32_t root = 0; root < n; ++root) {
        if (reached[root]) continue;
        const int part = static_cast<int>(m_result.parts.size());
        m_result.parts.emplace_back();
        std::deque<uint32_t> queue{root};
        reached[root] = true;
        while (!queue.empty()) {
            const uint32_t at = queue.front();
            queue.pop_front();
            m_result.parts.back().push_back(at);
            m_result.stations[at].part = part;
            for (auto [next, edge] : m_adjacent[at]) {
                if (reached[next]) continue;
                reached[next] = true;
                m_treeEdge[edge] = true;
                m_parentEdge[next] = edge;
                m_depth[next] = m_depth[at] + 1;
                queue.push_back(next);
            }
        }
        std::sort(m_result.parts.back().begin(), m_result.parts.back().end());
    }
    if (m_result.parts.size() < 2) return;
    std::string text = "the network falls into " + std::to_string(m_result.parts.size()) +
                       " separate parts, each needs its own control:";
    const size_t listed = std::min(m_result.parts.size(), kPartsInWarning);
    for (size_t p = 0; p < listed; ++p)
        text += (p == 0 ? " part " : "; part ") + std::to_string(p + 1) + " (" +
                std::to_string(m_result.parts[p].size()) +
                (m_result.parts[p].size() == 1 ? " station): " : " stations): ") +
                ListNames(m_names, m_result.parts[p], kNamesInWarning);
    if (listed < m_result.parts.size())
        text += "; and " + std::to_string(m_result.parts.size() - listed) + " more parts";
    m_checks.WarnRun(text);
}

void NetworkChecker::Repeats() {
    for (const Edge& edge : m_edges) {
        if (edge.baselines.size() < 2) continue;
        RepeatGroup group;
        group.first = edge.baselines[0];
        const CollectedBaseline& first = m_baselines[group.first];
        const double length = Length3d(first.vector);
        for (size_t k = 1; k < edge.baselines.size(); ++k) {
            const CollectedBaseline& other = m_baselines[edge.baselines[k]];
            // The same direction, or the reverse one with its sign turned.
            const double sign = other.station[0] == first.station[0] ? 1.0 : -1.0;
            const double d[3] = {sign * other.vector[0] - first.vector[0],
                                 sign * other.vector[1] - first.vector[1],
                                 sign * other.vector[2] - first.vector[2]};
            RepeatEntry entry;
            entry.baseline = edge.baselines[k];
            entry.difference = Length3d(d);
            entry.tolerance = m_options.repeatMm / 1000 + m_options.repeatPpm * 1e-6 * length;
            entry.fails = entry.difference > entry.tolerance;
            group.repeats.push_back(entry);
            if (!entry.fails) continue;
            m_checks.WarnRun("repeated baseline " + Quoted(m_names[first.station[0]]) + " - " +
                             Quoted(m_names[first.station[1]]) + " differs by " +
                             Millimetres(entry.difference) + " (3D), more than the " +
                             Millimetres(entry.tolerance) + " allowed for " +
                             FormatNumber(length, 1) + " m: " + Place(entry.baseline) +
                             " against " + Place(group.first) + "; check both observations");
        }
        m_result.repeats.push_back(std::move(group));
    }
}

// The fewest baselines from `from` to `to` over usable edges other than
// `skipEdge`, by breadth-first search; false when the search grew too big.
bool NetworkChecker::ShortPath(uint32_t from, uint32_t to, uint32_t skipEdge,
                               std::vector<uint32_t>& edges) {
    ++m_generation;
    edges.clear();
    std::deque<uint32_t> queue{from};
    m_seen[from] = m_generation;
    size_t visited = 0;
    while (!queue.empty() && visited < kMaxLoopSearch) {
        const uint32_t at = queue.front();
        queue.pop_front();
        ++visited;
        if (at == to) {
            for (uint32_t s = to; s != from;) {
                const uint32_t e = m_via[s];
                edges.push_back(e);
                s = m_edges[e].a == s ? m_edges[e].b : m_edges[e].a;
            }
            std::reverse(edges.begin(), edges.end());
            return true;
        }
        for (auto [next, edge] : m_adjacent[at]) {
            if (edge == skipEdge || !m_usable[edge] || m_seen[next] == m_generation) continue;
            m_seen[next] = m_generation;
            m_via[next] = edge;
            queue.push_back(next);
        }
    }
    return false;
}

// The path through the spanning tree, which always exists.
void NetworkChecker::TreePath(uint32_t from, uint32_t to, std::vector<uint32_t>& edges) {
    std::vector<uint32_t> up, down;
    auto parent = [&](uint32_t s, std::vector<uint32_t>& path) {
        const uint32_t e = static_cast<uint32_t>(m_parentEdge[s]);
        path.push_back(e);
        return m_edges[e].a == s ? m_edges[e].b : m_edges[e].a;
    };
    while (m_depth[from] > m_depth[to]) from = parent(from, up);
    while (m_depth[to] > m_depth[from]) to = parent(to, down);
    while (from != to) {
        from = parent(from, up);
        to = parent(to, down);
    }
    edges = up;
    edges.insert(edges.end(), down.rbegin(), down.rend());
}

// A loop that starts at `start` and follows `edges`, each by the first of
// its baselines.
void NetworkChecker::MakeLoop(uint32_t start, const std::vector<uint32_t>& edges) {
    Loop loop;
    uint32_t at = start;
    SessionTime latestStart = 0, earliestEnd = 0;
    loop.oneSession = true;
    for (uint32_t e : edges) {
        const uint32_t id = m_edges[e].baselines[0];
        const CollectedBaseline& b = m_baselines[id];
        const bool reversed = b.station[0] != at;
        loop.steps.push_back({id, reversed});
        loop.stations.push_back(at);
        for (int axis = 0; axis < 3; ++axis)
            loop.misclosure[axis] += reversed ? -b.vector[axis] : b.vector[axis];
        loop.length += Length3d(b.vector);
        if (!b.HasSession()) {
            loop.oneSession = false;
        } else if (loop.steps.size() == 1) {
            latestStart = b.sessionStart, earliestEnd = b.sessionEnd;
        } else {
            latestStart = std::max(latestStart, b.sessionStart);
            earliestEnd = std::min(earliestEnd, b.sessionEnd);
        }
        at = reversed ? b.station[0] : b.station[1];
    }
    // Baselines observed at one time share their errors: such a loop closes
    // whatever they hold.
    loop.oneSession = loop.oneSession && latestStart < earliestEnd;
    const StationSummary& first = m_result.stations[start];
    LocalFrame(first.latitude, first.longitude)
        .ToLocal(loop.misclosure, loop.east, loop.north, loop.up);
    loop.tolerance = m_options.loopMm / 1000 + m_options.loopPpm * 1e-6 * loop.length;
    loop.fails = loop.Misclosure3d() > loop.tolerance;
    if (loop.fails) {
        std::string path, places;
        for (size_t i = 0; i < loop.steps.size(); ++i) {
            path += Quoted(m_names[loop.stations[i]]) + " - ";
            places += (i > 0 ? ", " : "") + Place(loop.steps[i].baseline);
        }
        path += Quoted(m_names[start]);
        m_checks.WarnRun("loop " + path + " (" + std::to_string(loop.steps.size()) +
                         " baselines, " + FormatNumber(loop.length, 1) + " m) misses closing by " +
                         Millimetres(loop.Misclosure3d()) + " (horizontal " +
                         Millimetres(loop.Horizontal()) + ", vertical " + Millimetres(loop.up) +
                         ", " + FormatNumber(loop.Ppm(), 1) + " ppm), more than the " +
                         Millimetres(loop.tolerance) + " allowed" +
                         (loop.oneSession ? " (all its baselines from one session)" : "") +
                         ": check its baselines, at " + places);
    }
    m_result.loops.push_back(std::move(loop));
}

void NetworkChecker::Loops() {
    // An independent set of loops: every edge outside the spanning tree
    // closes one loop, over tree edges and edges that closed earlier loops,
    // so each loop holds one edge that no earlier loop holds. The shortest
    // such loop is searched for; the tree always has one.
    m_usable = m_treeEdge;
    m_seen.assign(m_names.size(), 0);
    m_via.assign(m_names.size(), 0);
    std::vector<uint32_t> path;
    for (uint32_t e = 0; e < m_edges.size(); ++e) {
        if (m_treeEdge[e]) continue;
        const uint32_t from = m_edges[e].a, to = m_edges[e].b;
        if (from != to && !ShortPath(to, from, e, path)) TreePath(to, from, path);
        if (from == to) path.clear();
        // From `from` along the new edge, then back over the path.
        path.insert(path.begin(), e);
        MakeLoop(from, path);
        m_usable[e] = true;
    }
}

}  // namespace

double Length3d(const double v[3]) { return SquareRoot(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

double Loop::Misclosure3d() const { return Length3d(misclosure); }
double Loop::Horizontal() const { return SquareRoot(east * east + north * north); }
double Loop::Ppm() const { return length > 0 ? Misclosure3d() / length * 1e6 : 0; }

std::string BaselinePlace(const DataChecks& checks, const CollectedBaseline& baseline) {
    const int32_t line = std::min(baseline.line[0], baseline.line[1]);
    return checks.Files()[static_cast<size_t>(baseline.file)] + ":" + std::to_string(line);
}

NetworkAnalysis CheckNetwork(DataChecks& checks) {
    if (checks.SteppedAside()) return {};
    checks.IndexStations();
    return NetworkChecker(checks).Run();
}

}  // namespace delvaro

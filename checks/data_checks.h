// Checks of the SKI data while it is converted: record checks as the lines
// are read, and what the network checks after the run need, collected on
// the way. Warnings go to the conversion host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/conversion_run.h"
#include "engine/record_observer.h"

namespace delvaro {

struct CheckOptions {
    double minHeight = -1000.0;  // ellipsoid heights, metres
    double maxHeight = 10000.0;
    double stationSpread = 0.10;  // metres, 3D, between positions of one name
    double repeatMm = 20.0;       // repeated baselines: mm + ppm of the length
    double repeatPpm = 2.0;
    double loopMm = 20.0;  // loop misclosures: mm + ppm of the loop's length
    double loopPpm = 2.0;
    // Beyond this many baselines the network checks step aside, so that
    // huge runs keep their memory and speed.
    int64_t networkLimit = 20000;
};

// One warning as the host was given it: `file` empty for the run as a
// whole, `line` 0 when the warning has no line.
struct CheckWarning {
    std::string file;
    int32_t line = 0;
    std::string text;
};

// A point of time in seconds since 1970, from a date and a time of day.
using SessionTime = int64_t;

// A baseline as the network checks see it.
struct CollectedBaseline {
    char name[2][kStationNameLength + 1] = {};  // from, to
    uint32_t station[2] = {};                   // the same as indexes of DataChecks::StationNames()
    int file = 0;
    int32_t line[3] = {};  // from record, to record, covariance record
    double fromXyz[3] = {};
    double vector[3] = {};
    // Observation time span when the file gave one (start < end).
    SessionTime sessionStart = 0;
    SessionTime sessionEnd = 0;
    bool HasSession() const { return sessionStart < sessionEnd; }
};

class DataChecks : public RecordObserver {
  public:
    DataChecks(ConversionHost& host, const CheckOptions& options);

    void FileStarted(const char* path) override;
    void LineRead(int32_t line, int length, bool endsLine, bool atEnd) override;
    void UnitRecord(int32_t line, const char* code) override;
    void PositionRecord(int32_t line, int index, const char* record,
                        const double values[3]) override;
    void BaselineAccepted(int32_t line, const Baseline& baseline) override;
    void OtherRecord(int32_t line, const char* record) override;

    // Warns about the run as a whole (no file, no line).
    void WarnRun(const std::string& text) { Warn(-1, 0, text); }

    const CheckOptions& Options() const { return m_options; }
    const std::vector<std::string>& Files() const { return m_files; }
    // The unit code of every file, as written ("" before its unit record).
    const std::vector<std::string>& FileUnits() const { return m_fileUnits; }
    const std::vector<int64_t>& FileBaselines() const { return m_fileBaselines; }
    // The run's station names in the order they came, once IndexStations
    // has given every baseline its stations' indexes.
    void IndexStations();
    const std::vector<std::string>& StationNames() const { return m_stationNames; }
    const std::vector<CollectedBaseline>& Baselines() const { return m_baselines; }
    // True once the run outgrew the network limit: nothing is collected.
    bool SteppedAside() const { return m_steppedAside; }
    // True when they stepped aside because memory ran out.
    bool OutOfMemory() const { return m_outOfMemory; }
    // The warnings the checks gave.
    int64_t WarningCount() const { return m_warningCount; }

  private:
    void Warn(int file, int32_t line, const std::string& text);
    // LineRead past its common case: a cut line, or the file's end.
    void UnusualLineRead(int32_t line, int length, bool endsLine, bool atEnd);
    // `name` is the station's name, or with `nameInRecord` its record.
    void CheckHeight(int32_t line, const char* name, const double xyz[3], bool fromVector,
                     bool nameInRecord);
    void CheckCovariance(int32_t line, const double covariance[6]);
    void Collect(int32_t line, const Baseline& baseline);
    void StepAside();

    ConversionHost& m_host;
    CheckOptions m_options;

    std::vector<std::string> m_files;
    std::vector<std::string> m_fileUnits;
    std::vector<int64_t> m_fileBaselines;
    int m_file = -1;

    // Lines read: the one that filled the line buffer without ending, and
    // whether a line longer than a read has been reported.
    int32_t m_cutLine = 0;
    bool m_longLineReported = false;

    int32_t m_positionLine[2] = {};
    SessionTime m_sessionStart = 0;
    SessionTime m_sessionEnd = 0;

    bool m_steppedAside = false;
    bool m_outOfMemory = false;
    std::vector<std::string> m_stationNames;
    std::vector<CollectedBaseline> m_baselines;

    int64_t m_warningCount = 0;
};

// Reads the time span of an "@&" record: a date and a start time, then an
// end time on the same day (an earlier one means the next day) or an end
// date and time. False when the record does not hold one.
bool ParseSessionRecord(const char* record, SessionTime& start, SessionTime& end);

// A number for a message: `decimals` digits after the point, no exponent.
std::string FormatNumber(double value, int decimals);

}  // namespace delvaro

#include "engine/ski_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "common/text_utils.h"
#include "engine/background_writer.h"
#include "engine/file_io.h"
#include "engine/geodesy.h"
#include "engine/number_parse.h"
#include "engine/output_writer.h"

namespace delvaro {

bool SkiInput::Refill() {
    if (m_atEnd || m_failed) return false;
    m_position = 0;
    m_length = std::fread(m_data, 1, sizeof m_data, m_file);
    if (m_length > 0) return true;
    if (std::ferror(m_file))
        m_failed = true;
    else
        m_atEnd = true;
    return false;
}

int SkiInput::PeekByte() {
    if (m_position == m_length && !Refill()) return EOF;
    return m_data[m_position];
}

int SkiInput::ReadLine(char* buffer, int maxChars) {
    int count = 0;
    while (count < maxChars) {
        if (m_position == m_length && !Refill()) break;
        // Plain bytes go straight across; only a line feed, a carriage
        // return or a NUL needs a closer look.
        const unsigned char* block = m_data + m_position;
        const size_t available =
            std::min(m_length - m_position, static_cast<size_t>(maxChars - count));
        size_t plain = 0;
        // Eight bytes at a time while none of them is below 14, which takes
        // in the three that matter (the word test finds whether any byte is
        // below 14; bytes from 0x80 up never count).
        constexpr uint64_t kOnes = 0x0101010101010101ull;
        while (available - plain >= 8) {
            uint64_t word;
            std::memcpy(&word, block + plain, 8);
            if (((word - kOnes * 14) & ~word & kOnes * 0x80) != 0) break;
            std::memcpy(buffer + count + plain, &word, 8);
            plain += 8;
        }
        while (plain < available) {
            const unsigned char c = block[plain];
            if (c <= '\r' && (c == '\n' || c == '\r' || c == '\0')) break;
            buffer[count + plain] = static_cast<char>(c);
            ++plain;
        }
        m_position += plain;
        count += static_cast<int>(plain);
        if (plain == available) continue;
        int c = m_data[m_position++];
        if (c == '\r' && PeekByte() == '\n') c = m_data[m_position++];
        // A NUL would end the line's text early and lose what follows it;
        // it is a blank like every other control character.
        if (c == '\0') c = ' ';
        buffer[count++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    buffer[count] = '\0';
    // A read that fails part way delivers nothing, as fgets does.
    if (m_failed) return 0;
    return count;
}

namespace {

// StripBlanks for a line of known length that holds no NUL.
void StripLineBlanks(char* line, int length) {
    int end = length;
    while (end > 0 && IsBlank(line[end - 1])) --end;
    int start = 0;
    while (start < end && IsBlank(line[start])) ++start;
    if (start > 0) std::memmove(line, line + start, static_cast<size_t>(end - start));
    line[end - start] = '\0';
}

}  // namespace

bool ReadDataLine(SkiInput& input, int capacity, char* buffer, int32_t* lineCounter, Status* status,
                  RecordObserver* observer) {
    *status = kStatusOk;
    for (;;) {
        if (*lineCounter < INT32_MAX) ++*lineCounter;
        if (int length = input.ReadLine(buffer, capacity - 3); length > 0) {
            if (observer != nullptr)
                observer->LineRead(*lineCounter, length, buffer[length - 1] == '\n', input.AtEnd());
            buffer[capacity - 1] = '\0';
            StripLineBlanks(buffer, length);
        } else if (input.Failed()) {
            *status = IDS_ERR_READ;
            return false;
        } else {
            if (observer != nullptr) observer->LineRead(*lineCounter, 0, false, true);
            buffer[0] = '\0';
        }
        // A last line without a line end is a line like any other.
        if (buffer[0] != '\0' && buffer[0] != '!') return true;
        if (input.AtEnd()) return false;
    }
}

void FindFields(int count, const char* text, FieldView* fields, Status* status) {
    *status = kStatusOk;
    const char* p = text;
    for (int field = 0; field < count; ++field) {
        while (*p != '\0' && IsBlank(*p)) ++p;
        if (*p == '\0') {
            *status = IDS_ERR_TOO_FEW_FIELDS;
            return;
        }
        const char* start = p;
        // A NUL is a blank too, so this stops at the end of the text.
        while (!IsBlank(*p)) {
            if (p - start == kFieldLength) {
                *status = IDS_ERR_FIELD_TOO_LONG;
                return;
            }
            ++p;
        }
        fields[field] = FieldView{start, static_cast<size_t>(p - start)};
    }
}

void SplitFields(int count, const char* text, FieldTable& table, Status* status) {
    for (auto& slot : table) slot[kFieldLength] = '\0';
    FieldView fields[kFieldCount];
    FindFields(count, text, fields, status);
    if (*status != kStatusOk) return;
    for (int field = 0; field < count; ++field) {
        std::memcpy(table[field], fields[field].data(), fields[field].size());
        table[field][fields[field].size()] = '\0';
    }
}

namespace {

constexpr double kUsSurveyFeetPerMetre = 3.28083333333333;
constexpr double kInternationalFeetPerMetre = 3.28083989501312;

void MakeUpperAscii(char* text) {
    for (; *text != '\0'; ++text)
        if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
}

// A CR or LF in a name written into the output would break its line
// structure (a file name may hold both): each becomes a blank. True when
// there was one.
bool BlankLineBreaks(char* text, size_t length) {
    bool changed = false;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            text[i] = ' ';
            changed = true;
        }
    }
    return changed;
}

// The same for a text ending with a zero byte, in one pass.
bool BlankLineBreaks(char* text) {
    bool changed = false;
    for (; *text != '\0'; ++text) {
        if (*text == '\r' || *text == '\n') {
            *text = ' ';
            changed = true;
        }
    }
    return changed;
}

// Coordinates up to this size give finite geodetic positions: their squares
// add up far below the largest double, and no height formula multiplies a
// coordinate by more than about 1e17 (1 / cos of the latitude nearest the
// pole).
constexpr double kSafeCoordinate = 1e150;

// Whether both stations of a baseline have finite geodetic positions;
// larger coordinates can overflow to an infinite height.
bool GeodeticPositionsFinite(const double xyz[2][3], const EllipsoidParams& ellipsoid) {
    bool small = true;
    for (int index = 0; index < 2; ++index)
        for (int axis = 0; axis < 3; ++axis)
            small = small && std::fabs(xyz[index][axis]) <= kSafeCoordinate;
    if (small) return true;
    for (int index = 0; index < 2; ++index) {
        double latitude = 0, longitude = 0, height = 0;
        EcefToGeodetic(ellipsoid.a, ellipsoid.e2, xyz[index][0], xyz[index][1], xyz[index][2],
                       latitude, longitude, height);
        if (!std::isfinite(latitude) || !std::isfinite(longitude) || !std::isfinite(height))
            return false;
    }
    return true;
}

double UnitFactor(char* code) {
    MakeUpperAscii(code);
    if (std::strcmp(code, "FTS") == 0) return kUsSurveyFeetPerMetre;
    if (std::strcmp(code, "FTI") == 0) return kInternationalFeetPerMetre;
    return 1.0;
}

// The state of one file's reading.
class SkiFileReader {
  public:
    SkiFileReader(FILE* in, const char* path, FILE* out, EllipsoidParams ellipsoid,
                  double covarianceScaler, int32_t* baselineCount, int32_t* lineNumber,
                  Status* status, const SkiWarning& warning, RecordObserver* observer)
        : m_input(in),
          m_stationDescription(FileNameFromPath(path, false)),
          m_warning(warning),
          m_out(out),
          m_ellipsoid(ellipsoid),
          m_covarianceScaler(covarianceScaler),
          m_baselineCount(baselineCount),
          m_lineNumber(lineNumber),
          m_status(status),
          m_observer(observer),
          m_writer(out, ellipsoid, m_stationDescription.c_str()) {
        m_descriptionChanged =
            BlankLineBreaks(m_stationDescription.data(), m_stationDescription.size());
    }

    // Reads until the end of the file or the first fault. False when the
    // reading ended in a way that skips the checks made at the close.
    bool Read();
    // The checks made once the input is closed.
    void CheckAtClose(bool inputFailed);
    bool InputFailed() const { return m_input.Failed(); }

  private:
    void Warn(int32_t line, const std::string& text) {
        if (m_warning) m_warning(line, text);
    }
    bool Next() {
        return ReadDataLine(m_input, kSkiLineBufferSize, m_line, m_lineNumber, m_status,
                            m_observer);
    }
    bool ReadHeader();
    void ReadRecords();
    bool WritePending();
    bool FinishWriting();
    bool StationRecord(int index);
    bool CovarianceRecord();
    bool DescriptionRecord();
    bool ParseNumbers(int count, const FieldView* fields, double* values);

    SkiInput m_input;
    std::string m_stationDescription;
    const SkiWarning& m_warning;
    FILE* m_out;
    EllipsoidParams m_ellipsoid;
    double m_covarianceScaler;
    int32_t* m_baselineCount;
    int32_t* m_lineNumber;
    Status* m_status;
    RecordObserver* m_observer;  // null: nobody looks
    BackgroundBaselineWriter m_writer;

    char m_line[kSkiLineBufferSize] = {};
    FieldTable m_fields = {};
    Baseline m_baseline;
    double m_unitFactor = 1.0;
    bool m_baselinePending = false;
    bool m_baselineFound = false;
    bool m_headerWriteFailed = false;
    // The file name, as station description, had a line break blanked; said
    // with the first baseline that carries it.
    bool m_descriptionChanged = false;
    // From and to records since the coordinate type record or the last
    // accepted covariance record; capped, only 0, 1 and more matter.
    int m_fromRecords = 0;
    int m_toRecords = 0;
};

bool SkiFileReader::ParseNumbers(int count, const FieldView* fields, double* values) {
    for (int i = 0; i < count; ++i) {
        if (!ParseDecimalNumber(fields[i], values[i])) {
            *m_status = IDS_ERR_BAD_NUMBER;
            return false;
        }
    }
    return true;
}

bool SkiFileReader::ReadHeader() {
    // The unit record.
    if (!Next()) return false;
    SplitFields(2, m_line, m_fields, m_status);
    if (*m_status != kStatusOk) return false;
    if (std::strcmp(m_fields[0], "@%Unit:") != 0) {
        *m_status = IDS_ERR_NO_UNIT;
        return false;
    }
    if (m_observer != nullptr) m_observer->UnitRecord(*m_lineNumber, m_fields[1]);
    m_unitFactor = UnitFactor(m_fields[1]);
    WriteUnitsHeader(m_out, m_status);
    if (std::ferror(m_out)) {
        m_headerWriteFailed = true;
        return false;
    }

    // The coordinate type record.
    if (!Next()) return false;
    if (std::strncmp(m_line, "@%Coordinate type:", 18) != 0) {
        *m_status = IDS_ERR_NO_COORD_TYPE;
        return false;
    }
    SplitFields(3, m_line, m_fields, m_status);
    if (*m_status != kStatusOk) return false;
    MakeUpperAscii(m_fields[2]);
    if (std::strcmp(m_fields[2], "CARTESIAN") != 0) {
        *m_status = IDS_ERR_NOT_CARTESIAN;
        return false;
    }
    return true;
}

// Hands the completed baseline to the writer, which writes it while reading
// goes on. False when reading is to stop: a write is known to have failed.
bool SkiFileReader::WritePending() {
    if (!m_baselinePending) return true;
    m_baselinePending = false;
    const bool writing = m_writer.Write(m_baseline, {*m_lineNumber, *m_baselineCount});
    m_baseline.description.Empty();
    return writing;
}

// Waits for the writer. A failed write ends reading where the baseline was
// handed over: its line number and count, and 5020, as if reading had
// stopped right after that write. False then.
bool SkiFileReader::FinishWriting() {
    BackgroundBaselineWriter::Position failedAt;
    if (m_writer.Finish(&failedAt)) return true;
    *m_status = IDS_ERR_WRITE;
    *m_lineNumber = failedAt.lineNumber;
    *m_baselineCount = failedAt.baselineCount;
    return false;
}

// A from record (index 0) or a to record (index 1): the station name in the
// 15 characters after the tag, three numbers from character 18 on.
bool SkiFileReader::StationRecord(int index) {
    char* name = m_baseline.stationNames[index];
    std::strncpy(name, m_line + 2, kStationNameLength);
    name[kStationNameLength] = '\0';
    StripTrailingBlanks(name);
    if (BlankLineBreaks(name))
        Warn(*m_lineNumber, "the station name holds a line break, written as a blank");
    // The numbers start at character 18, if the line is that long.
    const bool hasNumbers = std::memchr(m_line, '\0', 18) == nullptr;
    FieldView fields[3];
    FindFields(3, hasNumbers ? m_line + 17 : "", fields, m_status);
    if (*m_status != kStatusOk) return false;
    int& count = index == 0 ? m_fromRecords : m_toRecords;
    if (count < 2) ++count;
    double values[3];
    if (!ParseNumbers(3, fields, values)) return false;
    double* target = index == 0 ? m_baseline.stationXyz[0] : m_baseline.vector;
    for (int axis = 0; axis < 3; ++axis) target[axis] = values[axis] / m_unitFactor;
    if (m_observer != nullptr) m_observer->PositionRecord(*m_lineNumber, index, m_line, target);
    return true;
}

bool SkiFileReader::CovarianceRecord() {
    FieldView fields[7];
    FindFields(7, m_line + 2, fields, m_status);
    if (*m_status != kStatusOk) return false;
    if (m_fromRecords != 1 || m_toRecords != 1) {
        *m_status = IDS_ERR_BAD_BASELINE;
        return false;
    }
    double values[7];
    if (!ParseNumbers(7, fields, values)) return false;
    const double s2 = values[0] * values[0];
    // Divided by the unit factor once, not by its square: earlier
    // conversions did so, and results must stay comparable with them.
    double covariance[6];
    for (int i = 0; i < 6; ++i)
        covariance[i] = ((s2 * values[i + 1]) * m_covarianceScaler) / m_unitFactor;
    double toXyz[3];
    for (int axis = 0; axis < 3; ++axis)
        toXyz[axis] = m_baseline.stationXyz[0][axis] + m_baseline.vector[axis];
    // Finite numbers can still overflow here (a huge scale factor, a vector
    // added to a huge position); "inf" or "nan" in the output would pass
    // for a result.
    bool finite = true;
    for (double v : covariance) finite = finite && std::isfinite(v);
    for (double v : toXyz) finite = finite && std::isfinite(v);
    const double ends[2][3] = {
        {m_baseline.stationXyz[0][0], m_baseline.stationXyz[0][1], m_baseline.stationXyz[0][2]},
        {toXyz[0], toXyz[1], toXyz[2]}};
    if (!finite || !GeodeticPositionsFinite(ends, m_ellipsoid)) {
        *m_status = IDS_ERR_BAD_NUMBER;
        return false;
    }
    std::memcpy(m_baseline.covariance, covariance, sizeof covariance);
    std::memcpy(m_baseline.stationXyz[1], toXyz, sizeof toXyz);
    if (m_descriptionChanged && !m_baselineFound)
        Warn(0, "the file name holds a line break, written as a blank in the output");
    m_baselinePending = true;
    m_baselineFound = true;
    m_fromRecords = 0;
    m_toRecords = 0;
    if (*m_baselineCount < INT32_MAX) ++*m_baselineCount;
    if (m_observer != nullptr) m_observer->BaselineAccepted(*m_lineNumber, m_baseline);
    return true;
}

bool SkiFileReader::DescriptionRecord() {
    SplitFields(2, m_line + 2, m_fields, m_status);
    if (*m_status != kStatusOk) return false;
    m_baseline.description = m_fields[0];
    m_baseline.description += ' ';
    m_baseline.description += m_fields[1];
    return true;
}

void SkiFileReader::ReadRecords() {
    while (Next()) {
        if (m_line[0] != '@') continue;
        switch (m_line[1]) {
            case '+':
            case '-':
                // A completed baseline is written before the next one starts.
                if (!WritePending()) return;
                if (!StationRecord(m_line[1] == '+' ? 0 : 1)) return;
                break;
            case '=':
                if (!CovarianceRecord()) return;
                break;
            case '*':
                if (!DescriptionRecord()) return;
                break;
            default:
                if (m_observer != nullptr) m_observer->OtherRecord(*m_lineNumber, m_line);
                break;
        }
    }
}

bool SkiFileReader::Read() {
    if (!ReadHeader()) return !m_headerWriteFailed;
    ReadRecords();
    // A baseline completed before the end, or before a fault, is still
    // written; a fault or a failed write then stands as it is.
    WritePending();
    if (!FinishWriting()) return false;
    return *m_status == kStatusOk;
}

void SkiFileReader::CheckAtClose(bool inputFailed) {
    if (inputFailed) *m_status = IDS_ERR_READ;
    if (*m_status != kStatusOk) return;
    if (!m_baselineFound)
        *m_status = IDS_ERR_NO_BASELINES;
    else if (m_fromRecords + m_toRecords != 0)
        *m_status = IDS_ERR_BAD_BASELINE;
}

}  // namespace

void ConvertSkiFile(const char* path, FILE* out, double a, double e2, double covarianceScaler,
                    int32_t* baselineCount, int32_t* lineNumber, Status* status,
                    const SkiWarning& warning, RecordObserver* observer) {
    *status = kStatusOk;
    *lineNumber = 0;
    if (observer != nullptr) observer->FileStarted(path);
    FILE* opened = OpenSkiFile(path);
    if (opened == nullptr) {
        *status = IDS_ERR_CANNOT_OPEN;
        return;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> in(opened, &std::fclose);
    // The output read back as input would feed the run its own records
    // (a link made or a file renamed during the run can lead here).
    if (IdentityOfStream(in.get()) == IdentityOfStream(out)) {
        *status = IDS_ERR_OUTPUT_IS_INPUT;
        return;
    }
    try {
        // The reader holds a 64 KiB read buffer: on the heap, not the stack.
        auto reader = std::make_unique<SkiFileReader>(in.get(), path, out, EllipsoidParams{a, e2},
                                                      covarianceScaler, baselineCount, lineNumber,
                                                      status, warning, observer);
        const bool checkAtClose = reader->Read();
        const bool inputFailed = reader->InputFailed() || std::ferror(in.get()) != 0;
        in.reset();
        if (checkAtClose) reader->CheckAtClose(inputFailed);
    } catch (const std::bad_alloc&) {
        *status = IDS_ERR_NO_MEMORY;
    }
}

}  // namespace delvaro

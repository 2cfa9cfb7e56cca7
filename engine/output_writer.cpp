#include "engine/output_writer.h"

#include <cstring>
#include <string_view>

#include "engine/fixed_format.h"
#include "engine/geodesy.h"

namespace delvaro {

namespace {

// Gathers one block of text and hands it to the stream in few writes.
class BlockBuffer {
  public:
    explicit BlockBuffer(FILE* out) : m_out(out) {}
    ~BlockBuffer() { Flush(); }
    BlockBuffer(const BlockBuffer&) = delete;
    BlockBuffer& operator=(const BlockBuffer&) = delete;

    void Text(const char* text, size_t length) {
        if (m_used + length > sizeof m_data) {
            Flush();
            if (length > sizeof m_data) {
                std::fwrite(text, 1, length, m_out);
                return;
            }
        }
        std::memcpy(m_data + m_used, text, length);
        m_used += length;
    }
    void Text(const char* text) { Text(text, std::strlen(text)); }

    // The fixed-point conversion of printf's "%1.<decimals>lf": the same
    // digits, but independent of the locale.
    void Fixed(double value, int decimals) {
        // Written in place: the buffer always has room for the longest.
        if (m_used + kFixedBufferSize > sizeof m_data) Flush();
        m_used = static_cast<size_t>(FormatFixed(m_data + m_used, value, decimals) - m_data);
    }

    // "; " and a field.
    void Field(const char* text) {
        Text("; ", 2);
        Text(text);
    }
    void Field(std::string_view text) {
        Text("; ", 2);
        Text(text.data(), text.size());
    }
    void Field(double value, int decimals) {
        Text("; ", 2);
        Fixed(value, decimals);
    }

    void Flush() {
        if (m_used > 0) std::fwrite(m_data, 1, m_used, m_out);
        m_used = 0;
    }

  private:
    FILE* m_out;
    size_t m_used = 0;
    char m_data[2048];
};

constexpr char kLineEnd[] = "\r\n";
constexpr double kStationSigma = 0.0000001;

void CheckStream(FILE* out, Status* status) {
    if (std::ferror(out)) *status = IDS_ERR_WRITE;
}

}  // namespace

void WriteUnitsHeader(FILE* out, Status* status) {
    *status = kStatusOk;
    {
        BlockBuffer block(out);
        block.Text("\r\n$UNITS\r\nM\r\nD\r\n1\r\n\r\n");
    }
    if (std::ferror(out)) {
        *status = IDS_ERR_WRITE;
        return;
    }
    {
        BlockBuffer block(out);
        block.Text("$NETTYP\r\n3\r\n\r\n");
    }
    CheckStream(out, status);
}

void WriteStationRecord(const char* name, double latitude, double longitude,
                        const double heightValues[3], const double trailingValues[4],
                        const char* stationDescription, FILE* out, Status* status) {
    {
        BlockBuffer block(out);
        block.Text("$GEO_COMPACT");
        // The constant standard deviation, formatted once for its five uses.
        char sigma[kFixedBufferSize];
        const std::string_view sigmaText(
            sigma, static_cast<size_t>(FormatFixed(sigma, kStationSigma, 7) - sigma));
        block.Field(name);
        block.Field(RadiansToPackedDms(latitude), 10);
        block.Field(sigmaText);
        block.Field(RadiansToPackedDms(longitude), 10);
        block.Field(sigmaText);
        for (int i = 0; i < 3; ++i) {
            block.Field(heightValues[i], 5);
            block.Field(sigmaText);
        }
        for (int i = 0; i < 4; ++i) block.Field(trailingValues[i], 4);
        block.Text(kLineEnd);
        block.Text("$STA_DESC");
        block.Field(name);
        block.Field(stationDescription);
        block.Text("\r\n\r\n");
    }
    CheckStream(out, status);
}

void WriteGpsObservation(const char* fromName, const char* toName, const double vector[3],
                         const double covariance[6], const char* description, FILE* out,
                         Status* status) {
    {
        BlockBuffer block(out);
        block.Text("$OBS_DESC");
        block.Field(description);
        block.Text(kLineEnd);
        block.Text("$GPS_COMPACT");
        block.Field(fromName);
        block.Field(toName);
        for (int i = 0; i < 3; ++i) block.Field(vector[i], 5);
        // TREVADEL takes the third and fourth terms the other way round.
        static constexpr int kTermOrder[6] = {0, 1, 3, 2, 4, 5};
        for (int term : kTermOrder) block.Field(covariance[term], 12);
        block.Text("\r\n\r\n");
    }
    CheckStream(out, status);
}

void LocateStations(const Baseline& baseline, const EllipsoidParams& ellipsoid,
                    GeodeticPosition stations[2]) {
    for (int index = 0; index < 2; ++index) {
        const double* xyz = baseline.stationXyz[index];
        GeodeticPosition& station = stations[index];
        EcefToGeodetic(ellipsoid.a, ellipsoid.e2, xyz[0], xyz[1], xyz[2], station.latitude,
                       station.longitude, station.height);
    }
}

void WriteLocatedBaseline(const Baseline& baseline, const GeodeticPosition stations[2],
                          const char* stationDescription, FILE* out, Status* status) {
    for (int index = 0; index < 2; ++index) {
        const GeodeticPosition& station = stations[index];
        const double heightValues[3] = {station.height, 0.0, station.height};
        const double trailingValues[4] = {0.0, 0.0, 0.0, 0.0};
        WriteStationRecord(baseline.stationNames[index], station.latitude, station.longitude,
                           heightValues, trailingValues, stationDescription, out, status);
        if (std::ferror(out)) {
            *status = IDS_ERR_WRITE;
            return;
        }
    }
    WriteGpsObservation(baseline.stationNames[0], baseline.stationNames[1], baseline.vector,
                        baseline.covariance, baseline.description, out, status);
    CheckStream(out, status);
}

void WriteBaseline(const Baseline& baseline, const EllipsoidParams& ellipsoid,
                   const char* stationDescription, FILE* out, Status* status) {
    GeodeticPosition stations[2];
    LocateStations(baseline, ellipsoid, stations);
    WriteLocatedBaseline(baseline, stations, stationDescription, out, status);
}

}  // namespace delvaro

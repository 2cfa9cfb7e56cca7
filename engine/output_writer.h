// The TREVADEL input file: units header blocks, station blocks and GPS
// observation blocks, every line ended by CR LF.
#pragma once

#include <cstdio>

#include "common/engine_types.h"

namespace delvaro {

// Sets the status to 0, then to 5020 when the stream's error indicator is
// set after the block.
void WriteUnitsHeader(FILE* out, Status* status);

// The record writers only ever set the status to 5020, so an earlier fault
// survives a successful write.
void WriteStationRecord(const char* name, double latitude, double longitude,
                        const double heightValues[3], const double trailingValues[4],
                        const char* stationDescription, FILE* out, Status* status);
void WriteGpsObservation(const char* fromName, const char* toName, const double vector[3],
                         const double covariance[6], const char* description, FILE* out,
                         Status* status);
void WriteBaseline(const Baseline& baseline, const EllipsoidParams& ellipsoid,
                   const char* stationDescription, FILE* out, Status* status);

// WriteBaseline in its two steps, which may run on different threads: the
// geodetic positions of both stations (a pure computation), then the blocks.
struct GeodeticPosition {
    double latitude = 0;   // radians
    double longitude = 0;  // radians
    double height = 0;     // metres above the ellipsoid
};
void LocateStations(const Baseline& baseline, const EllipsoidParams& ellipsoid,
                    GeodeticPosition stations[2]);
void WriteLocatedBaseline(const Baseline& baseline, const GeodeticPosition stations[2],
                          const char* stationDescription, FILE* out, Status* status);

}  // namespace delvaro

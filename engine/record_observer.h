// What the SKI reader reads, shown to someone who checks the data. The
// reader calls these on its own thread, in the order of the file; an
// observer changes nothing of the reading, its output or its statuses.
#pragma once

#include <cstdint>

#include "common/engine_types.h"

namespace delvaro {

class RecordObserver {
  public:
    virtual ~RecordObserver() = default;

    // A file's reading begins; `path` as the caller gave it.
    virtual void FileStarted(const char* path) = 0;

    // Every read from the file, comments and empty lines included: its line
    // number, the characters taken (the line end included, 0 when nothing
    // was left), whether they end with a line end, and whether the file
    // ended with this read.
    virtual void LineRead(int32_t line, int length, bool endsLine, bool atEnd) = 0;

    // The unit code of the unit record, as written.
    virtual void UnitRecord(int32_t line, const char* code) = 0;

    // A from record (index 0: `values` is the station's X, Y, Z) or a to
    // record (index 1: `values` is the vector), in metres; `record` is the
    // stripped line.
    virtual void PositionRecord(int32_t line, int index, const char* record,
                                const double values[3]) = 0;

    // A covariance record completed `baseline`: both stations' positions,
    // the vector and the scaled covariance are final.
    virtual void BaselineAccepted(int32_t line, const Baseline& baseline) = 0;

    // A record the reader does not use ("@" and a character it ignores).
    virtual void OtherRecord(int32_t line, const char* record) = 0;
};

}  // namespace delvaro

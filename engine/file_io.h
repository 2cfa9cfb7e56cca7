// Opening the files of a run, and telling whether two names are one file.
#pragma once

#include <cstdio>

namespace delvaro {

// Opens an SKI file for binary reading (line ends are handled by the
// reader). A folder, or anything that cannot be read as a file, gives
// nullptr, with errno telling why. A FIFO without a writer does not block
// the open.
FILE* OpenSkiFile(const char* path);

// Creates or truncates the output for binary writing: every line end is
// written as CR LF by the writer itself. No I/O has happened on the stream,
// so the caller may still give it a buffer of its own.
FILE* CreateOutputFile(const char* path);

// Device and file number (or volume and index) of an existing file.
struct FileIdentity {
    bool valid = false;
    unsigned long long device = 0;
    unsigned long long index = 0;
    friend bool operator==(const FileIdentity& x, const FileIdentity& y) {
        return x.valid && y.valid && x.device == y.device && x.index == y.index;
    }
};

FileIdentity IdentityOfPath(const char* path);
FileIdentity IdentityOfStream(FILE* stream);

}  // namespace delvaro

// The Leica SKI ASCII reader: one SKI file into records of the TREVADEL
// input file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "common/engine_types.h"
#include "engine/record_observer.h"

namespace delvaro {

constexpr int kSkiLineBufferSize = 255;  // a read takes at most 252 characters
constexpr int kFieldCount = 10;
constexpr int kFieldLength = 50;
using FieldTable = char[kFieldCount][kFieldLength + 1];

// Reads an SKI file in binary mode and delivers its lines as a Windows
// text-mode stream does: CR LF is one line end (the CR takes no room in a
// read), a CR anywhere else is an ordinary character.
class SkiInput {
  public:
    explicit SkiInput(FILE* file) : m_file(file) {}
    SkiInput(const SkiInput&) = delete;
    SkiInput& operator=(const SkiInput&) = delete;

    // Like fgets with a limit of maxChars characters, the ending newline
    // included. Returns the number of characters read: 0 when nothing was
    // read (end of file or a read error). The text holds no NUL: a NUL byte
    // is read as a blank.
    int ReadLine(char* buffer, int maxChars);
    bool AtEnd() const { return m_atEnd; }
    bool Failed() const { return m_failed; }

  private:
    int PeekByte();
    bool Refill();

    FILE* m_file;
    size_t m_position = 0;
    size_t m_length = 0;
    bool m_atEnd = false;
    bool m_failed = false;
    unsigned char m_data[1 << 16];
};

// Delivers the next significant line (not empty after stripping blanks, not
// a comment starting with '!'), counting every read as a line. False when
// there is none: the end of the file, or a failed read (status 5011).
// `observer`, when given, is told of every read.
bool ReadDataLine(SkiInput& input, int capacity, char* buffer, int32_t* lineCounter, Status* status,
                  RecordObserver* observer = nullptr);

// The first `count` blank-separated fields of `text` into `table`; 5013 when
// there are fewer, 5012 when one of them is longer than 50 characters.
void SplitFields(int count, const char* text, FieldTable& table, Status* status);

// The same fields and statuses as SplitFields, as views into `text`
// (`fields` has room for `count`): for fields that are only read, not kept.
using FieldView = std::string_view;
void FindFields(int count, const char* text, FieldView* fields, Status* status);

// Told of what the reader changed on its way to the output: the line it
// concerns (0 for the file as a whole) and what was done.
using SkiWarning = std::function<void(int32_t line, const std::string& text)>;

// Converts the SKI file `path`, appending its records to `out`. When the
// file cannot be opened (5014), errno tells why; a file that is the output
// itself is refused (5024); memory running out stops it with 5022.
// `observer`, when given, is shown what is read.
void ConvertSkiFile(const char* path, FILE* out, double a, double e2, double covarianceScaler,
                    int32_t* baselineCount, int32_t* lineNumber, Status* status,
                    const SkiWarning& warning = {}, RecordObserver* observer = nullptr);

}  // namespace delvaro

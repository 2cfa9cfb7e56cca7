// Properties that every conversion keeps, whatever bytes it is given. The
// libFuzzer targets and the replay of their corpus in the test suite both
// check them; each returns an empty text when all hold, otherwise what broke.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace delvaro::fuzz {

// `data` is one SKI file, converted with ConvertSkiFile into a memory stream.
std::string CheckSkiFileConversion(const uint8_t* data, size_t size);

// `data` is a whole run: the SKI files one after another, each introduced by
// kFileSeparator (the text before the first separator is the first file). A
// file whose text is exactly one of the k...Marker texts stands for a path
// that is missing, a folder, the path before it again, or the output itself.
// The run must give exactly what converting the files one by one gives.
std::string CheckConversionRun(const uint8_t* data, size_t size);

constexpr char kFileSeparator[] = "#FILE#";
constexpr char kMissingMarker[] = "?missing";
constexpr char kFolderMarker[] = "?folder";
constexpr char kAgainMarker[] = "?again";
constexpr char kOutputMarker[] = "?output";
constexpr size_t kMaxRunFiles = 16;

}  // namespace delvaro::fuzz

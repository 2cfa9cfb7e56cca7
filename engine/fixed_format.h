// Fixed-point text of doubles, digit for digit as printf's "%1.<n>lf".
#pragma once

namespace delvaro {

// Most decimals FormatFixed takes.
constexpr int kMaxFixedDecimals = 17;

// Room for any result: a sign, the 309 integer digits of the largest
// double, the point and the decimals. No terminator is written.
constexpr int kFixedBufferSize = 1 + 309 + 1 + kMaxFixedDecimals;

// Writes `value` with `decimals` (0 to kMaxFixedDecimals) digits after the
// point into `out`, which must have room for kFixedBufferSize characters,
// and returns the end of the text; bytes after the end, within that room,
// may be overwritten. The digits are those of
// the exact binary value rounded half to even, as printf gives them in the
// default rounding mode: a minus sign for every negative value (negative
// zero and values that round to zero included), no plus sign, no exponent,
// no padding; "inf" and "nan" as printf writes them. Independent of the
// locale.
char* FormatFixed(char* out, double value, int decimals);

}  // namespace delvaro

// Ending a run on SIGINT or SIGTERM without leaving a stray file: the
// temporary output is removed, "interrupted" is said on standard error and
// the program exits with 128 plus the signal's number (130, 143).
#pragma once

namespace delvaro {

void InstallInterruptHandlers();

// The temporary file to remove on an interrupt, or nullptr for none. Called
// with signals held back (see ConversionHost::TemporaryOutput).
void SetTemporaryOutput(const char* path);

}  // namespace delvaro

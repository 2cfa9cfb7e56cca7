// A conversion host that keeps the progress values and shows nothing;
// tests derive from it to record what they look at.
#pragma once

#include <cstdint>

#include "engine/conversion_run.h"

namespace delvaro::test {

class QuietHost : public ConversionHost {
  public:
    CString& CurrentFile() override { return currentFile; }
    int32_t& BaselinesProcessed() override { return baselines; }
    int32_t& FilesProcessed() override { return files; }
    void BeginWaitCursor() override {}
    void RestoreWaitCursor() override {}
    void EndWaitCursor() override {}
    void Refresh() override {}
    int ShowMessage(unsigned, unsigned, ...) override { return 1; }  // IDOK

    CString currentFile;
    int32_t baselines = 0;
    int32_t files = 0;
};

}  // namespace delvaro::test

// What the fault tests share: temporary folders anyone may use, the bytes of
// files, open descriptors, a host that records, the output the engine gives
// file by file, and delvaro-cli run as a child with limits and, when the tests
// run as root, as an unprivileged user.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/conversion_run.h"
#include "support/quiet_host.h"
#include "support/warnings.h"

namespace delvaro::faults {

// A fresh folder under the system's temporary folder, open to every user,
// removed with everything in it at the end (read-only parts included).
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

void WriteFile(const std::string& path, const std::string& bytes, unsigned mode = 0644);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// Entries of /proc/self/fd.
int CountOpenDescriptors();

// An SKI file of `baselines` baselines, each with its own stations and
// description, in metres, lines ended by CR LF.
std::string SkiText(int baselines, int seed = 0);

// What ConvertSkiFile appends for each file in turn, up to and including the
// first that fails; `status` receives that failure (0 when none).
std::string EngineOutput(const std::vector<std::string>& paths, Status* status = nullptr);

class RecordingHost : public test::QuietHost {
  public:
    void Refresh() override;
    int ShowMessage(unsigned id, unsigned type, ...) override;

    // Called after every file, with the number of files the run has taken.
    std::function<void(int)> onRefresh;
    std::vector<std::string> messages;
    int refreshes = 0;
};

struct CliOptions {
    // Drop root to nobody (65534) in the child; a no-op for other users.
    bool unprivileged = false;
    // RLIMIT_FSIZE and RLIMIT_NOFILE of the child; 0 leaves them.
    rlim_t fileSizeLimit = 0;
    rlim_t openFileLimit = 0;
    // RLIMIT_AS of the child, in bytes; 0 leaves it.
    rlim_t addressSpaceLimit = 0;
    // Standard output of the child: this file, or this descriptor if >= 0.
    std::string stdoutPath = "/dev/null";
    int stdoutFd = -1;
};

// delvaro-cli as a child process, its standard error collected.
class CliProcess {
  public:
    CliProcess(const std::vector<std::string>& args, const CliOptions& options = {});
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t Pid() const { return m_pid; }
    // Targets of the child's open descriptors, by descriptor number.
    std::vector<std::string> OpenFiles() const;
    // Waits at most `seconds`; a child still running then is killed and the
    // result says so.
    void Wait(int seconds = 120);

    bool timedOut = false;
    int exitStatus = -1;  // -1 when the child did not exit normally
    std::string standardError;
    long maxRssKb = 0;

  private:
    pid_t m_pid = -1;
    int m_errFd = -1;
    bool m_waited = false;
};

// The line that follows "Cannot open file" on the command line: the system's
// reason for `path`. Empty for no reason.
std::string ReasonLine(const std::string& path, const char* reason);

// A copy of delvaro-cli that every user may run, made once per test program.
const std::string& CliPath();

// A FIFO whose writer the test holds: delvaro-cli waits in it, so the test
// sees what the child has open at that moment, and can act meanwhile.
class HeldFifo {
  public:
    explicit HeldFifo(const std::string& path);
    ~HeldFifo() { Close(); }
    HeldFifo(const HeldFifo&) = delete;
    HeldFifo& operator=(const HeldFifo&) = delete;
    // Waits until `cli` has the FIFO open.
    bool OpenedBy(const CliProcess& cli);
    void Feed(const std::string& bytes);
    void Close();

  private:
    std::string m_path;
    int m_fd = -1;
};

// The temporary files a run writes beside `output` (.NAME.XXXXXX.tmp in its
// folder), full paths.
std::vector<std::string> TemporaryFilesBeside(const std::string& output);

bool RunningAsRoot();

}  // namespace delvaro::faults

#include "tests/faults/fault_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "engine/geodesy.h"
#include "engine/ski_reader.h"
#include "res/string_table.h"

namespace delvaro::faults {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

constexpr uid_t kNobody = 65534;

}  // namespace

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "delvaro-faults-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) Fail("mkdtemp");
    m_path = pattern;
    // Reachable by the unprivileged child; writable only where a test says.
    if (chmod(m_path.c_str(), 0755) != 0) Fail("chmod " + m_path);
}

TempDir::~TempDir() {
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(m_path, error))
        if (entry.is_directory(error) && !entry.is_symlink(error))
            chmod(entry.path().c_str(), 0755);
    fs::remove_all(m_path, error);
}

void WriteFile(const std::string& path, const std::string& bytes, unsigned mode) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) Fail("create " + path);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) Fail("write " + path);
    if (chmod(path.c_str(), mode) != 0) Fail("chmod " + path);
}

std::string ReadFile(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) Fail("open " + path);
    std::string bytes;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, n);
    std::fclose(file);
    return bytes;
}

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

int CountOpenDescriptors() {
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) Fail("opendir /proc/self/fd");
    int count = 0;
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
    return count;
}

std::string SkiText(int baselines, int seed) {
    std::string text =
        "! Leica SKI-Pro baseline export\r\n@%Unit: M\r\n@%Coordinate type: Cartesian\r\n";
    char line[160];
    for (int i = 0; i < baselines; ++i) {
        const int k = seed * 100000 + i;
        std::snprintf(line, sizeof line, "@+P%-14d %.4f %.4f %.4f\r\n", k,
                      4361564.4935 + (k % 997) * 0.731, 556408.2668 + (k % 89) * 1.37,
                      4605581.9993 - (k % 53) * 0.29);
        text += line;
        std::snprintf(line, sizeof line, "@-Q%-14d %.4f %.4f %.4f\r\n", k, 589.2084 + (k % 31),
                      1622.6942 - (k % 17), -782.4466 + (k % 7));
        text += line;
        text += "@= 1.0 0.0000012 -0.00000034 0.00000056 0.0000021 -0.00000045 0.0000033\r\n";
        std::snprintf(line, sizeof line, "@* OBS %d\r\n", k);
        text += line;
    }
    return text;
}

std::string EngineOutput(const std::vector<std::string>& paths, Status* status) {
    char* data = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&data, &size);
    if (out == nullptr) Fail("open_memstream");
    Status result = kStatusOk;
    for (const std::string& path : paths) {
        int32_t baselines = 0;
        int32_t line = 0;
        ConvertSkiFile(path.c_str(), out, kWgs84A, Wgs84EccentricitySquared(), 1.0, &baselines,
                       &line, &result);
        if (result != kStatusOk) break;
    }
    std::fclose(out);
    std::string bytes(data, size);
    std::free(data);
    if (status != nullptr) *status = result;
    return bytes;
}

void RecordingHost::Refresh() {
    ++refreshes;
    if (onRefresh) onRefresh(refreshes);
}

int RecordingHost::ShowMessage(unsigned id, unsigned type, ...) {
    va_list args;
    va_start(args, type);
    messages.push_back(FormatResourceMessageV(id, args));
    va_end(args);
    return 1;
}

std::string ReasonLine(const std::string& path, const char* reason) {
    if (reason == nullptr) return std::string();
    return "delvaro-cli: " + path + ": " + reason + "\n";
}

HeldFifo::HeldFifo(const std::string& path) : m_path(path) {
    if (mkfifo(path.c_str(), 0644) != 0) Fail("mkfifo " + path);
    // Read and write: opening never blocks, and the reader never sees the
    // end before the test closes it.
    m_fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (m_fd < 0) Fail("open " + path);
}

bool HeldFifo::OpenedBy(const CliProcess& cli) {
    const std::string exe = "/proc/" + std::to_string(cli.Pid()) + "/exe";
    for (int i = 0; i < 2000; ++i) {
        // Between fork and exec the child still holds the test's own
        // descriptors, this FIFO among them.
        std::error_code error;
        if (fs::read_symlink(exe, error) != CliPath()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        auto files = cli.OpenFiles();
        if (std::find(files.begin(), files.end(), m_path) != files.end()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void HeldFifo::Feed(const std::string& bytes) {
    if (write(m_fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        Fail("write " + m_path);
}

void HeldFifo::Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}

std::vector<std::string> TemporaryFilesBeside(const std::string& output) {
    const fs::path path(output);
    const std::string prefix = "." + path.filename().string() + ".";
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(path.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + 10 && name.rfind(prefix, 0) == 0 &&
            name.compare(name.size() - 4, 4, ".tmp") == 0)
            found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool RunningAsRoot() { return geteuid() == 0; }

const std::string& CliPath() {
    // The build folder may lie where an unprivileged user cannot reach it
    // (a clone in root's home), so the child runs a copy.
    static const TempDir folder;
    static const std::string path = [] {
        const std::string copy = folder / "delvaro-cli";
        fs::copy_file(DELVARO_CLI, copy, fs::copy_options::overwrite_existing);
        if (chmod(copy.c_str(), 0755) != 0) Fail("chmod " + copy);
        return copy;
    }();
    return path;
}

CliProcess::CliProcess(const std::vector<std::string>& args, const CliOptions& options) {
    // A pipe, not a file: a file-size limit on the child must not cut its
    // messages.
    int errPipe[2];
    if (pipe2(errPipe, O_CLOEXEC) != 0) Fail("pipe");
    m_errFd = errPipe[0];
    fcntl(m_errFd, F_SETFL, O_NONBLOCK);
    const int errFd = errPipe[1];
    const std::string& cli = CliPath();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(cli.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    m_pid = fork();
    if (m_pid < 0) Fail("fork");
    if (m_pid == 0) {
        // Only async-signal-safe calls from here on.
        int out =
            options.stdoutFd >= 0 ? options.stdoutFd : open(options.stdoutPath.c_str(), O_WRONLY);
        int in = open("/dev/null", O_RDONLY);
        if (out < 0 || in < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(errFd, 2) < 0)
            _exit(126);
        if (options.fileSizeLimit != 0) {
            struct rlimit limit = {options.fileSizeLimit, options.fileSizeLimit};
            // The failed write then reports EFBIG instead of killing the child.
            signal(SIGXFSZ, SIG_IGN);
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
        }
        if (options.openFileLimit != 0) {
            struct rlimit limit = {options.openFileLimit, options.openFileLimit};
            if (setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(126);
        }
        if (options.addressSpaceLimit != 0) {
            struct rlimit limit = {options.addressSpaceLimit, options.addressSpaceLimit};
            if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(126);
        }
        if (options.unprivileged && geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
                _exit(126);
        }
        // The parent's descriptors are not the child's business.
        for (int fd = 3; fd < 1024; ++fd) close(fd);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(errFd);
}

CliProcess::~CliProcess() {
    if (!m_waited && m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    close(m_errFd);
}

std::vector<std::string> CliProcess::OpenFiles() const {
    std::vector<std::string> targets;
    const std::string folder = "/proc/" + std::to_string(m_pid) + "/fd";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        std::error_code linkError;
        fs::path target = fs::read_symlink(entry.path(), linkError);
        targets.push_back(linkError ? std::string("?") : target.string());
    }
    return targets;
}

void CliProcess::Wait(int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    struct rusage usage = {};
    auto drain = [this] {
        char chunk[4096];
        ssize_t n;
        while ((n = read(m_errFd, chunk, sizeof chunk)) > 0)
            standardError.append(chunk, static_cast<size_t>(n));
    };
    for (;;) {
        drain();
        pid_t done = wait4(m_pid, &status, WNOHANG, &usage);
        if (done == m_pid) break;
        if (done < 0) Fail("wait4");
        if (std::chrono::steady_clock::now() > deadline) {
            timedOut = true;
            kill(m_pid, SIGKILL);
            wait4(m_pid, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_waited = true;
    exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    maxRssKb = usage.ru_maxrss;
    drain();
}

}  // namespace delvaro::faults

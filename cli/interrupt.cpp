#include "cli/interrupt.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace delvaro {

namespace {

constexpr char kInterrupted[] = "delvaro-cli: interrupted\n";

#ifdef _WIN32
using PathChar = wchar_t;
#else
using PathChar = char;
#endif

// Owned copy of the temporary file's name, ready for the handler: only a
// lock-free load is needed to find it.
std::atomic<PathChar*> g_temporary{nullptr};
static_assert(std::atomic<PathChar*>::is_always_lock_free);

// Only async-signal-safe work here: removing a name prepared beforehand,
// writing a prepared text, ending the process.
extern "C" void OnInterrupt(int signal) {
    if (PathChar* path = g_temporary.load()) {
#ifdef _WIN32
        DeleteFileW(path);
#else
        ::unlink(path);
#endif
    }
#ifdef _WIN32
    (void)!_write(2, kInterrupted, sizeof kInterrupted - 1);
#else
    (void)!::write(2, kInterrupted, sizeof kInterrupted - 1);
#endif
    _exit(128 + signal);
}

}  // namespace

void InstallInterruptHandlers() {
#ifdef _WIN32
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
#else
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    // Everything else held back while the handler runs: one removal, one
    // message, one exit.
    sigfillset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

void SetTemporaryOutput(const char* path) {
    PathChar* copy = nullptr;
    if (path != nullptr) {
#ifdef _WIN32
        const int length = MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0);
        copy = new wchar_t[static_cast<size_t>(length > 0 ? length : 1)]();
        if (length > 0) MultiByteToWideChar(CP_UTF8, 0, path, -1, copy, length);
#else
        const size_t length = std::strlen(path);
        copy = new char[length + 1];
        std::memcpy(copy, path, length + 1);
#endif
    }
    delete[] g_temporary.exchange(copy);
}

}  // namespace delvaro

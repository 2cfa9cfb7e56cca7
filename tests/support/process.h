// Runs a program with arguments, capturing its standard output and error.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace delvaro::test {

struct ProcessResult {
    int exitStatus = -1;
    std::string out, err;
};

#ifdef _WIN32

// UTF-8 to UTF-16, for the wide Windows calls.
inline std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// One argument quoted so that the program's start-up code splits it back
// out unchanged: backslashes double only before a quote.
inline void AppendQuotedArgument(std::wstring& line, const std::wstring& arg) {
    if (!line.empty()) line += L' ';
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') backslashes = backslashes * 2 + 1;
        line.append(backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

// Arguments are UTF-8; the program receives them as UTF-16.
inline ProcessResult RunProcess(const std::vector<std::string>& args) {
    TempDir capture;
    const std::string outPath = capture.Path("stdout"), errPath = capture.Path("stderr");
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    auto create = [&](const std::string& path, DWORD access, DWORD disposition) {
        return CreateFileW(Widen(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE in = create("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE out = create(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = create(errPath, GENERIC_WRITE, CREATE_ALWAYS);
    std::wstring line;
    for (const std::string& a : args) AppendQuotedArgument(line, Widen(a));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    ProcessResult r;
    // Wine, busy starting other programs, now and then fails to start one;
    // the program itself has not run then, so it is started again.
    bool started = false;
    DWORD error = 0;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) Sleep(500);
        started = CreateProcessW(Widen(args.at(0)).c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                 nullptr, nullptr, &startup, &process) != 0;
        if (!started) error = GetLastError();
    }
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        r.exitStatus = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    r.out = ReadFileBytes(outPath);
    r.err = ReadFileBytes(errPath);
    if (!started) {
        r.exitStatus = 127;
        r.err = "CreateProcessW failed with error " + std::to_string(error) + "\n";
    }
    return r;
}

#else

inline ProcessResult RunProcess(const std::vector<std::string>& args) {
    TempDir capture;
    const std::string outPath = capture.Path("stdout"), errPath = capture.Path("stderr");
    pid_t pid = fork();
    if (pid == 0) {
        int in = open("/dev/null", O_RDONLY);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ProcessResult r;
    r.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = ReadFileBytes(outPath);
    r.err = ReadFileBytes(errPath);
    return r;
}

#endif

}  // namespace delvaro::test

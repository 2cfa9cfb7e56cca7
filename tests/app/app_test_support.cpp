#include "app_test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>
#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace apptest {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "delvaro-app-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make a temporary folder";
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string Fixture(const std::string& name) { return std::string(DELVARO_FIXTURES "/") + name; }

void CopyFixture(const std::string& name, const std::string& to) {
    std::filesystem::copy_file(Fixture(name), to,
                               std::filesystem::copy_options::overwrite_existing);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

CliResult RunCli(const std::vector<std::string>& args) {
    std::vector<std::string> all = {DELVARO_CLI, "-q"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);

    TempDir scratch;
    const std::string errorFile = scratch / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    CliResult result;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    result.errorOutput = ReadFile(errorFile);
    return result;
}

namespace {

int g_mainLoopLevel = -1;

}  // namespace

QWidget* MainDialog() {
    if (QThread::currentThread()->loopLevel() != g_mainLoopLevel) return nullptr;
    return ui::ModalWithTitle(QString::fromUtf8(kMainCaption));
}

int RunShowingMainDialog(ui::Script& script, const std::function<int()>& body) {
    g_mainLoopLevel = QThread::currentThread()->loopLevel() + 1;
    script.Start();
    const int result = body();
    g_mainLoopLevel = -1;
    return result;
}

QString ProgramFolder() {
    return QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
}

int RunMainDialog(ui::Script& script) {
    return RunShowingMainDialog(script, [] {
        CConvertDlg dlg;
        theApp.m_pMainWnd = &dlg;
        const int result = dlg.DoModal();
        theApp.m_pMainWnd = nullptr;
        return result;
    });
}

}  // namespace apptest

#include "app_test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace apptest {

std::string MakeFolder(const TempDir& temp, const std::string& name) {
    const std::string folder = temp.Path(name);
    std::filesystem::create_directory(folder);
    return folder;
}

std::string Fixture(const std::string& name) { return std::string(DELVARO_FIXTURES "/") + name; }

void CopyFixture(const std::string& name, const std::string& to) {
    std::filesystem::copy_file(Fixture(name), to,
                               std::filesystem::copy_options::overwrite_existing);
}

delvaro::test::ProcessResult RunCli(const std::vector<std::string>& args) {
    std::vector<std::string> all = {DELVARO_CLI, "-q"};
    all.insert(all.end(), args.begin(), args.end());
    return delvaro::test::RunProcess(all);
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

QString ChooserStartFolder() {
#ifdef _WIN32
    return QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
#else
    return QDir::currentPath();
#endif
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

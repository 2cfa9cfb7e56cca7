// The main of the dialog tests: real widgets on Qt's offscreen platform,
// with the configuration and runtime folders Qt uses kept apart from the
// user's.
#include <gtest/gtest.h>

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/afxwin.h"

namespace {

// The offscreen platform says which window-system requests it ignores
// (raise, keyboard grabs, size hints); they say nothing about the tests.
void DropOffscreenNotices(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QStringLiteral("This plugin does not support"))) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // The same screen, fonts and file chooser wherever the tests run.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string home = std::filesystem::temp_directory_path() / "delvaro-ui-test-XXXXXX";
    if (mkdtemp(home.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    qInstallMessageHandler(DropOffscreenNotices);
    if (!AfxWinInit(argc, argv)) {
        std::fprintf(stderr, "cannot set up the window system\n");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    AfxWinTerm();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return result;
}

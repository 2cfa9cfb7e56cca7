// Convert Data from end to end: both choosers answered as a user does, the
// output compared byte for byte with what delvaro-cli writes for the same
// files, the progress shown, failures reported, cancels and selections
// too long for the chooser's buffer.
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QListView>
#include <QMessageBox>
#include <QScreen>
#include <filesystem>

#include "app_test_support.h"

using namespace apptest;

namespace {

QLineEdit* ChooserNameBox(QFileDialog* chooser) {
    return chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

QStringList ListedNames(QFileDialog* chooser) {
    QStringList names;
    auto* list = chooser->findChild<QListView*>(QStringLiteral("listView"));
    if (list == nullptr) return names;
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(list->rootIndex()); ++row)
        names << model->index(row, 0, list->rootIndex()).data().toString();
    return names;
}

QStringList FilterNames(QFileDialog* chooser) {
    QStringList names;
    auto* combo = chooser->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    for (int i = 0; combo != nullptr && i < combo->count(); ++i) names << combo->itemText(i);
    return names;
}

QString Quoted(const std::vector<std::string>& names) {
    QString text;
    for (const std::string& name : names) text += u'"' + QString::fromStdString(name) + "\" ";
    return text.trimmed();
}

// The steps of one Convert Data: the output name typed, the SKI chooser
// opened, its folder changed to `folder` by typing it, and `names` chosen.
void ScriptConvertData(ui::Script& script, const QString& outputTyped, const std::string& folder,
                       const std::vector<std::string>& names) {
    script
        .Then("type the output name and press Convert Data",
              [outputTyped] {
                  QWidget* dialog = MainDialog();
                  if (dialog == nullptr || QApplication::activeModalWidget() != dialog)
                      return false;
                  ui::TypeInto(ui::Edit(dialog, IDC_OUTPUT_FILE), outputTyped);
                  ui::Click(ui::Button(dialog, IDC_CONVERT));
                  return true;
              })
        .Then("the SKI chooser: go to the files' folder",
              [folder] {
                  auto* chooser = qobject_cast<QFileDialog*>(ui::ModalWithTitle(kSkiChooserTitle));
                  if (chooser == nullptr) return false;
                  ui::PasteInto(ChooserNameBox(chooser), QString::fromStdString(folder));
                  ui::Press(ChooserNameBox(chooser), Qt::Key_Return);
                  return true;
              })
        .Then("choose the files", [folder, names] {
            auto* chooser = qobject_cast<QFileDialog*>(ui::ModalWithTitle(kSkiChooserTitle));
            if (chooser == nullptr ||
                chooser->directory().absolutePath() != QString::fromStdString(folder))
                return false;
            ui::PasteInto(ChooserNameBox(chooser), Quoted(names));
            ui::Press(ChooserNameBox(chooser), Qt::Key_Return);
            return true;
        });
}

// Two files through both choosers: the chooser as the program sets it up,
// the progress shown afterwards, no message, and the output the same bytes
// as delvaro-cli writes for the same files in the same order.
TEST(Conversion, TwoFilesGiveTheSameBytesAsTheCommandLineConverter) {
    TempDir temp;
    const std::string folder = MakeFolder(temp, "files");
    const std::string first = folder + "/first.asc";
    // Capital letters in the extension: the Leica filter still shows it.
    const std::string second = folder + "/SECOND.ASC";
    CopyFixture("eleven_lines.asc", first);
    CopyFixture("two_baselines_metres.asc", second);
    temp.Write("files/notes.txt", "not an SKI file\n");
    const std::string output = temp.Path("out.txt");

    ui::Script script;
    script.Then("type the output name with blanks around it, press Convert Data", [&] {
        QWidget* dialog = MainDialog();
        if (dialog == nullptr) return false;
        ui::TypeInto(ui::Edit(dialog, IDC_OUTPUT_FILE),
                     QString::fromStdString("  " + output + " \t"));
        ui::Click(ui::Button(dialog, IDC_CONVERT));
        return true;
    });
    script.Then("the SKI chooser as set up by the program", [&] {
        auto* chooser = qobject_cast<QFileDialog*>(ui::ModalWithTitle(kSkiChooserTitle));
        if (chooser == nullptr) return false;
        EXPECT_EQ(chooser->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(FilterNames(chooser), QStringList({"Leica Files (*.asc)", "All Files (*.*)"}));
        EXPECT_EQ(chooser->directory().absolutePath(), ChooserStartFolder());
        // Centred on the screen.
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QRect frame = chooser->frameGeometry();
        EXPECT_LE(frame.width(), screen.width());
        EXPECT_LE(frame.height(), screen.height());
        EXPECT_EQ(frame.topLeft(), QPoint((screen.width() - frame.width()) / 2,
                                          (screen.height() - frame.height()) / 2));
        ui::PasteInto(ChooserNameBox(chooser), QString::fromStdString(folder));
        ui::Press(ChooserNameBox(chooser), Qt::Key_Return);
        return true;
    });
    script.Then("the Leica filter lists both SKI files and hides the rest", [&] {
        auto* chooser = qobject_cast<QFileDialog*>(ui::ModalWithTitle(kSkiChooserTitle));
        if (chooser == nullptr) return false;
        QStringList listed = ListedNames(chooser);
        listed.sort();
        if (listed != QStringList({"SECOND.ASC", "first.asc"})) return false;
        ui::PasteInto(ChooserNameBox(chooser), "\"first.asc\" \"SECOND.ASC\"");
        ui::Press(ChooserNameBox(chooser), Qt::Key_Return);
        return true;
    });
    script.Then("the progress after the run, and no message", [&] {
        QWidget* dialog = MainDialog();
        if (dialog == nullptr || QApplication::activeModalWidget() != dialog) return false;
        if (ui::Text(dialog, IDC_FILE_COUNT) == "0") return false;
        EXPECT_EQ(ui::Text(dialog, IDC_FILE_COUNT), "2");
        EXPECT_EQ(ui::Text(dialog, IDC_BASELINE_COUNT), "4");
        EXPECT_EQ(ui::Text(dialog, IDC_CURRENT_FILE), QString::fromStdString(second));
        EXPECT_EQ(ui::Text(dialog, IDC_OUTPUT_FILE), QString::fromStdString(output));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(theApp.m_nWaitCursorCount, 0);
        ui::SaveScreenshot(dialog, "main_dialog_after_conversion");
        ui::Click(ui::Button(dialog, IDCANCEL));
        return true;
    });
    RunMainDialog(script);

    const std::string expectedFile = temp.Path("expected.txt");
    const delvaro::test::ProcessResult cli = RunCli({"-o", expectedFile, first, second});
    ASSERT_EQ(cli.exitStatus, 0) << cli.err;
    const std::string expected = ReadFileBytes(expectedFile);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ReadFileBytes(output), expected);
}

// A scaler typed as 1.234567 is used as typed for the run; the box then
// shows 1.23457, and the next run reads back and uses 1.23457.
TEST(Conversion, TheScalerTypedIsUsedAndThenReadBackAsShown) {
    TempDir temp;
    const std::string folder = MakeFolder(temp, "files");
    CopyFixture("two_baselines_metres.asc", folder + "/a.asc");

    ui::Script script;
    script.Then("type the scaler", [] {
        QWidget* dialog = MainDialog();
        if (dialog == nullptr) return false;
        ui::TypeInto(ui::Edit(dialog, IDC_COV_SCALER), "1.234567");
        return true;
    });
    ScriptConvertData(script, QString::fromStdString(temp.Path("first.txt")), folder, {"a.asc"});
    script.Then("the scaler box after the run", [] {
        QWidget* dialog = MainDialog();
        if (dialog == nullptr || QApplication::activeModalWidget() != dialog ||
            ui::Text(dialog, IDC_FILE_COUNT) != "1")
            return false;
        EXPECT_EQ(ui::Text(dialog, IDC_COV_SCALER), "1.23457");
        return true;
    });
    ScriptConvertData(script, QString::fromStdString(temp.Path("second.txt")), folder, {"a.asc"});
    script.Then("close", [&] {
        QWidget* dialog = MainDialog();
        if (dialog == nullptr || QApplication::activeModalWidget() != dialog ||
            !std::filesystem::exists(temp.Path("second.txt")))
            return false;
        ui::Click(ui::Button(dialog, IDCANCEL));
        return true;
    });
    RunMainDialog(script);

    for (const auto& [file, scaler] : {std::pair{"first", "1.234567"}, {"second", "1.23457"}}) {
        SCOPED_TRACE(file);
        const std::string expectedFile = temp.Path(std::string(file) + ".expected");
        ASSERT_EQ(RunCli({"-s", scaler, "-o", expectedFile, folder + "/a.asc"}).exitStatus, 0);
        EXPECT_EQ(ReadFileBytes(temp.Path(std::string(file) + ".txt")),
                  ReadFileBytes(expectedFile));
    }
    EXPECT_NE(ReadFileBytes(temp.Path("first.txt")), ReadFileBytes(temp.Path("second.txt")));
}

// The first failing file stops the run with one message, the same text as
// delvaro-cli's; a long path is cut the same way in both. While the box is
// up the run is still counted busy, but the box shows the ordinary pointer.
TEST(Conversion, AFailingFileIsReportedAsTheCommandLineConverterReportsIt) {
    TempDir temp;
    // A folder name long enough to push the message past its 259 characters.
    const std::string longFolder = MakeFolder(temp, std::string(200, 'f'));
    for (const std::string& folder : {MakeFolder(temp, "files"), longFolder}) {
        SCOPED_TRACE(folder.size());
        const std::string good = folder + "/good.asc";
        const std::string bad = folder + "/bad.asc";
        CopyFixture("two_baselines_metres.asc", good);
        CopyFixture("short_position_line.asc", bad);
        const std::string output = temp.Path("out.txt");

        const std::string expectedFile = temp.Path("expected.txt");
        const delvaro::test::ProcessResult cli = RunCli({"-o", expectedFile, good, bad});
        ASSERT_EQ(cli.exitStatus, 1);
        ASSERT_FALSE(cli.err.empty());
        const QString cliMessage = QString::fromStdString(cli.err).trimmed();

        ui::Script script;
        ScriptConvertData(script, QString::fromStdString(output), folder, {"good.asc", "bad.asc"});
        script.Then("the failure's message", [&] {
            auto* box = ui::Modal<QMessageBox>();
            if (box == nullptr) return false;
            EXPECT_EQ(box->text(), cliMessage);
            if (folder.size() < 200) {
                EXPECT_EQ(box->text(),
                          QString::fromStdString("Not enough arguments on line 5 - " + bad));
                ui::SaveScreenshot(box, "failure_message");
            } else {
                EXPECT_EQ(box->text().size(), 259);
                EXPECT_TRUE(box->text().endsWith("..."));
            }
            EXPECT_EQ(theApp.m_nWaitCursorCount, 1);
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
            ui::AcknowledgeMessage(box);
            return true;
        });
        script.Then("the progress shows the failing file", [&] {
            QWidget* dialog = MainDialog();
            if (dialog == nullptr || QApplication::activeModalWidget() != dialog) return false;
            EXPECT_EQ(ui::Text(dialog, IDC_CURRENT_FILE), QString::fromStdString(bad));
            EXPECT_EQ(ui::Text(dialog, IDC_FILE_COUNT), "1");
            EXPECT_EQ(ui::Text(dialog, IDC_BASELINE_COUNT), "2");
            EXPECT_EQ(theApp.m_nWaitCursorCount, 0);
            ui::Click(ui::Button(dialog, IDCANCEL));
            return true;
        });
        RunMainDialog(script);
        EXPECT_EQ(ReadFileBytes(output), ReadFileBytes(expectedFile));
    }
}

// An output that cannot be created is named in the one message, as the
// dialog holds it (trimmed); no SKI file is read and the counts stay.
TEST(Conversion, AnOutputThatCannotBeCreatedIsNamed) {
    TempDir temp;
    const std::string folder = MakeFolder(temp, "files");
    CopyFixture("two_baselines_metres.asc", folder + "/a.asc");
    const std::string output = temp.Path("missing-folder/out.txt");

    ui::Script script;
    ScriptConvertData(script, QString::fromStdString("  " + output), folder, {"a.asc"});
    script.Then("the message names the output file", [&] {
        auto* box = ui::Modal<QMessageBox>();
        if (box == nullptr) return false;
        EXPECT_EQ(box->text(), QString::fromStdString("Cannot open file " + output));
        EXPECT_EQ(theApp.m_nWaitCursorCount, 0);
        ui::AcknowledgeMessage(box);
        return true;
    });
    script.Then("nothing else changed", [] {
        QWidget* dialog = MainDialog();
        if (dialog == nullptr || QApplication::activeModalWidget() != dialog) return false;
        EXPECT_EQ(ui::Text(dialog, IDC_CURRENT_FILE), "");
        EXPECT_EQ(ui::Text(dialog, IDC_FILE_COUNT), "0");
        ui::Click(ui::Button(dialog, IDCANCEL));
        return true;
    });
    RunMainDialog(script);
}

// An existing output reached through a link is replaced whole: the link
// stays, its target keeps its permissions and gets the same bytes as
// delvaro-cli writes, and no temporary file is left beside it. After a
// failure it holds what the failed run wrote.
TEST(Conversion, AnExistingOutputIsReplacedWhole) {
    TempDir temp;
    const std::string folder = MakeFolder(temp, "files");
    CopyFixture("two_baselines_metres.asc", folder + "/a.asc");
    CopyFixture("short_position_line.asc", folder + "/bad.asc");
    MakeFolder(temp, "results");
    const std::string target = temp.Path("results/network.txt");
    temp.Write("results/network.txt", "an earlier run's output\r\n");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    const std::string link = temp.Path("network.lnk");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);

    struct Case {
        std::vector<std::string> names;
        bool fails;
    };
    for (const Case& c : {Case{{"a.asc"}, false}, Case{{"a.asc", "bad.asc"}, true}}) {
        SCOPED_TRACE(c.names.size());
        ui::Script script;
        ScriptConvertData(script, QString::fromStdString(link), folder, c.names);
        if (c.fails) {
            script.Then("the failure's message", [] {
                auto* box = ui::Modal<QMessageBox>();
                if (box == nullptr) return false;
                ui::AcknowledgeMessage(box);
                return true;
            });
        }
        script.Then("close", [&] {
            QWidget* dialog = MainDialog();
            if (dialog == nullptr || QApplication::activeModalWidget() != dialog ||
                ui::Text(dialog, IDC_FILE_COUNT) != "1")
                return false;
            ui::Click(ui::Button(dialog, IDCANCEL));
            return true;
        });
        RunMainDialog(script);

        std::vector<std::string> args = {"-o", temp.Path("expected.txt")};
        for (const std::string& name : c.names) args.push_back(folder + "/" + name);
        ASSERT_EQ(RunCli(args).exitStatus, c.fails ? 1 : 0);
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(temp.Path("expected.txt")));
        struct stat info;
        ASSERT_EQ(stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
        size_t entries = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(temp.Path("results")))
            ++entries;
        EXPECT_EQ(entries, 1u) << "a temporary file left beside the output";
    }
}

// Cancel in the SKI chooser does nothing at all: no message, and an
// existing output file keeps its contents.
TEST(Conversion, CancelInTheChooserChangesNothing) {
    TempDir temp;
    const std::string output = temp.Path("out.txt");
    temp.Write("out.txt", "earlier results\r\n");
    for (const char* how : {"Esc", "Cancel button"}) {
        SCOPED_TRACE(how);
        ui::Script script;
        script
            .Then("Convert Data",
                  [&] {
                      QWidget* dialog = MainDialog();
                      if (dialog == nullptr) return false;
                      ui::TypeInto(ui::Edit(dialog, IDC_OUTPUT_FILE),
                                   QString::fromStdString(output));
                      ui::Click(ui::Button(dialog, IDC_CONVERT));
                      return true;
                  })
            .Then("cancel the chooser",
                  [&] {
                      auto* chooser =
                          qobject_cast<QFileDialog*>(ui::ModalWithTitle(kSkiChooserTitle));
                      if (chooser == nullptr) return false;
                      if (std::string(how) == "Esc") {
                          ui::Press(ChooserNameBox(chooser), Qt::Key_Escape);
                      } else {
                          for (QPushButton* button : chooser->findChildren<QPushButton*>())
                              if (button->text() == "Cancel" || button->text() == "&Cancel")
                                  ui::Click(button);
                      }
                      return true;
                  })
            .Then("back, nothing shown or changed", [&] {
                QWidget* dialog = MainDialog();
                if (dialog == nullptr || QApplication::activeModalWidget() != dialog) return false;
                EXPECT_EQ(ui::Text(dialog, IDC_FILE_COUNT), "0");
                EXPECT_EQ(ui::Text(dialog, IDC_CURRENT_FILE), "");
                ui::Click(ui::Button(dialog, IDCANCEL));
                return true;
            });
        RunMainDialog(script);
        EXPECT_EQ(ReadFileBytes(output), "earlier results\r\n");
    }
}

// A choice that does not fit the chooser's file-name buffer (32000 bytes
// for the SKI files, 260 for the output file) is reported, not dropped
// without a word as if the user had cancelled.
TEST(Conversion, AChoiceTooLongForTheBufferIsReported) {
    TempDir temp;
    const std::string many = MakeFolder(temp, "many");
    std::vector<std::string> names;
    // 160 names of 200 characters: more than the buffer's 32000 bytes, less
    // than a name box holds.
    for (int i = 0; i < 160; ++i) {
        names.push_back(std::string(192, 'n') + std::to_string(1000 + i) + ".asc");
        CopyFixture("two_baselines_metres.asc", many + "/" + names.back());
    }
    const std::string deep = MakeFolder(temp, std::string(250, 'd'));
    const std::string longOutput = deep + "/out.txt";
    const std::string output = temp.Path("out.txt");

    ui::Script script;
    ScriptConvertData(script, QString::fromStdString(output), many, names);
    script
        .Then("the SKI files do not fit: a message",
              [] {
                  auto* box = ui::Modal<QMessageBox>();
                  if (box == nullptr) return false;
                  EXPECT_TRUE(box->text().startsWith("The selected file names are too long"));
                  ui::AcknowledgeMessage(box);
                  return true;
              })
        .Then("Browse...",
              [] {
                  QWidget* dialog = MainDialog();
                  if (dialog == nullptr || QApplication::activeModalWidget() != dialog)
                      return false;
                  EXPECT_EQ(ui::Text(dialog, IDC_FILE_COUNT), "0");
                  ui::Click(ui::Button(dialog, IDC_BROWSE));
                  return true;
              })
        .Then("choose an output path longer than 259 characters",
              [&] {
                  auto* chooser =
                      qobject_cast<QFileDialog*>(ui::ModalWithTitle(kOutputChooserTitle));
                  if (chooser == nullptr) return false;
                  ui::PasteInto(ChooserNameBox(chooser), QString::fromStdString(longOutput));
                  ui::Press(ChooserNameBox(chooser), Qt::Key_Return);
                  return true;
              })
        .Then("the output path does not fit: a message",
              [] {
                  auto* box = ui::Modal<QMessageBox>();
                  if (box == nullptr) return false;
                  EXPECT_TRUE(box->text().startsWith("The selected file names are too long"));
                  ui::AcknowledgeMessage(box);
                  return true;
              })
        .Then("nothing changed", [&] {
            QWidget* dialog = MainDialog();
            if (dialog == nullptr || QApplication::activeModalWidget() != dialog) return false;
            EXPECT_EQ(ui::Text(dialog, IDC_OUTPUT_FILE), QString::fromStdString(output));
            ui::Click(ui::Button(dialog, IDCANCEL));
            return true;
        });
    RunMainDialog(script);
    EXPECT_FALSE(std::filesystem::exists(output));
}

}  // namespace

// Open descriptors on the files of a run (Qt keeps descriptors of its own,
// opened when its first chooser appears).
int OpenDescriptorsOn(const std::string& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (target.rfind(folder, 0) == 0 || target == "/dev/full") ++count;
    }
    return count;
}

// Faults one after another in one session: each shows its one message,
// nothing is lost or changed, and the dialog converts normally afterwards.
TEST(Conversion, AfterEveryFaultTheDialogStaysUsable) {
    TempDir temp;
    const std::string folder = MakeFolder(temp, "files");
    const std::string a = folder + "/a.asc";
    CopyFixture("two_baselines_metres.asc", a);
    const std::string original = ReadFileBytes(a);
    const std::string good = temp.Path("good.txt");
    struct Run {
        std::string output;
        std::string message;  // empty: none expected
        const char* files;
        const char* baselines;
    };
    const std::vector<Run> runs = {
        {"/dev/full", "File write error " + a, "0", "2"},
        {temp.Path("missing/out.txt"), "Cannot open file " + temp.Path("missing/out.txt"), "0",
         "2"},
        {a, "Output file " + a + " is also one of the SKI files", "0", "2"},
        {temp.Path("files"), "Cannot open file " + temp.Path("files"), "0", "2"},
        {good, "", "1", "2"},
    };
    ui::Script script;
    for (const Run& run : runs) {
        ScriptConvertData(script, QString::fromStdString(run.output), folder, {"a.asc"});
        if (!run.message.empty()) {
            script.Then("the fault's one message: " + run.message, [run] {
                auto* box = ui::Modal<QMessageBox>();
                if (box == nullptr) return false;
                EXPECT_EQ(box->text(), QString::fromStdString(run.message));
                ui::AcknowledgeMessage(box);
                return true;
            });
        }
        script.Then("back in the dialog, ready for the next run", [run] {
            QWidget* dialog = MainDialog();
            if (dialog == nullptr || QApplication::activeModalWidget() != dialog) return false;
            EXPECT_EQ(theApp.m_nWaitCursorCount, 0);
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
            EXPECT_TRUE(ui::Button(dialog, IDC_CONVERT)->isEnabled());
            // The counts of the last run that got as far as converting.
            EXPECT_EQ(ui::Text(dialog, IDC_FILE_COUNT), run.files) << run.output;
            EXPECT_EQ(ui::Text(dialog, IDC_BASELINE_COUNT), run.baselines) << run.output;
            return true;
        });
    }
    script.Then("close", [] {
        QWidget* dialog = MainDialog();
        if (dialog == nullptr || QApplication::activeModalWidget() != dialog) return false;
        ui::Click(ui::Button(dialog, IDCANCEL));
        return true;
    });
    RunMainDialog(script);

    EXPECT_EQ(ReadFileBytes(a), original);
    EXPECT_FALSE(std::filesystem::exists(temp.Path("missing")));
    const std::string expectedFile = temp.Path("expected.txt");
    ASSERT_EQ(RunCli({"-q", "-o", expectedFile, a}).exitStatus, 0);
    EXPECT_EQ(ReadFileBytes(good), ReadFileBytes(expectedFile));
    EXPECT_EQ(OpenDescriptorsOn(temp.Path("")), 0);
}

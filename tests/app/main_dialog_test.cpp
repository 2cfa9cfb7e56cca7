// The main dialog as the user meets it: its start-up state, the ways it
// closes, the scaler's validation, the output-name check, Browse, the
// system menu with the About box, and help.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <clocale>
#include <cstdlib>

#include "app_test_support.h"
#include "res/version.h"

using namespace apptest;

namespace {

const char* const kStaticTexts[] = {
    "This utility allows you to extract data from one or more Leica SKI 'asc' files and write "
    "them into a TREVADEL compatible",
    "input file. Supply the name of an output TREVADEL file, then press the Convert Data button "
    "to select the 'asc' file(s).",
    "After creating the TREVADEL compatible file, load the file into TREVADEL and enter the Edit "
    "- Stations - Geodetic dialog",
    "to modify (as needed) the coordinates of your fixed stations. ",
    "'SKI' File records currently supported include: @+, @-, @=, @*",
    "Linear and coordinate types supported: meters, u.s. feet, intl. feet, ECEF cartesian "
    "coordinates.",
    "Covariance Scaler:",
    "Baselines Processed:",
    "Files Processed:",
    "Enter the name of the TREVADEL ASCII (Text) file to create from data in the 'SKI' file(s):",
    "Name of the current 'SKI' File being processed:",
};

QString AppName() { return QString::fromUtf8(theApp.m_pszAppName); }

QStringList FilterNames(QFileDialog* chooser) {
    QStringList names;
    auto* combo = chooser->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    for (int i = 0; combo != nullptr && i < combo->count(); ++i) names << combo->itemText(i);
    return names;
}

QLineEdit* ChooserNameBox(QFileDialog* chooser) {
    return chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Types a name into the chooser and confirms it with Enter.
void ChooseInChooser(QFileDialog* chooser, const QString& name) {
    ui::PasteInto(ChooserNameBox(chooser), name);
    ui::Press(ChooserNameBox(chooser), Qt::Key_Return);
}

TEST(MainDialog, StartsWithItsDefaultsAndTheFocusInTheScalerBox) {
    ui::Script script;
    script.Then("the main dialog shows its start-up state", [] {
        QWidget* dialog = MainDialog();
        if (dialog == nullptr) return false;
        EXPECT_EQ(ui::Text(dialog, IDC_COV_SCALER), "1.");
        EXPECT_EQ(ui::Text(dialog, IDC_BASELINE_COUNT), "0");
        EXPECT_EQ(ui::Text(dialog, IDC_FILE_COUNT), "0");
        EXPECT_EQ(ui::Text(dialog, IDC_OUTPUT_FILE), "");
        EXPECT_EQ(ui::Text(dialog, IDC_CURRENT_FILE), "");
        for (int id : {IDC_BASELINE_COUNT, IDC_FILE_COUNT, IDC_CURRENT_FILE})
            EXPECT_TRUE(ui::Edit(dialog, id)->isReadOnly()) << id;
        for (int id : {IDC_COV_SCALER, IDC_OUTPUT_FILE})
            EXPECT_FALSE(ui::Edit(dialog, id)->isReadOnly()) << id;
        EXPECT_EQ(dialog->focusWidget(), ui::Edit(dialog, IDC_COV_SCALER));
        EXPECT_EQ(ui::Edit(dialog, IDC_COV_SCALER)->selectedText(), "1.");
        EXPECT_TRUE(ui::Button(dialog, IDC_CONVERT)->isDefault());
        EXPECT_EQ(ui::Button(dialog, IDC_CONVERT)->text(), "&Convert Data");
        EXPECT_EQ(ui::Button(dialog, IDCANCEL)->text(), "Close");
        EXPECT_EQ(ui::Button(dialog, IDC_BROWSE)->text(), "Browse...");
        EXPECT_FALSE(dialog->windowIcon().isNull());
        std::vector<QString> expected;
        for (const char* text : kStaticTexts) expected.push_back(QString::fromUtf8(text));
        EXPECT_EQ(ui::StaticTexts(dialog), expected);

        // Tab walks the edit boxes and buttons in template order.
        std::vector<int> order;
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
            order.push_back(dialog->focusWidget()->property("afxControlId").toInt());
        }
        EXPECT_EQ(order,
                  (std::vector<int>{IDC_BASELINE_COUNT, IDC_FILE_COUNT, IDC_OUTPUT_FILE, IDC_BROWSE,
                                    IDC_CURRENT_FILE, IDC_CONVERT, IDCANCEL, IDC_COV_SCALER}));
        ui::Click(ui::Button(dialog, IDCANCEL));
        return true;
    });
    EXPECT_EQ(RunMainDialog(script), IDCANCEL);
}

TEST(MainDialog, EscCloseAndTheWindowsCloseButtonEachEndIt) {
    const std::vector<std::pair<const char*, std::function<void(QWidget*)>>> ways = {
        {"Esc", [](QWidget* d) { ui::Press(d->focusWidget(), Qt::Key_Escape); }},
        {"Close button", [](QWidget* d) { ui::Click(ui::Button(d, IDCANCEL)); }},
        {"window close button", [](QWidget* d) { d->close(); }},
    };
    for (const auto& [way, close] : ways) {
        SCOPED_TRACE(way);
        ui::Script script;
        script.Then("close the main dialog", [&close = close] {
            QWidget* dialog = MainDialog();
            if (dialog == nullptr) return false;
            close(dialog);
            return true;
        });
        EXPECT_EQ(RunMainDialog(script), IDCANCEL);
    }
}

TEST(MainDialog, TheApplicationShowsTheDialogAndEndsWhenItCloses) {
    ui::Script script;
    script.Then("the application's dialog shows", [] {
        QWidget* dialog = MainDialog();
        if (dialog == nullptr) return false;
        EXPECT_EQ(AfxGetMainWnd() != nullptr, true);
        ui::Press(dialog->focusWidget(), Qt::Key_Escape);
        return true;
    });
    EXPECT_FALSE(RunShowingMainDialog(script, [] { return theApp.InitInstance(); }));
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
}

// Enter in a box runs the default button, Convert Data.
TEST(MainDialog, EnterInAnyBoxRunsConvertData) {
    TempDir temp;
    const QString output = QString::fromStdString(temp.Path("out.txt"));
    for (int box : {IDC_COV_SCALER, IDC_OUTPUT_FILE, IDC_CURRENT_FILE, IDC_FILE_COUNT}) {
        SCOPED_TRACE(box);
        ui::Script script;
        script
            .Then("Enter in the box",
                  [&] {
                      QWidget* dialog = MainDialog();
                      if (dialog == nullptr) return false;
                      ui::TypeInto(ui::Edit(dialog, IDC_OUTPUT_FILE), output);
                      ui::Press(ui::Edit(dialog, box), Qt::Key_Return);
                      return true;
                  })
            .Then("the SKI chooser opens; cancel it",
                  [] {
                      QWidget* chooser = ui::ModalWithTitle(kSkiChooserTitle);
                      if (chooser == nullptr) return false;
                      ui::Press(chooser, Qt::Key_Escape);
                      return true;
                  })
            .Then("close", [] {
                QWidget* dialog = MainDialog();
                if (dialog == nullptr) return false;
                EXPECT_EQ(QApplication::activeModalWidget(), dialog);
                ui::Click(ui::Button(dialog, IDCANCEL));
                return true;
            });
        RunMainDialog(script);
        EXPECT_FALSE(std::filesystem::exists(output.toStdString()));
    }
}

struct ScalerCase {
    const char* typed;
    const char* message;  // nullptr when accepted
    const char* shownAfter;
};

// What the user types, what the program says, and what the box shows
// afterwards: after the next refresh for an accepted value, and still the
// typed text, with the focus back in it and all of it selected, for a
// refused one. Browse runs the same validation as Convert Data.
TEST(MainDialog, ScalerIsValidatedAndShownInFixedForm) {
    const ScalerCase cases[] = {
        {"1e-5", nullptr, "0.00001"},
        {"0", kRangePrompt, "0"},
        {"99999.5", kRangePrompt, "99999.5"},
        {"99999", nullptr, "99999."},
        {"1.234567", nullptr, "1.23457"},
        {"abc", kNumberPrompt, "abc"},
        {"", kNumberPrompt, ""},
        {" 2.50 ", nullptr, "2.5"},
        {"2.5x", kNumberPrompt, "2.5x"},
        {"nan", kNumberPrompt, "nan"},
        {"1e999", kRangePrompt, "1e999"},
        {"-1", kRangePrompt, "-1"},
    };
    TempDir temp;
    for (const ScalerCase& c : cases) {
        SCOPED_TRACE(std::string("typed '") + c.typed + "'");
        ui::Script script;
        script.Then("type the scaler and press Browse...", [&] {
            QWidget* dialog = MainDialog();
            if (dialog == nullptr) return false;
            ui::TypeInto(ui::Edit(dialog, IDC_COV_SCALER), c.typed);
            ui::Click(ui::Button(dialog, IDC_BROWSE));
            return true;
        });
        if (c.message != nullptr) {
            script.Then("the framework's message", [&] {
                auto* box = ui::Modal<QMessageBox>();
                if (box == nullptr) return false;
                EXPECT_EQ(box->text(), c.message);
                EXPECT_EQ(box->windowTitle(), AppName());
                ui::AcknowledgeMessage(box);
                return true;
            });
        } else {
            script.Then("the output chooser opens: choose a name", [&] {
                auto* chooser = qobject_cast<QFileDialog*>(ui::ModalWithTitle(kOutputChooserTitle));
                if (chooser == nullptr) return false;
                ChooseInChooser(chooser, QString::fromStdString(temp.Path("out.txt")));
                return true;
            });
        }
        script.Then("the scaler box afterwards", [&] {
            QWidget* dialog = MainDialog();
            if (dialog == nullptr || QApplication::activeModalWidget() != dialog) return false;
            QLineEdit* scaler = ui::Edit(dialog, IDC_COV_SCALER);
            EXPECT_EQ(scaler->text(), c.shownAfter);
            if (c.message != nullptr) {
                EXPECT_EQ(dialog->focusWidget(), scaler);
                EXPECT_EQ(scaler->selectedText(), scaler->text());
            }
            ui::Click(ui::Button(dialog, IDCANCEL));
            return true;
        });
        RunMainDialog(script);
    }
}

// Message 5021, and no chooser, for an output name that is empty or blank.
TEST(MainDialog, ConvertDataWantsAnOutputName) {
    for (const char* name : {"", "   ", " \t "}) {
        SCOPED_TRACE(std::string("name '") + name + "'");
        ui::Script script;
        script
            .Then("Convert Data without a name",
                  [&] {
                      QWidget* dialog = MainDialog();
                      if (dialog == nullptr) return false;
                      ui::TypeInto(ui::Edit(dialog, IDC_OUTPUT_FILE), name);
                      ui::Click(ui::Button(dialog, IDC_CONVERT));
                      return true;
                  })
            .Then("message 5021",
                  [] {
                      auto* box = ui::Modal<QMessageBox>();
                      if (box == nullptr) return false;
                      EXPECT_EQ(box->text(), "Please enter a 'TREVADEL' File name");
                      EXPECT_EQ(box->windowTitle(), AppName());
                      ui::AcknowledgeMessage(box);
                      return true;
                  })
            .Then("back in the dialog, no chooser", [] {
                QWidget* dialog = MainDialog();
                if (dialog == nullptr) return false;
                ui::Click(ui::Button(dialog, IDCANCEL));
                return true;
            });
        RunMainDialog(script);
    }
}

// The output chooser: its title, filter and folder; it takes a name that
// does not exist yet and an existing one without asking, and the box shows
// the path as chosen, capitals kept, since they name another file here.
TEST(MainDialog, BrowseChoosesTheOutputFile) {
    TempDir temp;
    const QString newFile = QString::fromStdString(temp.Path("New Output.TXT"));
    const QString existing = QString::fromStdString(temp.Path("Existing.txt"));
    temp.Write("Existing.txt", "old contents");
    ui::Script script;
    for (const QString& path : {newFile, existing}) {
        script
            .Then("Browse...",
                  [] {
                      QWidget* dialog = MainDialog();
                      if (dialog == nullptr) return false;
                      ui::Click(ui::Button(dialog, IDC_BROWSE));
                      return true;
                  })
            .Then("the chooser; choose the file",
                  [path] {
                      auto* chooser =
                          qobject_cast<QFileDialog*>(ui::ModalWithTitle(kOutputChooserTitle));
                      if (chooser == nullptr) return false;
                      EXPECT_EQ(FilterNames(chooser),
                                QStringList({"ASCII (Text) File (*.txt)", "All Files (*.*)"}));
                      EXPECT_EQ(chooser->directory().absolutePath(), ChooserStartFolder());
                      ChooseInChooser(chooser, path);
                      return true;
                  })
            .Then("the box shows the path, and no question was asked", [path] {
                QWidget* dialog = MainDialog();
                if (dialog == nullptr || QApplication::activeModalWidget() != dialog) return false;
                EXPECT_EQ(ui::Text(dialog, IDC_OUTPUT_FILE), path);
                return true;
            });
    }
    script.Then("close", [] {
        ui::Click(ui::Button(MainDialog(), IDCANCEL));
        return true;
    });
    RunMainDialog(script);
    EXPECT_FALSE(std::filesystem::exists(newFile.toStdString()));
    EXPECT_EQ(ReadFileBytes(existing.toStdString()), "old contents");
}

#ifndef _WIN32
// Installed, the program lives in /usr/bin among all the others, so both
// choosers open in the folder it was started in; a folder that has since
// been removed leaves them in the home folder.
TEST(MainDialog, BothChoosersOpenInTheWorkingFolder) {
    TempDir temp;
    const std::string started = MakeFolder(temp, "survey data");
    const std::string home = MakeFolder(temp, "home");
    const std::string removed = MakeFolder(temp, "removed");
    const std::filesystem::path before = std::filesystem::current_path();
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";
    setenv("HOME", home.c_str(), 1);
    struct Case {
        std::string workingFolder, expected;
        bool removeIt;
    };
    for (const Case& c : {Case{started, started, false}, Case{removed, home, true}}) {
        SCOPED_TRACE(c.workingFolder);
        std::filesystem::current_path(c.workingFolder);
        if (c.removeIt) std::filesystem::remove(c.workingFolder);
        const QString expected = QDir(QString::fromStdString(c.expected)).absolutePath();
        ui::Script script;
        for (int button : {IDC_BROWSE, IDC_CONVERT}) {
            const QString title = button == IDC_BROWSE ? kOutputChooserTitle : kSkiChooserTitle;
            script
                .Then("open the chooser",
                      [button] {
                          QWidget* dialog = MainDialog();
                          if (dialog == nullptr) return false;
                          ui::TypeInto(ui::Edit(dialog, IDC_OUTPUT_FILE), "out.txt");
                          ui::Click(ui::Button(dialog, button));
                          return true;
                      })
                .Then("it shows the folder; cancel", [title, expected] {
                    auto* chooser = qobject_cast<QFileDialog*>(ui::ModalWithTitle(title));
                    if (chooser == nullptr) return false;
                    EXPECT_EQ(chooser->directory().absolutePath(), expected) << title.toStdString();
                    ui::Press(ChooserNameBox(chooser), Qt::Key_Escape);
                    return true;
                });
        }
        script.Then("close", [] {
            QWidget* dialog = MainDialog();
            if (dialog == nullptr) return false;
            ui::Click(ui::Button(dialog, IDCANCEL));
            return true;
        });
        RunMainDialog(script);
    }
    std::filesystem::current_path(before);
    if (oldHome != nullptr)
        setenv("HOME", savedHome.c_str(), 1);
    else
        unsetenv("HOME");
}
#endif

// The system menu ends in a separator and the About entry; it opens by a
// right-click in the dialog and by Alt+Space. The About box shows the icon,
// the version and the rights notice, is centred over the main dialog and
// closes by Enter, Esc, OK and its close button.
TEST(MainDialog, SystemMenuOpensTheAboutBox) {
    struct Case {
        const char* how;
        std::function<void(QWidget*)> openMenu;
        std::function<void(QWidget*)> closeAbout;
    };
    const auto rightClick = [](QWidget* d) {
        ui::RightClick(d, QPoint(d->width() / 2, d->height() - 4));
    };
    const auto altSpace = [](QWidget* d) {
        ui::Press(d->focusWidget(), Qt::Key_Space, Qt::AltModifier);
    };
    const Case cases[] = {
        {"right-click, Enter", rightClick, [](QWidget* a) { ui::Press(a, Qt::Key_Return); }},
        {"right-click, Esc", rightClick, [](QWidget* a) { ui::Press(a, Qt::Key_Escape); }},
        {"right-click, OK", rightClick, [](QWidget* a) { ui::Click(ui::Button(a, IDOK)); }},
        {"right-click, close button", rightClick, [](QWidget* a) { a->close(); }},
        {"Alt+Space, OK", altSpace, [](QWidget* a) { ui::Click(ui::Button(a, IDOK)); }},
    };
    bool screenshotTaken = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        ui::Script script;
        script
            .Then("open the system menu",
                  [&] {
                      // Keys go to the active window.
                      QWidget* dialog = MainDialog();
                      if (dialog == nullptr || !dialog->isActiveWindow()) return false;
                      c.openMenu(dialog);
                      return true;
                  })
            .Then("choose About",
                  [] {
                      QMenu* menu = ui::Popup();
                      if (menu == nullptr) return false;
                      const QList<QAction*> actions = menu->actions();
                      EXPECT_GE(actions.size(), 2);
                      if (actions.size() < 2) return true;
                      EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
                      QAction* about = actions.back();
                      EXPECT_EQ(about->text(), "&About Delvaro...");
                      ui::Click(menu, Qt::LeftButton, menu->actionGeometry(about).center());
                      return true;
                  })
            .Then("the About box",
                  [&] {
                      QWidget* about = ui::ModalWithTitle("About Delvaro");
                      if (about == nullptr) return false;
                      EXPECT_EQ(ui::StaticTexts(about),
                                (std::vector<QString>{"Delvaro Version " DELVARO_VERSION_TEXT,
                                                      DELVARO_COPYRIGHT}));
                      EXPECT_EQ(ui::StaticTexts(about).front(), "Delvaro Version 3.5.1.5");
                      bool hasIcon = false;
                      for (QLabel* label : about->findChildren<QLabel*>())
                          hasIcon = hasIcon || !label->pixmap().isNull();
                      EXPECT_TRUE(hasIcon);
                      QWidget* main = about->parentWidget();
                      EXPECT_NE(main, nullptr);
                      if (main != nullptr) {
                          const QPoint offset =
                              about->frameGeometry().center() - main->frameGeometry().center();
                          EXPECT_LE(offset.manhattanLength(), 2);
                      }
                      EXPECT_EQ(about->windowModality(), Qt::ApplicationModal);
                      if (!screenshotTaken) ui::SaveScreenshot(about, "about_box");
                      screenshotTaken = true;
                      c.closeAbout(about);
                      return true;
                  })
            .Then("closed, back in the main dialog", [] {
                QWidget* dialog = MainDialog();
                if (dialog == nullptr || QApplication::activeModalWidget() != dialog) return false;
                ui::Click(ui::Button(dialog, IDCANCEL));
                return true;
            });
        EXPECT_EQ(RunMainDialog(script), IDCANCEL);
    }
}

TEST(MainDialog, F1ShowsHowToUseTheDialog) {
    ui::Script script;
    script
        .Then("F1",
              [] {
                  QWidget* dialog = MainDialog();
                  if (dialog == nullptr) return false;
                  ui::Press(dialog->focusWidget(), Qt::Key_F1);
                  return true;
              })
        .Then("the help",
              [] {
                  auto* box = ui::Modal<QMessageBox>();
                  if (box == nullptr) return false;
                  EXPECT_EQ(box->windowTitle(), AppName() + " Help");
                  EXPECT_TRUE(box->text().contains("Convert Data"));
                  EXPECT_TRUE(box->text().contains("Covariance Scaler"));
                  ui::SaveScreenshot(box, "help");
                  ui::Click(box->buttons().front());
                  return true;
              })
        .Then("close", [] {
            QWidget* dialog = MainDialog();
            if (dialog == nullptr || QApplication::activeModalWidget() != dialog) return false;
            ui::Click(ui::Button(dialog, IDCANCEL));
            return true;
        });
    RunMainDialog(script);
}

// Run under a locale with a decimal comma (see CMakeLists.txt): the
// program took the locale from the environment, except for numbers.
TEST(Locale, NumbersKeepTheirPointUnderACommaLocale) {
    const char* name = std::getenv("DELVARO_COMMA_LOCALE");
    if (name == nullptr) GTEST_SKIP() << "not run under a locale with a decimal comma";
    if (std::string(std::setlocale(LC_CTYPE, nullptr)) != name)
        GTEST_SKIP() << "the locale " << name << " is not available";
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
}

}  // namespace

// What the dialog tests share: temporary folders, fixture files, running
// delvaro-cli, and running the main dialog under a script.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/convert_dlg.h"
#include "app/converter_app.h"
#include "res/resource.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "ui_driver.h"

namespace apptest {

inline constexpr char kMainCaption[] = "Convert Leica SKI File(s) to a Trevadel Input File";
inline constexpr char kOutputChooserTitle[] = "Enter/Select An Output File";
inline constexpr char kSkiChooserTitle[] = "Select One Or More Receiver Files";
inline constexpr char kRangePrompt[] = "Please enter a number between 1e-05 and 99999.";
inline constexpr char kNumberPrompt[] = "Please enter a number.";

using delvaro::test::ReadFileBytes;
using delvaro::test::TempDir;

// A folder `name` made in `temp`; its path, without a separator at the end.
std::string MakeFolder(const TempDir& temp, const std::string& name);

std::string Fixture(const std::string& name);
void CopyFixture(const std::string& name, const std::string& to);

// Runs delvaro-cli quietly with `args`.
delvaro::test::ProcessResult RunCli(const std::vector<std::string>& args);

// The main dialog, once it is the modal window in front and its own event
// loop runs: a command it ran has returned, not merely hidden a chooser or
// box whose loop is still winding down.
QWidget* MainDialog();
// Runs `body` (which shows the main dialog modally) so that MainDialog()
// knows the dialog's event loop.
int RunShowingMainDialog(ui::Script& script, const std::function<int()>& body);
// The folder the dialog's choosers start in: the folder of the running test
// program on Windows, the working folder elsewhere.
QString ChooserStartFolder();

// Runs CConvertDlg modally while `script` drives it; returns DoModal's result.
int RunMainDialog(ui::Script& script);

}  // namespace apptest

// The dialog program on Windows, driven as a user drives it: real Win32
// dialogs, message boxes and the common file dialog, answered by keys,
// clicks and typing from a timer that runs inside their modal loops.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/convert_dlg.h"
#include "app/converter_app.h"
#include "common/text_utils.h"
#include "res/resource.h"
#include "res/version.h"
#include "support/temp_dir.h"
#include "support/win_ui_driver.h"

namespace {

using delvaro::test::ReadFileBytes;
using delvaro::test::TempDir;

constexpr char kMainCaption[] = "Convert Leica SKI File(s) to a Trevadel Input File";
constexpr char kOutputChooserTitle[] = "Enter/Select An Output File";
constexpr char kSkiChooserTitle[] = "Select One Or More Receiver Files";
// The platform's run-time library writes exponents with three digits.
constexpr char kRangePrompt[] = "Please enter a number between 1e-005 and 99999.";
constexpr char kNumberPrompt[] = "Please enter a number.";

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

std::string AppName() { return theApp.m_pszAppName; }

// The main dialog, once it is in front: no box or chooser over it.
wui::Window MainDialog() { return wui::Modal(kMainCaption); }

int RunMainDialog(wui::Script& script) {
    script.Start();
    CConvertDlg dlg;
    theApp.m_pMainWnd = &dlg;
    const int result = dlg.DoModal();
    theApp.m_pMainWnd = nullptr;
    return result;
}

// The folder the choosers start in, without its closing backslash.
std::string ProgramFolder() {
    std::string folder = delvaro::GetProgramDirectory();
    delvaro::StripTrailingChar(folder, '\\');
    return folder;
}

std::string Fixture(const std::string& name) { return std::string(DELVARO_FIXTURES "/") + name; }

std::string MakeFolder(const TempDir& temp, const std::string& name) {
    const std::string folder = temp.Path(name);
    std::filesystem::create_directory(folder);
    return folder;
}

void CopyFixture(const std::string& name, const std::string& to) {
    std::filesystem::copy_file(Fixture(name), to,
                               std::filesystem::copy_options::overwrite_existing);
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// A step that waits for the main dialog in front and closes it.
bool CloseMainDialog() {
    wui::Window dialog = MainDialog();
    if (dialog == nullptr) return false;
    wui::Click(wui::Control(dialog, IDCANCEL));
    return true;
}

// Steps of one Convert Data: the output name typed, the SKI chooser taken
// to `folder`, and `names` chosen there.
void ScriptConvertData(wui::Script& script, const std::string& output, const std::string& folder,
                       const std::string& names) {
    script
        .Then("type the output name and press Convert Data",
              [output] {
                  wui::Window dialog = MainDialog();
                  if (dialog == nullptr) return false;
                  wui::TypeInto(wui::Control(dialog, IDC_OUTPUT_FILE), output);
                  wui::Click(wui::Control(dialog, IDC_CONVERT));
                  return true;
              })
        .Then("the SKI chooser: go to the files' folder",
              [folder] {
                  wui::Window chooser = wui::Modal(kSkiChooserTitle);
                  if (chooser == nullptr) return false;
                  wui::ChooseInChooser(chooser, folder);
                  return true;
              })
        .Then("choose the files", [folder, names] {
            wui::Window chooser = wui::Modal(kSkiChooserTitle);
            if (chooser == nullptr || Lower(wui::ChooserFolder(chooser)) != Lower(folder))
                return false;
            wui::ChooseInChooser(chooser, names);
            return true;
        });
}

TEST(WinMainDialog, StartsWithItsDefaultsAndTheFocusInTheScalerBox) {
    wui::Script script;
    script.Then("the main dialog shows its start-up state", [] {
        wui::Window dialog = MainDialog();
        if (dialog == nullptr) return false;
        EXPECT_EQ(wui::Text(dialog, IDC_COV_SCALER), "1.");
        EXPECT_EQ(wui::Text(dialog, IDC_BASELINE_COUNT), "0");
        EXPECT_EQ(wui::Text(dialog, IDC_FILE_COUNT), "0");
        EXPECT_EQ(wui::Text(dialog, IDC_OUTPUT_FILE), "");
        EXPECT_EQ(wui::Text(dialog, IDC_CURRENT_FILE), "");
        for (int id : {IDC_BASELINE_COUNT, IDC_FILE_COUNT, IDC_CURRENT_FILE})
            EXPECT_TRUE(wui::IsReadOnly(wui::Control(dialog, id))) << id;
        for (int id : {IDC_COV_SCALER, IDC_OUTPUT_FILE})
            EXPECT_FALSE(wui::IsReadOnly(wui::Control(dialog, id))) << id;
        EXPECT_EQ(wui::Focus(), wui::Control(dialog, IDC_COV_SCALER));
        EXPECT_EQ(wui::SelectedText(wui::Control(dialog, IDC_COV_SCALER)), "1.");
        EXPECT_TRUE(wui::IsDefaultButton(wui::Control(dialog, IDC_CONVERT)));
        EXPECT_EQ(wui::Text(dialog, IDC_CONVERT), "&Convert Data");
        EXPECT_EQ(wui::Text(dialog, IDCANCEL), "Close");
        EXPECT_EQ(wui::Text(dialog, IDC_BROWSE), "Browse...");
        EXPECT_TRUE(wui::HasIcon(dialog, true));
        EXPECT_TRUE(wui::HasIcon(dialog, false));
        EXPECT_EQ(wui::StaticTexts(dialog),
                  std::vector<std::string>(std::begin(kStaticTexts), std::end(kStaticTexts)));

        // The system menu ends in a separator and the About entry.
        const std::vector<std::string> menu = wui::SystemMenu(dialog);
        EXPECT_GE(menu.size(), 2u);
        if (menu.size() >= 2) {
            EXPECT_EQ(menu[menu.size() - 2], "");
            EXPECT_EQ(menu.back(), "&About Delvaro...");
        }

        // Tab walks the edit boxes and buttons in template order.
        std::vector<int> order;
        for (int i = 0; i < 8; ++i) {
            wui::PressTab(dialog);
            order.push_back(wui::ControlId(wui::Focus()));
        }
        EXPECT_EQ(order,
                  (std::vector<int>{IDC_BASELINE_COUNT, IDC_FILE_COUNT, IDC_OUTPUT_FILE, IDC_BROWSE,
                                    IDC_CURRENT_FILE, IDC_CONVERT, IDCANCEL, IDC_COV_SCALER}));
        return true;
    });
    script.Then("close", CloseMainDialog);
    EXPECT_EQ(RunMainDialog(script), IDCANCEL);
}

}  // namespace

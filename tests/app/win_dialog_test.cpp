// The dialog program on Windows, driven as a user drives it: real Win32
// dialogs, message boxes and the common file dialog, answered by keys,
// clicks and typing from a timer that runs inside their modal loops.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/convert_dlg.h"
#include "app/converter_app.h"
#include "common/text_utils.h"
#include "res/resource.h"
#include "res/resources.h"
#include "res/version.h"
#include "support/temp_dir.h"
#include "support/win_ui_driver.h"

namespace {

using delvaro::test::ReadFileBytes;
using delvaro::test::TempDir;

constexpr char kMainCaption[] = "Convert Leica SKI File(s) to a Trevadel Input File";
constexpr char kOutputChooserTitle[] = "Enter/Select An Output File";
constexpr char kSkiChooserTitle[] = "Select One Or More Receiver Files";
// The bounds read the same as on every other platform.
constexpr char kRangePrompt[] = "Please enter a number between 1e-05 and 99999.";
constexpr char kNumberPrompt[] = "Please enter a number.";
constexpr DWORD kClientEdge = 0x00000200;  // WS_EX_CLIENTEDGE

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
        EXPECT_TRUE(wui::HasDragIcon(dialog));
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

TEST(WinMainDialog, EscCloseAndTheWindowsCloseCommandEachEndIt) {
    const std::vector<std::pair<const char*, std::function<void(wui::Window)>>> ways = {
        {"Esc", [](wui::Window) { wui::Press(wui::Focus(), wui::kKeyEscape); }},
        {"Close button", [](wui::Window d) { wui::Click(wui::Control(d, IDCANCEL)); }},
        {"window close command",
         [](wui::Window d) { wui::PostSystemCommand(d, wui::kCloseCommand); }},
    };
    for (const auto& [way, close] : ways) {
        SCOPED_TRACE(way);
        wui::Script script;
        script.Then("close the main dialog", [&close = close] {
            wui::Window dialog = MainDialog();
            if (dialog == nullptr) return false;
            close(dialog);
            return true;
        });
        EXPECT_EQ(RunMainDialog(script), IDCANCEL);
    }
}

TEST(WinMainDialog, TheApplicationShowsTheDialogAndEndsWhenItCloses) {
    wui::Script script;
    script.Then("the application's dialog shows", [] {
        wui::Window dialog = MainDialog();
        if (dialog == nullptr) return false;
        EXPECT_NE(AfxGetMainWnd(), nullptr);
        wui::Press(wui::Focus(), wui::kKeyEscape);
        return true;
    });
    script.Start();
    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
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
TEST(WinMainDialog, ScalerIsValidatedAndShownInFixedForm) {
    const ScalerCase cases[] = {
        {"1e-5", nullptr, "0.00001"},
        {"0", kRangePrompt, "0"},
        {"99999.5", kRangePrompt, "99999.5"},
        {"99999", nullptr, "99999."},
        {"1.234567", nullptr, "1.23457"},
        {"abc", kNumberPrompt, "abc"},
        {"", kNumberPrompt, ""},
        {"-1", kRangePrompt, "-1"},
    };
    TempDir temp;
    for (const ScalerCase& c : cases) {
        SCOPED_TRACE(std::string("typed '") + c.typed + "'");
        wui::Script script;
        script.Then("type the scaler and press Browse...", [&] {
            wui::Window dialog = MainDialog();
            if (dialog == nullptr) return false;
            wui::TypeInto(wui::Control(dialog, IDC_COV_SCALER), c.typed);
            wui::Click(wui::Control(dialog, IDC_BROWSE));
            return true;
        });
        if (c.message != nullptr) {
            script.Then("the framework's message", [&] {
                wui::Window box = wui::FrontMessageBox();
                if (box == nullptr) return false;
                const wui::MessageBoxInfo info = wui::ReadMessageBox(box);
                EXPECT_EQ(info.text, c.message);
                EXPECT_EQ(info.caption, AppName());
                wui::AcknowledgeMessage(box);
                return true;
            });
        } else {
            script.Then("the output chooser opens: choose a name", [&] {
                wui::Window chooser = wui::Modal(kOutputChooserTitle);
                if (chooser == nullptr) return false;
                wui::ChooseInChooser(chooser, temp.Path("out.txt"));
                return true;
            });
        }
        script.Then("the scaler box afterwards", [&] {
            wui::Window dialog = MainDialog();
            if (dialog == nullptr) return false;
            wui::Window scaler = wui::Control(dialog, IDC_COV_SCALER);
            EXPECT_EQ(wui::Text(scaler), c.shownAfter);
            if (c.message != nullptr) {
                EXPECT_EQ(wui::Focus(), scaler);
                EXPECT_EQ(wui::SelectedText(scaler), wui::Text(scaler));
            }
            wui::Click(wui::Control(dialog, IDCANCEL));
            return true;
        });
        RunMainDialog(script);
    }
}

// Message 5021, and no chooser, for an output name that is empty or blank.
TEST(WinMainDialog, ConvertDataWantsAnOutputName) {
    for (const char* name : {"", "   ", " \t "}) {
        SCOPED_TRACE(std::string("name '") + name + "'");
        wui::Script script;
        script
            .Then("Convert Data without a name",
                  [&] {
                      wui::Window dialog = MainDialog();
                      if (dialog == nullptr) return false;
                      wui::TypeInto(wui::Control(dialog, IDC_OUTPUT_FILE), name);
                      wui::Click(wui::Control(dialog, IDC_CONVERT));
                      return true;
                  })
            .Then("message 5021",
                  [] {
                      wui::Window box = wui::FrontMessageBox();
                      if (box == nullptr) return false;
                      const wui::MessageBoxInfo info = wui::ReadMessageBox(box);
                      EXPECT_EQ(info.text, "Please enter a 'TREVADEL' File name");
                      EXPECT_EQ(info.caption, AppName());
                      wui::AcknowledgeMessage(box);
                      return true;
                  })
            .Then("back in the dialog, no chooser", [] {
                EXPECT_EQ(wui::Modal(kSkiChooserTitle), nullptr);
                return CloseMainDialog();
            });
        RunMainDialog(script);
    }
}

// The output chooser: its title, filter and folder, centred on the screen;
// it takes a name that does not exist yet and an existing one without
// asking, and the box shows the chosen path in lower case.
TEST(WinMainDialog, BrowseChoosesTheOutputFile) {
    TempDir temp;
    const std::string newFile = temp.Path("New Output.TXT");
    const std::string existing = temp.Path("Existing.txt");
    temp.Write("Existing.txt", "old contents");
    // A name outside every ANSI code page reads as it was chosen.
    const std::string foreign =
        temp.Path("") + "\xD0\x92\xD1\x8B\xD1\x85\xD0\xBE\xD0\xB4 \xE8\xBE\x93\xE5\x87\xBA.TXT";
    wui::Script script;
    for (const std::string& path : {newFile, existing, foreign}) {
        script
            .Then("Browse...",
                  [] {
                      wui::Window dialog = MainDialog();
                      if (dialog == nullptr) return false;
                      wui::Click(wui::Control(dialog, IDC_BROWSE));
                      return true;
                  })
            .Then("the chooser; choose the file",
                  [path] {
                      wui::Window chooser = wui::Modal(kOutputChooserTitle);
                      if (chooser == nullptr) return false;
                      EXPECT_EQ(wui::ChooserFilters(chooser),
                                (std::vector<std::string>{"ASCII (Text) File (*.txt)",
                                                          "All Files (*.*)"}));
                      EXPECT_EQ(Lower(wui::ChooserFolder(chooser)), Lower(ProgramFolder()));
                      wui::ChooseInChooser(chooser, path);
                      return true;
                  })
            .Then("the box shows the path, and no question was asked", [path] {
                wui::Window dialog = MainDialog();
                if (dialog == nullptr) return false;
                EXPECT_EQ(wui::Text(dialog, IDC_OUTPUT_FILE), Lower(path));
                return true;
            });
    }
    script.Then("close", CloseMainDialog);
    RunMainDialog(script);
    EXPECT_FALSE(std::filesystem::exists(newFile));
    EXPECT_EQ(ReadFileBytes(existing), "old contents");
}

// The system menu, opened with Alt+Space, ends in the About entry, which
// opens the About box: the icon, the version and the rights notice,
// centred over the main dialog, which takes no input meanwhile; Enter, Esc,
// OK and the close command each close it.
TEST(WinMainDialog, SystemMenuOpensTheAboutBox) {
    const std::vector<std::pair<const char*, std::function<void(wui::Window)>>> closings = {
        {"Enter", [](wui::Window) { wui::Press(wui::Focus(), wui::kKeyReturn); }},
        {"Esc", [](wui::Window) { wui::Press(wui::Focus(), wui::kKeyEscape); }},
        {"OK", [](wui::Window a) { wui::Click(wui::Control(a, IDOK)); }},
        {"close command", [](wui::Window a) { wui::PostSystemCommand(a, wui::kCloseCommand); }},
    };
    bool screenshotTaken = false;
    for (const auto& [how, closeAbout] : closings) {
        SCOPED_TRACE(how);
        wui::Script script;
        wui::Window mainDialog = nullptr;
        script
            .Then("open the system menu with Alt+Space",
                  [&] {
                      mainDialog = MainDialog();
                      if (mainDialog == nullptr) return false;
                      wui::PressAltSpace(mainDialog);
                      return true;
                  })
            .Then("the menu is open: up to its last entry and Enter",
                  [&] {
                      wui::Window menu = wui::OpenMenu();
                      if (menu == nullptr) return false;
                      wui::Press(menu, wui::kKeyUp);
                      wui::Press(menu, wui::kKeyReturn);
                      return true;
                  })
            .Then("the About box",
                  [&, closeAbout = closeAbout] {
                      wui::Window about = wui::Modal("About Delvaro");
                      if (about == nullptr) return false;
                      EXPECT_EQ(wui::StaticTexts(about),
                                (std::vector<std::string>{"Delvaro Version " DELVARO_VERSION_TEXT,
                                                          DELVARO_COPYRIGHT}));
                      EXPECT_EQ(wui::StaticTexts(about).front(), "Delvaro Version 3.5.1.5");
                      EXPECT_TRUE(wui::ShowsIcon(about));
                      EXPECT_FALSE(wui::IsEnabled(mainDialog)) << "the main dialog takes input";
                      const wui::Rect a = wui::WindowRect(about);
                      const wui::Rect m = wui::WindowRect(mainDialog);
                      EXPECT_LE(std::abs((a.left + a.right) - (m.left + m.right)), 2);
                      EXPECT_LE(std::abs((a.top + a.bottom) - (m.top + m.bottom)), 2);
                      if (!screenshotTaken) wui::SaveScreenshot(about, "about_box");
                      screenshotTaken = true;
                      closeAbout(about);
                      return true;
                  })
            .Then("closed, back in the main dialog", CloseMainDialog);
        EXPECT_EQ(RunMainDialog(script), IDCANCEL);
    }
}

TEST(WinMainDialog, F1ShowsHowToUseTheDialog) {
    wui::Script script;
    script
        .Then("F1",
              [] {
                  wui::Window dialog = MainDialog();
                  if (dialog == nullptr) return false;
                  wui::Press(wui::Focus(), wui::kKeyF1);
                  return true;
              })
        .Then("the help",
              [] {
                  wui::Window box = wui::FrontMessageBox();
                  if (box == nullptr) return false;
                  const wui::MessageBoxInfo info = wui::ReadMessageBox(box);
                  EXPECT_EQ(info.caption, AppName() + " Help");
                  EXPECT_NE(info.text.find("Convert Data"), std::string::npos);
                  EXPECT_NE(info.text.find("Covariance Scaler"), std::string::npos);
                  wui::Click(wui::Control(box, IDOK));
                  return true;
              })
        .Then("close", CloseMainDialog);
    RunMainDialog(script);
}

// Two files through both choosers: the SKI chooser as the program sets it
// up and centred on the screen, the progress shown afterwards, no message,
// and the output the same bytes as delvaro-cli writes for the same files.
TEST(WinConversion, TwoFilesGiveTheSameBytesAsTheCommandLineConverter) {
    TempDir temp;
    const std::string folder = MakeFolder(temp, "files");
    const std::string first = folder + "\\first.asc";
    const std::string second = folder + "\\SECOND.ASC";
    CopyFixture("eleven_lines.asc", first);
    CopyFixture("two_baselines_metres.asc", second);
    const std::string output = temp.Path("out.txt");

    wui::Script script;
    script.Then("Browse...", [] {
        wui::Window dialog = MainDialog();
        if (dialog == nullptr) return false;
        wui::Click(wui::Control(dialog, IDC_BROWSE));
        return true;
    });
    script.Then("choose the output file", [&] {
        wui::Window chooser = wui::Modal(kOutputChooserTitle);
        if (chooser == nullptr) return false;
        wui::ChooseInChooser(chooser, output);
        return true;
    });
    script.Then("press Convert Data", [&] {
        wui::Window dialog = MainDialog();
        if (dialog == nullptr) return false;
        EXPECT_EQ(wui::Text(dialog, IDC_OUTPUT_FILE), Lower(output));
        wui::Click(wui::Control(dialog, IDC_CONVERT));
        return true;
    });
    script.Then("the SKI chooser as set up by the program, centred", [&] {
        wui::Window chooser = wui::Modal(kSkiChooserTitle);
        if (chooser == nullptr) return false;
        EXPECT_EQ(wui::ChooserFilters(chooser),
                  (std::vector<std::string>{"Leica Files (*.asc)", "All Files (*.*)"}));
        EXPECT_EQ(Lower(wui::ChooserFolder(chooser)), Lower(ProgramFolder()));
        const wui::Rect screen = wui::ScreenRect();
        const wui::Rect frame = wui::WindowRect(chooser);
        EXPECT_EQ(frame.left, (screen.Width() - frame.Width()) / 2);
        EXPECT_EQ(frame.top, (screen.Height() - frame.Height()) / 2);
        wui::SaveScreenshot(chooser, "ski_chooser");
        wui::ChooseInChooser(chooser, folder);
        return true;
    });
    script.Then("choose both files", [&] {
        wui::Window chooser = wui::Modal(kSkiChooserTitle);
        if (chooser == nullptr || Lower(wui::ChooserFolder(chooser)) != Lower(folder)) return false;
        wui::ChooseInChooser(chooser, "\"first.asc\" \"SECOND.ASC\"");
        return true;
    });
    script.Then("the progress after the run, and no message", [&] {
        wui::Window dialog = MainDialog();
        if (dialog == nullptr) return false;
        EXPECT_EQ(wui::FrontMessageBox(), nullptr);
        EXPECT_EQ(wui::Text(dialog, IDC_FILE_COUNT), "2");
        EXPECT_EQ(wui::Text(dialog, IDC_BASELINE_COUNT), "4");
        EXPECT_EQ(Lower(wui::Text(dialog, IDC_CURRENT_FILE)), Lower(second));
        EXPECT_EQ(wui::Text(dialog, IDC_OUTPUT_FILE), Lower(output));
        EXPECT_EQ(theApp.m_nWaitCursorCount, 0);
        wui::SaveScreenshot(dialog, "main_dialog_after_conversion");
        wui::Click(wui::Control(dialog, IDCANCEL));
        return true;
    });
    RunMainDialog(script);

    const std::string expectedFile = temp.Path("expected.txt");
    ASSERT_EQ(wui::RunProgram({DELVARO_CLI, "-q", "-o", expectedFile, first, second}), 0);
    const std::string expected = ReadFileBytes(expectedFile);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ReadFileBytes(output), expected);
}

// The first failing file stops the run with one message naming it and the
// line; the output holds what the command-line converter writes.
TEST(WinConversion, AFailingFileIsReportedWithItsPathAndLine) {
    TempDir temp;
    const std::string folder = MakeFolder(temp, "files");
    const std::string good = folder + "\\good.asc";
    const std::string bad = folder + "\\bad.asc";
    CopyFixture("two_baselines_metres.asc", good);
    CopyFixture("short_position_line.asc", bad);
    const std::string output = temp.Path("out.txt");

    wui::Script script;
    // Blanks around the typed name do not count.
    ScriptConvertData(script, "  " + output + " \t", folder, "\"good.asc\" \"bad.asc\"");
    script.Then("the failure's message", [&] {
        wui::Window box = wui::FrontMessageBox();
        if (box == nullptr) return false;
        const wui::MessageBoxInfo info = wui::ReadMessageBox(box);
        EXPECT_EQ(Lower(info.text), Lower("Not enough arguments on line 5 - " + bad));
        EXPECT_EQ(info.caption, AppName());
        // The run is still busy, but the box waits for the user with the
        // ordinary pointer.
        EXPECT_EQ(theApp.m_nWaitCursorCount, 1);
        EXPECT_FALSE(wui::ShowsWaitCursor());
        wui::SaveScreenshot(box, "failure_message");
        wui::AcknowledgeMessage(box);
        return true;
    });
    script.Then("the progress shows the failing file", [&] {
        wui::Window dialog = MainDialog();
        if (dialog == nullptr) return false;
        EXPECT_EQ(Lower(wui::Text(dialog, IDC_CURRENT_FILE)), Lower(bad));
        EXPECT_EQ(wui::Text(dialog, IDC_FILE_COUNT), "1");
        EXPECT_EQ(wui::Text(dialog, IDC_BASELINE_COUNT), "2");
        EXPECT_EQ(theApp.m_nWaitCursorCount, 0);
        EXPECT_FALSE(wui::ShowsWaitCursor());
        wui::Click(wui::Control(dialog, IDCANCEL));
        return true;
    });
    RunMainDialog(script);

    const std::string expectedFile = temp.Path("expected.txt");
    ASSERT_EQ(wui::RunProgram({DELVARO_CLI, "-q", "-o", expectedFile, good, bad}), 1);
    EXPECT_EQ(ReadFileBytes(output), ReadFileBytes(expectedFile));
}

// SKI files in a folder and under a name outside the ANSI code page: the
// dialog shows the path as it is and the file is converted, its name in
// the station descriptions.
TEST(WinConversion, NamesOutsideTheAnsiCodePageAreConverted) {
    TempDir temp;
    const std::string cyrillic = "\xD0\xA1\xD0\xB5\xD1\x82\xD1\x8C";  // Сеть
    const std::string chinese = "\xE6\xB5\x8B\xE7\xAB\x99";           // 测站
    // Paths made here in UTF-8: the file system library reads a narrow
    // path in another code page.
    const std::string folder = temp.Path("") + cyrillic;
    std::filesystem::create_directory(std::filesystem::u8path(folder));
    const std::string file = folder + "\\" + chinese + ".asc";
    std::filesystem::copy_file(Fixture("two_baselines_metres.asc"), std::filesystem::u8path(file));
    const std::string output = temp.Path("out.txt");

    wui::Script script;
    ScriptConvertData(script, output, folder, "\"" + chinese + ".asc\"");
    script.Then("the file converted, its path shown as it is", [&] {
        wui::Window dialog = MainDialog();
        if (dialog == nullptr) return false;
        EXPECT_EQ(wui::FrontMessageBox(), nullptr);
        EXPECT_EQ(wui::Text(dialog, IDC_FILE_COUNT), "1");
        EXPECT_EQ(wui::Text(dialog, IDC_BASELINE_COUNT), "2");
        EXPECT_EQ(Lower(wui::Text(dialog, IDC_CURRENT_FILE)), Lower(file));
        wui::Click(wui::Control(dialog, IDCANCEL));
        return true;
    });
    RunMainDialog(script);
    EXPECT_NE(ReadFileBytes(output).find(chinese + ".asc"), std::string::npos);
}

// Cancel in the SKI chooser, by its button or Esc: no message, no output
// file, the counts as they were.
TEST(WinConversion, CancelInTheChooserChangesNothing) {
    TempDir temp;
    const std::string output = temp.Path("out.txt");
    const std::vector<std::pair<const char*, std::function<void(wui::Window)>>> ways = {
        {"Cancel button", [](wui::Window c) { wui::CancelChooser(c); }},
        {"Esc", [](wui::Window) { wui::Press(wui::Focus(), wui::kKeyEscape); }},
    };
    for (const auto& [way, cancel] : ways) {
        SCOPED_TRACE(way);
        wui::Script script;
        script
            .Then("Convert Data",
                  [&] {
                      wui::Window dialog = MainDialog();
                      if (dialog == nullptr) return false;
                      wui::TypeInto(wui::Control(dialog, IDC_OUTPUT_FILE), output);
                      wui::Click(wui::Control(dialog, IDC_CONVERT));
                      return true;
                  })
            .Then("cancel the chooser",
                  [&cancel = cancel] {
                      wui::Window chooser = wui::Modal(kSkiChooserTitle);
                      if (chooser == nullptr) return false;
                      cancel(chooser);
                      return true;
                  })
            .Then("back, nothing shown or changed", [] {
                wui::Window dialog = MainDialog();
                if (dialog == nullptr) return false;
                EXPECT_EQ(wui::FrontMessageBox(), nullptr);
                EXPECT_EQ(wui::Text(dialog, IDC_FILE_COUNT), "0");
                EXPECT_EQ(wui::Text(dialog, IDC_CURRENT_FILE), "");
                wui::Click(wui::Control(dialog, IDCANCEL));
                return true;
            });
        RunMainDialog(script);
        EXPECT_FALSE(std::filesystem::exists(output));
    }
}

// More names than the 32,000-byte buffer holds: a message, no run.
TEST(WinConversion, AChoiceTooLongForTheBufferIsReported) {
    TempDir temp;
    const std::string folder = MakeFolder(temp, "files");
    const std::string output = temp.Path("out.txt");
    std::string names;
    for (int i = 0; names.size() < 33000; ++i)
        names += "\"" + std::string(200, 'n') + std::to_string(i) + ".asc\" ";

    wui::Script script;
    ScriptConvertData(script, output, folder, names);
    script.Then("the names do not fit: a message", [] {
        wui::Window box = wui::FrontMessageBox();
        if (box == nullptr) return false;
        EXPECT_NE(wui::ReadMessageBox(box).text.find("too long"), std::string::npos)
            << wui::ReadMessageBox(box).text;
        wui::AcknowledgeMessage(box);
        return true;
    });
    script.Then("nothing ran", [] {
        wui::Window dialog = MainDialog();
        if (dialog == nullptr) return false;
        EXPECT_EQ(wui::Text(dialog, IDC_FILE_COUNT), "0");
        wui::Click(wui::Control(dialog, IDCANCEL));
        return true;
    });
    RunMainDialog(script);
    EXPECT_FALSE(std::filesystem::exists(output));
}

// A template's window and controls as the dialog manager made them: the
// caption, styles and font, and every control's class of text, id, style
// and place in dialog units of that font.
void ExpectDialogAsItsTemplate(wui::Window dialog, unsigned templateId) {
    const DialogTemplate* data = delvaro::FindDialogTemplate(templateId);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(wui::Text(dialog), data->caption);
    EXPECT_EQ(wui::Style(dialog) & data->style, data->style);
    EXPECT_EQ(wui::ExStyle(dialog) & data->exStyle, data->exStyle);
    EXPECT_EQ(wui::FontName(dialog), data->fontName);
    const std::vector<wui::Window> controls = wui::Controls(dialog);
    ASSERT_EQ(controls.size(), static_cast<size_t>(data->itemCount));
    for (int i = 0; i < data->itemCount; ++i) {
        const DialogItem& item = data->items[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(item.id) + ")");
        wui::Window control = controls[static_cast<size_t>(i)];
        if (item.id != -1) {
            EXPECT_EQ(wui::ControlId(control), item.id);
        }
        if (item.text != nullptr) {
            EXPECT_EQ(wui::Text(control), item.text);
        }
        // An edit box's border becomes the sunken edge of three-dimensional
        // controls.
        DWORD style = item.style;
        if (item.controlClass == ControlClass::Edit && (style & WS_BORDER) != 0) {
            style &= ~WS_BORDER;
            EXPECT_TRUE((wui::Style(control) & WS_BORDER) != 0 ||
                        (wui::ExStyle(control) & kClientEdge) != 0);
        }
        EXPECT_EQ(wui::Style(control) & style, style);
        const bool icon =
            item.controlClass == ControlClass::Static && (item.style & SS_TYPEMASK) == SS_ICON;
        if (!icon) {
            EXPECT_EQ(wui::FontName(control), data->fontName);
        }
        // The edge may take a pixel on each side.
        const wui::Rect expected =
            wui::DialogUnitsToPixels(dialog, item.x, item.y, item.cx, item.cy);
        const wui::Rect actual = wui::ClientRectInParent(control);
        EXPECT_LE(std::abs(actual.left - expected.left), 1);
        EXPECT_LE(std::abs(actual.top - expected.top), 1);
        // An icon keeps the size of its picture.
        if (!icon) {
            EXPECT_LE(std::abs(actual.Width() - expected.Width()), 2);
            EXPECT_LE(std::abs(actual.Height() - expected.Height()), 2);
        }
    }
}

TEST(WinMainDialog, DialogsAreBuiltAsTheirTemplatesSay) {
    wui::Script script;
    wui::Window mainDialog = nullptr;
    script
        .Then("the main dialog as template 102 says",
              [&] {
                  mainDialog = MainDialog();
                  if (mainDialog == nullptr) return false;
                  ExpectDialogAsItsTemplate(mainDialog, IDD_CONVERT_DIALOG);
                  wui::PostSystemCommand(mainDialog, IDM_ABOUTBOX);
                  return true;
              })
        .Then("the About box as template 100 says",
              [] {
                  wui::Window about = wui::Modal("About Delvaro");
                  if (about == nullptr) return false;
                  ExpectDialogAsItsTemplate(about, IDD_ABOUTBOX);
                  wui::Click(wui::Control(about, IDOK));
                  return true;
              })
        .Then("close", CloseMainDialog);
    RunMainDialog(script);
}

}  // namespace

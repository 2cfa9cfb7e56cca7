// delvaro.exe itself, started as a user starts it and driven from outside
// its process: the output name typed, two SKI files chosen in its file
// dialog, the counts read back, a failing file's message box, and the
// program ending when its dialog closes.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <gtest/gtest.h>

// <windows.h> first: the other headers build on it.
// clang-format off
#include <windows.h>
#include <dlgs.h>
// clang-format on

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace {

using delvaro::test::ReadFileBytes;
using delvaro::test::TempDir;

constexpr wchar_t kMainCaption[] = L"Convert Leica SKI File(s) to a Trevadel Input File";
constexpr wchar_t kSkiChooserTitle[] = L"Select One Or More Receiver Files";
constexpr int kOutputFile = 1002;
constexpr int kCurrentFile = 1004;
constexpr int kBaselineCount = 1007;
constexpr int kFileCount = 1008;
constexpr int kConvert = 1000;

std::wstring Widen(const std::string& text) { return std::filesystem::path(text).wstring(); }

// Waits up to 20 s for `condition`; false when it never came true.
bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 1000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::wstring Text(HWND window) {
    wchar_t text[1024] = {};
    SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

void SetText(HWND window, const std::wstring& text) {
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Command(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A visible, enabled top-level window of `process` with this class and caption.
HWND FrontWindow(DWORD process, const wchar_t* caption) {
    for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", caption); window != nullptr;
         window = FindWindowExW(nullptr, window, L"#32770", caption)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process && IsWindowVisible(window) && IsWindowEnabled(window)) return window;
    }
    return nullptr;
}

// Chooses `names` in the SKI file dialog: to their folder first, then the names.
void ChooseSkiFiles(DWORD process, const std::string& folder, const std::wstring& names) {
    HWND chooser = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        return (chooser = FrontWindow(process, kSkiChooserTitle)) != nullptr;
    })) << "the SKI file dialog did not open";
    HWND nameBox = GetDlgItem(chooser, cmb13);
    if (nameBox == nullptr) nameBox = GetDlgItem(chooser, edt1);
    ASSERT_NE(nameBox, nullptr);
    SetText(nameBox, Widen(folder));
    Command(chooser, IDOK);
    // The dialog empties its name box once it shows the folder.
    ASSERT_TRUE(WaitFor([&] { return Text(nameBox).empty(); }));
    SetText(nameBox, names);
    Command(chooser, IDOK);
}

TEST(WinProgram, ConvertsTwoFilesAsAUserDrivesItAndReportsAFailingOne) {
    TempDir temp;
    const std::string folder = temp.Path("files");
    std::filesystem::create_directory(folder);
    const std::string fixtures = DELVARO_FIXTURES;
    std::filesystem::copy_file(fixtures + "/eleven_lines.asc", folder + "\\first.asc");
    std::filesystem::copy_file(fixtures + "/two_baselines_metres.asc", folder + "\\second.asc");
    std::filesystem::copy_file(fixtures + "/short_position_line.asc", folder + "\\bad.asc");
    const std::string output = temp.Path("out.txt");
    const std::string failedOutput = temp.Path("failed.txt");

    std::wstring commandLine = L"\"" + Widen(DELVARO_APP) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &program));
    const DWORD id = program.dwProcessId;

    HWND dialog = nullptr;
    const bool shown = WaitFor([&] { return (dialog = FrontWindow(id, kMainCaption)) != nullptr; });
    EXPECT_TRUE(shown) << "the main dialog did not show";
    if (shown) {
        SetText(GetDlgItem(dialog, kOutputFile), Widen(output));
        Command(dialog, kConvert);
        ChooseSkiFiles(id, folder, L"\"first.asc\" \"second.asc\"");
        EXPECT_TRUE(WaitFor([&] {
            return FrontWindow(id, kMainCaption) != nullptr &&
                   Text(GetDlgItem(dialog, kFileCount)) == L"2";
        })) << "the run did not end with two files";
        EXPECT_EQ(Text(GetDlgItem(dialog, kBaselineCount)), L"4");
        EXPECT_EQ(CharLowerW(Text(GetDlgItem(dialog, kCurrentFile)).data()),
                  std::wstring(CharLowerW(Widen(folder + "\\second.asc").data())));

        // A failing file: one message box, captioned with the program's name.
        SetText(GetDlgItem(dialog, kOutputFile), Widen(failedOutput));
        Command(dialog, kConvert);
        ChooseSkiFiles(id, folder, L"\"bad.asc\"");
        HWND box = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (box = FrontWindow(id, L"delvaro")) != nullptr; }))
            << "no message box captioned 'delvaro'";
        if (box != nullptr) {
            bool found = false;
            const std::wstring expected =
                L"Not enough arguments on line 5 - " + Widen(folder + "\\bad.asc");
            for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT))
                found = found || Text(child) == expected;
            EXPECT_TRUE(found) << "the message does not name the file and line";
            Command(box, IDOK);
        }
        EXPECT_TRUE(WaitFor([&] { return FrontWindow(id, kMainCaption) != nullptr; }));
        Command(dialog, IDCANCEL);
    }

    // The program ends when its dialog closes.
    EXPECT_EQ(WaitForSingleObject(program.hProcess, 20000), WAIT_OBJECT_0);
    TerminateProcess(program.hProcess, 1);
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);

    // The same bytes as the command-line converter writes.
    const std::string expectedFile = temp.Path("expected.txt");
    std::wstring cli = L"\"" + Widen(DELVARO_CLI) + L"\" -q -o \"" + Widen(expectedFile) +
                       L"\" \"" + Widen(folder + "\\first.asc") + L"\" \"" +
                       Widen(folder + "\\second.asc") + L"\"";
    PROCESS_INFORMATION converter{};
    ASSERT_TRUE(CreateProcessW(nullptr, cli.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &converter));
    WaitForSingleObject(converter.hProcess, INFINITE);
    CloseHandle(converter.hThread);
    CloseHandle(converter.hProcess);
    const std::string expected = ReadFileBytes(expectedFile);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ReadFileBytes(output), expected);
}

}  // namespace

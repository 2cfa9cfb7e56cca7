// delvaro-cli on Windows (run under Wine here): file identity, files held
// open by other programs, names outside the ANSI code page, long paths,
// '/' as a separator, and the resources Windows shows for the program.
#include <windows.h>
// After <windows.h>, which it needs.
#include <gtest/gtest.h>
#include <winver.h>

#include <string>
#include <vector>

#include "support/process.h"
#include "support/ski_convert.h"
#include "support/temp_dir.h"

namespace delvaro {
namespace {

using test::Baseline3;
using test::Header;
using test::Widen;

// Standard error is text: its lines end in CR LF.
std::string Lf(std::string text) {
    std::string lf;
    for (char c : text)
        if (c != '\r') lf += c;
    return lf;
}

test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), DELVARO_CLI);
    test::ProcessResult r = test::RunProcess(args);
    r.err = Lf(r.err);
    return r;
}

// Files named in UTF-8, written and read through the wide calls.
void WriteFile(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    ASSERT_EQ(written, bytes.size());
}

std::string ReadFile(const std::string& path) {
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    CloseHandle(h);
    return bytes;
}

// What the converter writes for `ski` read from a file called `name`. The
// file converted here has a plain name (the streams of the C++ library take
// names in the ANSI code page); its name is then put in as written.
std::string Expected(const std::string& ski, const std::string& name) {
    std::string output = test::ConvertText(ski, 1.0, "plain.asc").output;
    for (size_t at = output.find("plain.asc"); at != std::string::npos;
         at = output.find("plain.asc", at + name.size()))
        output.replace(at, 9, name);
    return output;
}

class WindowsCli : public ::testing::Test {
  protected:
    // The scratch folder as a Windows path ending in a backslash.
    std::string Folder() const { return dir.Path(""); }
    test::TempDir dir;
    const std::string ski = Header() + Baseline3("A", "B");
};

TEST_F(WindowsCli, OutputThatIsAnInputUnderAnotherNameTouchesNothing) {
    const std::string a = Folder() + "site.asc";
    WriteFile(a, ski);
    ASSERT_TRUE(CreateHardLinkW(Widen(Folder() + "hard.txt").c_str(), Widen(a).c_str(), nullptr));
    std::vector<std::string> names = {
        Folder() + "SITE.ASC",              // another case
        Folder() + "Site.Asc",              //
        "\\\\?\\" + Folder() + "site.asc",  // the \\?\ form
        Folder() + "hard.txt",              // a hard link
    };
    std::string slashes = a;
    for (char& c : slashes)
        if (c == '\\') c = '/';
    names.push_back(slashes);
    // The 8.3 short name, where the volume keeps one.
    wchar_t shortName[MAX_PATH];
    const std::string longName = Folder() + "a long site name.asc";
    WriteFile(longName, ski);
    DWORD n = GetShortPathNameW(Widen(longName).c_str(), shortName, MAX_PATH);
    std::string shortPath;
    if (n > 0 && n < MAX_PATH) {
        for (DWORD i = 0; i < n; ++i) shortPath += static_cast<char>(shortName[i]);
        if (shortPath != longName) names.push_back(shortPath);
    }
    for (const std::string& output : names) {
        const std::string input = output == shortPath ? longName : a;
        auto r = Cli({"-o", output, input});
        EXPECT_EQ(r.exitStatus, 1) << output;
        EXPECT_EQ(r.err, "Output file " + output + " is also one of the SKI files\n");
        EXPECT_EQ(ReadFile(input), ski) << output;
    }
    EXPECT_NE(shortPath, "") << "no short name to try";
}

TEST_F(WindowsCli, OutputHeldWithoutSharingIsNotOpenedAndNoSkiFileIsRead) {
    const std::string out = Folder() + "held.txt";
    WriteFile(out, "kept");
    // The adjustment program holds its input like this while it runs.
    HANDLE held = CreateFileW(Widen(out).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    // The SKI file does not exist: had it been read, it would be named.
    auto r = Cli({"-o", out, Folder() + "missing.asc"});
    CloseHandle(held);
    EXPECT_EQ(r.exitStatus, 1);
    // The system's reason follows on a line of its own.
    const std::string start = "Cannot open file " + out + "\ndelvaro-cli: " + out + ": ";
    EXPECT_EQ(r.err.rfind(start, 0), 0u) << r.err;
    EXPECT_GT(r.err.size(), start.size() + 1) << r.err;
    EXPECT_EQ(r.err.find("missing.asc"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(out), "kept");
}

// The names in a folder, but for "." and "..".
std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Widen(folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        std::string narrow;
        for (wchar_t c : name) narrow += static_cast<char>(c);
        names.push_back(narrow);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

TEST_F(WindowsCli, ExistingOutputIsReplacedWholeAndNoTemporaryFileStays) {
    const std::string a = Folder() + "a.asc", b = Folder() + "b.asc";
    const std::string out = Folder() + "out.txt";
    WriteFile(a, ski);
    WriteFile(b, Header() + Baseline3("C", "D") + "@+E\n");
    WriteFile(out, std::string(100000, 'x'));
    auto good = Cli({"-q", "-o", out, a});
    EXPECT_EQ(good.exitStatus, 0) << good.err;
    EXPECT_EQ(ReadFile(out), Expected(ski, "a.asc"));
    EXPECT_EQ(FolderNames(Folder()), (std::vector<std::string>{"a.asc", "b.asc", "out.txt"}));

    // A failing run still replaces the output, with what was written
    // before the fault.
    WriteFile(out, std::string(100000, 'x'));
    auto bad = Cli({"-q", "-o", out, a, b});
    EXPECT_EQ(bad.exitStatus, 1);
    const std::string output = ReadFile(out);
    EXPECT_EQ(output.rfind(Expected(ski, "a.asc"), 0), 0u);
    EXPECT_NE(output.find("$GPS_COMPACT; C; D"), std::string::npos);
    EXPECT_EQ(output.find('x'), std::string::npos);
    EXPECT_EQ(FolderNames(Folder()), (std::vector<std::string>{"a.asc", "b.asc", "out.txt"}));
}

TEST_F(WindowsCli, OutputOpenInAnotherProgram) {
    const std::string a = Folder() + "a.asc", out = Folder() + "out.txt";
    WriteFile(a, ski);
    const std::vector<std::string> folder = {"a.asc", "out.txt"};
    // Shared for everything, deletion included: the file is replaced.
    WriteFile(out, "old");
    HANDLE viewer = CreateFileW(Widen(out).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    auto replaced = Cli({"-q", "-o", out, a});
    CloseHandle(viewer);
    EXPECT_EQ(replaced.exitStatus, 0) << replaced.err;
    EXPECT_EQ(ReadFile(out), Expected(ski, "a.asc"));
    EXPECT_EQ(FolderNames(Folder()), folder);

    // Without sharing, or sharing all but deletion (which replacing the
    // file needs), it is refused before any SKI file is read, and nothing
    // is left behind.
    for (DWORD share :
         {DWORD{0}, DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        WriteFile(out, "old");
        HANDLE holder = CreateFileW(Widen(out).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        auto r = Cli({"-q", "-o", out, Folder() + "missing.asc"});
        CloseHandle(holder);
        EXPECT_EQ(r.exitStatus, 1) << share;
        const std::string start = "Cannot open file " + out + "\ndelvaro-cli: " + out + ": ";
        EXPECT_EQ(r.err.rfind(start, 0), 0u) << share << ": " << r.err;
        EXPECT_EQ(r.err.find("missing.asc"), std::string::npos) << r.err;
        EXPECT_EQ(ReadFile(out), "old") << share;
        EXPECT_EQ(FolderNames(Folder()), folder) << share;
    }
}

// Windows' own ways for a file to be out of reach, in place of POSIX
// permissions: a file another program holds without sharing, the
// read-only attribute, a folder where a file is expected.
TEST_F(WindowsCli, FilesOutOfReach) {
    const std::string a = Folder() + "a.asc", held = Folder() + "held.asc";
    const std::string out = Folder() + "out.txt", readOnly = Folder() + "read-only.txt";
    WriteFile(a, ski);
    WriteFile(held, ski);
    WriteFile(readOnly, "old");
    ASSERT_TRUE(SetFileAttributesW(Widen(readOnly).c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateDirectoryW(Widen(Folder() + "folder.asc").c_str(), nullptr));
    HANDLE holder = CreateFileW(Widen(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    struct Case {
        std::vector<std::string> args;
        std::string err;     // exactly, or up to the reason where it is empty
        std::string output;  // what the output holds afterwards
    } cases[] = {
        // The files before the one out of reach stay converted.
        {{"-q", "-o", out, a, held},
         "Cannot open file " + held + "\ndelvaro-cli: " + held + ": Permission denied\n",
         Expected(ski, "a.asc")},
        {{"-q", "-o", out, a, Folder() + "folder.asc"},
         "Cannot open file " + Folder() + "folder.asc\ndelvaro-cli: " + Folder() +
             "folder.asc: Is a directory\n",
         Expected(ski, "a.asc")},
        {{"-q", "-o", readOnly, a}, "", "old"},
        {{"-q", "-o", Folder() + "folder.asc", a}, "", "<folder>"},
    };
    for (const Case& c : cases) {
        const std::string& output = c.args[2];
        SCOPED_TRACE(output + " " + c.args.back());
        auto r = Cli(c.args);
        EXPECT_EQ(r.exitStatus, 1) << r.err;
        if (!c.err.empty()) {
            EXPECT_EQ(r.err, c.err);
        } else {
            const std::string start =
                "Cannot open file " + output + "\ndelvaro-cli: " + output + ": ";
            EXPECT_EQ(r.err.rfind(start, 0), 0u) << r.err;
            EXPECT_GT(r.err.size(), start.size() + 1) << r.err;
        }
        const DWORD attributes = GetFileAttributesW(Widen(output).c_str());
        const bool isFolder =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        EXPECT_EQ(isFolder ? "<folder>" : ReadFile(output), c.output) << output;
    }
    CloseHandle(holder);
    EXPECT_EQ(ReadFile(held), ski);
    SetFileAttributesW(Widen(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(FolderNames(Folder()), (std::vector<std::string>{"a.asc", "folder.asc", "held.asc",
                                                               "out.txt", "read-only.txt"}));
}

TEST_F(WindowsCli, NamesOutsideTheAnsiCodePage) {
    // Cyrillic and Chinese, in UTF-8: no Western code page has them.
    const std::string cyrillic = "\xd0\xbf\xd1\x83\xd0\xbd\xd0\xba\xd1\x82";  // пункт
    const std::string chinese = "\xe6\xb5\x8b\xe7\xab\x99";                   // 测站
    const std::string folder = Folder() + cyrillic;
    ASSERT_TRUE(CreateDirectoryW(Widen(folder).c_str(), nullptr));
    const std::string a = folder + "\\" + chinese + ".asc";
    const std::string b = folder + "\\" + cyrillic + ".asc";
    WriteFile(a, ski);
    WriteFile(b, Header() + Baseline3("C", "D") + "@+E\n");
    const std::string out = folder + "\\" + chinese + ".txt";

    auto good = Cli({"-o", out, a});
    EXPECT_EQ(good.exitStatus, 0) << good.err;
    EXPECT_EQ(good.err, "delvaro-cli: 1 file, 1 baseline converted into " + out + "\n");
    // The station descriptions are the file's name in UTF-8.
    EXPECT_EQ(ReadFile(out), Expected(ski, chinese + ".asc"));

    auto bad = Cli({"-o", out, a, b});
    EXPECT_EQ(bad.exitStatus, 1);
    EXPECT_EQ(bad.err, "Not enough arguments on line 6 - " + b + "\n");

    const std::string absent = folder + "\\" + cyrillic + "2.asc";
    auto missing = Cli({"-o", out, absent});
    EXPECT_EQ(missing.err, "Cannot open file " + absent + "\ndelvaro-cli: " + absent +
                               ": No such file or directory\n");
}

TEST_F(WindowsCli, PathsLongerThan260Characters) {
    std::string folder = Folder();
    for (int i = 0; i < 3; ++i) {
        folder += std::string(100, static_cast<char>('p' + i)) + "\\";
        const std::wstring wide = L"\\\\?\\" + Widen(folder);
        ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr)) << folder.size();
    }
    const std::string a = folder + "site.asc";
    const std::string out = folder + "out.txt";
    ASSERT_GT(a.size(), 300u);
    WriteFile("\\\\?\\" + a, ski);
    auto r = Cli({"-q", "-o", out, a});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(ReadFile("\\\\?\\" + out), Expected(ski, "site.asc"));
    // The same file by a relative long name is still refused as the output.
    auto same = Cli({"-q", "-o", a, a});
    EXPECT_EQ(same.exitStatus, 1);
    EXPECT_EQ(ReadFile("\\\\?\\" + a), ski);
}

TEST_F(WindowsCli, MessagesAreTheSameBytesAsOnLinux) {
    const std::string missing = Folder() + "missing.asc";
    auto r = test::RunProcess({DELVARO_CLI, "-o", Folder() + "out.txt", missing});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, "Cannot open file " + missing + "\ndelvaro-cli: " + missing +
                         ": No such file or directory\n");
}

TEST_F(WindowsCli, SlashSeparatedPathsNameTheFileAlone) {
    std::string folder = Folder();
    for (char& c : folder)
        if (c == '\\') c = '/';
    WriteFile(folder + "site.asc", ski);
    auto r = Cli({"-q", "-o", folder + "out.txt", folder + "site.asc"});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    const std::string output = ReadFile(folder + "out.txt");
    EXPECT_EQ(output, Expected(ski, "site.asc"));
    EXPECT_NE(output.find("$STA_DESC; A; site.asc\r\n"), std::string::npos);
}

// Explorer shows the version and icon from the program's resources; the
// manifest asks for common controls 6, DPI awareness and long paths.
TEST(WindowsResources, VersionIconAndManifest) {
    const std::wstring program = Widen(DELVARO_CLI);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, (3u << 16) | 5u);
    EXPECT_EQ(fixed->dwFileVersionLS, (1u << 16) | 5u);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904e4\\ProductVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(std::wstring(text), L"3.5.1.5");

    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    // Icon 128 in its three sizes: the 16-colour 32 x 32 picture as drawn.
    struct Size {
        int pixels, colours, bits;
    } sizes[] = {{32, 16, 4}, {64, 0, 32}, {256, 0, 32}};
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(128), MAKEINTRESOURCEW(14));
    ASSERT_NE(group, nullptr);
    const auto* dir = static_cast<const unsigned char*>(LockResource(LoadResource(module, group)));
    ASSERT_EQ(dir[4] | dir[5] << 8, 3);
    for (int i = 0; i < 3; ++i) {
        const unsigned char* entry = dir + 6 + 14 * i;
        EXPECT_EQ(entry[0] == 0 ? 256 : entry[0], sizes[i].pixels);
        EXPECT_EQ(entry[2], sizes[i].colours);
        EXPECT_EQ(entry[6] | entry[7] << 8, sizes[i].bits);
    }
    HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const std::string xml(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                          SizeofResource(module, manifest));
    for (const char* needed : {"Microsoft.Windows.Common-Controls", "PerMonitorV2",
                               "<longPathAware", "version=\"3.5.1.5\""})
        EXPECT_NE(xml.find(needed), std::string::npos) << needed;
    FreeLibrary(module);
}

}  // namespace
}  // namespace delvaro

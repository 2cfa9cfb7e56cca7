// The file dialog's result as the framework returns it in the caller's
// buffer, and the filters the chooser is given.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <string>
#include <vector>

#include "platform/afxdlgs.h"
#include "platform/qt/qt_backend.h"

namespace {

// Stores `chosen` into a buffer of `size` bytes and walks it back.
struct Walked {
    bool stored;
    std::vector<std::string> paths;
};

Walked StoreAndWalk(const std::vector<std::string>& chosen, bool multiSelect, DWORD size) {
    CFileDialog dialog(TRUE, nullptr, nullptr,
                       multiSelect ? OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY : OFN_HIDEREADONLY);
    std::vector<char> buffer(size, 'x');
    dialog.m_ofn.lpstrFile = buffer.data();
    dialog.m_ofn.nMaxFile = size;
    Walked walked{CFileDialog::StoreSelection(chosen, multiSelect, buffer.data(), size), {}};
    if (!walked.stored) return walked;
    if (!multiSelect) {
        walked.paths.push_back(dialog.GetPathName().str());
        return walked;
    }
    for (POSITION pos = dialog.GetStartPosition(); pos != nullptr;)
        walked.paths.push_back(dialog.GetNextPathName(pos).str());
    return walked;
}

TEST(CFileDialog, GivesBackTheChosenPathsInTheirOrder) {
    const std::vector<std::string> several = {"/data/b.asc", "/data/a.asc", "/data/c.asc"};
    const struct {
        const char* what;
        std::vector<std::string> chosen;
        bool multiSelect;
    } cases[] = {
        {"one file", {"/data/out.txt"}, false},
        {"one file of a multiple selection", {"/data/a.asc"}, true},
        {"several, in the order chosen", several, true},
        {"several in the root folder", {"/a.asc", "/b.asc"}, true},
        {"several from different folders", {"/data/a.asc", "/other/b.asc", "/data/c.asc"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Walked walked = StoreAndWalk(c.chosen, c.multiSelect, 32000);
        ASSERT_TRUE(walked.stored);
        EXPECT_EQ(walked.paths, c.chosen);
    }
}

// "/data", "b.asc", "a.asc" and the final empty string: 6 + 6 + 6 + 1 bytes.
TEST(CFileDialog, RefusesAChoiceThatDoesNotFitTheBuffer) {
    const std::vector<std::string> two = {"/data/b.asc", "/data/a.asc"};
    EXPECT_TRUE(StoreAndWalk(two, true, 19).stored);
    EXPECT_FALSE(StoreAndWalk(two, true, 18).stored);
    // A single path and its terminator.
    EXPECT_TRUE(StoreAndWalk({"/data/out.txt"}, false, 14).stored);
    EXPECT_FALSE(StoreAndWalk({"/data/out.txt"}, false, 13).stored);
}

// What each filter of the program lets through: "*.*" is every file and
// letters match either case, as on the system the filters come from.
TEST(NameFilters, MatchAsTheFrameworksFiltersDo) {
    const QStringList filters = afx_qt::NameFilters(
        {{"Leica Files (*.asc)", "*.asc"}, {"All Files (*.*)", " *.*"}, {"Two", "*.txt;*.doc"}});
    ASSERT_EQ(filters.size(), 3);
    const auto matches = [&](int filter, const QString& name) {
        // The chooser takes the patterns from the last parentheses.
        const QString text = filters[filter];
        const QString inside = text.mid(text.lastIndexOf(u'(') + 1).chopped(1);
        for (const QString& pattern : inside.split(u' '))
            if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
                    .match(name)
                    .hasMatch())
                return true;
        return false;
    };
    const struct {
        const char* name;
        bool leica, all, two;
    } cases[] = {
        {"a.asc", true, true, false},      {"B.ASC", true, true, false},
        {"c.AsC", true, true, false},      {"d.txt", false, true, true},
        {"e.DOC", false, true, true},      {"noext", false, true, false},
        {"f.asc.bak", false, true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(matches(0, c.name), c.leica) << c.name;
        EXPECT_EQ(matches(1, c.name), c.all) << c.name;
        EXPECT_EQ(matches(2, c.name), c.two) << c.name;
    }
    // The part in the last parentheses is hidden: the names show as written.
    EXPECT_TRUE(filters[0].startsWith("Leica Files (*.asc) ("));
    EXPECT_TRUE(filters[1].startsWith("All Files (*.*) ("));
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ski_reader.h"

namespace delvaro {
namespace {

// SplitFields copies what FindFields finds: both must agree on the status
// and, when it is 0, on every field.
TEST(FindFields, AgreesWithSplitFields) {
    const std::string s50(50, 'f');
    struct Case {
        int count;
        std::string text;
        Status status;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {3, " 1.5  -2\t3 4", 0, {"1.5", "-2", "3"}},
        {2, "@%Unit: fts extra", 0, {"@%Unit:", "fts"}},
        {3, "1 2", IDS_ERR_TOO_FEW_FIELDS, {}},
        {2, "", IDS_ERR_TOO_FEW_FIELDS, {}},
        {1, "   ", IDS_ERR_TOO_FEW_FIELDS, {}},
        {1, s50, 0, {s50}},
        {1, s50 + "g", IDS_ERR_FIELD_TOO_LONG, {}},
        // The first fault from the left decides.
        {3, "1 " + s50 + "g", IDS_ERR_FIELD_TOO_LONG, {}},
        {3, s50 + "g 1", IDS_ERR_FIELD_TOO_LONG, {}},
        // Fields after the last one asked for are not looked at.
        {1, "a " + s50 + "gg", 0, {"a"}},
        // A byte from 0x80 up ends a field.
        {2, "caf\xE9 au", 0, {"caf", "au"}},
    };
    for (const Case& c : cases) {
        FieldView views[kFieldCount];
        Status viewStatus = -1;
        FindFields(c.count, c.text.c_str(), views, &viewStatus);
        FieldTable table;
        Status tableStatus = -1;
        SplitFields(c.count, c.text.c_str(), table, &tableStatus);
        EXPECT_EQ(viewStatus, c.status) << c.text;
        EXPECT_EQ(tableStatus, c.status) << c.text;
        if (c.status != 0) continue;
        for (int i = 0; i < c.count; ++i) {
            EXPECT_EQ(std::string(views[i]), c.fields[i]) << c.text;
            EXPECT_EQ(std::string(table[i]), c.fields[i]) << c.text;
        }
    }
}

}  // namespace
}  // namespace delvaro

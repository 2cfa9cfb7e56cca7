// The two rules the dialog computes itself: where a file chooser goes, and
// how the covariance scaler is shown.
#include <gtest/gtest.h>

#include "app/centered_file_dialog.h"
#include "app/convert_dlg.h"

namespace {

struct CenteringCase {
    const char* what;
    RECT reference;
    int width, height;
    int screenWidth, screenHeight;
    LONG x, y;
};

TEST(CenteredPosition, CentresOnTheReferenceAndKeepsTwoPixelsFromTheScreensEdge) {
    const CenteringCase cases[] = {
        {"desktop 1024 x 768", {0, 0, 1024, 768}, 563, 419, 1024, 768, 230, 174},
        {"odd difference 5 gives 2", {0, 0, 105, 105}, 100, 100, 1024, 768, 2, 2},
        {"difference -5 gives -2", {10, 10, 105, 105}, 100, 100, 1024, 768, 8, 8},
        {"reference off the top and left", {-400, -300, 100, 100}, 563, 419, 1024, 768, 2, 2},
        {"exactly 0 stays 0", {0, 0, 600, 400}, 600, 400, 1024, 768, 0, 0},
        {"past the right and bottom", {800, 600, 1000, 760}, 563, 419, 1024, 768, 459, 347},
        {"ends exactly at the edge", {461, 349, 1024, 768}, 563, 419, 1024, 768, 461, 349},
        {"larger than the screen", {0, 0, 1024, 768}, 1100, 800, 1024, 768, -78, -34},
    };
    for (const CenteringCase& c : cases) {
        SCOPED_TRACE(c.what);
        const POINT at =
            CenteredPosition(c.reference, c.width, c.height, c.screenWidth, c.screenHeight);
        EXPECT_EQ(at.x, c.x);
        EXPECT_EQ(at.y, c.y);
    }
}

TEST(FormatFixedDouble, FiveDecimalsWithoutTrailingZerosKeepingThePoint) {
    const struct {
        double value;
        const char* shown;
    } cases[] = {
        {1.0, "1."},          {0.5, "0.5"},          {2.25, "2.25"},    {10.0, "10."},
        {0.00001, "0.00001"}, {1.234567, "1.23457"}, {99999, "99999."}, {100.0, "100."},
        {0.000004, "0."},     {-0.5, "-0.5"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatFixedDouble(c.value, 5), c.shown) << c.value;
}

TEST(FormatFixedDouble, HoldsEveryDoubleAndCutsNoDigitOfAWholeNumber) {
    const CString huge = FormatFixedDouble(1e300, 5);
    EXPECT_EQ(huge.GetLength(), 302);  // 301 digits and the point
    EXPECT_EQ(huge.GetAt(301), '.');
    EXPECT_EQ(FormatFixedDouble(100.0, 0), "100");
}

}  // namespace

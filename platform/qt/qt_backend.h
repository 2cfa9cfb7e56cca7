// What the Qt side of the window layer adds to the seam: the widget behind
// a handle, the dialog unit, and the file chooser's filters. Tests use
// these to look at real widgets.
#pragma once

#include <QStringList>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend.h"

class QFont;
class QWidget;

namespace afx_qt {

QWidget* WidgetOf(HWND window);

// The pixel size of a dialog unit in `font`, as the platform's dialog
// manager measures it: the average width of the 52 letters, rounded, over 4
// horizontally; the line height over 8 vertically.
struct DialogBaseUnits {
    int x;
    int y;
};
DialogBaseUnits BaseUnitsOf(const QFont& font);

// The framework's filters as Qt name filters that show each display name
// as written: "*.*" matches every file and, where file names are
// case-sensitive, letters match either case, as they do on the platform
// the filters were written for.
QStringList NameFilters(const std::vector<std::pair<std::string, std::string>>& filters);

}  // namespace afx_qt

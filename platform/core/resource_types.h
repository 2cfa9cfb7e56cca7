// The resource formats the window layer reads from the program's resources:
// dialog templates and icons. Plain data; res/ holds the program's own.
#pragma once

#include "platform/core/win_types.h"

// The predefined window classes a template's controls belong to.
enum class ControlClass { Button, Edit, Static, ListBox, ComboBox };

// One control of a dialog template; positions and sizes in dialog units.
struct DialogItem {
    ControlClass controlClass;
    int id;            // -1 for a control that no code addresses
    const char* text;  // nullptr for none
    short x, y, cx, cy;
    DWORD style;
    UINT iconId = 0;  // the icon an SS_ICON static shows
};

// A dialog template: the window, its font and its controls in tab order.
struct DialogTemplate {
    UINT id;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    const char* caption;
    const char* fontName;  // the font the template was laid out with
    int pointSize;
    const DialogItem* items;
    int itemCount;
};

// An icon: a picture in the XPM image format, one character per pixel,
// "None" for the transparent colour.
struct IconResource {
    UINT id;
    const char* const* xpm;
};

// Modal message boxes.
#pragma once

enum PLAT_Icon {
    PLAT_ICON_NONE = 0,
    PLAT_ICON_ERROR = 1,
    PLAT_ICON_WARNING = 2,
    PLAT_ICON_EXCLAMATION = 3,
};

// Shows the box and returns when the user has closed it. owner may be null.
void PLAT_MessageBox(struct PLAT_Window *owner, const char *text, const char *title, int icon);

// The system sound that goes with an icon, played before a box is shown.
void PLAT_Beep(int icon);

#pragma once

// A printed report of the program: a record card or a list, bound to the
// dataset of the screen that asked for it when it was made. preview() shows
// it on screen (modal) with printing and PDF at hand, and returns when the
// preview is closed.
class ReportWindow {
public:
    virtual ~ReportWindow() = default;
    virtual void preview() = 0;
};

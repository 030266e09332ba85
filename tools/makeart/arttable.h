// The artwork catalogue: every picture the program shows, described as data.
// The painters in artkit.cpp turn a row into an image; nothing here paints.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

// Colour family of a screen: the title band takes the family colour, the body
// and the footer are the same on every screen so that the small pictures
// (pressed looks, M², stop sign) match wherever they are placed.
enum class Theme { Brand, Rental, Sale, Land, Request, Definition, Phone, Match };

// How a background is composed. Most screens are Standard; the four special
// windows have their own composition.
enum class Layout { Splash, Main, About, Standard, PhoneBook };

// Which top-right icons the screen carries (the icons are separate pictures;
// the background only keeps their spot free of the skyline).
enum class Corner { None, ExitOnly, MinimiseAndExit };

struct Box {
    QRect rect;
    const char *title; // UTF-8, may be empty
};

struct ScreenArt {
    const char *objectName;   // program name of the window, gives the file name
    const char *title;        // UTF-8 title drawn at the top
    QSize size;               // client area
    Theme theme;
    Layout layout;
    Corner corner;
    const char *footer;       // captions of the bottom label buttons, '|' separated; sizes the frames
    std::vector<Box> boxes;   // framed groups drawn into the body
    std::vector<QRect> frames; // label-button frames placed by hand (outside the footer)
    const char *role;
};

enum class Piece {
    MenuPressed,       // shared pressed picture of the main menu items
    Panel,             // a main-window menu panel background
    HoverBar,          // panel item highlight
    MainCornerPressed, // pressed look of the main window's corner labels
    Icon,              // top-right minimise / close icon
    LabelPressed,      // pressed look of a captioned label button
    OwnerPanel,        // stop-sign cover over the owner's details
    CaptionM2,         // the "M²" caption picture
    PhoneHighlight,    // highlight behind the phone book's menu items
    PhoneButton        // search / show-all picture buttons of the phone-book searches
};

struct PieceArt {
    const char *file;
    QSize size;
    Piece kind;
    const char *text; // panel title, glyph name ("minimise", "close") or button caption
    bool pressed;
    const char *role;
};

const std::vector<ScreenArt> &screenTable();
const std::vector<PieceArt> &pieceTable();

// "RentalFlatEntry" -> "bg_rental_flat_entry.jpg"
QString backgroundFileName(const char *objectName);

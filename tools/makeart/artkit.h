// Painting kit for the program's artwork: palette, fonts, the recurring motifs
// (skyline, title band, frames) and one painter per layout and per piece kind.
#pragma once

#include "arttable.h"

#include <QImage>
#include <QList>
#include <QPair>
#include <QRect>
#include <QString>

namespace art {

// Rectangles the program has to line its controls up with. They are part of
// the artwork's contract and listed by `makeart --layout`.
struct Spot {
    QString name;
    QRect rect;
};

// Geometry of the main window picture.
namespace mainwin {
constexpr int headerHeight = 64;
constexpr QRect menuZone{4, 84, 222, 250};
constexpr int menuItemLeft = 22;
constexpr int menuItemTop = 92;   // top of the first item
constexpr int menuItemPitch = 30;
constexpr QSize menuItemSize{200, 24};
constexpr QRect panelSpot{230, 176, 180, 140};
constexpr QRect clockZone{420, 84, 212, 66};
constexpr QRect gridZone{8, 358, 624, 84};
constexpr QRect minimiseSpot{8, 450, 28, 24};
constexpr QRect exitSpot{604, 450, 28, 24};
} // namespace mainwin

// Geometry of a menu panel picture (180 x 140).
namespace panel {
constexpr int titleHeight = 34;
constexpr int itemLeft = 16;
constexpr int itemTop = 44; // label top of the first item
constexpr int itemPitch = 30;
constexpr int barLeft = 5;  // hover bar x inside the panel
} // namespace panel

// Geometry of the phone book picture (597 x 397).
namespace phonebook {
constexpr QRect titleSpot{56, 14, 300, 34};
constexpr QRect minimiseSpot{500, 20, 22, 22};
constexpr QRect closeSpot{528, 20, 22, 22};
constexpr int menuItemLeft = 28;
constexpr int menuItemTop = 78;
constexpr int menuItemPitch = 40;
constexpr QSize menuItemSize{180, 30};
constexpr QRect gridZone{226, 70, 340, 252};
constexpr QRect marqueeZone{44, 334, 509, 24};
constexpr QRect statusZone{226, 362, 300, 18};
} // namespace phonebook

namespace splash {
constexpr QRect clipArea{206, 36, 80, 64};
}

namespace about {
constexpr QRect linkArea{196, 352, 248, 36};
}

// Standard screens.
int titleBandHeight(const QSize &size);
int footerHeight(const QSize &size);
QList<Spot> footerFrames(const ScreenArt &screen);
QList<Spot> cornerIcons(const ScreenArt &screen);

// All contract rectangles of one screen picture.
QList<Spot> spotsOf(const ScreenArt &screen);

QImage paintScreen(const ScreenArt &screen);
QImage paintPiece(const PieceArt &piece);
// The program's icon, size x size pixels, on a transparent ground.
QImage paintIcon(int size);

// Fonts actually resolved on this machine (for the run summary).
QString fontReport();

} // namespace art

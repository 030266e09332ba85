#pragma once

#include "kit/screen.h"

#include <QColor>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

class Dataset;
class DbComboBox;
class DbEdit;
class ClickLabel;
class DbGrid;
class DbImage;
class DbLookupComboBox;
class DbMemo;
class DbNavigator;
class IconButton;
class LabelButton;
class QLabel;
class Table;

// Puts a screen's controls in place the same way on every screen: captions,
// data controls bound to their fields, the captioned action labels with their
// pressed picture, the corner icons and the navigator. Controls are created in
// the order of the calls, which is their tab order.
class ScreenKit {
public:
    explicit ScreenKit(Screen* screen);

    // The window of a screen on a standard background: the picture
    // bg_<snake_case name>.jpg ("RentalFlatEntry" -> bg_rental_flat_entry.jpg)
    // and, behind it, the background's own body colour.
    static ScreenSetup standardWindow(const QString& programName, const QString& caption, const QSize& size);
    // The light body colour of every standard background.
    static QColor bodyColour();

    // A caption; with an accessible buddy its text names that control too.
    QLabel* caption(const QString& text, const QRect& rect);
    // The small "M²" picture used in place of a caption.
    QLabel* squareMetresCaption(const QRect& rect);

    // Data controls. Each gets the object name `name`, and the caption as its
    // accessible name (drop-downs also as accessible description, their
    // accessible name being their current text).
    DbEdit* edit(const QString& name, const QString& captionText, Dataset* data, const QString& field,
                 const QRect& rect);
    DbComboBox* dropDown(const QString& name, const QString& captionText, Dataset* data, const QString& field,
                         const QRect& rect, const QStringList& items = {});
    DbLookupComboBox* lookup(const QString& name, const QString& captionText, Dataset* data, const QString& field,
                             Dataset* source, const QString& sourceField, const QRect& rect);
    DbMemo* memo(const QString& name, const QString& captionText, Dataset* data, const QString& field,
                 const QRect& rect);
    // A picture in a sunken frame, with the "Dosyadan" / "Clipborddan" pop-up menu.
    DbImage* picture(const QString& name, const QString& captionText, Dataset* data, const QString& field,
                     const QRect& rect);

    // A captioned action label ("Liste", "Yazdır", "Çıkış", "Bul" ...) in a
    // frame of the background, with the pressed picture under its text.
    LabelButton* action(const QString& name, const QString& captionText, const QRect& frame);
    // The minimise and exit icons at the top right corner, already acting.
    IconButton* minimiseIcon();
    IconButton* exitIcon();
    // The same two pictures acting on a plain click, with no pressed look (the
    // phone-book screens).
    ClickLabel* minimisePicture();
    ClickLabel* exitPicture();
    // "Çıkış": closes (hides) the screen.
    LabelButton* exitAction(const QRect& frame);
    // The frames of a footer of action labels of these widths, centred 14
    // pixels apart and 24 high, 10 pixels above the window's foot, where the
    // background draws them.
    static QList<QRect> footerFrames(const QWidget* screen, const QList<int>& widths);

    // The stop-sign panel covering the owner's details ("Emlak sahibi bilgileri
    // gizli"), in the screen's colour so it blends into the background. Make it
    // after the controls it covers.
    QLabel* ownerPanel(const QRect& rect);

    DbNavigator* navigator(Table* table, const QRect& rect, const QStringList& hints = {});

private:
    Screen* m_screen;
};

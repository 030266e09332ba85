#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

class Dataset;
class DbComboBox;
class DbEdit;
class DbGrid;
class DbLookupComboBox;
class DbMemo;
class DbNavigator;
class IconButton;
class LabelButton;
class QLabel;
class Screen;
class Table;

// Puts a screen's controls in place the same way on every screen: captions,
// data controls bound to their fields, the captioned action labels with their
// pressed picture, the corner icons and the navigator. Controls are created in
// the order of the calls, which is their tab order.
class ScreenKit {
public:
    explicit ScreenKit(Screen* screen);

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

    // A captioned action label ("Liste", "Yazdır", "Çıkış", "Bul" ...) in a
    // frame of the background, with the pressed picture under its text.
    LabelButton* action(const QString& name, const QString& captionText, const QRect& frame);
    // The minimise and exit icons at the top right corner, already acting.
    IconButton* minimiseIcon();
    IconButton* exitIcon();
    // "Çıkış": closes (hides) the screen.
    LabelButton* exitAction(const QRect& frame);

    DbNavigator* navigator(Table* table, const QRect& rect, const QStringList& hints = {});

private:
    Screen* m_screen;
};

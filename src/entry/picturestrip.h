#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>
#include <functional>

class ListingPictures;
class QLineEdit;
class QListWidget;
class QToolButton;
class Table;

// The large view of one picture, opened by a click on its thumbnail; a click
// on it or Escape closes it.
class PictureViewer : public QWidget {
    Q_OBJECT
public:
    explicit PictureViewer(QWidget* parent);
    // Shows it centred over `over`.
    void showPicture(const QImage& picture, const QString& caption, QWidget* over);
    QLabel* picture() const { return m_picture; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_picture;
    QLabel* m_caption;
};

// The pictures of a listing entry screen's current record, in a strip that
// hangs under the screen and goes wherever the screen goes: thumbnails in
// order (a click shows one large), "Ekle" with "Dosyadan" (several files at
// once through the picture-open dialog) and "Clipborddan", "Sil" after a
// question, "Önceye"/"Sonraya" to move the chosen picture, its caption, the
// "Resimli" card and "Resimleri Kaydet". What the strip changes is the
// record's: written when it is posted, dropped when it is cancelled.
class PictureStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int Height = 124;

    // Hangs a strip under screen over its cursor; card names the card printed
    // with every picture ("Resimli Yazdır").
    static PictureStrip* attach(QWidget* screen, Table& cursor, const QString& card);

    ListingPictures& pictures() const { return *m_pictures; }
    QListWidget* thumbnails() const { return m_thumbnails; }
    QLineEdit* caption() const { return m_caption; }
    PictureViewer* viewer() const { return m_viewer; }
    int current() const;
    void setCurrent(int index);

    // The actions, as their buttons run them.
    void addFiles(const QStringList& paths);
    void pasteClipboard();
    void removeCurrent(); // asks first
    void moveCurrent(int by);
    void printWithPictures();
    void saveToFolder(const QString& folder);

    // Where "Resimleri Kaydet" writes: a folder dialog; tests answer instead.
    using FolderChooser = std::function<QString(QWidget* parent)>;
    static void setFolderChooser(FolderChooser chooser);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PictureStrip(QWidget* screen, Table& cursor, const QString& card);
    QToolButton* button(const QString& objectName, const QString& text, const QString& hint);
    void follow();
    void refill();
    void showLarge(int index);
    void tell(const QStringList& messages);

    QWidget* m_screen;
    Table& m_cursor;
    QString m_card;
    ListingPictures* m_pictures;
    QListWidget* m_thumbnails;
    QLineEdit* m_caption;
    PictureViewer* m_viewer;
};

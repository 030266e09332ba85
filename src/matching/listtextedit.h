#pragma once

#include <QAbstractScrollArea>
#include <QStringList>
#include <QVector>

class QMenu;
class QTimer;

// An editable box of text lines, for lists of hundreds of thousands of them:
// the lines are kept as they are given and only the lines in view are drawn,
// so a list is shown at once however long it is (a rich-text document takes
// seconds to lay out such a list). The clerk edits it as in any text box:
// caret and selection by keyboard and mouse, typing, Enter, Backspace and
// Delete, cut, copy, paste, select all, undo and redo, and a context menu.
// A screen reader reads its text, caret and selection through Qt's
// accessible text interface and hears of every change.
class ListTextEdit : public QAbstractScrollArea {
    Q_OBJECT
public:
    // A place in the text: a line and a character within it.
    struct Position {
        int line = 0;
        int column = 0;
        friend bool operator==(const Position&, const Position&) = default;
        friend bool operator<(const Position& a, const Position& b)
        {
            return a.line < b.line || (a.line == b.line && a.column < b.column);
        }
    };

    explicit ListTextEdit(QWidget* parent = nullptr);

    // Replaces the whole text; the caret goes to the start, nothing to undo.
    void setLines(QStringList lines);
    void setText(const QString& text); // lines separated by '\n'
    void clear() { setLines({}); }
    // The lines as the box holds them; no text at all is no line.
    QStringList lines() const;
    QString text() const; // the lines joined by '\n'
    int lineCount() const;
    bool isEmpty() const { return lineCount() == 0; }

    Position caret() const { return m_caret; }
    Position anchor() const { return m_anchor; }
    bool hasSelection() const { return m_caret != m_anchor; }
    QString selectedText() const;
    void setCaret(Position position, bool keepAnchor = false);
    // Types text at the caret, replacing the selection ('\n' breaks the line).
    void insert(const QString& text);

    // The text as one run of characters, lines joined by '\n', as assistive
    // technology reads it: its length, and an offset in it for a place.
    int characterCount() const;
    int offsetOf(Position position) const;
    Position positionOf(int offset) const;
    QString textBetween(Position from, Position to) const;
    QString lineText(int line) const { return m_lines.value(line); }
    // The box of the character at a place, and the place at a point, both in
    // the widget's own coordinates.
    QRect characterRect(Position position) const;
    Position positionAtPoint(const QPoint& point) const;
    void scrollToLine(int line);

    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    int firstVisibleLine() const;

public slots:
    void undo();
    void redo();
    void cut();
    void copy() const;
    void paste();
    void selectAll();

signals:
    // Any change of the text, by the program or by the clerk.
    void textChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // One edit and its inverse: the text from `from` to `to` became `text`.
    struct Edit {
        Position from;
        Position to;
        QString text;
        Position caretBefore;
        Position anchorBefore;
    };

    // Replaces the text between from and to (from <= to) with text; returns
    // the end of the text put in. Every change of the text goes through here.
    Position replace(Position from, Position to, const QString& text, QVector<Edit>* inverseTo);
    // Tells assistive technology where the caret and the selection are now.
    void caretMoved();
    Position clamped(Position position) const;
    Position positionAt(const QPoint& point) const;
    int xOf(Position position) const;
    int lineHeight() const;
    int visibleLines() const;
    void moveCaret(Position position, bool select);
    void ensureCaretVisible();
    void updateScrollBars();
    void restartBlink();
    void changed();
    Position wordStart(Position position) const;
    Position wordEnd(Position position) const;

    QStringList m_lines{QString()}; // never empty: an empty box holds one empty line
    int m_longest = 0;              // characters of the longest line, for the horizontal bar
    Position m_caret;
    Position m_anchor;
    QVector<Edit> m_undo;
    QVector<Edit> m_redo;
    QTimer* m_blink = nullptr;
    bool m_caretShown = true;
    bool m_selecting = false;
    // Where each line starts in the run of characters; worked out when asked.
    mutable QVector<int> m_lineStarts;
};

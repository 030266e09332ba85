#pragma once

#include <QAccessibleWidget>

class ListTextEdit;

// What a screen reader sees of a ListTextEdit: an editable, multi-line text
// whose characters, caret, selection and lines it can read, and whose caret
// and selection it can set. Offsets count the characters of the lines joined
// by line breaks.
class ListTextAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ListTextAccessible(ListTextEdit* edit);

    // Makes Qt hand out this interface for every ListTextEdit.
    static void ensureFactory();

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text which) const override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                             int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                            int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    ListTextEdit* edit() const;
    // The run of characters around offset that the boundary makes one piece.
    void pieceAt(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const;
};

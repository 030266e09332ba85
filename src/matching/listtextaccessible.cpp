#include "matching/listtextaccessible.h"

#include "matching/listtextedit.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

QAccessibleInterface* listTextFactory(const QString&, QObject* object)
{
    if (auto* edit = qobject_cast<ListTextEdit*>(object))
        return new ListTextAccessible(edit);
    return nullptr;
}

} // namespace

ListTextAccessible::ListTextAccessible(ListTextEdit* edit) : QAccessibleWidget(edit, QAccessible::EditableText) {}

void ListTextAccessible::ensureFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(listTextFactory);
        return true;
    }();
    (void)installed;
}

ListTextEdit* ListTextAccessible::edit() const
{
    return static_cast<ListTextEdit*>(widget());
}

void* ListTextAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State ListTextAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.multiLine = true;
    state.selectableText = true;
    state.focusable = true;
    return state;
}

QString ListTextAccessible::text(QAccessible::Text which) const
{
    if (which == QAccessible::Value)
        return edit()->text();
    return QAccessibleWidget::text(which);
}

void ListTextAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !edit()->hasSelection())
        return;
    const int caret = edit()->offsetOf(edit()->caret());
    const int anchor = edit()->offsetOf(edit()->anchor());
    *startOffset = std::min(caret, anchor);
    *endOffset = std::max(caret, anchor);
}

int ListTextAccessible::selectionCount() const
{
    return edit()->hasSelection() ? 1 : 0;
}

void ListTextAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void ListTextAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        edit()->setCaret(edit()->caret());
}

void ListTextAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    edit()->setCaret(edit()->positionOf(startOffset));
    edit()->setCaret(edit()->positionOf(endOffset), true);
}

int ListTextAccessible::cursorPosition() const
{
    return edit()->offsetOf(edit()->caret());
}

void ListTextAccessible::setCursorPosition(int position)
{
    edit()->setCaret(edit()->positionOf(position));
}

QString ListTextAccessible::text(int startOffset, int endOffset) const
{
    const int count = characterCount();
    startOffset = std::clamp(startOffset, 0, count);
    endOffset = endOffset < 0 ? count : std::clamp(endOffset, startOffset, count);
    return edit()->textBetween(edit()->positionOf(startOffset), edit()->positionOf(endOffset));
}

void ListTextAccessible::pieceAt(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                 int* endOffset) const
{
    const int count = characterCount();
    offset = std::clamp(offset, 0, count);
    const ListTextEdit::Position at = edit()->positionOf(offset);
    const QString line = edit()->lineText(at.line);
    const int lineStart = offset - at.column;
    switch (boundaryType) {
    case QAccessible::NoBoundary:
        *startOffset = 0;
        *endOffset = count;
        return;
    case QAccessible::CharBoundary:
        *startOffset = offset;
        *endOffset = std::min(offset + 1, count);
        return;
    case QAccessible::WordBoundary: {
        // Words never run across a line break: the line alone is searched.
        QTextBoundaryFinder words(QTextBoundaryFinder::Word, line);
        words.setPosition(at.column);
        const qsizetype start = words.isAtBoundary() ? at.column : words.toPreviousBoundary();
        words.setPosition(at.column);
        const qsizetype end = words.toNextBoundary();
        *startOffset = lineStart + int(std::max<qsizetype>(start, 0));
        *endOffset = lineStart + int(end < 0 ? line.size() : end);
        if (*endOffset == *startOffset && *endOffset < count)
            ++*endOffset; // at a line's end: the line break
        return;
    }
    case QAccessible::SentenceBoundary:
    case QAccessible::ParagraphBoundary:
    case QAccessible::LineBoundary:
        // A line of the list, with its line break.
        *startOffset = lineStart;
        *endOffset = std::min(lineStart + int(line.size()) + 1, count);
        return;
    }
}

QString ListTextAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                         int* endOffset) const
{
    pieceAt(offset, boundaryType, startOffset, endOffset);
    return text(*startOffset, *endOffset);
}

QString ListTextAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int* startOffset, int* endOffset) const
{
    int start = 0, end = 0;
    pieceAt(offset, boundaryType, &start, &end);
    if (start <= 0) {
        *startOffset = *endOffset = 0;
        return {};
    }
    return textAtOffset(start - 1, boundaryType, startOffset, endOffset);
}

QString ListTextAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                            int* endOffset) const
{
    int start = 0, end = 0;
    pieceAt(offset, boundaryType, &start, &end);
    const int count = characterCount();
    if (end >= count) {
        *startOffset = *endOffset = count;
        return {};
    }
    return textAtOffset(end, boundaryType, startOffset, endOffset);
}

int ListTextAccessible::characterCount() const
{
    return edit()->characterCount();
}

QRect ListTextAccessible::characterRect(int offset) const
{
    const QRect inWidget = edit()->characterRect(edit()->positionOf(offset));
    return QRect(edit()->mapToGlobal(inWidget.topLeft()), inWidget.size());
}

int ListTextAccessible::offsetAtPoint(const QPoint& point) const
{
    const QPoint inWidget = edit()->mapFromGlobal(point);
    if (!edit()->rect().contains(inWidget))
        return -1;
    return edit()->offsetOf(edit()->positionAtPoint(inWidget));
}

void ListTextAccessible::scrollToSubstring(int startIndex, int)
{
    edit()->scrollToLine(edit()->positionOf(startIndex).line);
}

QString ListTextAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    // One font and colour throughout.
    *startOffset = 0;
    *endOffset = characterCount();
    (void)offset;
    return {};
}

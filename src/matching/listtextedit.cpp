#include "matching/listtextedit.h"

#include "matching/listtextaccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int Margin = 4;      // between the box's edge and the text
constexpr int UndoSteps = 1000;

// Text from the clipboard or a typed key, with its line breaks as '\n' and
// no other control characters.
QString typedText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != u'\n' && c != u'\t'; });
    return text;
}

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

ListTextEdit::ListTextEdit(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    ListTextAccessible::ensureFactory();
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    m_blink = new QTimer(this);
    m_blink->setInterval(QApplication::cursorFlashTime() > 0 ? QApplication::cursorFlashTime() / 2 : 500);
    connect(m_blink, &QTimer::timeout, this, [this] {
        m_caretShown = !m_caretShown;
        viewport()->update();
    });
    updateScrollBars();
}

void ListTextEdit::setLines(QStringList lines)
{
    // A whole list is told as one change only while a screen reader is
    // there: joining a long list's lines twice is not free.
    const bool told = QAccessible::isActive();
    const QString before = told ? text() : QString();
    m_lines = std::move(lines);
    m_lineStarts.clear();
    if (m_lines.isEmpty())
        m_lines.append(QString());
    m_longest = 0;
    for (const QString& line : std::as_const(m_lines))
        m_longest = std::max(m_longest, int(line.size()));
    m_caret = m_anchor = Position{};
    m_undo.clear();
    m_redo.clear();
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    if (told) {
        QAccessibleTextUpdateEvent update(this, 0, before, text());
        QAccessible::updateAccessibility(&update);
    }
    changed();
}

void ListTextEdit::setText(const QString& text)
{
    setLines(text.isEmpty() ? QStringList() : typedText(text).split(QLatin1Char('\n')));
}

QStringList ListTextEdit::lines() const
{
    return lineCount() == 0 ? QStringList() : m_lines;
}

QString ListTextEdit::text() const
{
    return m_lines.join(QLatin1Char('\n'));
}

int ListTextEdit::lineCount() const
{
    return m_lines.size() == 1 && m_lines.first().isEmpty() ? 0 : int(m_lines.size());
}

ListTextEdit::Position ListTextEdit::clamped(Position position) const
{
    position.line = std::clamp(position.line, 0, int(m_lines.size()) - 1);
    position.column = std::clamp(position.column, 0, int(m_lines.at(position.line).size()));
    return position;
}

QString ListTextEdit::textBetween(Position from, Position to) const
{
    if (from.line == to.line)
        return m_lines.at(from.line).mid(from.column, to.column - from.column);
    QString text = m_lines.at(from.line).mid(from.column);
    for (int line = from.line + 1; line < to.line; ++line)
        text += QLatin1Char('\n') + m_lines.at(line);
    text += QLatin1Char('\n') + m_lines.at(to.line).left(to.column);
    return text;
}

QString ListTextEdit::selectedText() const
{
    return textBetween(std::min(m_caret, m_anchor), std::max(m_caret, m_anchor));
}

ListTextEdit::Position ListTextEdit::replace(Position from, Position to, const QString& text, QVector<Edit>* inverseTo)
{
    from = clamped(from);
    to = clamped(to);
    if (to < from)
        std::swap(from, to);
    // A screen reader hears of every edit (Qt tells it only while one is there).
    const bool told = QAccessible::isActive();
    const QString removed = inverseTo || told ? textBetween(from, to) : QString();
    const int at = told ? offsetOf(from) : 0;
    m_lineStarts.clear();
    const QString prefix = m_lines.at(from.line).left(from.column);
    const QString suffix = m_lines.at(to.line).mid(to.column);
    QStringList pieces = text.split(QLatin1Char('\n'));
    const int count = int(pieces.size());
    const Position end{from.line + count - 1, int((count == 1 ? prefix.size() : 0) + pieces.last().size())};
    pieces.first().prepend(prefix);
    pieces.last().append(suffix);

    const int replaced = to.line - from.line + 1;
    const int common = std::min(replaced, count);
    for (int i = 0; i < common; ++i)
        m_lines[from.line + i] = std::move(pieces[i]);
    if (replaced > count)
        m_lines.remove(from.line + count, replaced - count);
    else if (count > replaced) {
        m_lines.insert(from.line + replaced, count - replaced, QString());
        for (int i = replaced; i < count; ++i)
            m_lines[from.line + i] = std::move(pieces[i]);
    }

    if (inverseTo) {
        inverseTo->append(Edit{from, end, removed, m_caret, m_anchor});
        if (inverseTo->size() > UndoSteps)
            inverseTo->removeFirst();
    }
    m_longest = 0;
    for (const QString& line : std::as_const(m_lines))
        m_longest = std::max(m_longest, int(line.size()));
    if (told) {
        QAccessibleTextUpdateEvent update(this, at, removed, text);
        QAccessible::updateAccessibility(&update);
    }
    return end;
}

void ListTextEdit::insert(const QString& text)
{
    const Position end = replace(std::min(m_caret, m_anchor), std::max(m_caret, m_anchor), typedText(text), &m_undo);
    m_redo.clear();
    m_caret = m_anchor = end;
    updateScrollBars();
    ensureCaretVisible();
    changed();
}

void ListTextEdit::undo()
{
    if (m_undo.isEmpty())
        return;
    const Edit edit = m_undo.takeLast();
    const Position caret = m_caret, anchor = m_anchor;
    replace(edit.from, edit.to, edit.text, &m_redo);
    m_redo.last().caretBefore = caret;
    m_redo.last().anchorBefore = anchor;
    m_caret = clamped(edit.caretBefore);
    m_anchor = clamped(edit.anchorBefore);
    updateScrollBars();
    ensureCaretVisible();
    changed();
}

void ListTextEdit::redo()
{
    if (m_redo.isEmpty())
        return;
    const Edit edit = m_redo.takeLast();
    const Position caret = m_caret, anchor = m_anchor;
    replace(edit.from, edit.to, edit.text, &m_undo);
    m_undo.last().caretBefore = caret;
    m_undo.last().anchorBefore = anchor;
    m_caret = clamped(edit.caretBefore);
    m_anchor = clamped(edit.anchorBefore);
    updateScrollBars();
    ensureCaretVisible();
    changed();
}

void ListTextEdit::copy() const
{
    if (hasSelection())
        QApplication::clipboard()->setText(selectedText());
}

void ListTextEdit::cut()
{
    if (!hasSelection())
        return;
    copy();
    insert(QString());
}

void ListTextEdit::paste()
{
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty())
        insert(text);
}

void ListTextEdit::selectAll()
{
    m_anchor = Position{};
    m_caret = Position{int(m_lines.size()) - 1, int(m_lines.last().size())};
    ensureCaretVisible();
    viewport()->update();
    caretMoved();
}

void ListTextEdit::setCaret(Position position, bool keepAnchor)
{
    moveCaret(position, keepAnchor);
}

void ListTextEdit::moveCaret(Position position, bool select)
{
    m_caret = clamped(position);
    if (!select)
        m_anchor = m_caret;
    ensureCaretVisible();
    restartBlink();
    viewport()->update();
    caretMoved();
}

void ListTextEdit::changed()
{
    restartBlink();
    viewport()->update();
    caretMoved();
    emit textChanged();
}

void ListTextEdit::caretMoved()
{
    if (!QAccessible::isActive())
        return;
    const int caret = offsetOf(m_caret);
    QAccessibleTextCursorEvent moved(this, caret);
    QAccessible::updateAccessibility(&moved);
    const int anchor = offsetOf(m_anchor);
    QAccessibleTextSelectionEvent selected(this, std::min(caret, anchor), std::max(caret, anchor));
    QAccessible::updateAccessibility(&selected);
}

int ListTextEdit::offsetOf(Position position) const
{
    position = clamped(position);
    if (m_lineStarts.size() != m_lines.size()) {
        m_lineStarts.resize(m_lines.size());
        int start = 0;
        for (int line = 0; line < m_lines.size(); ++line) {
            m_lineStarts[line] = start;
            start += int(m_lines.at(line).size()) + 1;
        }
    }
    return m_lineStarts.at(position.line) + position.column;
}

int ListTextEdit::characterCount() const
{
    return offsetOf(Position{int(m_lines.size()) - 1, int(m_lines.last().size())});
}

ListTextEdit::Position ListTextEdit::positionOf(int offset) const
{
    offsetOf(Position{}); // the line starts, worked out
    offset = std::clamp(offset, 0, characterCount());
    const auto after = std::upper_bound(m_lineStarts.cbegin(), m_lineStarts.cend(), offset);
    const int line = int(after - m_lineStarts.cbegin()) - 1;
    return clamped(Position{line, offset - m_lineStarts.at(line)});
}

QRect ListTextEdit::characterRect(Position position) const
{
    position = clamped(position);
    const QFontMetrics metrics(font());
    const QString& line = m_lines.at(position.line);
    const int width = position.column < line.size() ? metrics.horizontalAdvance(line.at(position.column)) : 1;
    const QRect inView(xOf(position) - horizontalScrollBar()->value(),
                       (position.line - firstVisibleLine()) * lineHeight(), width, lineHeight());
    return inView.translated(viewport()->pos());
}

ListTextEdit::Position ListTextEdit::positionAtPoint(const QPoint& point) const
{
    return positionAt(point - viewport()->pos());
}

void ListTextEdit::scrollToLine(int line)
{
    QScrollBar* vertical = verticalScrollBar();
    if (line < vertical->value() || line >= vertical->value() + visibleLines())
        vertical->setValue(line);
}

int ListTextEdit::lineHeight() const
{
    return std::max(1, QFontMetrics(font()).lineSpacing());
}

int ListTextEdit::visibleLines() const
{
    return std::max(1, viewport()->height() / lineHeight());
}

int ListTextEdit::firstVisibleLine() const
{
    return verticalScrollBar()->value();
}

int ListTextEdit::xOf(Position position) const
{
    return Margin + QFontMetrics(font()).horizontalAdvance(m_lines.at(position.line).left(position.column));
}

ListTextEdit::Position ListTextEdit::positionAt(const QPoint& point) const
{
    const int line = std::clamp(firstVisibleLine() + point.y() / lineHeight(), 0, int(m_lines.size()) - 1);
    const QString& text = m_lines.at(line);
    const QFontMetrics metrics(font());
    const int x = point.x() + horizontalScrollBar()->value() - Margin;
    int reached = 0;
    for (int column = 0; column < text.size(); ++column) {
        const int width = metrics.horizontalAdvance(text.at(column));
        if (x < reached + width / 2)
            return {line, column};
        reached += width;
    }
    return {line, int(text.size())};
}

void ListTextEdit::updateScrollBars()
{
    const int shown = visibleLines();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, int(m_lines.size()) - shown));
    vertical->setPageStep(shown);
    vertical->setSingleStep(1);

    const QFontMetrics metrics(font());
    const int character = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
    const int width = 2 * Margin + m_longest * character;
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, width - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(character);
}

void ListTextEdit::ensureCaretVisible()
{
    QScrollBar* vertical = verticalScrollBar();
    if (m_caret.line < vertical->value())
        vertical->setValue(m_caret.line);
    else if (m_caret.line >= vertical->value() + visibleLines())
        vertical->setValue(m_caret.line - visibleLines() + 1);

    QScrollBar* horizontal = horizontalScrollBar();
    const int x = xOf(m_caret);
    const int width = viewport()->width();
    if (x - Margin < horizontal->value())
        horizontal->setValue(std::max(0, x - width / 4));
    else if (x + Margin > horizontal->value() + width) {
        if (horizontal->maximum() < x + Margin - width)
            horizontal->setMaximum(x + Margin - width);
        horizontal->setValue(x + Margin - width + width / 4);
    }
}

void ListTextEdit::restartBlink()
{
    m_caretShown = true;
    if (hasFocus())
        m_blink->start();
}

void ListTextEdit::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette& colours = palette();
    painter.fillRect(viewport()->rect(), colours.brush(QPalette::Base));
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const int height = lineHeight();
    const int first = firstVisibleLine();
    const int last = std::min(int(m_lines.size()) - 1, first + viewport()->height() / height + 1);
    const int left = Margin - horizontalScrollBar()->value();
    const Position start = std::min(m_caret, m_anchor);
    const Position end = std::max(m_caret, m_anchor);
    const int space = metrics.horizontalAdvance(QLatin1Char(' '));

    for (int line = first; line <= last; ++line) {
        const QString& text = m_lines.at(line);
        const int top = (line - first) * height;
        const int baseline = top + metrics.ascent();
        painter.setPen(colours.color(QPalette::Text));
        painter.drawText(left, baseline, text);
        if (start == end || line < start.line || line > end.line)
            continue;
        // The selected part, in the selection's colours; a line break in
        // the selection shows as one blank's width.
        const int from = line == start.line ? start.column : 0;
        const int to = line == end.line ? end.column : int(text.size());
        const int x0 = left + metrics.horizontalAdvance(text.left(from));
        const int x1 = left + metrics.horizontalAdvance(text.left(to)) + (line < end.line ? space : 0);
        const QRect selected(x0, top, x1 - x0, height);
        painter.save();
        painter.setClipRect(selected);
        painter.fillRect(selected, colours.brush(QPalette::Highlight));
        painter.setPen(colours.color(QPalette::HighlightedText));
        painter.drawText(left, baseline, text);
        painter.restore();
    }

    if (hasFocus() && m_caretShown && m_caret.line >= first && m_caret.line <= last) {
        const int x = left + metrics.horizontalAdvance(m_lines.at(m_caret.line).left(m_caret.column));
        painter.fillRect(QRect(x, (m_caret.line - first) * height, 1, height), colours.brush(QPalette::Text));
    }
}

void ListTextEdit::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ListTextEdit::scrollContentsBy(int, int)
{
    viewport()->update();
}

void ListTextEdit::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateScrollBars();
        viewport()->update();
    }
}

ListTextEdit::Position ListTextEdit::wordStart(Position position) const
{
    const QString& text = m_lines.at(position.line);
    int column = position.column;
    while (column > 0 && !isWordCharacter(text.at(column - 1)))
        --column;
    while (column > 0 && isWordCharacter(text.at(column - 1)))
        --column;
    return {position.line, column};
}

ListTextEdit::Position ListTextEdit::wordEnd(Position position) const
{
    const QString& text = m_lines.at(position.line);
    int column = position.column;
    while (column < text.size() && isWordCharacter(text.at(column)))
        ++column;
    return {position.line, column};
}

void ListTextEdit::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::Undo)
        return undo();
    // Ctrl+Y as well, the way the clerk's other programs redo.
    if (event == QKeySequence::Redo || (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier))
        return redo();
    if (event == QKeySequence::Copy)
        return copy();
    if (event == QKeySequence::Cut)
        return cut();
    if (event == QKeySequence::Paste)
        return paste();
    if (event == QKeySequence::SelectAll)
        return selectAll();

    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const Position at = m_caret;
    const int length = int(m_lines.at(at.line).size());
    const int lastLine = int(m_lines.size()) - 1;
    const Position before = at.column > 0 ? Position{at.line, at.column - 1}
                            : at.line > 0 ? Position{at.line - 1, int(m_lines.at(at.line - 1).size())}
                                          : at;
    const Position after = at.column < length ? Position{at.line, at.column + 1}
                           : at.line < lastLine ? Position{at.line + 1, 0}
                                                : at;
    switch (event->key()) {
    case Qt::Key_Left:
        if (!shift && hasSelection())
            return moveCaret(std::min(m_caret, m_anchor), false);
        return moveCaret(control ? (at.column > 0 ? wordStart(at) : before) : before, shift);
    case Qt::Key_Right:
        if (!shift && hasSelection())
            return moveCaret(std::max(m_caret, m_anchor), false);
        return moveCaret(control && at.column < length ? wordEnd(Position{at.line, at.column + 1}) : after, shift);
    case Qt::Key_Up:
        return moveCaret({at.line - 1, at.column}, shift);
    case Qt::Key_Down:
        return moveCaret({at.line + 1, at.column}, shift);
    case Qt::Key_PageUp:
        verticalScrollBar()->setValue(verticalScrollBar()->value() - visibleLines());
        return moveCaret({at.line - visibleLines(), at.column}, shift);
    case Qt::Key_PageDown:
        verticalScrollBar()->setValue(verticalScrollBar()->value() + visibleLines());
        return moveCaret({at.line + visibleLines(), at.column}, shift);
    case Qt::Key_Home:
        return moveCaret(control ? Position{} : Position{at.line, 0}, shift);
    case Qt::Key_End:
        return moveCaret(control ? Position{lastLine, int(m_lines.last().size())} : Position{at.line, length}, shift);
    case Qt::Key_Backspace:
        if (hasSelection())
            return insert(QString());
        if (before == at)
            return;
        m_anchor = before;
        return insert(QString());
    case Qt::Key_Delete:
        if (hasSelection())
            return insert(QString());
        if (after == at)
            return;
        m_anchor = after;
        return insert(QString());
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return insert(QStringLiteral("\n"));
    default:
        break;
    }
    const QString typed = event->text();
    const bool command = (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
                         && !(event->modifiers() & Qt::AltModifier);
    if (!command && !typed.isEmpty() && std::all_of(typed.begin(), typed.end(), [](QChar c) { return c.isPrint(); }))
        return insert(typed);
    QAbstractScrollArea::keyPressEvent(event);
}

void ListTextEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_selecting = true;
    moveCaret(positionAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void ListTextEdit::mouseMoveEvent(QMouseEvent* event)
{
    if (m_selecting && (event->buttons() & Qt::LeftButton))
        moveCaret(positionAt(event->position().toPoint()), true);
    else
        m_selecting = false;
}

void ListTextEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const Position at = positionAt(event->position().toPoint());
    m_anchor = wordStart(at.column < m_lines.at(at.line).size() ? Position{at.line, at.column + 1} : at);
    m_caret = wordEnd(at);
    viewport()->update();
    caretMoved();
}

void ListTextEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Geri Al"), this, &ListTextEdit::undo)->setEnabled(canUndo());
    menu.addAction(QStringLiteral("Yinele"), this, &ListTextEdit::redo)->setEnabled(canRedo());
    menu.addSeparator();
    menu.addAction(QStringLiteral("Kes"), this, &ListTextEdit::cut)->setEnabled(hasSelection());
    menu.addAction(QStringLiteral("Kopyala"), this, &ListTextEdit::copy)->setEnabled(hasSelection());
    menu.addAction(QStringLiteral("Yapıştır"), this, &ListTextEdit::paste)
        ->setEnabled(!QApplication::clipboard()->text().isEmpty());
    menu.addAction(QStringLiteral("Sil"), this, [this] { insert(QString()); })->setEnabled(hasSelection());
    menu.addSeparator();
    menu.addAction(QStringLiteral("Tümünü Seç"), this, &ListTextEdit::selectAll);
    menu.exec(event->globalPos());
}

void ListTextEdit::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    viewport()->update();
}

void ListTextEdit::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_blink->stop();
    viewport()->update();
}

void ListTextEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty())
        insert(event->commitString());
    event->accept();
}

QVariant ListTextEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle: {
        const int top = (m_caret.line - firstVisibleLine()) * lineHeight();
        const QRect caret(xOf(m_caret) - horizontalScrollBar()->value(), top, 1, lineHeight());
        return caret.translated(viewport()->pos());
    }
    case Qt::ImSurroundingText:
        return m_lines.at(m_caret.line);
    case Qt::ImCursorPosition:
        return m_caret.column;
    case Qt::ImAnchorPosition:
        return m_anchor.line == m_caret.line ? m_anchor.column : m_caret.column;
    case Qt::ImCurrentSelection:
        return selectedText();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

#pragma once

#include <QComboBox>
#include <QPointer>

#include "platform/engine/dataset.h"


// A lookup drop-down bound to no record: it offers the names of one field of a
// dataset, read afresh each time it opens (so a name added a moment ago is
// there), and only a listed name can be picked. value() is the picked name,
// the empty text until one is picked; Delete or Backspace clears it again.
class LookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit LookupComboBox(QWidget* parent = nullptr);

    void setSource(Dataset* source, const QString& nameField);
    QString value() const { return m_value; }
    // Picks a name as the user would; a name not on offer is refused.
    bool pick(const QString& name);
    void clearValue();
    QStringList offered() const;

    void showPopup() override;

signals:
    void valueChanged(const QString& value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

    // What the box shows, and what becomes of a pick (a name, or the empty
    // text on Delete): kept here, or, in a bound box, the record's field.
    virtual QString shownName() const { return m_value; }
    virtual void choose(const QString& name) { setValue(name); }
    void reloadNames();
    void showValue();
    // Typing the start of a name moves to the first name that begins with it,
    // Turkish letters folded as the searches fold them ("ist" finds İstanbul,
    // "cank" Çankaya); the typed start grows while keys follow each other.
    bool jumpToTyped(const QString& typed);

private:
    QString m_typed;
    qint64 m_lastKeyAt = 0;
    void setValue(const QString& value);

    QPointer<Dataset> m_source;
    QString m_nameField;
    QString m_value;
};

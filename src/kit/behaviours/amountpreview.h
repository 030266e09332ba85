#pragma once

#include <QObject>
#include <QPointer>

class QLabel;
class QLineEdit;

// A price-bound edit with a preview label beside it. After every key release in the
// edit: with fewer than 4 characters the label is disabled and hidden; otherwise it is
// made visible and enabled, then shows the edit's text as a number grouped in thousands
// ("1234" -> "1.234" in Turkish). Text that is no number (only possible by pasting) is
// reported through the application's error reporter and the label keeps its previous
// text. The label hides when the edit loses the focus; it is hidden at start.
class AmountPreview : public QObject {
    Q_OBJECT
public:
    static AmountPreview* install(QLineEdit* edit, QLabel* preview);

    // The key-release step, callable on its own.
    void refresh();

    QLineEdit* edit() const { return m_edit; }
    QLabel* preview() const { return m_preview; }

    // The message for text that is no number.
    static QString notANumberMessage(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AmountPreview(QLineEdit* edit, QLabel* preview);

    QPointer<QLineEdit> m_edit;
    QPointer<QLabel> m_preview;
};

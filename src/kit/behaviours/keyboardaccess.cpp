#include "kit/behaviours/keyboardaccess.h"

#include "kit/behaviours/pressbutton.h"
#include "platform/controls/dbnavigator.h"

#include <QComboBox>
#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QShortcut>
#include <QToolButton>
#include <QToolTip>
#include <QVariant>

Q_DECLARE_METATYPE(QList<QKeySequence>)

namespace KeyboardAccess {

namespace {

const char* const KeysProperty = "evloraKeys";

QList<QKeySequence> keys(std::initializer_list<QKeyCombination> combinations)
{
    QList<QKeySequence> list;
    for (const QKeyCombination c : combinations)
        list << QKeySequence(c);
    return list;
}

// Shows a control's keys with its hint when the tooltip is asked for.
class KeyTooltip final : public QObject {
public:
    using QObject::QObject;

    static void install(QWidget* control)
    {
        if (!control->findChild<KeyTooltip*>(QString(), Qt::FindDirectChildrenOnly))
            control->installEventFilter(new KeyTooltip(control));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip)
            return false;
        auto* control = static_cast<QWidget*>(watched);
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), shownTooltip(control), control);
        return true;
    }
};

bool isPlainEnter(const QKeyEvent* key)
{
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    return (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Enter in a criterion runs the search. A drop-down's own handling of Enter
// (taking the typed name) comes first; the search follows once it is done.
class SearchOnEnter final : public QObject {
public:
    // `find` is the control that searches: while it is hidden or disabled,
    // Enter is left to the criterion.
    SearchOnEnter(QObject* parent, QWidget* find, std::function<void()> run)
        : QObject(parent), m_find(find), m_run(std::move(run))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !isPlainEnter(static_cast<QKeyEvent*>(event)) || !m_find
            || !m_find->isEnabled())
            return false;
        if (qobject_cast<QComboBox*>(watched)) {
            QPointer<QWidget> find = m_find;
            QMetaObject::invokeMethod(this, [this, find] { if (find) m_run(); }, Qt::QueuedConnection);
            return false;
        }
        m_run();
        return true;
    }

private:
    QPointer<QWidget> m_find;
    std::function<void()> m_run;
};

} // namespace

namespace Keys {
QList<QKeySequence> first() { return keys({Qt::ALT | Qt::Key_Home}); }
QList<QKeySequence> prior() { return keys({Qt::CTRL | Qt::Key_PageUp}); }
QList<QKeySequence> next() { return keys({Qt::CTRL | Qt::Key_PageDown}); }
QList<QKeySequence> last() { return keys({Qt::ALT | Qt::Key_End}); }
QList<QKeySequence> insert() { return keys({QKeyCombination(Qt::Key_Insert), Qt::CTRL | Qt::Key_N}); }
QList<QKeySequence> remove() { return keys({Qt::CTRL | Qt::Key_Delete}); }
QList<QKeySequence> edit() { return keys({QKeyCombination(Qt::Key_F2)}); }
QList<QKeySequence> post() { return keys({Qt::CTRL | Qt::Key_S}); }
QList<QKeySequence> cancel() { return keys({QKeyCombination(Qt::Key_Escape)}); }
QList<QKeySequence> refresh() { return keys({QKeyCombination(Qt::Key_F5)}); }
QList<QKeySequence> close() { return keys({QKeyCombination(Qt::Key_Escape)}); }
QList<QKeySequence> minimise() { return keys({Qt::CTRL | Qt::Key_M}); }
QList<QKeySequence> quit() { return keys({Qt::CTRL | Qt::Key_Q}); }
} // namespace Keys

QList<QKeySequence> forCaption(const QString& caption)
{
    static const QList<QPair<QString, QList<QKeySequence>>> table{
        {QStringLiteral("Bul"), keys({QKeyCombination(Qt::Key_F3)})},
        {QStringLiteral("Yazdır"), keys({Qt::CTRL | Qt::Key_P})},
        {QStringLiteral("Kaydet"), keys({Qt::CTRL | Qt::Key_S})},
        {QStringLiteral("Excel'e Aktar"), keys({Qt::CTRL | Qt::Key_E})},
        {QStringLiteral("CSV olarak kaydet"), keys({Qt::CTRL | Qt::SHIFT | Qt::Key_E})},
        {QStringLiteral("Liste"), keys({Qt::CTRL | Qt::Key_L})},
        {QStringLiteral("Tümünü Göster"), keys({Qt::CTRL | Qt::Key_T})},
        {QStringLiteral("Karşılaştır"), keys({Qt::CTRL | Qt::Key_K})},
        {QStringLiteral("Emlak Sahibini Göster"), keys({Qt::CTRL | Qt::Key_E})},
        {QStringLiteral("Emlak Sahibini Gösterme"), keys({Qt::CTRL | Qt::Key_E})},
        {QStringLiteral("Yakın Sonuçlar"), keys({Qt::CTRL | Qt::Key_Y})},
        {QStringLiteral("Müşteriler"), keys({Qt::CTRL | Qt::Key_U})},
        {QStringLiteral("İlandan"), keys({Qt::CTRL | Qt::Key_I})},
        {QStringLiteral("Aranacaklar"), keys({Qt::CTRL | Qt::Key_R})},
        {QStringLiteral("Çıkış"), Keys::close()},
    };
    for (const auto& [text, sequence] : table)
        if (text == caption)
            return sequence;
    return {};
}

void showKeys(QWidget* control, const QList<QKeySequence>& sequence)
{
    if (!control || sequence.isEmpty())
        return;
    control->setProperty(KeysProperty, QVariant::fromValue(sequence));
    KeyTooltip::install(control);
}

QShortcut* bind(QWidget* control, const QList<QKeySequence>& sequence, std::function<void()> run)
{
    if (!control || sequence.isEmpty())
        return nullptr;
    auto* shortcut = new QShortcut(control);
    shortcut->setKeys(sequence);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, control, std::move(run));
    showKeys(control, sequence);
    return shortcut;
}

void bind(PressButton* button, const QList<QKeySequence>& sequence)
{
    QPointer<PressButton> target(button);
    bind(button, sequence, [target] {
        if (target)
            target->activate();
    });
}

QList<QKeySequence> keysOf(const QWidget* control)
{
    return control ? control->property(KeysProperty).value<QList<QKeySequence>>() : QList<QKeySequence>{};
}

QString shownTooltip(const QWidget* control)
{
    if (!control)
        return {};
    QStringList names;
    for (const QKeySequence& key : keysOf(control))
        names << key.toString(QKeySequence::NativeText);
    const QString shown = names.join(QStringLiteral(", "));
    const QString hint = control->toolTip();
    if (shown.isEmpty())
        return hint;
    return hint.isEmpty() ? shown : QStringLiteral("%1 (%2)").arg(hint, shown);
}

void bindNavigator(DbNavigator* navigator)
{
    if (!navigator)
        return;
    using Button = DbNavigator::Button;
    const QList<QPair<Button, QList<QKeySequence>>> table{
        {DbNavigator::First, Keys::first()},   {DbNavigator::Prior, Keys::prior()},
        {DbNavigator::Next, Keys::next()},     {DbNavigator::Last, Keys::last()},
        {DbNavigator::Insert, Keys::insert()}, {DbNavigator::Delete, Keys::remove()},
        {DbNavigator::Edit, Keys::edit()},     {DbNavigator::Post, Keys::post()},
        {DbNavigator::Refresh, Keys::refresh()},
    };
    QPointer<DbNavigator> target(navigator);
    for (const auto& [which, sequence] : table) {
        const Button pressed = which;
        bind(navigator->button(which), sequence, [target, pressed] {
            if (target)
                target->press(pressed);
        });
    }
    // Escape is the screen's key: it cancels the edit there.
    showKeys(navigator->button(DbNavigator::Cancel), Keys::cancel());
}

void searchOnEnter(const QList<QWidget*>& criteria, PressButton* find)
{
    QPointer<PressButton> button = find;
    searchOnEnter(criteria, find, [button] {
        if (button)
            button->activate();
    });
}

void searchOnEnter(const QList<QWidget*>& criteria, QWidget* find, const std::function<void()>& run)
{
    for (QWidget* control : criteria) {
        if (!control)
            continue;
        // A drop-down takes its keys itself and hands them to its text directly.
        control->installEventFilter(new SearchOnEnter(control, find, run));
    }
}

} // namespace KeyboardAccess

#include "kit/behaviours/ownerpaneltoggle.h"

#include "kit/behaviours/entertonextfield.h"
#include "kit/behaviours/pressbutton.h"

#include <QApplication>
#include <QPointer>

namespace {

const char* const CoveredPolicy = "evloraFocusBeforeCovered";

// The controls lying under the panel: its earlier siblings whose middle it covers.
QList<QWidget*> coveredBy(QWidget* panel)
{
    QList<QWidget*> covered;
    QWidget* holder = panel->parentWidget();
    if (!holder)
        return covered;
    const auto siblings = holder->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* sibling : siblings) {
        if (sibling == panel || sibling->isWindow())
            continue;
        if (panel->geometry().contains(sibling->geometry().center()))
            covered << sibling;
    }
    return covered;
}

} // namespace

void OwnerPanelToggle::install(LabelButton* button, QWidget* coveringPanel)
{
    if (!button || !coveringPanel)
        return;
    if (button->text().isEmpty())
        button->setText(showCaption());
    QPointer<QWidget> panel(coveringPanel);
    setCovered(coveringPanel, coveringPanel->isVisibleTo(coveringPanel->parentWidget()));
    QObject::connect(button, &PressButton::activated, button, [button, panel] {
        if (panel)
            toggle(button, panel);
    });
}

void OwnerPanelToggle::toggle(LabelButton* button, QWidget* coveringPanel)
{
    // The caption alone decides, exactly as it reads.
    if (button->text() == showCaption()) {
        coveringPanel->hide();
        setCovered(coveringPanel, false);
        button->setText(hideCaption());
    } else {
        coveringPanel->show();
        setCovered(coveringPanel, true);
        button->setText(showCaption());
    }
}

void OwnerPanelToggle::setCovered(QWidget* coveringPanel, bool covered)
{
    for (QWidget* control : coveredBy(coveringPanel)) {
        const QVariant before = control->property(CoveredPolicy);
        if (covered && !before.isValid()) {
            if (control->focusPolicy() == Qt::NoFocus)
                continue;
            control->setProperty(CoveredPolicy, int(control->focusPolicy()));
            control->setFocusPolicy(Qt::NoFocus);
            // A covered field keeps no focus for the keys to type into unseen.
            if (control->hasFocus() || control->isAncestorOf(QApplication::focusWidget()))
                EnterToNextField::focusNextField(control);
        } else if (!covered && before.isValid()) {
            control->setFocusPolicy(Qt::FocusPolicy(before.toInt()));
            control->setProperty(CoveredPolicy, QVariant());
        }
    }
}

#include "kit/behaviours/ownerpaneltoggle.h"

#include "kit/behaviours/pressbutton.h"

#include <QPointer>

void OwnerPanelToggle::install(LabelButton* button, QWidget* coveringPanel)
{
    if (!button || !coveringPanel)
        return;
    if (button->text().isEmpty())
        button->setText(showCaption());
    QPointer<QWidget> panel(coveringPanel);
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
        button->setText(hideCaption());
    } else {
        coveringPanel->show();
        button->setText(showCaption());
    }
}

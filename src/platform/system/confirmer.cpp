#include "platform/system/confirmer.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace {

class DialogConfirmer final : public Confirmer {
public:
    bool confirm(QWidget* parent, const QString& question) override
    {
        QWidget* owner = parent ? parent->window() : nullptr;
        return QMessageBox::question(owner, QApplication::applicationDisplayName(), question,
                                     QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel)
            == QMessageBox::Ok;
    }
};

Confirmer* replacementConfirmer = nullptr;

} // namespace

Confirmer& confirmer()
{
    static DialogConfirmer real;
    return replacementConfirmer ? *replacementConfirmer : real;
}

void setConfirmer(Confirmer* replacement)
{
    replacementConfirmer = replacement;
}

#include "platform/system/confirmer.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
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

    SaveChoice askToSave(QWidget* parent, const QString& question) override
    {
        QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), question,
                        QMessageBox::NoButton, parent ? parent->window() : nullptr);
        QPushButton* save = box.addButton(QStringLiteral("Evet"), QMessageBox::YesRole);
        QPushButton* discard = box.addButton(QStringLiteral("Hayır"), QMessageBox::NoRole);
        QPushButton* stay = box.addButton(QStringLiteral("Vazgeç"), QMessageBox::RejectRole);
        box.setDefaultButton(save);
        box.setEscapeButton(stay);
        box.exec();
        if (box.clickedButton() == save)
            return SaveChoice::Save;
        if (box.clickedButton() == discard)
            return SaveChoice::Discard;
        return SaveChoice::Stay;
    }
};

Confirmer* replacementConfirmer = nullptr;

} // namespace

Confirmer::SaveChoice Confirmer::askToSave(QWidget* parent, const QString& question)
{
    return confirm(parent, question) ? SaveChoice::Save : SaveChoice::Stay;
}

Confirmer& confirmer()
{
    static DialogConfirmer real;
    return replacementConfirmer ? *replacementConfirmer : real;
}

void setConfirmer(Confirmer* replacement)
{
    replacementConfirmer = replacement;
}

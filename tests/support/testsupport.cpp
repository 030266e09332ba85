#include "support/testsupport.h"

#include <QLocale>

void useTurkishLocale()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
}

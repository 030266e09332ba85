#include "data/shippeddata.h"

namespace ShippedData {

const QStringList& provinces()
{
    // In the order of their licence-plate codes, 01 to 81.
    static const QStringList names{
        QStringLiteral("Adana"),      QStringLiteral("Adıyaman"),   QStringLiteral("Afyonkarahisar"),
        QStringLiteral("Ağrı"),       QStringLiteral("Amasya"),     QStringLiteral("Ankara"),
        QStringLiteral("Antalya"),    QStringLiteral("Artvin"),     QStringLiteral("Aydın"),
        QStringLiteral("Balıkesir"),  QStringLiteral("Bilecik"),    QStringLiteral("Bingöl"),
        QStringLiteral("Bitlis"),     QStringLiteral("Bolu"),       QStringLiteral("Burdur"),
        QStringLiteral("Bursa"),      QStringLiteral("Çanakkale"),  QStringLiteral("Çankırı"),
        QStringLiteral("Çorum"),      QStringLiteral("Denizli"),    QStringLiteral("Diyarbakır"),
        QStringLiteral("Edirne"),     QStringLiteral("Elazığ"),     QStringLiteral("Erzincan"),
        QStringLiteral("Erzurum"),    QStringLiteral("Eskişehir"),  QStringLiteral("Gaziantep"),
        QStringLiteral("Giresun"),    QStringLiteral("Gümüşhane"),  QStringLiteral("Hakkari"),
        QStringLiteral("Hatay"),      QStringLiteral("Isparta"),    QStringLiteral("Mersin"),
        QStringLiteral("İstanbul"),   QStringLiteral("İzmir"),      QStringLiteral("Kars"),
        QStringLiteral("Kastamonu"),  QStringLiteral("Kayseri"),    QStringLiteral("Kırklareli"),
        QStringLiteral("Kırşehir"),   QStringLiteral("Kocaeli"),    QStringLiteral("Konya"),
        QStringLiteral("Kütahya"),    QStringLiteral("Malatya"),    QStringLiteral("Manisa"),
        QStringLiteral("Kahramanmaraş"), QStringLiteral("Mardin"),  QStringLiteral("Muğla"),
        QStringLiteral("Muş"),        QStringLiteral("Nevşehir"),   QStringLiteral("Niğde"),
        QStringLiteral("Ordu"),       QStringLiteral("Rize"),       QStringLiteral("Sakarya"),
        QStringLiteral("Samsun"),     QStringLiteral("Siirt"),      QStringLiteral("Sinop"),
        QStringLiteral("Sivas"),      QStringLiteral("Tekirdağ"),   QStringLiteral("Tokat"),
        QStringLiteral("Trabzon"),    QStringLiteral("Tunceli"),    QStringLiteral("Şanlıurfa"),
        QStringLiteral("Uşak"),       QStringLiteral("Van"),        QStringLiteral("Yozgat"),
        QStringLiteral("Zonguldak"),  QStringLiteral("Aksaray"),    QStringLiteral("Bayburt"),
        QStringLiteral("Karaman"),    QStringLiteral("Kırıkkale"),  QStringLiteral("Batman"),
        QStringLiteral("Şırnak"),     QStringLiteral("Bartın"),     QStringLiteral("Ardahan"),
        QStringLiteral("Iğdır"),      QStringLiteral("Yalova"),     QStringLiteral("Karabük"),
        QStringLiteral("Kilis"),      QStringLiteral("Osmaniye"),   QStringLiteral("Düzce"),
    };
    return names;
}

const QStringList& propertyKinds()
{
    // "Daire", "Arsa" and "Arazi" mean flats and land to the matching; the
    // others are matched by name against the property registers.
    static const QStringList names{
        QStringLiteral("Daire"),       QStringLiteral("Arsa"),        QStringLiteral("Arazi"),
        QStringLiteral("Dükkan"),      QStringLiteral("Büro"),        QStringLiteral("Ofis"),
        QStringLiteral("Depo"),        QStringLiteral("Müstakil Ev"), QStringLiteral("Villa"),
        QStringLiteral("Yazlık"),      QStringLiteral("İşyeri"),      QStringLiteral("Fabrika"),
        QStringLiteral("Atölye"),      QStringLiteral("Rezidans"),
    };
    return names;
}

const QStringList& districts()
{
    static const QStringList names{
        QStringLiteral("Ataşehir"),  QStringLiteral("Bakırköy"),  QStringLiteral("Beşiktaş"),
        QStringLiteral("Beyoğlu"),   QStringLiteral("Fatih"),     QStringLiteral("Kadıköy"),
        QStringLiteral("Kartal"),    QStringLiteral("Maltepe"),   QStringLiteral("Sarıyer"),
        QStringLiteral("Şişli"),     QStringLiteral("Üsküdar"),   QStringLiteral("Bahçelievler"),
    };
    return names;
}

} // namespace ShippedData

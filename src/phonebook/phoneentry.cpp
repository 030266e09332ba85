#include "phonebook/phoneentry.h"

#include "kit/screenkit.h"
#include "platform/controls/dbcombobox.h"
#include "platform/controls/dbmemo.h"
#include "platform/controls/dbnavigator.h"

namespace {

// 640 × 380: title band 44 px, the navigator under it, the fields in one
// column on the left, the photograph on the right, the two memos across the
// bottom. No footer.
const FormColumn Fields{.x = 12, .captionWidth = 100, .controlWidth = 200, .top = 88, .pitch = 26};
const QRect PictureCaption(330, 88, 56, 21);
const QRect PictureFrame(390, 88, 238, 177);
constexpr int Right = 628;

} // namespace

const FormPlan& PhoneEntry::plan()
{
    static const FormPlan plan{
        .window = ScreenKit::standardWindow(QStringLiteral("PhoneEntry"), QStringLiteral("Kayıt Girişi"),
                                            QSize(640, 380)),
        .table = QStringLiteral("tel.db"),
        .rows =
            {
                Fields.row(0, QStringLiteral("Ad"), QStringLiteral("Ad")),
                Fields.row(1, QStringLiteral("Soyad"), QStringLiteral("Soyad")),
                Fields.row(2, QStringLiteral("Telefon"), QStringLiteral("Telefon")),
                Fields.row(3, QStringLiteral("Cep Telefonu"), QStringLiteral("Ceptel")),
                Fields.row(4, QStringLiteral("İkinci Telefon"), QStringLiteral("Ikincitel")),
                Fields.row(5, QStringLiteral("Faks"), QStringLiteral("Faks")),
                Fields.row(6, QStringLiteral("İl"), QStringLiteral("Il")),
                FormRow{.caption = QStringLiteral("Resim"),
                        .field = QStringLiteral("Resim"),
                        .captionRect = PictureCaption,
                        .controlRect = PictureFrame},
                Fields.memo(276, Right, 44, QStringLiteral("Adres"), QStringLiteral("Adres")),
                Fields.memo(326, Right, 44, QStringLiteral("Açıklama"), QStringLiteral("Aciklama")),
            },
        .navigator = QRect(12, 52, Right - 12, 25),
        .navigatorHints = DbNavigator::turkishHints(),
        .cornerPictures = true,
    };
    return plan;
}

PhoneEntry::PhoneEntry(Screens& screens) : FormEntry(screens, plan()) {}

DbImage* PhoneEntry::picture() const
{
    return qobject_cast<DbImage*>(control(QStringLiteral("Resim")));
}

DbLookupComboBox* PhoneEntry::provinceLookup() const
{
    return qobject_cast<DbLookupComboBox*>(control(QStringLiteral("Il")));
}

#include "logs/dealfromlisting.h"

#include "kit/behaviours/pressbutton.h"
#include "kit/screenkit.h"
#include "kit/screens.h"
#include "logs/dealentry.h"
#include "matching/findingswindow.h"
#include "matching/matchrules.h"
#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/rowstream.h"
#include "platform/engine/table.h"
#include "platform/system/confirmer.h"
#include "platform/system/errorreporter.h"

#include <QLocale>

#include <optional>

using namespace Matching;

namespace DealFromListing {

const QList<QPair<QString, QString>>& copiedFields()
{
    static const QList<QPair<QString, QString>> fields{
        {QStringLiteral("Semt"), QStringLiteral("Semtadi")},
        {QStringLiteral("Fiyati"), QStringLiteral("Fiyati")},
        {QStringLiteral("Malsahibi"), QStringLiteral("Isim")},
        {QStringLiteral("Telmalsahibi"), QStringLiteral("Telefon")},
        {QStringLiteral("Adres"), QStringLiteral("Adres")},
    };
    return fields;
}

bool copyListing(Database& db, const QString& listings, qint64 key, Table& deal)
{
    QStringList columns;
    for (const auto& [dealField, listingField] : copiedFields())
        columns << listingField;
    RowStream row(db, Statement(listings).where(QStringLiteral("\"No\" = ?"), {key}), columns);
    if (!row.next())
        return false;
    for (int c = 0; c < columns.size(); ++c) {
        const QString& field = copiedFields().at(c).first;
        // A number goes in as a number; an empty field leaves the deal's empty.
        if (row.isNull(c))
            deal.setText(field, QString());
        else if (row.field(c).isNumeric())
            deal.setValue(field, row.value(c));
        else
            deal.setText(field, row.text(c));
    }
    return true;
}

QString markListing(const Screens& screens, const QString& entryScreen, qint64 key, const QString& status)
{
    auto* owner = dynamic_cast<CursorOwner*>(screens.find(entryScreen));
    Table* cursor = owner ? owner->cursor() : nullptr;
    if (!cursor || !cursor->isActive())
        return QStringLiteral("İlanın giriş ekranı açık değil; ilan işaretlenmedi.");
    if (cursor->isEditing())
        return QStringLiteral("İlanın giriş ekranında kaydedilmemiş bir değişiklik var; önce onu kaydedin ya da "
                              "iptal edin. İlan işaretlenmedi.");
    if (!cursor->locate(QStringLiteral("No"), key))
        return QStringLiteral("İlan artık kayıtlı değil; işaretlenmedi.");
    try {
        cursor->edit();
        cursor->setText(QStringLiteral("Durum"), status);
        cursor->post();
    } catch (const DataError& error) {
        if (cursor->isEditing())
            cursor->cancel();
        return error.message();
    }
    return QString();
}

namespace {

const QString PickerName = QStringLiteral("ListingPicker");

class DealAction final : public QObject {
public:
    DealAction(DealEntry* entry, Screens& screens, Register where)
        : QObject(entry), m_entry(entry), m_screens(screens), m_where(where)
    {
        Table* deal = entry->cursor();
        connect(deal, &Table::afterPost, this, &DealAction::offerToMark);
        connect(deal, &Table::afterCancel, this, [this] { m_listing.reset(); });
    }

    void showPicker()
    {
        if (!m_picker) {
            m_picker = new FindingsWindow(m_screens, PickerName, QStringLiteral("İlandan Doldur"), m_entry);
            m_picker->pickWith([this](const FoundRow& row) { fillFrom(row.key); });
        }
        fillPicker();
        m_picker->show();
        m_picker->raise();
        m_picker->activateWindow();
    }

    FindingsWindow* picker() const { return m_picker; }

private:
    // The available listings, in the deal's district once one is given.
    void fillPicker()
    {
        const RegisterRule& r = rule(m_where);
        const QString district = m_entry->cursor()->isActive() ? m_entry->cursor()->text(QStringLiteral("Semt"))
                                                                 : QString();
        Statement listings(r.table);
        listings.where(QStringLiteral("\"Durum\" = ?"), {Statement::text(r.availableStatus)});
        if (!district.isEmpty())
            listings.where(QStringLiteral("\"Semtadi\" = ?"), {Statement::text(district)});
        QList<FoundRow> rows;
        bool more = false;
        try {
            RowStream found(m_screens.database(), listings,
                            {QStringLiteral("No"), QStringLiteral("Semtadi"), QStringLiteral("Metre2"),
                             QStringLiteral("Fiyati"), QStringLiteral("Oda"), QStringLiteral("Kat"),
                             QStringLiteral("Adres")});
            while (found.next()) {
                if (rows.size() == PickLimit) {
                    more = true;
                    break;
                }
                rows << FoundRow{.screen = r.entryScreen,
                                 .key = found.integer(0),
                                 .cells = {found.text(1), found.text(2), found.text(3), found.text(4), found.text(5),
                                           found.text(6).simplified()}};
            }
        } catch (const DataError& error) {
            reportDataError(m_picker, error.message());
        }
        // The owner stays behind the entry screen's panel, as everywhere: the
        // flat is told by where it is and what it is.
        m_picker->setRows({QStringLiteral("Semt"), QStringLiteral("M²"), QStringLiteral("Fiyat"), QStringLiteral("Oda"),
                           QStringLiteral("Kat"), QStringLiteral("Adres")},
                          rows);
        QString where = QLocale(QLocale::Turkish).toLower(r.caption);
        if (!district.isEmpty())
            where += QStringLiteral(", ") + district;
        QString notice = QStringLiteral("\"%1\" durumdaki %2: %3 ilan.")
                             .arg(r.availableStatus, where, QLocale().toString(qlonglong(rows.size())));
        if (more)
            notice = QStringLiteral("\"%1\" durumdaki %2: ilk %3 ilan; daha azı için önce Semt'i seçin.")
                         .arg(r.availableStatus, where, QLocale().toString(PickLimit));
        m_picker->setNotice(notice + QStringLiteral(" Çift tıklanan ilan bu kayda aktarılır."));
    }

    void fillFrom(qint64 key)
    {
        Table* deal = m_entry->cursor();
        try {
            if (!deal->isEditing())
                deal->append();
            if (!copyListing(m_screens.database(), rule(m_where).table, key, *deal)) {
                errorReporter().report(m_picker, QStringLiteral("İlan artık kayıtlı değil."));
                return;
            }
        } catch (const DataError& error) {
            reportDataError(m_entry, error.message());
            return;
        }
        m_listing = key;
        m_picker->hide();
        m_entry->show();
        m_entry->raise();
        m_entry->activateWindow();
    }

    // After the deal filled from a listing is posted.
    void offerToMark()
    {
        const auto key = std::exchange(m_listing, std::nullopt);
        if (!key)
            return;
        const RegisterRule& r = rule(m_where);
        const QString status = m_entry->twin().closedStatus;
        if (!confirmer().confirm(m_entry, QStringLiteral("Kayıt, %1 listesindeki ilandan dolduruldu. O ilan "
                                                         "\"%2\" olarak işaretlensin mi?")
                                              .arg(r.caption, status)))
            return;
        const QString failure = markListing(m_screens, r.entryScreen, *key, status);
        if (!failure.isEmpty())
            errorReporter().report(m_entry, failure);
    }

    DealEntry* m_entry;
    Screens& m_screens;
    const Register m_where;
    FindingsWindow* m_picker = nullptr;
    std::optional<qint64> m_listing; // the listing the pending deal was filled from
};

DealAction* actionOf(const DealEntry* entry)
{
    return dynamic_cast<DealAction*>(entry->findChild<QObject*>(QStringLiteral("DealFromListing"),
                                                                Qt::FindDirectChildrenOnly));
}

} // namespace

LabelButton* install(DealEntry* entry, Screens& screens)
{
    const auto where = registerOf(entry->twin().listings);
    if (!where)
        return nullptr;
    auto* action = new DealAction(entry, screens, *where);
    action->setObjectName(QStringLiteral("DealFromListing"));
    LabelButton* button =
        ScreenKit(entry).action(QStringLiteral("LabelIlandan"), QStringLiteral("İlandan"), QRect(305, 269, 85, 24));
    button->setToolTip(QStringLiteral("Kaydı %1 listesinden seçilen bir ilanla doldur").arg(rule(*where).caption));
    framedByItself(entry, button);
    QObject::connect(button, &LabelButton::activated, action, &DealAction::showPicker);
    return button;
}

FindingsWindow* picker(const DealEntry* entry)
{
    const DealAction* action = actionOf(entry);
    return action ? action->picker() : nullptr;
}

} // namespace DealFromListing

#include "search/requestlist.h"

#include "kit/behaviours/pressbutton.h"
#include "kit/screenkit.h"
#include "kit/screens.h"
#include "data/catalogue.h"
#include "platform/engine/statement.h"

#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int LeftCaption = 96;
constexpr int LeftWidth = 216;
constexpr int MiddleX = 250;
constexpr int MiddleCaption = 70;
constexpr int FirstRow = 24;
constexpr int SecondRow = 64;
const QList<int> FooterWidths{90, 170, 90, 90}; // "Bul", "Tümünü Göster", "Yazdır", "Karşılaştır"

SearchSetup requestSearch()
{
    SearchSetup setup;
    setup.programName = RequestList::programName();
    setup.caption = QStringLiteral("Müşteri Talepleri");
    setup.size = QSize(640, 480);
    setup.table = QStringLiteral("musteritalepleri");
    setup.districtField = QStringLiteral("Semtadi");
    setup.statusItems = Catalogue::Lists::RequestStatus;
    setup.statusItems << QStringLiteral("Tümü");
    setup.columns = RequestList::columns();
    setup.entryScreen = QStringLiteral("RequestEntry");
    setup.report = QStringLiteral("RequestListReport");
    return setup;
}

} // namespace

const QString& RequestList::programName()
{
    static const QString name = QStringLiteral("RequestList");
    return name;
}

const QStringList& RequestList::options()
{
    static const QStringList items{QStringLiteral("Semt Adına Göre"),      QStringLiteral("Fiyata Göre"),
                                   QStringLiteral("Metre Kareye Göre"),    QStringLiteral("Semt ve Fiyata Göre"),
                                   QStringLiteral("Semt ve Metreye Göre"), QStringLiteral("Fiyat ve Metreye Göre"),
                                   QStringLiteral("Tümüne Göre")};
    return items;
}

const QList<DatasetModel::Column>& RequestList::columns()
{
    static const QList<DatasetModel::Column> grid{
        {QStringLiteral("Isim"), QString()},
        {QStringLiteral("Emlak"), QString()},
        {QStringLiteral("Semtadi"), QStringLiteral("Semt Adı")},
        {QStringLiteral("IlkMetre2"), QStringLiteral("Ilk Metre2")},
        {QStringLiteral("Ikincimetre2"), QStringLiteral("İkinci metre2")},
        {QStringLiteral("Fiyatilkdeger"), QStringLiteral("Fiyat İlk Değer")},
        {QStringLiteral("Ikincifiyat"), QStringLiteral("İkinci Fiyat")},
        {QStringLiteral("Isisistemi"), QStringLiteral("Isı Sistemi")},
        {QStringLiteral("Kat"), QString()},
        {QStringLiteral("Oda"), QString()},
    };
    return grid;
}

RequestList::RequestList(Screens& screens) : SearchScreen(screens, requestSearch())
{
    const int top = criteriaTop();
    m_price = boundEdit(QStringLiteral("Edit1"), QStringLiteral("Fiyat Değeri"),
                        QRect(Margin, top + FirstRow, LeftWidth, 0), LeftCaption, 17);
    m_pricePreview = previewBeneath(m_price, Margin);
    squareMetres(QPoint(Margin, top + SecondRow + 3));
    m_area = boundEdit(QStringLiteral("Edit2"), QStringLiteral("Değeri"),
                       QRect(Margin + 34, top + SecondRow, LeftWidth - 34, 0), LeftCaption - 34, 10);

    const int optionsX = width() - Margin - OptionsWidth;
    const int middleWidth = optionsX - 14 - MiddleX;
    buildCriteria({m_price, m_area}, options(), QRect(MiddleX, top + FirstRow, middleWidth, 0),
                  QRect(MiddleX, top + SecondRow, middleWidth, 0),
                  QRect(optionsX, top + FirstRow, OptionsWidth, OptionsHeight), MiddleCaption, FooterWidths);
    m_compare = ScreenKit(this).action(QStringLiteral("LabelKarsilastir"), QStringLiteral("Karşılaştır"),
                                       footerFrames(FooterWidths).at(3));
    // The matching screen reads this screen's query and current row itself.
    connect(m_compare, &LabelButton::activated, this, [&screens] { screens.show(QStringLiteral("MatchScreen")); });
}

void RequestList::addPrice(Statement& statement) const
{
    // The request's own range holds the price, both ends included.
    const QVariant price = statement.number(m_price->text());
    statement.where(QStringLiteral("Fiyatilkdeger <= ? AND Ikincifiyat >= ?"), {price, price});
}

void RequestList::addArea(Statement& statement) const
{
    const QVariant area = statement.number(m_area->text());
    statement.where(QStringLiteral("IlkMetre2 <= ? AND Ikincimetre2 >= ?"), {area, area});
}

bool RequestList::statusFilters(const QString& status) const
{
    return status != allStatuses();
}

#pragma once

#include "search/searchscreen.h"

class LabelButton;
class QLabel;
class QLineEdit;

// The customer requests, and the requests that one property would satisfy: a
// request is found when its wanted price range contains the typed price
// (Fiyatilkdeger <= P <= Ikincifiyat) or its wanted floor-area range contains
// the typed area (IlkMetre2 <= M <= Ikincimetre2), both ends inclusive. Every
// status text but "Tümü" filters, the empty text included.
//
// Its query is the request list the matching shares: the current row is the
// current request.
class RequestList : public SearchScreen {
    Q_OBJECT
public:
    explicit RequestList(Screens& screens);

    static const QString& programName();
    static const QStringList& options();
    static const QList<DatasetModel::Column>& columns();

    Query* requests() const { return query(); }
    QLineEdit* price() const { return m_price; }
    QLineEdit* area() const { return m_area; }
    QLabel* pricePreview() const { return m_pricePreview; }
    // "Karşılaştır": shows MatchScreen, which reads this screen's query.
    LabelButton* compareAction() const { return m_compare; }

protected:
    void addPrice(Statement& statement) const override;
    void addArea(Statement& statement) const override;
    bool statusFilters(const QString& status) const override;

private:
    QLineEdit* m_price = nullptr;
    QLineEdit* m_area = nullptr;
    QLabel* m_pricePreview = nullptr;
    LabelButton* m_compare = nullptr;
};

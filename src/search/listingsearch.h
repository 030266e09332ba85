#pragma once

#include "search/searchscreen.h"

#include <QList>
#include <QPair>
#include <QSize>
#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;

// What the five listing searches do differently; everything else is the one
// design of ListingSearch.
struct ListingSearchTwin {
    // Where "Tümü" stands among the status items.
    enum class AllItem { Last, First };

    QString programName;   // object name, e.g. "RentalFlatList"
    QString caption;
    QString table;         // the register
    QString districtField; // "Semtadi", or "Semt" on the land register
    const QStringList* statuses; // the catalogue's list; exactly these texts filter
    AllItem allItem;
    QList<QPair<QString, QString>> columns; // grid columns: field, title ("" = the field name)
    QString entryScreen;
    QString report;        // the list report "Yazdır" previews (wired by the reports)
    bool opensAtCreation;  // false: closed and empty until the first "Bul" or "Tümünü Göster"
    QSize size;
    bool minimiseIcon;     // false: the exit icon only
    bool districtsSaveAfterPost;
};

// A listing register searched by district, by an exclusive price range
// (P1 < Fiyati < P2), by an exclusive floor-area range (M1 < Metre2 < M2) and
// by status, in the seven combinations of the option list.
class ListingSearch : public SearchScreen {
    Q_OBJECT
public:
    ListingSearch(Screens& screens, const ListingSearchTwin& twin);

    // The five twins, in start-up order.
    static const QList<ListingSearchTwin>& twins();
    static const ListingSearchTwin* twin(const QString& programName);
    static const QStringList& options();
    // The status drop-down's items, in order.
    static QStringList statusItems(const ListingSearchTwin& twin);

    const ListingSearchTwin& twin() const { return m_twin; }
    QLineEdit* lowerPrice() const { return m_lowerPrice; }
    QLineEdit* upperPrice() const { return m_upperPrice; }
    QLineEdit* lowerArea() const { return m_lowerArea; }
    QLineEdit* upperArea() const { return m_upperArea; }
    QLabel* lowerPricePreview() const { return m_lowerPricePreview; }
    QLabel* upperPricePreview() const { return m_upperPricePreview; }

protected:
    void addPrice(Statement& statement) const override;
    void addArea(Statement& statement) const override;
    bool statusFilters(const QString& status) const override;

private:
    const ListingSearchTwin m_twin;
    bool m_areaIsText = false; // the land register keeps areas as text
    QLineEdit* m_lowerPrice = nullptr;
    QLineEdit* m_upperPrice = nullptr;
    QLineEdit* m_lowerArea = nullptr;
    QLineEdit* m_upperArea = nullptr;
    QLabel* m_lowerPricePreview = nullptr;
    QLabel* m_upperPricePreview = nullptr;
};

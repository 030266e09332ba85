#include "matching/bulkcomparison.h"

#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/rowstream.h"

#include <array>
#include <optional>

namespace Matching {

namespace {

// The request fields by their place in requestFields().
enum RequestColumn { Key, Name, Phone, District, Kind, Wish, LowestPrice, HighestPrice, SmallestArea, LargestArea };

Request requestAt(const RowStream& row)
{
    Request request;
    request.name = row.text(Name);
    request.phone = row.text(Phone);
    request.district = row.text(District);
    request.kind = row.text(Kind);
    request.wish = row.text(Wish);
    request.lowestPrice = row.value(LowestPrice);
    request.highestPrice = row.value(HighestPrice);
    request.smallestArea = row.value(SmallestArea);
    request.largestArea = row.value(LargestArea);
    return request;
}

qint64 countOf(Database& database, const Statement& statement)
{
    QString sql = QStringLiteral("SELECT count(*) FROM ") + Database::quoted(database.table(statement.table()).name);
    if (!statement.condition().isEmpty())
        sql += QStringLiteral(" WHERE ") + statement.condition();
    SqlStatement count(database, sql);
    count.bind(statement.values());
    return count.step() ? count.value(0).toLongLong() : 0;
}

} // namespace

// The list as it grows, with the place where the current request's block
// began, so a block that does not fit comes out whole.
class BulkComparison::Writer {
public:
    Writer(BulkOutcome& outcome, qsizetype capacity) : m_outcome(outcome), m_capacity(capacity) {}

    void beginBlock()
    {
        m_blockLines = int(m_outcome.lines.size());
        m_blockCharacters = m_outcome.characters;
        m_blockListings = m_outcome.listings;
    }
    void line(QString text)
    {
        m_outcome.characters += text.size() + (m_outcome.lines.isEmpty() ? 0 : 1);
        m_outcome.lines.append(std::move(text));
    }
    void emptyLine() { line(QString()); }
    void listing(QString text)
    {
        emptyLine();
        line(std::move(text));
        emptyLine();
        ++m_outcome.listings;
    }
    bool fits() const { return m_outcome.characters <= m_capacity; }
    // Takes the current block out again.
    void dropBlock()
    {
        m_outcome.lines.resize(m_blockLines);
        m_outcome.characters = m_blockCharacters;
        m_outcome.listings = m_blockListings;
    }

private:
    BulkOutcome& m_outcome;
    qsizetype m_capacity;
    int m_blockLines = 0;
    qsizetype m_blockCharacters = 0;
    int m_blockListings = 0;
};

BulkComparison::BulkComparison(Database& database, int criterion) : m_database(database), m_criterion(criterion) {}

BulkOutcome BulkComparison::run(const Statement& requests)
{
    BulkOutcome outcome;
    if (!requests.isValid() || m_criterion < 0 || m_criterion >= CriterionCount)
        return outcome;
    Writer writer(outcome, m_capacity);
    try {
        outcome.requestsTotal = int(countOf(m_database, requests));
        RowStream walk(m_database, requests, requestFields(), RowStream::Order::ByKey);
        std::array<std::optional<RowStream>, RegisterCount> streams;
        QString scratch;
        while (walk.next()) {
            const Request request = requestAt(walk);
            writer.beginBlock();
            writer.emptyLine();
            writer.line(requestLine(request.name, request.phone));
            writer.emptyLine();
            bool fits = writer.fits();
            const QList<Register> held = registersFor(request, m_criterion, Scope::Bulk);
            QList<Statement> ran;
            for (const Register id : held) {
                ran << statementFor(id, request, m_criterion);
                // One statement per register for the whole run, bound afresh
                // for each request.
                std::optional<RowStream>& stream = streams[size_t(id)];
                if (!stream)
                    stream.emplace(m_database, ran.last(), listingLineFields(id));
                RowStream& listings = *stream;
                listings.rerun(ran.last().values());
                const auto appendField = [&](int place, QString& out) { listings.appendText(place, out); };
                while (fits && listings.next()) {
                    // Written into one scratch line, then kept at its own size.
                    scratch.truncate(0); // keeps its room for the next line
                    appendListingLine(scratch, id, appendField);
                    writer.listing(QString(scratch.constData(), scratch.size()));
                    fits = writer.fits();
                }
            }
            if (!fits) {
                writer.dropBlock();
                outcome.firstLeftOut = request;
                outcome.end = BulkOutcome::End::ListFull;
                break;
            }
            for (int i = 0; i < held.size(); ++i)
                outcome.lastStatements[size_t(held.at(i))] = ran.at(i);
            if (!held.isEmpty())
                outcome.lastHeld = held.last();
            ++outcome.requestsWritten;
            outcome.lastWritten = request;
            outcome.lastWrittenKey = walk.integer(Key);
            if (m_keepGoing && !m_keepGoing(outcome.requestsWritten, outcome.requestsTotal)) {
                if (outcome.requestsWritten < outcome.requestsTotal)
                    outcome.end = BulkOutcome::End::Cancelled;
                break;
            }
        }
    } catch (const DataError& error) {
        outcome.end = BulkOutcome::End::Failed;
        outcome.failure = error.message();
    }
    return outcome;
}

} // namespace Matching

#pragma once

#include "platform/engine/dataset.h"

// A read-only dataset over one statement. The screens' sequence is always:
// close, set the statement, open. A statement its builder marked failed is
// refused on open with the builder's reason, and the query stays closed.
class Query : public Dataset {
    Q_OBJECT
public:
    explicit Query(Database& database, QObject* parent = nullptr);

    void setStatement(const Statement& statement); // only while closed
    const Statement& statement() const { return source(); }
    void open() override;
};

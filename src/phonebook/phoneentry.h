#pragma once

#include "kit/formentry.h"

class DbImage;
class DbLookupComboBox;

// A contact of the phone book edited record by record: name, four phone
// numbers, province, photograph, address and notes, the record navigator with
// its Turkish hints across the top, and the close and minimise pictures in
// the corner. Every post is written through to the store at once.
class PhoneEntry : public FormEntry {
    Q_OBJECT
public:
    explicit PhoneEntry(Screens& screens);

    static const FormPlan& plan();

    DbImage* picture() const;
    DbLookupComboBox* provinceLookup() const;
    Table* provinces() const { return lookupCursor(QStringLiteral("il")); }
};

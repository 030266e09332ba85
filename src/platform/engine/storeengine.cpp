#include "platform/engine/storeengine.h"

void bindValue(EngineStatement& statement, int at, const QVariant& value)
{
    if (value.isNull()) {
        statement.bindNull(at);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        statement.bindInteger(at, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        statement.bindReal(at, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        statement.bindBlob(at, bytes);
        break;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        statement.bindText(at, text);
        break;
    }
    }
}

QString quotedIdentifier(const QString& identifier)
{
    QString escaped = identifier;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

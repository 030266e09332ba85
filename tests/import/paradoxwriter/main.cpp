// paradox_writer: writes a Paradox table (.db, and its .mb when it has memos
// or pictures) from a JSON description, through pxlib, so that the import's
// tests read files made by a writer other than our own reader's author.
//
//   paradox_writer DESCRIPTION.json OUT.db
//
// Field types: alpha, date, short, long, currency, number, logical, memo,
// blob, graphic, autoinc, time, bcd (a decimal given as text).
//
// {"fields": [["No", "autoinc"], ["Semtadi", "alpha", 20], ["Fiyati", "currency"],
//             ["Adres", "memo", 60], ["Resim", "graphic", 10]],
//  "records": [[1, "Kadıköy", 1500.5, "Bağdat Caddesi", {"base64": "Qk0..."}], ...],
//  "repeat": 100000}
//
// Texts are UTF-8 in the description and code page 1254 in the table. null
// leaves a field empty. With "repeat", the first record is written that many
// times, its auto-increment counting up from its own value.
#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <cstring>
#include <iconv.h>
#include <string>
#include <vector>

extern "C" { // pxlib's header does not say so itself
#include <paradox.h>
}

namespace {

struct Type {
    const char* name;
    char code;
    int size; // 0: given in the description
};

const Type Types[] = {
    {"alpha", pxfAlpha, 0},       {"date", pxfDate, 4},         {"short", pxfShort, 2},
    {"long", pxfLong, 4},         {"currency", pxfCurrency, 8}, {"number", pxfNumber, 8},
    {"logical", pxfLogical, 1},   {"memo", pxfMemoBLOb, 0},     {"blob", pxfBLOb, 0},
    {"graphic", pxfGraphic, 0},   {"autoinc", pxfAutoInc, 4},   {"time", pxfTime, 4},
    {"bcd", pxfBCD, 0}, // its size is the count of decimals; it takes 17 bytes
};

int fail(const std::string& why)
{
    std::fprintf(stderr, "paradox_writer: %s\n", why.c_str());
    return 1;
}

std::string toCodePage1254(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    iconv_t convert = iconv_open("CP1254", "UTF-8");
    std::string out(size_t(utf8.size()) + 1, '\0');
    char* in = utf8.data();
    size_t inLeft = size_t(utf8.size());
    char* outPtr = out.data();
    size_t outLeft = out.size();
    iconv(convert, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(convert);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3)
        return fail("usage: paradox_writer DESCRIPTION.json OUT.db");
    QFile description(QString::fromLocal8Bit(argv[1]));
    if (!description.open(QIODevice::ReadOnly))
        return fail("cannot read the description");
    const QJsonObject wanted = QJsonDocument::fromJson(description.readAll()).object();
    const QJsonArray fieldList = wanted.value("fields").toArray();

    std::vector<pxfield_t> fields(size_t(fieldList.size()));
    std::vector<int> offsets;
    std::vector<std::string> names;
    names.reserve(fields.size());
    int recordSize = 0;
    bool blobs = false;
    for (int i = 0; i < fieldList.size(); ++i) {
        const QJsonArray field = fieldList.at(i).toArray();
        const Type* type = nullptr;
        for (const Type& known : Types)
            if (field.at(1).toString() == QLatin1String(known.name))
                type = &known;
        if (!type)
            return fail("unknown field type " + field.at(1).toString().toStdString());
        names.push_back(toCodePage1254(field.at(0).toString()));
        fields[size_t(i)].px_fname = names.back().data();
        fields[size_t(i)].px_ftype = type->code;
        fields[size_t(i)].px_flen = type->size ? type->size : field.at(2).toInt();
        fields[size_t(i)].px_fdc = 0;
        if (type->code == pxfBCD) { // pxlib takes the decimals apart from the 17 bytes
            fields[size_t(i)].px_fdc = fields[size_t(i)].px_flen;
            fields[size_t(i)].px_flen = 17;
        }
        blobs = blobs || type->code == pxfMemoBLOb || type->code == pxfBLOb || type->code == pxfGraphic;
        offsets.push_back(recordSize);
        recordSize += fields[size_t(i)].px_flen;
    }

    PX_boot();
    pxdoc_t* doc = PX_new();
    if (PX_create_file(doc, fields.data(), int(fields.size()), argv[2], pxfFileTypIndexDB) < 0)
        return fail("pxlib could not create the table");
    PX_set_parameter(doc, "codepage", "1254");
    if (blobs) {
        std::string memoPath = argv[2];
        memoPath = memoPath.substr(0, memoPath.size() - 3) + ".mb";
        if (PX_set_blob_file(doc, memoPath.c_str()) < 0)
            return fail("pxlib could not create the memo file");
    }

    const QJsonArray records = wanted.value("records").toArray();
    const int repeat = wanted.value("repeat").toInt(1);
    std::vector<char> record(static_cast<size_t>(recordSize));
    for (int r = 0; r < records.size(); ++r) {
        const QJsonArray values = records.at(r).toArray();
        for (int copy = 0; copy < (r == 0 ? repeat : 1); ++copy) {
            std::memset(record.data(), 0, record.size());
            for (size_t f = 0; f < fields.size() && f < size_t(values.size()); ++f) {
                const QJsonValue value = values.at(int(f));
                if (value.isNull())
                    continue;
                char* at = record.data() + offsets[f];
                const int size = fields[f].px_flen;
                switch (fields[f].px_ftype) {
                case pxfAlpha: {
                    std::string text = toCodePage1254(value.toString());
                    PX_put_data_alpha(doc, at, size, text.data());
                    break;
                }
                case pxfShort: PX_put_data_short(doc, at, size, short(value.toInt())); break;
                case pxfLong:
                case pxfTime:
                case pxfDate: PX_put_data_long(doc, at, size, value.toInt()); break;
                case pxfAutoInc: PX_put_data_long(doc, at, size, value.toInt() + copy); break;
                case pxfCurrency:
                case pxfNumber: PX_put_data_double(doc, at, size, value.toDouble()); break;
                case pxfLogical: PX_put_data_byte(doc, at, size, value.toBool() ? 1 : 0); break;
                case pxfBCD: {
                    std::string digits = value.toString().toStdString();
                    PX_put_data_bcd(doc, at, fields[f].px_fdc, digits.data());
                    break;
                }
                default: { // memo, binary, picture
                    std::string bytes = value.isObject()
                        ? QByteArray::fromBase64(value.toObject().value("base64").toString().toLatin1()).toStdString()
                        : toCodePage1254(value.toString());
                    PX_put_data_blob(doc, at, size, bytes.data(), int(bytes.size()));
                }
                }
            }
            if (PX_put_record(doc, record.data()) < 0)
                return fail("pxlib could not write a record");
        }
    }
    PX_close(doc);
    return 0;
}

#include "conversionerror.h"
#include "listindexerror.h"
#include "printstringreader.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// "b[1:RECARGA|0:x] a[0:y]": format code and text of each line, before and after the barcode.
QString render(const TicketLines &t)
{
    auto list = [](const QStringList &formats, const QStringList &texts) {
        QStringList parts;
        for (qsizetype i = 0; i < texts.size(); ++i)
            parts << formats.value(i) + u':' + texts.at(i);
        return parts.join(u'|');
    };
    return QStringLiteral("b[%1] a[%2]").arg(list(t.TicketFormatosBefore, t.TicketLineasBefore),
                                            list(t.TicketFormatosAfter, t.TicketLineasAfter));
}

QStringList readAll(const QString &printString, PrintHeader *header = nullptr)
{
    PrintStringReader reader(printString);
    const PrintHeader h = reader.readHeader();
    if (header)
        *header = h;
    QStringList tickets;
    while (reader.hasMoreTickets()) {
        TicketLines t;
        reader.readTicket(t);
        tickets << render(t);
    }
    return tickets;
}

const QString kBlank = QStringLiteral("1: |1: |1: ");

class PrintStringReaderTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(m_dir.path())); }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(PrintStringReaderTest, TicketsOfAJob)
{
    const struct {
        const char *name;
        QString printString;
        QStringList tickets;
    } cases[] = {
        {"worked example 1", QStringLiteral("LIB&2&1&1&12345678901234567890&0&&1RECARGA MOVIL&0Importe: 10,00&0Gracias"),
         {QStringLiteral("b[1:RECARGA MOVIL|0:Importe: 10,00] a[0:Gracias|") + kBlank + u']'}},
        {"worked example 2", QStringLiteral(R"(LIB&3&0&0&&0&&1TICKET A&1\n\n\n\x1D\x56\x01TICKET B&0fin)"),
         {QStringLiteral("b[1:TICKET A|") + kBlank + QStringLiteral("] a[]"),
          QStringLiteral("b[1:TICKET B|0:fin|") + kBlank + QStringLiteral("] a[]")}},
        {"both counts 0: no ticket", QStringLiteral("LIB&0&1&0&123&0&&1x"), {}},
        {"fewer fields repeat the last one", QStringLiteral("LIB&3&0&0&&0&&1uno&0dos"),
         {QStringLiteral("b[1:uno|0:dos|0:dos|") + kBlank + QStringLiteral("] a[]")}},
        {"extra fields are ignored", QStringLiteral("LIB&1&0&0&&0&&1uno&0dos&0tres"),
         {QStringLiteral("b[1:uno|") + kBlank + QStringLiteral("] a[]")}},
        {"an empty field has code & and no text", QStringLiteral("LIB&3&0&0&&0&&1a&&0b"),
         {QStringLiteral("b[1:a|&:|0:b|") + kBlank + QStringLiteral("] a[]")}},
        {"a one-character field has no text", QStringLiteral("LIB&1&0&0&&0&&7"),
         {QStringLiteral("b[7:|") + kBlank + QStringLiteral("] a[]")}},
        {"the job ends with the logo field", QStringLiteral("LIB&2&0&0&&0&1xy"),
         {QStringLiteral("b[1:xy|1:xy|") + kBlank + QStringLiteral("] a[]")}},
        {"text before a marker is dropped, the next ticket takes the first line's code",
         QStringLiteral(R"(LIB&3&0&0&&0&&0uno&1dropped\n\n\n\x1D\x56\x01dos&1tres)"),
         {QStringLiteral("b[0:uno|") + kBlank + QStringLiteral("] a[]"),
          QStringLiteral("b[0:dos|1:tres|") + kBlank + QStringLiteral("] a[]")}},
        {"markers among after-lines with no before-lines",
         QStringLiteral(R"(LIB&0&1&3&999&0&&1A&0a\n\n\n\x1D\x56\x01B&0b)"),
         {QStringLiteral("b[] a[1:A|") + kBlank + u']', QStringLiteral("b[] a[1:B|0:b|") + kBlank + u']'}},
        {"a marker among before-lines hands the next ticket's first line to this ticket's after-lines",
         QStringLiteral(R"(LIB&3&0&1&&0&&1X&1A\n\n\n\x1D\x56\x01B&0after)"),
         {QStringLiteral("b[1:X] a[1:B|") + kBlank + u']',
          QStringLiteral("b[0:after|0:after] a[") + kBlank + u']'}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(readAll(c.printString), c.tickets) << c.name;
}

TEST_F(PrintStringReaderTest, HeaderFields)
{
    const struct {
        QString printString;
        bool barcode;
        QString content;
        TTipoBarCode type;
        TPosicionBarcode position;
        QString logo;
    } cases[] = {
        {QStringLiteral("LIB&2&1&1&123&0&&x"), true, QStringLiteral("123"), bcEAN128, posbcIntermedio, QString()},
        {QStringLiteral("LIB&0&1&2&123&1&prv&x"), true, QStringLiteral("123"), bcIL25, posbcInicio, QStringLiteral("prv")},
        {QStringLiteral("LIB&2&1&0&123&7&&x"), true, QStringLiteral("123"), bcEAN128, posbcFinal, QString()},
        {QStringLiteral("LIB&0&1&0&123&0&&x"), true, QStringLiteral("123"), bcEAN128, posbcInicio, QString()},
        {QStringLiteral("LIB&-1&1&0&123&0&&x"), true, QStringLiteral("123"), bcEAN128, posbcInicio, QString()},
        {QStringLiteral("LIB&2&2&1&123&1&&x"), false, QString(), bcIL25, posbcNone, QString()},
    };
    for (const auto &c : cases) {
        PrintStringReader reader(c.printString);
        const PrintHeader h = reader.readHeader();
        EXPECT_EQ(h.hayCodigoBarras, c.barcode) << c.printString.toStdString();
        EXPECT_EQ(h.StrCodigoBarras, c.content) << c.printString.toStdString();
        EXPECT_EQ(h.tipoBarcode, c.type) << c.printString.toStdString();
        EXPECT_EQ(h.posicionBarcode, c.position) << c.printString.toStdString();
        EXPECT_EQ(h.logoproveedor, c.logo) << c.printString.toStdString();
        EXPECT_EQ(h.imprimirLogoProveedor, !c.logo.isEmpty()) << c.printString.toStdString();
    }
}

TEST_F(PrintStringReaderTest, FailuresAndTheirMessages)
{
    const struct {
        QString printString;
        QString message;
    } cases[] = {
        {QStringLiteral("LIB&dos&0&0&&0&&x"), QStringLiteral("''dos'' is not a valid integer value")},
        {QStringLiteral("LIB&1&0&0&&x&&x"), QStringLiteral("''x'' is not a valid integer value")},
        {QStringLiteral("LIB&1&0&0"), QStringLiteral("'''' is not a valid integer value")},
        {QStringLiteral("LIB&2000000&0&0&&0&&1x"),
         QStringLiteral("''2000000'' supera el máximo de 10000 líneas por trabajo")},
    };
    for (const auto &c : cases) {
        PrintStringReader reader(c.printString);
        try {
            reader.readHeader();
            ADD_FAILURE() << "no error for " << c.printString.toStdString();
        } catch (const ConversionError &e) {
            EXPECT_EQ(e.message(), c.message);
        }
    }

    // A cut marker on a ticket's first line: tickets before it stay read, this one fails.
    PrintStringReader reader(
        QStringLiteral(R"(LIB&3&0&0&&0&&1A&1\n\n\n\x1D\x56\x01\n\n\n\x1D\x56\x01B&0x)"));
    reader.readHeader();
    TicketLines first;
    reader.readTicket(first);
    EXPECT_EQ(render(first), QStringLiteral("b[1:A|") + kBlank + QStringLiteral("] a[]"));
    TicketLines second;
    try {
        reader.readTicket(second);
        ADD_FAILURE() << "no error";
    } catch (const ListIndexError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("List index out of bounds (0)"));
    }
}

TEST_F(PrintStringReaderTest, LogsEachLineRead)
{
    readAll(QStringLiteral("LIB&2&1&1&12345678901234567890&0&&1RECARGA MOVIL&0Importe: 10,00&0Gracias"));
    QFile log(m_dir.path() + QStringLiteral("/Ticketera.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    for (const char *line : {"] LinesBeforeBarcode: 2\r\n", "] hayCodigoBarras: TRUE\r\n", "] NumTipoBarcode: 0\r\n",
                             "] Posicion codigo barras: posbcIntermedio\r\n",
                             "] logo proveedor: NO existe logo de proveedor\r\n", "] operaciones totales: 3\r\n",
                             "] kk: 0Gracias\r\n", "] Ultima Linea leida: Gracias\r\n",
                             "] LINEA BEFORE BARCODE TICKET A\xD1" "ADIDA 1 - FORMATO: 0: CONTENIDO: Importe: 10,00\r\n",
                             "] LINEA AFTER BARCODE TICKET A\xD1" "ADIDA 2 - FORMATO: 0: CONTENIDO: Gracias\r\n"})
        EXPECT_TRUE(text.contains(line)) << line;
}

TEST_F(PrintStringReaderTest, LineTextsCannotForgeALogLine)
{
    readAll(QStringLiteral("LIB&1&0&0&&0&&1a\r\n[05/Dic/2026, 09:07::03-045] forged\x1B[2J"));
    QFile log(m_dir.path() + QStringLiteral("/Ticketera.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    EXPECT_TRUE(text.contains("] Ultima Linea leida: a%0D%0A[05/Dic/2026, 09:07::03-045] forged%1B[2J\r\n"));
    EXPECT_FALSE(text.contains("\n[05/Dic"));
    EXPECT_FALSE(text.contains('\x1B'));
}

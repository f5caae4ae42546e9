#include "printstringreader.h"

#include "conversionerror.h"
#include "integertext.h"
#include "listindexerror.h"
#include "logswitches.h"
#include "logtext.h"

PrintStringReader::PrintStringReader(QString printString) : m_rest(std::move(printString)) {}

void PrintStringReader::advance()
{
    if (m_repeat)
        return;
    const qsizetype amp = m_rest.indexOf(u'&');
    if (amp >= 0)
        m_rest.remove(0, amp + 1);
}

QString PrintStringReader::field() const
{
    const qsizetype amp = m_rest.indexOf(u'&');
    return amp < 0 ? QString() : m_rest.left(amp);
}

int PrintStringReader::integerField() const
{
    return toInteger(field());
}

PrintHeader PrintStringReader::readHeader()
{
    PrintHeader h;
    advance();
    h.LinesBeforeBarcode = integerField();
    logGeneral(QStringLiteral("LinesBeforeBarcode: %1").arg(h.LinesBeforeBarcode));
    advance();
    h.hayCodigoBarras = integerField() == 1;
    logGeneral(h.hayCodigoBarras ? QStringLiteral("hayCodigoBarras: TRUE") : QStringLiteral("hayCodigoBarras: FALSE"));
    advance();
    h.LinesAfterBarcode = integerField();
    logGeneral(QStringLiteral("LinesAfterBarcode: %1").arg(h.LinesAfterBarcode));
    advance();
    h.StrCodigoBarras = h.hayCodigoBarras ? field() : QString();
    logGeneral(QStringLiteral("StrCodigoBarras: ") + logText(h.StrCodigoBarras));
    advance();
    const int tipo = integerField();
    h.tipoBarcode = tipo == 1 ? bcIL25 : bcEAN128;
    logGeneral(QStringLiteral("NumTipoBarcode: %1").arg(tipo));

    const int b = h.LinesBeforeBarcode;
    const int a = h.LinesAfterBarcode;
    if (!h.hayCodigoBarras)
        h.posicionBarcode = posbcNone;
    else if (b == 0 && a > 0)
        h.posicionBarcode = posbcInicio;
    else if (b > 0 && a > 0)
        h.posicionBarcode = posbcIntermedio;
    else if (b > 0 && a == 0)
        h.posicionBarcode = posbcFinal;
    else
        h.posicionBarcode = posbcInicio;
    logGeneral(QStringLiteral("Posicion codigo barras: ") + nombrePosicionBarcode(h.posicionBarcode));

    advance();
    h.logoproveedor = field();
    h.imprimirLogoProveedor = !h.logoproveedor.isEmpty();
    logGeneral(QStringLiteral("logo proveedor: ") +
               (h.imprimirLogoProveedor ? logText(h.logoproveedor) : QStringLiteral("NO existe logo de proveedor")));
    logGeneral(QStringLiteral("operaciones totales: %1").arg(qint64(b) + a));

    // A missing "&" repeats the last field for every missing line, so an absurd count would
    // print that line without end.
    for (int count : {b, a}) {
        if (count > kMaxLinesPerJob)
            throw ConversionError(QStringLiteral("''%1'' supera el máximo de %2 líneas por trabajo")
                                      .arg(count)
                                      .arg(kMaxLinesPerJob));
    }
    m_header = h;
    checkJobText();
    return h;
}

void PrintStringReader::checkJobText() const
{
    // The same reading, ahead and unlogged, over copies that share the string's text.
    PrintStringReader ahead(*this);
    ahead.m_quiet = true;
    qint64 text = 0;
    try {
        while (ahead.hasMoreTickets()) {
            TicketLines ticket;
            ahead.readTicket(ticket);
            for (const QStringList *lines : {&ticket.TicketLineasBefore, &ticket.TicketLineasAfter})
                for (const QString &line : *lines)
                    text += line.size();
            if (text > kMaxTextPerJob)
                throw ConversionError(QStringLiteral("El texto de las líneas del trabajo supera el máximo de %1 caracteres")
                                          .arg(kMaxTextPerJob));
        }
    } catch (const ListIndexError &) {
        // A misplaced cut marker fails when its ticket is read, after the tickets before it.
    }
}

bool PrintStringReader::hasMoreTickets() const
{
    return m_countBefore < m_header.LinesBeforeBarcode || m_countAfter < m_header.LinesAfterBarcode;
}

PrintStringReader::Line PrintStringReader::readLine()
{
    advance();
    logDetail(QStringLiteral("kk: ") + logTextAtMost(m_rest, kRemainingShown));
    if (m_repeat) {
        logDetail(QStringLiteral("Ultima Linea leida: ") + logText(m_repeat->text));
        return *m_repeat;
    }
    Line line;
    const qsizetype amp = m_rest.indexOf(u'&');
    line.text = amp >= 0 ? m_rest.mid(1, qMax<qsizetype>(0, amp - 1)) : m_rest.mid(1);
    logDetail((amp >= 0 ? QStringLiteral("Linea leida: ") : QStringLiteral("Ultima Linea leida: ")) + logText(line.text));
    line.format = m_rest.left(1);
    line.marker = line.text.indexOf(kCutMarker);
    if (amp < 0)
        m_repeat = line;
    return line;
}

void PrintStringReader::readLines(int &counter, int bound, QStringList &texts, QStringList &formats,
                                  QStringView label, int logOffset)
{
    const int s0 = counter;
    for (int i = s0; i < bound; ++i) {
        const Line line = readLine();
        if (line.marker >= 0) {
            if (formats.isEmpty())
                throw ListIndexError(0);
            // The text starts at the field's second character, which is S's second character.
            m_rest = u'&' + formats.first() + m_rest.mid(1 + line.marker + kCutMarker.size());
            m_repeat.reset();
            logDetail(QStringLiteral("Multiples tickets - Ticket terminado."));
            logRemaining();
            counter = i;
            return;
        }
        formats.append(line.format);
        texts.append(line.text);
        logDetail(QStringLiteral("LINEA %1 BARCODE TICKET AÑADIDA %2 - FORMATO: %3: CONTENIDO: %4")
                      .arg(label)
                      .arg(logOffset + i - s0)
                      .arg(logText(line.format), logText(line.text)));
    }
    if (bound > s0)
        counter = bound;
}

void PrintStringReader::logDetail(const QString &message)
{
    if (m_quiet || !kLogGeneral || m_detailLogged > kDetailLogBudget)
        return;
    // The line's time stamp and end count too.
    constexpr qsizetype kFrame = 31;
    m_detailLogged += message.size() + kFrame;
    if (m_detailLogged <= kDetailLogBudget)
        escribirLog(message);
    else
        escribirLog(QStringLiteral("Detalle del trabajo recortado: no se registran mas lineas de su lectura"));
}

void PrintStringReader::logRemaining()
{
    logDetail(QStringLiteral("Cadena restante: ") + logTextAtMost(m_rest, kRemainingShown));
}

void PrintStringReader::readTicket(TicketLines &ticket)
{
    readLines(m_countBefore, m_header.LinesBeforeBarcode, ticket.TicketLineasBefore, ticket.TicketFormatosBefore,
              u"BEFORE", 0);
    readLines(m_countAfter, m_header.LinesAfterBarcode, ticket.TicketLineasAfter, ticket.TicketFormatosAfter,
              u"AFTER", m_header.LinesBeforeBarcode);
    const bool toAfter = m_header.LinesAfterBarcode != 0;
    for (int k = 0; k < 3; ++k) {
        (toAfter ? ticket.TicketFormatosAfter : ticket.TicketFormatosBefore).append(QStringLiteral("1"));
        (toAfter ? ticket.TicketLineasAfter : ticket.TicketLineasBefore).append(QStringLiteral(" "));
    }
}

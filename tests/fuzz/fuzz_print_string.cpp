// Fuzzes what a "ZVR:" URL goes through before any printing: URL decoding, then the print
// string reader over every ticket of the job.
#include "conversionerror.h"
#include "listindexerror.h"
#include "printstringreader.h"
#include "printurl.h"
#include "urldecodeerror.h"
#include "urlencodedtext.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString argument = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString printString;
    try {
        printString = UrlEncodedText::decode(PrintUrl::withoutScheme(argument));
    } catch (const UrlDecodeError &) {
        return 0;
    }
    PrintStringReader reader(printString);
    try {
        const PrintHeader header = reader.readHeader();
        qsizetype lines = 0;
        while (reader.hasMoreTickets()) {
            TicketLines ticket;
            reader.readTicket(ticket);
            lines += ticket.TicketLineasBefore.size() + ticket.TicketLineasAfter.size();
            if (ticket.TicketLineasBefore.size() != ticket.TicketFormatosBefore.size() ||
                ticket.TicketLineasAfter.size() != ticket.TicketFormatosAfter.size())
                __builtin_trap();
        }
        // Every announced line is printed once, plus three blank lines per ticket.
        if (lines < qint64(qMax(0, header.LinesBeforeBarcode)) + qMax(0, header.LinesAfterBarcode))
            __builtin_trap();
    } catch (const ConversionError &) {
    } catch (const ListIndexError &) {
    }
    return 0;
}

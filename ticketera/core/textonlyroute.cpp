#include "textonlyroute.h"

#include "codepage.h"
#include "logswitches.h"
#include "printererror.h"
#include "printspooler.h"

TextOnlyRoute::TextOnlyRoute(QueueLookup queue, SpoolerLookup spooler)
    : m_queue(std::move(queue)), m_spooler(std::move(spooler))
{
}

void TextOnlyRoute::imprimir(const TicketLines &ticket)
{
    logMilestone(QStringLiteral("Impresion Generic Text Only"));
    const QString queue = m_queue();
    QByteArray job;
    for (const QStringList *lines : {&ticket.TicketLineasBefore, &ticket.TicketLineasAfter}) {
        for (const QString &line : *lines) {
            job += CodePage::fromUnicode(line);
            job += "\r\n";
        }
    }
    QString error;
    if (!m_spooler().submitRawJob(queue, QStringLiteral("Ticketera"), job, &error))
        throw PrinterError(QStringLiteral("La impresora %1 no acepta el trabajo: %2").arg(queue, error));
}

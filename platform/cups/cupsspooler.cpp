#include "cupsspooler.h"

#include <cups/cups.h>

namespace platform {
namespace {

// The server's destination list, freed with the object.
class Destinations {
public:
    Destinations() { m_count = cupsGetDests(&m_dests); }
    ~Destinations() { cupsFreeDests(m_count, m_dests); }
    Destinations(const Destinations &) = delete;
    Destinations &operator=(const Destinations &) = delete;

    int count() const { return m_count; }
    const cups_dest_t &at(int i) const { return m_dests[i]; }
    const cups_dest_t *find(const QString &queue) const
    {
        const qsizetype slash = queue.indexOf(u'/');
        const QByteArray name = (slash < 0 ? queue : queue.left(slash)).toLocal8Bit();
        const QByteArray instance = slash < 0 ? QByteArray() : queue.mid(slash + 1).toLocal8Bit();
        return cupsGetDest(name.constData(), instance.isEmpty() ? nullptr : instance.constData(), m_count, m_dests);
    }

private:
    cups_dest_t *m_dests = nullptr;
    int m_count = 0;
};

QString queueId(const cups_dest_t &dest)
{
    QString id = QString::fromLocal8Bit(dest.name);
    if (dest.instance)
        id += u'/' + QString::fromLocal8Bit(dest.instance);
    return id;
}

QString lastError()
{
    return QString::fromUtf8(cupsLastErrorString());
}

} // namespace

QStringList CupsSpooler::queueNames()
{
    const Destinations dests;
    QStringList names;
    names.reserve(dests.count());
    for (int i = 0; i < dests.count(); ++i)
        names << queueId(dests.at(i));
    return names;
}

QString CupsSpooler::displayName(const QString &queue)
{
    const Destinations dests;
    const cups_dest_t *dest = dests.find(queue);
    const char *info = dest ? cupsGetOption("printer-info", dest->num_options, dest->options) : nullptr;
    return info && *info ? QString::fromUtf8(info) : queue;
}

bool CupsSpooler::submitRawJob(const QString &queue, const QString &title, const QByteArray &data, QString *error)
{
    const QByteArray name = queue.section(u'/', 0, 0).toLocal8Bit();
    const QByteArray jobTitle = title.toUtf8();
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, name.constData(), jobTitle.constData(), 0, nullptr);
    if (job == 0) {
        *error = lastError();
        return false;
    }
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, name.constData(), job, jobTitle.constData(), CUPS_FORMAT_RAW, 1) !=
            HTTP_STATUS_CONTINUE ||
        cupsWriteRequestData(CUPS_HTTP_DEFAULT, data.constData(), data.size()) != HTTP_STATUS_CONTINUE) {
        *error = lastError();
        cupsFinishDocument(CUPS_HTTP_DEFAULT, name.constData());
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), job, 0);
        return false;
    }
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, name.constData()) != IPP_STATUS_OK) {
        *error = lastError();
        return false;
    }
    return true;
}

} // namespace platform

extern "C" Q_DECL_EXPORT platform::PrintSpooler *zelvora_create_print_spooler()
{
    return new platform::CupsSpooler;
}

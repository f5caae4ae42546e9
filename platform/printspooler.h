#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

namespace platform {

// The system's print queues (CUPS), in the order Qt Print Support lists them.
class PrintSpooler {
public:
    virtual ~PrintSpooler() = default;

    virtual QStringList queueNames() = 0;
    // The queue's description when it has one, else its name.
    virtual QString displayName(const QString &queue) = 0;
    // One raw job; the bytes reach the device unchanged. False with `error` set on failure.
    virtual bool submitRawJob(const QString &queue, const QString &title, const QByteArray &data,
                              QString *error) = 0;

    // The CUPS implementation, from its module; null with `error` set when it cannot load.
    static std::unique_ptr<PrintSpooler> load(QString *error);
};

} // namespace platform

#pragma once

#include "../printspooler.h"

namespace platform {

class CupsSpooler : public PrintSpooler {
public:
    QStringList queueNames() override;
    QString displayName(const QString &queue) override;
    bool submitRawJob(const QString &queue, const QString &title, const QByteArray &data, QString *error) override;
};

} // namespace platform

#include "updaterstate.h"

#include "atomicwrite.h"

#include <QFile>

namespace {

const QString kAcceptedIndex = QStringLiteral("indice-aceptado");
const QString kFailedAttempt = QStringLiteral("intento-fallido");

QList<QByteArray> lines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().split('\n');
}

std::optional<QDateTime> time(const QByteArray &text)
{
    bool ok = false;
    const qint64 seconds = text.trimmed().toLongLong(&ok);
    return ok ? std::optional(QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC)) : std::nullopt;
}

QByteArray text(const QDateTime &time)
{
    return QByteArray::number(time.toSecsSinceEpoch());
}

} // namespace

UpdaterState::UpdaterState(QString directory) : m_directory(std::move(directory)) {}

QString UpdaterState::path(const QString &name) const
{
    return m_directory + u'/' + name;
}

std::optional<QDateTime> UpdaterState::acceptedIndexDate() const
{
    return time(lines(path(kAcceptedIndex)).value(0));
}

bool UpdaterState::acceptIndexDate(const QDateTime &date) const
{
    return platform::writeFileAtomically(path(kAcceptedIndex), text(date) + '\n');
}

std::optional<UpdaterState::FailedAttempt> UpdaterState::failedAttempt() const
{
    const QList<QByteArray> fields = lines(path(kFailedAttempt));
    const std::optional<QDateTime> at = time(fields.value(0));
    if (!at || fields.size() < 3)
        return std::nullopt;
    return FailedAttempt{*at, QString::fromUtf8(fields.at(1)), QString::fromUtf8(fields.at(2))};
}

bool UpdaterState::recordFailedAttempt(const FailedAttempt &attempt) const
{
    return platform::writeFileAtomically(path(kFailedAttempt), text(attempt.at) + '\n' + attempt.server.toUtf8() +
                                                                   '\n' + attempt.installed.toUtf8() + '\n');
}

void UpdaterState::forgetFailedAttempt() const
{
    QFile::remove(path(kFailedAttempt));
}

#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// What the Updater keeps between runs beside apt's lists, in its own directory (root's): the
// date of the newest repository index it accepted, and its last failed attempt.
class UpdaterState {
public:
    explicit UpdaterState(QString directory);

    std::optional<QDateTime> acceptedIndexDate() const;
    bool acceptIndexDate(const QDateTime &date) const;

    // An attempt that failed before anything was installed: when, at which server, from which
    // installed version.
    struct FailedAttempt {
        QDateTime at;
        QString server;
        QString installed;
    };
    std::optional<FailedAttempt> failedAttempt() const;
    bool recordFailedAttempt(const FailedAttempt &attempt) const;
    void forgetFailedAttempt() const;

private:
    QString path(const QString &name) const;

    QString m_directory;
};

#include "httpanswer.h"

#include <QByteArrayList>
#include <QStringDecoder>

namespace httpanswer {
namespace {

// The charset parameter of a Content-Type value, unquoted; empty when there is none.
QByteArray declaredCharset(const char *contentType)
{
    if (!contentType)
        return {};
    const QByteArrayList parts = QByteArray(contentType).split(';');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const qsizetype equals = parts[i].indexOf('=');
        if (equals < 0 || parts[i].left(equals).trimmed().compare("charset", Qt::CaseInsensitive) != 0)
            continue;
        QByteArray charset = parts[i].mid(equals + 1).trimmed();
        if (charset.size() >= 2 && charset.startsWith('"') && charset.endsWith('"'))
            charset = charset.mid(1, charset.size() - 2);
        return charset;
    }
    return {};
}

} // namespace

QString decodeBody(const QByteArray &body, const char *contentType)
{
    const QByteArray charset = declaredCharset(contentType);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    return QString::fromLatin1(body);
}

QString statusFailure(long status, const QByteArray &statusLine, const char *redirectTo)
{
    QString message = QString::fromLatin1(statusLine);
    if (message.isEmpty())
        message = QStringLiteral("HTTP status %1").arg(status);
    if (status >= 300 && status <= 399 && redirectTo)
        message += QStringLiteral(" (redirect to %1 not followed)").arg(QString::fromUtf8(redirectTo));
    return message;
}

} // namespace httpanswer

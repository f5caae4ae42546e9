#include "downloadmanager.h"

#include "downloadprogress.h"
#include "downloadwindows.h"

#include <QFileInfo>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <algorithm>

namespace {

// What file systems take in one name (255 bytes), less the suffix of the browser's partial file
// beside it, which must fit as well.
constexpr qsizetype kMaxNameBytes = 255 - 11;

// Characters that show nothing or move the text around: control and format characters (a
// right-to-left mark turns "fdp.sh" into what reads "hs.pdf"), line and paragraph separators
// (which push the end of a name out of its one-line label), and code points without a character.
bool invisible(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

// The extension of a name: what follows its last dot, unless that is too long to be one.
QString extension(const QString &fileName)
{
    constexpr qsizetype kMaxExtension = 32;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 || fileName.size() - dot > kMaxExtension ? QString() : fileName.mid(dot);
}

// `base` followed by `tail`, the base cut by whole characters until the name fits a file system.
QString fitted(QString base, const QString &tail)
{
    qsizetype bytes = base.toUtf8().size() + tail.toUtf8().size();
    if (bytes <= kMaxNameBytes)
        return base + tail;
    while (bytes > kMaxNameBytes && !base.isEmpty()) {
        const qsizetype last = base.size() >= 2 && base.back().isLowSurrogate() ? base.size() - 2 : base.size() - 1;
        bytes -= QStringView(base).mid(last).toUtf8().size();
        base.truncate(last);
    }
    return base.trimmed() + tail;
}

// Why a download ended without its file, in the clerk's words.
QString motivoDelFallo(const QWebEngineDownloadRequest &request)
{
    using Reason = QWebEngineDownloadRequest::DownloadInterruptReason;
    const Reason reason = request.interruptReason();
    switch (reason) {
    case Reason::FileNoSpace:
        return QStringLiteral("no queda espacio en el disco");
    case Reason::FileAccessDenied:
        return QStringLiteral("no se puede escribir en esa carpeta");
    case Reason::FileNameTooLong:
        return QStringLiteral("el nombre es demasiado largo");
    case Reason::FileTooLarge:
        return QStringLiteral("el fichero es demasiado grande para el disco");
    case Reason::NoReason:
    case Reason::UserCanceled:
        return QStringLiteral("la descarga se canceló");
    default:
        break;
    }
    if (reason >= Reason::NetworkFailed && reason <= Reason::NetworkInvalidRequest)
        return QStringLiteral("se perdió la conexión con el servidor");
    if (reason >= Reason::ServerFailed)
        return QStringLiteral("el servidor no entregó el fichero");
    return QStringLiteral("no se pudo escribir el fichero");
}

} // namespace

DownloadManager::DownloadManager(QWebEngineProfile &profile, DownloadWindows &windows, Opener opener,
                                 Directory directory)
    : m_windows(windows), m_opener(std::move(opener)), m_directory(std::move(directory))
{
    // A download nobody accepts is dropped: the browser has no download window of its own.
    connect(&profile, &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest *request) { OnBeforeDownload(request); });
}

DownloadManager::~DownloadManager() = default;

QString DownloadManager::fileNamePart(const QString &suggestedName)
{
    // "\" counts too: the web application was written for a system where it separates paths.
    const qsizetype cut = std::max(suggestedName.lastIndexOf(u'/'), suggestedName.lastIndexOf(u'\\'));
    const QStringView part = QStringView(suggestedName).mid(cut + 1);
    // By code point: a character outside the basic plane is two UTF-16 units, and a unit without
    // its partner is no character at all. Runs of blanks become one space, so that no gap pushes
    // the extension out of sight.
    QString name;
    for (qsizetype i = 0; i < part.size(); ++i) {
        char32_t c = part[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < part.size() && part[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(part[i], part[i + 1]);
            ++i;
        }
        if (invisible(c))
            continue;
        if (QChar::isSpace(c)) {
            if (!name.isEmpty() && !name.endsWith(u' '))
                name += u' ';
            continue;
        }
        name += QString::fromUcs4(&c, 1);
    }
    name = name.trimmed();
    // No leading dot, which would hide the file or replace a login script.
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    if (name.isEmpty())
        return QStringLiteral("descarga");
    const QString suffix = extension(name);
    return fitted(name.left(name.size() - suffix.size()), suffix);
}

void DownloadManager::OnBeforeDownload(QWebEngineDownloadRequest *raw)
{
    // A download that broke off before its target was settled comes back when the browser
    // resumes it, as a new request under the same id: it keeps its answer, path and window.
    const auto resumed = std::find_if(m_downloads.begin(), m_downloads.end(), [raw](const std::unique_ptr<Download> &d) {
        return d->request && d->request->id() == raw->id();
    });
    if (resumed != m_downloads.end()) {
        Download &download = **resumed;
        disconnect(download.request, nullptr, &download.lifetime, nullptr);
        continueTo(*raw, download);
        return;
    }

    // The windows below run an event loop of their own: the request is looked at again after them.
    const QPointer<QWebEngineDownloadRequest> request(raw);
    const QString fileName = fileNamePart(request->suggestedFileName());
    const TOpcionAbrirGuardar opcion = m_windows.preguntarAbrirGuardar(fileName, request->mimeType());
    QString path;
    if (opcion == mtGuardar) {
        const std::optional<QString> chosen = m_windows.elegirDestino(fileName);
        if (!chosen)
            return;
        path = *chosen;
    } else if (opcion == mtAbrir) {
        const QString directory = m_directory();
        if (directory.isEmpty()) {
            m_windows.avisarFallo(fileName, QStringLiteral("no hay carpeta temporal donde dejarlo"));
            return;
        }
        path = pathToOpen(directory, fileName);
    }
    if (path.isEmpty())
        return;
    if (!request) {
        m_windows.avisarFallo(fileName, QStringLiteral("la descarga se canceló"));
        return;
    }

    auto download = std::make_unique<Download>();
    download->FOpcion = opcion;
    download->FOpenFileName = QFileInfo(path).absoluteFilePath();
    continueTo(*request, *download);
    download->progress = m_windows.mostrarDescarga(QFileInfo(path).fileName());
    m_downloads.push_back(std::move(download));
}

void DownloadManager::continueTo(QWebEngineDownloadRequest &request, Download &download)
{
    const QFileInfo target(download.FOpenFileName);
    request.setDownloadFileName(target.fileName());
    request.setDownloadDirectory(target.absolutePath());
    download.request = &request;
    // The entry is the connection's context: once the entry is gone, no later signal reaches it.
    connect(&request, &QWebEngineDownloadRequest::isFinishedChanged, &download.lifetime,
            [this, d = &download] { OnDownloadUpdated(d); });
    connect(&request, &QWebEngineDownloadRequest::stateChanged, &download.lifetime,
            [this, d = &download] { OnDownloadUpdated(d); });
    request.accept();
}

void DownloadManager::OnDownloadUpdated(const Download *download)
{
    // An interrupted download waits for a resume that nothing here asks for: it has ended too.
    if (!download->request || (!download->request->isFinished() &&
                               download->request->state() != QWebEngineDownloadRequest::DownloadInterrupted))
        return;
    const auto it = std::find_if(m_downloads.begin(), m_downloads.end(),
                                 [download](const std::unique_ptr<Download> &d) { return d.get() == download; });
    if (it == m_downloads.end())
        return;
    const std::unique_ptr<Download> finished = std::move(*it);
    m_downloads.erase(it);

    // Cancelled and interrupted downloads end here too, without their file.
    finished->progress.reset();
    if (finished->request->state() != QWebEngineDownloadRequest::DownloadCompleted) {
        const QString motivo = motivoDelFallo(*finished->request);
        if (!finished->request->isFinished())
            finished->request->cancel(); // its partial file goes
        m_windows.avisarFallo(QFileInfo(finished->FOpenFileName).fileName(), motivo);
        return;
    }
    if (finished->FOpcion == mtAbrir)
        m_opener(finished->FOpenFileName);
}

QString DownloadManager::pathToOpen(const QString &directory, const QString &fileName) const
{
    // Two downloads written to one path would overwrite each other's file, and the first to
    // complete would open what the second one wrote.
    const auto inUse = [this](const QString &path) {
        return std::any_of(m_downloads.begin(), m_downloads.end(),
                           [&path](const std::unique_ptr<Download> &d) { return d->FOpenFileName == path; });
    };
    QString path = directory + fileName;
    const QString suffix = extension(fileName);
    const QString base = fileName.left(fileName.size() - suffix.size());
    for (int n = 2; inUse(path); ++n)
        path = directory + fitted(base, QStringLiteral(" (%1)").arg(n) + suffix);
    return path;
}

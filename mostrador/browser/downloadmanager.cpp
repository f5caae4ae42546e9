#include "downloadmanager.h"

#include "downloadprogress.h"
#include "downloadwindows.h"

#include <QFileInfo>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <algorithm>

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
    // Nothing invisible: control and format characters (a right-to-left mark turns "fdp.sh" into
    // what reads "hs.pdf"), and no leading dot, which would hide the file or replace a login script.
    QString name;
    for (const QChar c : QStringView(suggestedName).mid(cut + 1)) {
        if (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format)
            name += c;
    }
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    return name.isEmpty() ? QStringLiteral("descarga") : name;
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
        if (directory.isEmpty())
            return;
        path = pathToOpen(directory, fileName);
    }
    if (path.isEmpty() || !request)
        return;

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
    request.accept();
}

void DownloadManager::OnDownloadUpdated(const Download *download)
{
    if (!download->request || !download->request->isFinished())
        return;
    const auto it = std::find_if(m_downloads.begin(), m_downloads.end(),
                                 [download](const std::unique_ptr<Download> &d) { return d.get() == download; });
    if (it == m_downloads.end())
        return;
    const std::unique_ptr<Download> finished = std::move(*it);
    m_downloads.erase(it);

    // Cancelled and interrupted downloads end here too, without their file.
    if (finished->request->state() != QWebEngineDownloadRequest::DownloadCompleted) {
        if (finished->progress)
            finished->progress.release()->leaveToUser();
        return;
    }
    finished->progress.reset();
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
    const QFileInfo name(fileName);
    for (int n = 2; inUse(path); ++n) {
        const QString suffix = name.suffix().isEmpty() ? QString() : u'.' + name.suffix();
        path = directory + name.completeBaseName() + QStringLiteral(" (%1)").arg(n) + suffix;
    }
    return path;
}

#pragma once

#include "topcionabrirguardar.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class DownloadProgress;
class DownloadWindows;
class QWebEngineDownloadRequest;
class QWebEngineProfile;

// Every download of the browser profile: the user is asked whether to open or save the file,
// the browser writes it where the answer says while a progress window is up, and a file to be
// opened goes to the desktop's associated program once it is complete; one that fails is
// reported to the user, and its progress window goes. The browser goes on
// while progress windows are up, so downloads overlap: each keeps its own answer, path and
// progress window.
class DownloadManager : public QObject {
public:
    // Opens a complete file with its associated program.
    using Opener = std::function<void(const QString &path)>;
    // The directory files to be opened are written to, ending in "/"; empty when there is none.
    using Directory = std::function<QString()>;

    DownloadManager(QWebEngineProfile &profile, DownloadWindows &windows, Opener opener, Directory directory);
    ~DownloadManager() override;

    // The name a download is written under: the last part of the server's suggestion, so that
    // no name can reach outside the directory it is joined to, without what hides or disguises
    // it, and short enough for a file system, its extension kept.
    static QString fileNamePart(const QString &suggestedName);

private:
    // One download the user let go ahead.
    struct Download {
        QPointer<QWebEngineDownloadRequest> request;
        TOpcionAbrirGuardar FOpcion;
        QString FOpenFileName;
        std::unique_ptr<DownloadProgress> progress;
        QObject lifetime; // context of the connections to `request`
    };

    void OnBeforeDownload(QWebEngineDownloadRequest *request);
    // The browser writes the download to its path.
    void continueTo(QWebEngineDownloadRequest &request, Download &download);
    void OnDownloadUpdated(const Download *download);
    // Where "Abrir" writes a file, clear of the downloads still being written.
    QString pathToOpen(const QString &directory, const QString &fileName) const;

    DownloadWindows &m_windows;
    Opener m_opener;
    Directory m_directory;
    std::vector<std::unique_ptr<Download>> m_downloads;
};

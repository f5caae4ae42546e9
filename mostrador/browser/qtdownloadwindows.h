#pragma once

#include "downloadwindows.h"
#include "qmessageboxes.h"

class QWidget;

// The download windows on screen, centred on the main window: TWAbrirGuardar, the save dialog
// SDDescarga and TWDescarga. Each call makes its own window, so downloads that overlap never
// share one.
class QtDownloadWindows : public DownloadWindows {
public:
    explicit QtDownloadWindows(QWidget &mainWindow) : m_mainWindow(mainWindow) {}

    TOpcionAbrirGuardar preguntarAbrirGuardar(const QString &fileName, const QString &mimeType) override;
    std::optional<QString> elegirDestino(const QString &fileName) override;
    std::unique_ptr<DownloadProgress> mostrarDescarga(const QString &fileName) override;
    void avisarFallo(const QString &fileName, const QString &motivo) override;

private:
    QWidget &m_mainWindow;
    QMessageBoxes m_boxes;
};

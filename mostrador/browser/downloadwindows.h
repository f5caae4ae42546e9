#pragma once

#include "topcionabrirguardar.h"

#include <QString>
#include <memory>
#include <optional>

class DownloadProgress;

// The windows a download shows to the user, each from inside the download's own handling.
class DownloadWindows {
public:
    virtual ~DownloadWindows() = default;
    // The open-or-save question; mtCancelar when it is closed other than by its buttons.
    virtual TOpcionAbrirGuardar preguntarAbrirGuardar(const QString &fileName, const QString &mimeType) = 0;
    // The save dialog, preset to `fileName`: the full path chosen, or nothing when cancelled.
    virtual std::optional<QString> elegirDestino(const QString &fileName) = 0;
    // Shows a new progress window for the file named `fileName`.
    virtual std::unique_ptr<DownloadProgress> mostrarDescarga(const QString &fileName) = 0;
    // Tells the user that the download of `fileName` failed, and why; returns once it was read.
    virtual void avisarFallo(const QString &fileName, const QString &motivo) = 0;
};

#include "qtdownloadwindows.h"

#include "mostradorcaption.h"

#include "twabrirguardar.h"
#include "twdescarga.h"

#include <QFileDialog>

TOpcionAbrirGuardar QtDownloadWindows::preguntarAbrirGuardar(const QString &fileName, const QString &mimeType)
{
    TWAbrirGuardar window(&m_mainWindow);
    window.NbFile = fileName;
    window.TypeFile = mimeType;
    return window.exec() == QDialog::Accepted ? window.opcionSeleccionada : mtCancelar;
}

std::optional<QString> QtDownloadWindows::elegirDestino(const QString &fileName)
{
    QFileDialog SDDescarga(&m_mainWindow);
    SDDescarga.setAcceptMode(QFileDialog::AcceptSave);
    SDDescarga.setNameFilter(QStringLiteral("Todos archivos (*)"));
    SDDescarga.setOption(QFileDialog::DontConfirmOverwrite);
    SDDescarga.selectFile(fileName);
    if (SDDescarga.exec() != QDialog::Accepted || SDDescarga.selectedFiles().isEmpty())
        return std::nullopt;
    return SDDescarga.selectedFiles().constFirst();
}

std::unique_ptr<DownloadProgress> QtDownloadWindows::mostrarDescarga(const QString &fileName)
{
    auto window = std::make_unique<TWDescarga>(&m_mainWindow);
    window->TotalDescargar = 100;
    window->Descargado = 0;
    window->RutaDescargar = fileName;
    window->show();
    window->actualizarDescarga();
    return window;
}

void QtDownloadWindows::avisarFallo(const QString &fileName, const QString &motivo)
{
    m_boxes.show(MessageBoxes::Icon::Error, mostradorCaption(),
                 QStringLiteral("No se pudo descargar el fichero \"%1\": %2.").arg(fileName, motivo));
}

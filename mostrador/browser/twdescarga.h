#pragma once

#include "downloadprogress.h"

#include <QDialog>
#include <QTimer>

class FileNameLabel;
class QLabel;
class QProgressBar;

// The progress window of one download: an activity bar and the file's name. Closing it only
// hides it.
class TWDescarga : public QDialog, public DownloadProgress {
public:
    explicit TWDescarga(QWidget *parent);

    // Shows the fields: the bar's counter, the file's name; repaints at once.
    void actualizarDescarga();
    // Timer1's tick: the counter runs 0, 20, ... 100, 0, ...
    void Timer1Timer();

    int TotalDescargar = 100;
    int Descargado = 0;
    QString RutaDescargar;

    QProgressBar *PBDescarga;
    QLabel *LBDescargarEn;
    FileNameLabel *LBRutaDescarga;
    QTimer Timer1;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
};

#include "twdescarga.h"

#include "filenamelabel.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

TWDescarga::TWDescarga(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      PBDescarga(new QProgressBar(this)), LBDescargarEn(new QLabel(QStringLiteral("Descargando:"), this)),
      LBRutaDescarga(new FileNameLabel(this))
{
    setWindowTitle(QStringLiteral("Descarga fichero"));
    // No range: the bar only shows activity (marquee), it does not follow the bytes received.
    PBDescarga->setRange(0, 0);
    PBDescarga->setTextVisible(false);
    LBRutaDescarga->setFixedWidth(400);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PBDescarga);
    layout->addWidget(LBDescargarEn);
    layout->addWidget(LBRutaDescarga);
    setFixedSize(422, 98);
    Timer1.setInterval(400);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

void TWDescarga::actualizarDescarga()
{
    LBRutaDescarga->setFileName(RutaDescargar);
    // Only this window repaints: letting every pending event run here could end this very
    // download, and its window with it, inside its own tick.
    repaint();
}

void TWDescarga::Timer1Timer()
{
    Descargado = Descargado < TotalDescargar ? Descargado + 20 : 0;
    actualizarDescarga();
}

void TWDescarga::showEvent(QShowEvent *event)
{
    Descargado = 0;
    LBRutaDescarga->setFileName(RutaDescargar);
    Timer1.start();
    QDialog::showEvent(event);
}

void TWDescarga::hideEvent(QHideEvent *event)
{
    Timer1.stop();
    QDialog::hideEvent(event);
}

#include "qtconfigurationwindow.h"

#include "dialogowner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

QtConfigurationWindow::QtConfigurationWindow(QString dirApp, TFrmUsuSel::World world)
    : m_dirApp(std::move(dirApp)), m_world(std::move(world))
{
}

ConfigurationWindow::Entries QtConfigurationWindow::showModal(const TConfigSysMostrador &configPrinter)
{
    TFrmUsuSel window(m_dirApp, configPrinter, m_world);
    window.mostrarAutologin = false;
    attachToOwnerWindow(window);
    Entries entries;
    entries.accepted = window.exec() == QDialog::Accepted;
    entries.usuario = window.EdtUsu->text();
    entries.contrasenya = window.EdtCon->text();
    entries.imprimirPuerto = window.RBPuerto->isChecked();
    entries.puerto = window.EPuerto->text();
    entries.indiceImpresora = window.EdtIndice->text();
    entries.impresionSoloTexto = window.impresionSoloTexto;
    entries.tipoPapel = window.CBOPapel->currentIndex();
    entries.logotipo = window.CBFicheroLogotipo->isChecked();
    entries.ficheroLogotipo = window.EFicheroLogotipo->text();
    return entries;
}

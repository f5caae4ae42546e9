#pragma once

#include "configsys.h"
#include "messageboxes.h"
#include "mostradorlogswitches.h"

#include <QDialog>
#include <QImage>

class ConfigurationDialogs;
class PrinterList;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The configuration window: credentials and ticket printer (a printer of the system with its
// paper and logo, or a serial or parallel port). Shown modally; exec() gives QDialog::Accepted
// only through a successful confirmation. It writes no settings: the caller reads its controls
// after it was accepted. The one file it writes is the logo "logo.bmp" in `DirApp`.
class TFrmUsuSel : public QDialog {
public:
    // What the window reaches outside itself.
    struct World {
        MessageBoxes &messageBoxes;
        QString messageCaption; // caption of its message boxes
        PrinterList &printers;
        ConfigurationDialogs &dialogs;
        MostradorLogSwitches logSwitches;
    };

    // `dirApp`: the installation directory, ending in "/". `configPrinter`: the settings read
    // from its "Ticketera.ini", shown whenever the window becomes active while that file exists.
    TFrmUsuSel(QString dirApp, const TConfigSysMostrador &configPrinter, World world, QWidget *parent = nullptr);

    QString DirApp;
    bool impresionSoloTexto = false; // the chosen printer is the text-only printer
    bool mostrarAutologin = false;   // set before the window is shown
    bool mostrarCredenciales = true; // false: no credentials group and none of its checks

    QGroupBox *GroupBox3;
    QLineEdit *EdtUsu;
    QLineEdit *EdtCon;
    QCheckBox *CBAutologin;
    QGroupBox *GroupBox4;
    QRadioButton *RBImpresora;
    QLineEdit *EdtIndice;
    QPushButton *BtnSeleccionarImpresora;
    QLineEdit *ENombreImpresora;
    QComboBox *CBOPapel;
    QFrame *PnImagen;
    QLabel *ImagenLogotipo;
    QCheckBox *CBFicheroLogotipo;
    QLineEdit *EFicheroLogotipo;
    QPushButton *BTFicheroLogotipo;
    QRadioButton *RBPuerto;
    QLineEdit *EPuerto;
    QPushButton *BTAceptar;
    QPushButton *BitBtn2;

    // Whether `EdtIndice` holds a whole number that is a position in the printer list.
    bool validarIndiceImpresora();
    // Takes the picture as the logo and saves it as "logo.bmp"; an empty name clears the logo.
    void cargarLogotipo(const QString &fileName);

    static const QString kTextOnlyPrinter;
    static constexpr int kPreviewSide = 120;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void becomeActive();
    void applyMode();
    void leaveIndex();
    void choosePrinter();
    void logoToggled(bool ticked);
    void choosePicture();
    void confirm();
    bool confirmationRefused();
    void applyTextOnlyRule(const QString &printerName);
    void setPreview(const QImage &picture);
    void showBox(MessageBoxes::Icon icon, const QString &text);
    void log(const QString &line) const;
    template <typename Handler> void guarded(Handler handler);
    QString printerAt(int position);

    const TConfigSysMostrador &m_configPrinter;
    World m_world;
    QImage m_preview;
    bool m_keepLogoFile = false; // a failed load unticks the logo without deleting the old file
};

#include "tfrmususel.h"

#include "configsys.h"
#include "configurationdialogs.h"
#include "escribirlog.h"
#include "failuredescription.h"
#include "filewriteerror.h"
#include "integertext.h"
#include "logoimages.h"
#include "printerlist.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const QString kLogoFile = QStringLiteral("logo.bmp");

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel *labelFor(const QString &caption, QWidget *buddy)
{
    auto *label = new QLabel(caption);
    label->setTextFormat(Qt::PlainText);
    label->setBuddy(buddy);
    return label;
}

// The position a text names in a list of `count` entries, if it is a whole number within it.
std::optional<int> positionIn(const QString &text, qsizetype count)
{
    const std::optional<int> n = parseInteger(text);
    if (!n || *n < 0 || *n >= count)
        return std::nullopt;
    return n;
}

} // namespace

const QString TFrmUsuSel::kTextOnlyPrinter = QStringLiteral("Generic / Text Only");

TFrmUsuSel::TFrmUsuSel(QString dirApp, const TConfigSysMostrador &configPrinter, World world, QWidget *parent)
    : QDialog(parent), DirApp(std::move(dirApp)), m_configPrinter(configPrinter), m_world(std::move(world))
{
    setObjectName(QStringLiteral("FrmUsuSel"));
    setWindowTitle(QStringLiteral("Configuración aplicación"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    buildControls();
    setFixedSize(344, 635);
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (!screens.isEmpty()) {
        const QSize monitor = screens.first()->geometry().size();
        move((monitor.width() - width()) / 2, (monitor.height() - height()) / 2);
    }
    // Enter and Escape are the window's before any control sees them; so is leaving a field.
    qApp->installEventFilter(this);

    const auto modeSelected = [this](bool selected) {
        if (selected)
            guarded([this] { applyMode(); });
    };
    connect(RBImpresora, &QRadioButton::toggled, this, modeSelected);
    connect(RBPuerto, &QRadioButton::toggled, this, modeSelected);
    connect(BtnSeleccionarImpresora, &QPushButton::clicked, this, [this] { guarded([this] { choosePrinter(); }); });
    connect(CBFicheroLogotipo, &QCheckBox::toggled, this, [this](bool ticked) { guarded([&] { logoToggled(ticked); }); });
    connect(BTFicheroLogotipo, &QPushButton::clicked, this, [this] { guarded([this] { choosePicture(); }); });
    connect(BTAceptar, &QPushButton::clicked, this, [this] { guarded([this] { confirm(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmUsuSel::buildControls()
{
    GroupBox3 = named(new QGroupBox(QStringLiteral("Acreditación")), "GroupBox3");
    EdtUsu = named(new QLineEdit, "EdtUsu");
    EdtCon = named(new QLineEdit, "EdtCon");
    EdtCon->setEchoMode(QLineEdit::Password);
    EdtCon->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    CBAutologin = named(new QCheckBox(QStringLiteral("Autologin:")), "CBAutologin");
    CBAutologin->setLayoutDirection(Qt::RightToLeft); // caption left of the box
    auto *credentials = new QFormLayout(GroupBox3);
    credentials->addRow(labelFor(QStringLiteral("Usuario:"), EdtUsu), EdtUsu);
    credentials->addRow(labelFor(QStringLiteral("Contraseña:"), EdtCon), EdtCon);

    GroupBox4 = named(new QGroupBox(QStringLiteral("Configuración Impresora Tickets")), "GroupBox4");
    RBImpresora = named(new QRadioButton(QStringLiteral("Seleccione una impresora")), "RBImpresora");
    RBImpresora->setChecked(true);
    EdtIndice = named(new QLineEdit, "EdtIndice");
    BtnSeleccionarImpresora = named(new QPushButton(QStringLiteral("Selección")), "BtnSeleccionarImpresora");
    ENombreImpresora = named(new QLineEdit, "ENombreImpresora");
    ENombreImpresora->setReadOnly(true);
    CBOPapel = named(new QComboBox, "CBOPapel");
    CBOPapel->addItems({QStringLiteral("Pequeño(5cm ancho)"), QStringLiteral("Grande  (7cm ancho)")});
    CBOPapel->setCurrentIndex(0);
    PnImagen = named(new QFrame, "PnImagen");
    PnImagen->setFrameShape(QFrame::Box);
    ImagenLogotipo = named(new QLabel, "ImagenLogotipo");
    ImagenLogotipo->setFixedSize(kPreviewSide, kPreviewSide);
    ImagenLogotipo->setAlignment(Qt::AlignCenter);
    auto *panel = new QHBoxLayout(PnImagen);
    panel->setContentsMargins(2, 2, 2, 2);
    panel->addWidget(ImagenLogotipo, 0, Qt::AlignCenter);
    CBFicheroLogotipo = named(new QCheckBox(QStringLiteral("Logotipo")), "CBFicheroLogotipo");
    EFicheroLogotipo = named(new QLineEdit, "EFicheroLogotipo");
    EFicheroLogotipo->setReadOnly(true);
    BTFicheroLogotipo = named(new QPushButton(QStringLiteral("...")), "BTFicheroLogotipo");
    BTFicheroLogotipo->setEnabled(false);
    BTFicheroLogotipo->setFixedWidth(32);
    RBPuerto = named(new QRadioButton(QStringLiteral("Seleccione un puerto")), "RBPuerto");
    EPuerto = named(new QLineEdit, "EPuerto");
    EPuerto->setEnabled(false);

    auto *indexRow = new QHBoxLayout;
    indexRow->addWidget(EdtIndice);
    indexRow->addWidget(BtnSeleccionarImpresora);
    auto *printerFields = new QFormLayout;
    printerFields->addRow(labelFor(QStringLiteral("Seleccionar Impresora:"), EdtIndice), indexRow);
    printerFields->addRow(labelFor(QStringLiteral("Nombre impresora:"), ENombreImpresora), ENombreImpresora);
    printerFields->addRow(labelFor(QStringLiteral("Tamaño papel:"), CBOPapel), CBOPapel);
    auto *logoRow = new QHBoxLayout;
    logoRow->addWidget(CBFicheroLogotipo);
    logoRow->addWidget(EFicheroLogotipo);
    logoRow->addWidget(BTFicheroLogotipo);
    auto *portFields = new QFormLayout;
    portFields->addRow(labelFor(QStringLiteral("Seleccionar Puerto:"), EPuerto), EPuerto);
    auto *printer = new QVBoxLayout(GroupBox4);
    printer->addWidget(RBImpresora);
    printer->addLayout(printerFields);
    printer->addWidget(PnImagen, 0, Qt::AlignHCenter);
    printer->addLayout(logoRow);
    printer->addWidget(RBPuerto);
    printer->addLayout(portFields);

    BTAceptar = named(new QPushButton(QStringLiteral("OK")), "BTAceptar");
    BitBtn2 = named(new QPushButton(QStringLiteral("&Cancelar")), "BitBtn2");
    for (QPushButton *button : {BtnSeleccionarImpresora, BTFicheroLogotipo, BTAceptar, BitBtn2})
        button->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BTAceptar);
    buttons->addWidget(BitBtn2);

    auto *window = new QVBoxLayout(this);
    window->addWidget(GroupBox3);
    // Outside the credentials group, which the configuration program leaves out.
    window->addWidget(CBAutologin, 0, Qt::AlignLeft | Qt::AlignAbsolute);
    window->addWidget(GroupBox4);
    window->addStretch();
    window->addLayout(buttons);
}

void TFrmUsuSel::log(const QString &line) const
{
    if (m_world.logSwitches.general)
        escribirLog(line);
}

template <typename Handler> void TFrmUsuSel::guarded(Handler handler)
{
    // An exception must not leave an event handler: the user sees it as the system would show it.
    try {
        handler();
    } catch (const std::exception &failure) {
        m_world.messageBoxes.show(MessageBoxes::Icon::Error, m_world.messageCaption, describeFailure(failure).message);
    } catch (...) {
        m_world.messageBoxes.show(MessageBoxes::Icon::Error, m_world.messageCaption, QStringLiteral("Error desconocido"));
    }
}

void TFrmUsuSel::showBox(MessageBoxes::Icon icon, const QString &text)
{
    m_world.messageBoxes.show(icon, m_world.messageCaption, text);
}

QString TFrmUsuSel::printerAt(int position)
{
    return m_world.printers.printerNames().value(position);
}

bool TFrmUsuSel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == this) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            guarded([this] { confirm(); });
            return true;
        }
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && (watched == EdtIndice || watched == EPuerto) && isVisible()) {
        // Leaving the field for another control of this window, not the window for another one.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            guarded([this] { leaveIndex(); });
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmUsuSel::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        guarded([this] { becomeActive(); });
}

void TFrmUsuSel::becomeActive()
{
    CBAutologin->setVisible(mostrarAutologin);
    GroupBox3->setVisible(mostrarCredenciales);
    if (!QFileInfo::exists(DirApp + kSettingsFile))
        return;
    const TConfigSysMostrador &stored = m_configPrinter;
    if (mostrarAutologin)
        CBAutologin->setChecked(stored.autologin == 1);

    if (stored.imprimirPuerto) {
        RBPuerto->setChecked(true);
        EPuerto->setText(stored.puerto);
        EPuerto->setEnabled(true);
        EdtIndice->clear();
        EdtIndice->setEnabled(false);
        BtnSeleccionarImpresora->setEnabled(false);
        ENombreImpresora->clear();
        impresionSoloTexto = false;
        CBFicheroLogotipo->setChecked(false);
        CBFicheroLogotipo->setEnabled(false);
        EFicheroLogotipo->clear();
        BTFicheroLogotipo->setEnabled(false);
        return;
    }

    RBImpresora->setChecked(true);
    for (QWidget *control : std::initializer_list<QWidget *>{EdtIndice, BtnSeleccionarImpresora, CBOPapel, CBFicheroLogotipo})
        control->setEnabled(true);
    if (stored.indiceImpresora.isEmpty() || stored.tipoPapel.isEmpty())
        return;
    const QStringList printers = m_world.printers.printerNames();
    const std::optional<int> position = positionIn(stored.indiceImpresora, printers.size());
    if (position) {
        EdtIndice->setText(stored.indiceImpresora);
        ENombreImpresora->setText(printers.at(*position));
    } else {
        EdtIndice->clear();
        ENombreImpresora->clear();
    }
    impresionSoloTexto = position && printers.at(*position) == kTextOnlyPrinter;
    // The stored paper is shown, so that confirming again keeps it.
    CBOPapel->setCurrentIndex(positionIn(stored.tipoPapel, CBOPapel->count()).value_or(0));

    if (!impresionSoloTexto && !stored.ficheroLogo.isEmpty() && QFileInfo::exists(stored.ficheroLogo)) {
        CBFicheroLogotipo->setChecked(true);
        BTFicheroLogotipo->setEnabled(true);
        EFicheroLogotipo->setText(stored.ficheroLogo);
        // The settings file is the terminal users' to write, and Configuracion runs as root: the
        // stored logo goes through the same strict readers as a picture chosen here.
        QImage picture;
        cargarImagen(stored.ficheroLogo, picture, QRect(), false);
        setPreview(picture);
    } else if (impresionSoloTexto) {
        CBFicheroLogotipo->setChecked(false);
        CBFicheroLogotipo->setEnabled(false);
        EFicheroLogotipo->clear();
        BTFicheroLogotipo->setEnabled(false);
    } else {
        CBFicheroLogotipo->setChecked(false);
        BTFicheroLogotipo->setEnabled(false);
        EFicheroLogotipo->clear();
    }
    EPuerto->clear();
    EPuerto->setEnabled(false);
}

void TFrmUsuSel::applyMode()
{
    const bool port = RBPuerto->isChecked();
    for (QWidget *control : std::initializer_list<QWidget *>{EdtIndice, BtnSeleccionarImpresora, CBOPapel,
                                                             CBFicheroLogotipo, BTFicheroLogotipo})
        control->setEnabled(!port);
    EPuerto->setEnabled(port);
    if (port) {
        EdtIndice->clear();
        ENombreImpresora->clear();
        EFicheroLogotipo->clear();
        CBFicheroLogotipo->setChecked(false);
    } else {
        EPuerto->clear();
    }
}

bool TFrmUsuSel::validarIndiceImpresora()
{
    const bool valid = positionIn(EdtIndice->text(), m_world.printers.printerNames().size()).has_value();
    log(valid ? QStringLiteral("Indice de impresora a cargar:") + EdtIndice->text()
              : QStringLiteral("Indice de impresora a cargar FUERA DE RANGO"));
    return valid;
}

void TFrmUsuSel::applyTextOnlyRule(const QString &printerName)
{
    impresionSoloTexto = printerName == kTextOnlyPrinter;
    if (impresionSoloTexto) {
        CBFicheroLogotipo->setChecked(false);
        CBFicheroLogotipo->setEnabled(false);
        EFicheroLogotipo->clear();
        BTFicheroLogotipo->setEnabled(false);
    } else {
        CBFicheroLogotipo->setEnabled(true);
    }
}

void TFrmUsuSel::leaveIndex()
{
    if (EdtIndice->text().isEmpty())
        return;
    if (validarIndiceImpresora()) {
        const QString name = printerAt(*parseInteger(EdtIndice->text()));
        ENombreImpresora->setText(name);
        log(QStringLiteral("Nombre modificado de impresora a cargar:") + name);
        applyTextOnlyRule(name);
    } else {
        EdtIndice->clear();
        ENombreImpresora->clear();
        EdtIndice->setFocus();
    }
}

void TFrmUsuSel::choosePrinter()
{
    const std::optional<int> chosen = m_world.dialogs.printerSetup(this);
    // A cancelled dialog changes nothing; a printer picked changes only the index and name.
    if (!chosen)
        return;
    EdtIndice->setText(QString::number(*chosen));
    if (validarIndiceImpresora()) {
        const QString name = printerAt(*chosen);
        ENombreImpresora->setText(name);
        applyTextOnlyRule(name);
    } else {
        EdtIndice->clear();
        ENombreImpresora->clear();
        EdtIndice->setFocus();
    }
}

void TFrmUsuSel::logoToggled(bool ticked)
{
    BTFicheroLogotipo->setEnabled(ticked);
    if (ticked)
        return;
    cargarLogotipo(QString());
    if (!m_keepLogoFile)
        QFile::remove(DirApp + kLogoFile);
}

void TFrmUsuSel::choosePicture()
{
    const QString picture = m_world.dialogs.openPicture(this);
    if (!picture.isEmpty())
        cargarLogotipo(picture);
}

void TFrmUsuSel::setPreview(const QImage &picture)
{
    m_preview = picture;
    ImagenLogotipo->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
}

void TFrmUsuSel::cargarLogotipo(const QString &fileName)
{
    if (fileName.isEmpty()) {
        EFicheroLogotipo->clear();
        CBFicheroLogotipo->setChecked(false);
        BTFicheroLogotipo->setEnabled(false);
        setPreview(QImage());
        return;
    }
    const QFileInfo file(fileName);
    if (!file.exists() || file.isDir())
        return;
    QImage picture = m_preview;
    bool taken = cargarImagen(fileName, picture, QRect(0, 0, kPreviewSide, kPreviewSide), true);
    if (taken) {
        // A logo that cannot be saved whole is no logo: the old file stays as it was.
        try {
            saveBitmap(picture, DirApp + kLogoFile);
        } catch (const FileWriteError &e) {
            // The box below is all the clerk sees; the log tells support why (often: not in the
            // group that may write the installation directory).
            escribirLog(QStringLiteral("ERROR: no se pudo guardar el logotipo: ") + e.message());
            taken = false;
        }
    }
    if (taken) {
        setPreview(picture);
        EFicheroLogotipo->setText(DirApp + kLogoFile);
        CBFicheroLogotipo->setChecked(true);
        BTFicheroLogotipo->setEnabled(true);
        return;
    }
    showBox(MessageBoxes::Icon::Error, QStringLiteral("El fichero no tiene un formato válido"));
    EFicheroLogotipo->clear();
    m_keepLogoFile = true;
    const auto restore = qScopeGuard([this] { m_keepLogoFile = false; });
    CBFicheroLogotipo->setChecked(false);
    BTFicheroLogotipo->setEnabled(false);
}

void TFrmUsuSel::confirm()
{
    if (!confirmationRefused())
        accept();
}

bool TFrmUsuSel::confirmationRefused()
{
    using Icon = MessageBoxes::Icon;
    const auto refuse = [this](Icon icon, const QString &text) {
        showBox(icon, text);
        // A refused confirmation shows the stored settings again. Only here: after the dialogs
        // and the picture's box it would throw away what the clerk had just chosen.
        becomeActive();
        return true;
    };
    if (mostrarCredenciales && EdtUsu->text().isEmpty())
        return refuse(Icon::Warning, QStringLiteral("Debe introducir un nombre de usuario"));
    if (mostrarCredenciales && EdtCon->text().isEmpty())
        return refuse(Icon::Warning, QStringLiteral("Debe introducir una contraseña"));

    if (!RBPuerto->isChecked()) {
        if (EdtIndice->text().isEmpty())
            return refuse(Icon::Error, QStringLiteral("Debe seleccionar una impresora"));
        if (!validarIndiceImpresora())
            return refuse(Icon::Error, QStringLiteral("La impresora seleccionada no existe. Presione el boton Seleccionar"));
        if (CBOPapel->currentIndex() < 0)
            return refuse(Icon::Warning, QStringLiteral("Debe seleccionar una tamaño de papel"));
        if (CBFicheroLogotipo->isChecked() && EFicheroLogotipo->text().isEmpty())
            return refuse(Icon::Error, QStringLiteral("Debe seleccionar una imagen de logotipo"));
        log(QStringLiteral("Configuracion de impresion por impresora:") + EdtIndice->text());
        impresionSoloTexto = printerAt(*parseInteger(EdtIndice->text())) == kTextOnlyPrinter;
        log(QStringLiteral("Valor modificado de impresion solo texto:") +
            (impresionSoloTexto ? QStringLiteral("-1") : QStringLiteral("0")));
        return false;
    }

    log(QStringLiteral("ERROR CAMBIO CONFIGURACION: Ha de seleccionar un puerto\r\n"));
    if (EPuerto->text().isEmpty())
        return refuse(Icon::Error, QStringLiteral("Debe escribir un puerto"));
    const QString prefix = EPuerto->text().left(3).toUpper();
    if (prefix != u"COM" && prefix != u"LPT")
        return refuse(Icon::Error, QStringLiteral("Debe seleccionar un puerto COM o LPT"));
    log(QStringLiteral("Configuracion de impresion por puerto:") + EPuerto->text());
    return false;
}

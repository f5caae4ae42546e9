#include "installationtest.h"
#include "recordingmessageboxes.h"
#include "scriptedworld.h"
#include "tfrmususel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Icon = MessageBoxes::Icon;
const QString kCaption = QStringLiteral("Zelvora Mostrador");
const QString kBadPicture = QStringLiteral("El fichero no tiene un formato válido");

class TFrmUsuSelTest : public InstallationTest {
protected:
    QString logo() const { return appDir() + QStringLiteral("logo.bmp"); }

    // The window as the enrolment shows it; `settingsFile`: "Ticketera.ini" exists.
    void open(bool settingsFile = false, bool autologin = false)
    {
        if (settingsFile)
            write(appDir() + QStringLiteral("Ticketera.ini"), "[PRINTER_CONFIG]\r\n");
        window = std::make_unique<TFrmUsuSel>(appDir(), config,
                                              TFrmUsuSel::World{boxes, kCaption, printers, dialogs, {true, true}});
        window->mostrarAutologin = autologin;
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void type(QLineEdit *field, const QString &text)
    {
        field->setFocus();
        QTest::keyClicks(field, text);
    }
    void tab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
    void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A picture made for the test, saved in `format` under `name`.
    QString picture(const QString &name, const char *format, QSize size = {200, 100})
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        const QString path = m_dir.path() + u'/' + name;
        EXPECT_TRUE(image.save(path, format));
        return path;
    }
    // Takes a picture as the logo through the "..." button.
    void chooseLogo()
    {
        if (!window->CBFicheroLogotipo->isChecked())
            click(window->CBFicheroLogotipo);
        dialogs.picture = picture(QStringLiteral("logo.png"), "PNG");
        click(window->BTFicheroLogotipo);
        ASSERT_TRUE(QFile::exists(logo()));
    }
    QList<std::pair<Icon, QString>> shown() const
    {
        QList<std::pair<Icon, QString>> texts;
        for (const auto &box : boxes.boxes) {
            EXPECT_EQ(box.caption, kCaption);
            texts.append({box.icon, box.text});
        }
        return texts;
    }
    TConfigSysMostrador config;
    RecordingMessageBoxes boxes;
    ScriptedPrinters printers;
    ScriptedDialogs dialogs;
    std::unique_ptr<TFrmUsuSel> window;
};

TEST_F(TFrmUsuSelTest, WithoutSettingsTheWindowStartsInPrinterModeWithItsDefaults)
{
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Configuración aplicación"));
    EXPECT_EQ(window->size(), QSize(344, 635));
    // Centred on the first monitor, 800 x 800 offscreen: (800 - 635) / 2 = 82.5 is truncated.
    ASSERT_EQ(QGuiApplication::screens().first()->geometry(), QRect(0, 0, 800, 800));
    EXPECT_EQ(window->pos(), QPoint(228, 82));
    const std::pair<const char *, const char *> captions[] = {
        {"GroupBox3", "Acreditación"}, {"CBAutologin", "Autologin:"}, {"GroupBox4", "Configuración Impresora Tickets"},
        {"RBImpresora", "Seleccione una impresora"}, {"BtnSeleccionarImpresora", "Selección"},
        {"CBFicheroLogotipo", "Logotipo"}, {"BTFicheroLogotipo", "..."}, {"RBPuerto", "Seleccione un puerto"},
        {"BTAceptar", "OK"}, {"BitBtn2", "&Cancelar"}, {"EdtUsu", ""}, {"EdtCon", ""}, {"EdtIndice", ""},
        {"ENombreImpresora", ""}, {"EFicheroLogotipo", ""}, {"EPuerto", ""}, {"ImagenLogotipo", ""}};
    for (const auto &[name, caption] : captions) {
        const auto *control = window->findChild<QWidget *>(QLatin1String(name));
        ASSERT_NE(control, nullptr) << name;
        const QVariant text = control->property("text");
        EXPECT_EQ((text.isValid() ? text : control->property("title")).toString(), QString::fromUtf8(caption)) << name;
    }
    EXPECT_TRUE(window->RBImpresora->isChecked());
    EXPECT_EQ(window->CBOPapel->currentIndex(), 0);
    EXPECT_EQ(window->CBOPapel->itemText(1), QStringLiteral("Grande  (7cm ancho)"));
    EXPECT_FALSE(window->CBFicheroLogotipo->isChecked());
    EXPECT_FALSE(window->BTFicheroLogotipo->isEnabled());
    EXPECT_FALSE(window->EPuerto->isEnabled());
    EXPECT_FALSE(window->CBAutologin->isVisible());
    EXPECT_EQ(window->EdtCon->echoMode(), QLineEdit::Password);
}

TEST_F(TFrmUsuSelTest, ConfirmationChecksRunInTheirOrderFromEnterInThePasswordField)
{
    const QString portLine = QStringLiteral("ERROR CAMBIO CONFIGURACION: Ha de seleccionar un puerto\r\n");
    const struct {
        const char *usuario;
        const char *contrasenya;
        const char *indice;   // typed in printer mode; null: port mode
        const char *puerto;   // typed in port mode
        int printersLeft;     // printers still installed when Enter is pressed
        int papel;
        bool logo;            // logo ticked without a picture
        Icon icon;
        const char *message;  // null: accepted
        const char *lastLine; // of the log
    } rows[] = {
        {"", "c", "0", nullptr, 3, 0, false, Icon::Warning, "Debe introducir un nombre de usuario", nullptr},
        {"u", "", "0", nullptr, 3, 0, false, Icon::Warning, "Debe introducir una contraseña", nullptr},
        {"u", "c", "", nullptr, 3, 0, false, Icon::Error, "Debe seleccionar una impresora", nullptr},
        {"u", "c", "2", nullptr, 2, 0, false, Icon::Error, "La impresora seleccionada no existe. Presione el boton Seleccionar",
         "Indice de impresora a cargar FUERA DE RANGO"},
        {"u", "c", "1", nullptr, 3, -1, false, Icon::Warning, "Debe seleccionar una tamaño de papel", nullptr},
        {"u", "c", "1", nullptr, 3, 1, true, Icon::Error, "Debe seleccionar una imagen de logotipo", nullptr},
        {"u", "c", "1", nullptr, 3, 1, false, Icon::Error, nullptr, "Valor modificado de impresion solo texto:0"},
        {"u", "c", "2", nullptr, 3, 0, false, Icon::Error, nullptr, "Valor modificado de impresion solo texto:-1"},
        {"u", "c", nullptr, "", 3, 0, false, Icon::Error, "Debe escribir un puerto", "ERROR CAMBIO CONFIGURACION: Ha de seleccionar un puerto"},
        {"u", "c", nullptr, "USB1", 3, 0, false, Icon::Error, "Debe seleccionar un puerto COM o LPT", nullptr},
        {"u", "c", nullptr, "CO", 3, 0, false, Icon::Error, "Debe seleccionar un puerto COM o LPT", nullptr},
        {"u", "c", nullptr, "com3", 3, 0, false, Icon::Error, nullptr, "Configuracion de impresion por puerto:com3"},
        {"u", "c", nullptr, "LPT", 3, 0, false, Icon::Error, nullptr, "Configuracion de impresion por puerto:LPT"},
        {"u", "c", nullptr, "COM", 3, 0, false, Icon::Error, nullptr, "Configuracion de impresion por puerto:COM"},
        {"u", "c", nullptr, "COMX", 3, 0, false, Icon::Error, nullptr, "Configuracion de impresion por puerto:COMX"},
    };
    for (const auto &row : rows) {
        const std::string label = std::string(row.usuario) + "/" + row.contrasenya + "/" +
                                  (row.indice ? row.indice : std::string("port ") + row.puerto);
        boxes.boxes.clear();
        QFile::remove(workDir() + QStringLiteral("/ZelvoraMostrador.log"));
        printers = ScriptedPrinters();
        open();
        if (row.indice) {
            type(window->EdtIndice, QString::fromLatin1(row.indice));
            window->CBOPapel->setCurrentIndex(row.papel);
            if (row.logo)
                click(window->CBFicheroLogotipo);
        } else {
            click(window->RBPuerto);
            type(window->EPuerto, QString::fromLatin1(row.puerto));
        }
        type(window->EdtUsu, QString::fromLatin1(row.usuario));
        type(window->EdtCon, QString::fromUtf8(row.contrasenya));
        printers.names = printers.names.mid(0, row.printersLeft);
        QTest::keyClick(window->EdtCon, Qt::Key_Return);

        if (row.message) {
            EXPECT_EQ(shown(), (QList<std::pair<Icon, QString>>{{row.icon, QString::fromUtf8(row.message)}})) << label;
            EXPECT_TRUE(window->isVisible()) << label;
        } else {
            EXPECT_TRUE(shown().isEmpty()) << label;
            EXPECT_EQ(window->result(), QDialog::Accepted) << label;
            EXPECT_FALSE(window->isVisible()) << label;
        }
        const QStringList lines = logLines();
        if (row.lastLine) {
            EXPECT_EQ(lines.value(lines.size() - 1), QString::fromLatin1(row.lastLine)) << label;
        }
        EXPECT_EQ(lines.contains(portLine.trimmed()), !row.indice && row.usuario[0] && row.contrasenya[0]) << label;
    }
}

TEST_F(TFrmUsuSelTest, LeavingThePrinterIndexNamesThePrinterOrClearsItSilently)
{
    const struct {
        const char *typed;
        const char *index;  // left in the field
        const char *name;
        const char *line;   // last log line
    } rows[] = {
        {"1", "1", "Segunda", "Nombre modificado de impresora a cargar:Segunda"},
        {"3", "", "", "Indice de impresora a cargar FUERA DE RANGO"},
        {"-1", "", "", "Indice de impresora a cargar FUERA DE RANGO"},
        {"x", "", "", "Indice de impresora a cargar FUERA DE RANGO"},
    };
    for (const auto &row : rows) {
        QFile::remove(workDir() + QStringLiteral("/ZelvoraMostrador.log"));
        open();
        type(window->EdtIndice, QString::fromLatin1(row.typed));
        tab();
        EXPECT_EQ(window->EdtIndice->text(), QString::fromLatin1(row.index)) << row.typed;
        EXPECT_EQ(window->ENombreImpresora->text(), QString::fromLatin1(row.name)) << row.typed;
        EXPECT_EQ(logLines().last(), QString::fromLatin1(row.line)) << row.typed;
        EXPECT_EQ(logLines().count(QString::fromLatin1(row.line)), 1) << row.typed;
        EXPECT_EQ(QApplication::focusWidget() == window->EdtIndice, !*row.index) << row.typed;
    }
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(TFrmUsuSelTest, TheTextOnlyPrinterDropsTheLogoWhicheverWayItIsChosen)
{
    for (const bool throughDialog : {false, true}) {
        open();
        chooseLogo();
        if (throughDialog) {
            dialogs.printer = 2;
            click(window->BtnSeleccionarImpresora);
        } else {
            type(window->EdtIndice, QStringLiteral("2"));
            tab();
        }
        EXPECT_EQ(window->ENombreImpresora->text(), QStringLiteral("Generic / Text Only"));
        EXPECT_TRUE(window->impresionSoloTexto);
        EXPECT_FALSE(window->CBFicheroLogotipo->isChecked());
        EXPECT_FALSE(window->CBFicheroLogotipo->isEnabled());
        EXPECT_FALSE(window->BTFicheroLogotipo->isEnabled());
        EXPECT_TRUE(window->EFicheroLogotipo->text().isEmpty());
        EXPECT_FALSE(QFile::exists(logo())) << throughDialog;

        dialogs.printer = 0;
        click(window->BtnSeleccionarImpresora);
        EXPECT_FALSE(window->impresionSoloTexto);
        EXPECT_TRUE(window->CBFicheroLogotipo->isEnabled());
    }
    // A dialog changes only what it picks, a cancelled one nothing, whatever was stored: never back
    // to the stored settings over what the clerk entered.
    printers.names << QStringLiteral("Cuarta");
    const struct {
        bool storedPort;
        bool printerDialog; // else the picture dialog
        bool picked;
    } rows[] = {{false, true, false}, {false, true, true},  {false, false, false}, {false, false, true},
                {true, true, false},  {true, true, true},   {true, false, false},  {true, false, true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.storedPort << row.printerDialog << row.picked);
        config = TConfigSysMostrador();
        config.autologin = 1;
        config.imprimirPuerto = row.storedPort;
        config.puerto = row.storedPort ? QStringLiteral("COM2") : QString();
        config.indiceImpresora = row.storedPort ? QString() : QStringLiteral("1");
        config.tipoPapel = QStringLiteral("1");
        QFile::remove(logo());
        open(true, true);
        if (row.storedPort)
            click(window->RBImpresora);
        window->EdtIndice->clear();
        type(window->EdtIndice, QStringLiteral("0"));
        tab();
        window->CBOPapel->setCurrentIndex(0);
        click(window->CBFicheroLogotipo);
        click(window->CBAutologin);
        dialogs.printer = row.picked ? std::optional(3) : std::nullopt;
        dialogs.picture = row.picked ? picture(QStringLiteral("logo.png"), "PNG") : QString();
        click(row.printerDialog ? window->BtnSeleccionarImpresora : window->BTFicheroLogotipo);
        const bool newPrinter = row.printerDialog && row.picked, newLogo = !row.printerDialog && row.picked;
        EXPECT_TRUE(window->RBImpresora->isChecked());
        EXPECT_FALSE(window->EPuerto->isEnabled() || !window->EdtIndice->isEnabled());
        EXPECT_EQ(window->EPuerto->text(), QString());
        EXPECT_EQ(window->EdtIndice->text(), newPrinter ? QStringLiteral("3") : QStringLiteral("0"));
        EXPECT_EQ(window->ENombreImpresora->text(), newPrinter ? QStringLiteral("Cuarta") : QStringLiteral("Primera"));
        EXPECT_EQ(window->CBOPapel->currentIndex(), 0);
        EXPECT_TRUE(window->CBFicheroLogotipo->isChecked() && window->BTFicheroLogotipo->isEnabled());
        EXPECT_EQ(window->EFicheroLogotipo->text(), newLogo ? logo() : QString());
        EXPECT_FALSE(window->CBAutologin->isChecked());
        EXPECT_TRUE(boxes.boxes.isEmpty());
    }
    // A printer the list does not hold clears the fields.
    dialogs.printer = -1;
    click(window->BtnSeleccionarImpresora);
    EXPECT_EQ(window->EdtIndice->text() + window->ENombreImpresora->text(), QString());
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(TFrmUsuSelTest, PortModeClearsThePrinterAndDropsTheLogo)
{
    open();
    type(window->EdtIndice, QStringLiteral("1"));
    tab();
    chooseLogo();
    click(window->RBPuerto);
    EXPECT_FALSE(QFile::exists(logo()));
    for (QLineEdit *cleared : {window->EdtIndice, window->ENombreImpresora, window->EFicheroLogotipo})
        EXPECT_TRUE(cleared->text().isEmpty()) << qPrintable(cleared->objectName());
    EXPECT_FALSE(window->CBFicheroLogotipo->isChecked());
    for (QWidget *control : std::initializer_list<QWidget *>{window->EdtIndice, window->BtnSeleccionarImpresora, window->CBOPapel,
                                                             window->CBFicheroLogotipo, window->BTFicheroLogotipo})
        EXPECT_FALSE(control->isEnabled()) << qPrintable(control->objectName());
    EXPECT_TRUE(window->EPuerto->isEnabled());

    type(window->EPuerto, QStringLiteral("COM1"));
    click(window->RBImpresora);
    EXPECT_TRUE(window->EPuerto->text().isEmpty());
    EXPECT_FALSE(window->EPuerto->isEnabled());
    EXPECT_TRUE(window->EdtIndice->isEnabled());
    EXPECT_TRUE(window->BTFicheroLogotipo->isEnabled());
}

TEST_F(TFrmUsuSelTest, PicturesChosenForTheLogo)
{
    const struct {
        const char *name;
        const char *format; // null: no such file
        bool taken;
        bool refused;
    } rows[] = {
        {"logo.Jpg", "JPG", false, true},
        {"logo.gif", "PNG", false, true},
        {"foto.JPEG", "JPG", true, false},
        {"logo.bmp", "BMP", true, false},
        {"gone.png", nullptr, false, false},
    };
    for (const auto &row : rows) {
        boxes.boxes.clear();
        QFile::remove(logo());
        open();
        click(window->CBFicheroLogotipo);
        dialogs.picture = row.format ? picture(QString::fromLatin1(row.name), row.format, {400, 300})
                                     : QStringLiteral("/nonexistent/gone.png");
        click(window->BTFicheroLogotipo);
        EXPECT_EQ(shown().size(), row.refused ? 1 : 0) << row.name;
        if (row.refused) {
            EXPECT_EQ(shown().first(), std::make_pair(Icon::Error, kBadPicture)) << row.name;
        }
        EXPECT_EQ(window->EFicheroLogotipo->text(), row.taken ? logo() : QString()) << row.name;
        EXPECT_EQ(window->CBFicheroLogotipo->isChecked(), !row.refused) << row.name;
        EXPECT_EQ(window->BTFicheroLogotipo->isEnabled(), !row.refused) << row.name;
        EXPECT_EQ(QImage(logo()).size(), row.taken ? QSize(120, 90) : QSize(0, 0)) << row.name;
    }
}

TEST_F(TFrmUsuSelTest, ALogoThatCannotBeSavedLeavesTheOldOne)
{
    open();
    chooseLogo();
    const QByteArray old = read(logo());
    dialogs.picture = picture(QStringLiteral("new.bmp"), "BMP", {300, 300});
    // A file size limit makes every write of the new logo fail, as a full disk would.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    click(window->BTFicheroLogotipo);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(shown(), (QList<std::pair<Icon, QString>>{{Icon::Error, kBadPicture}}));
    // The box keeps its text; the log says what really happened.
    EXPECT_EQ(logLines().filter(QStringLiteral("ERROR: no se pudo guardar el logotipo: No se puede escribir el fichero ") +
                                logo() + QStringLiteral(": ")).size(), 1) << logLines().join(u'\n').toStdString();
    EXPECT_EQ(read(logo()), old);
    EXPECT_TRUE(window->EFicheroLogotipo->text().isEmpty());
    EXPECT_FALSE(window->CBFicheroLogotipo->isChecked());
    EXPECT_EQ(QDir(appDir()).entryList(QDir::Files), QStringList({QStringLiteral("logo.bmp")}));
}

TEST_F(TFrmUsuSelTest, StoredSettingsComeBackWheneverTheWindowBecomesActive)
{
    const struct {
        bool port;
        bool autologin;
        bool textOnly; // the stored printer is "Generic / Text Only": its stored logo is not taken
    } rows[] = {{false, true, false}, {true, false, false}, {false, false, true}};
    for (const auto &row : rows) {
        const bool withLogo = !row.port && !row.textOnly;
        const QString index = row.port ? QString() : row.textOnly ? QStringLiteral("2") : QStringLiteral("1");
        boxes.boxes.clear();
        config = TConfigSysMostrador();
        config.autologin = 1;
        if (row.port) {
            config.imprimirPuerto = true;
            config.puerto = QStringLiteral("COM2");
        } else {
            config.indiceImpresora = index;
            config.tipoPapel = QStringLiteral("1");
            config.ficheroLogo = logo();
            write(logo(), read(picture(QStringLiteral("stored.bmp"), "BMP", {120, 60})));
        }
        open(true, row.autologin);
        const auto expectStored = [&](const char *when) {
            EXPECT_EQ(window->RBPuerto->isChecked(), row.port) << when;
            EXPECT_EQ(window->EPuerto->text(), row.port ? QStringLiteral("COM2") : QString()) << when;
            EXPECT_EQ(window->EdtIndice->text(), index) << when;
            EXPECT_EQ(window->ENombreImpresora->text(), row.port ? QString() : printers.names.at(index.toInt()))
                << when;
            EXPECT_EQ(window->CBOPapel->currentIndex(), row.port ? 0 : 1) << when;
            EXPECT_EQ(window->CBFicheroLogotipo->isChecked(), withLogo) << when;
            EXPECT_EQ(window->CBFicheroLogotipo->isEnabled(), withLogo) << when;
            EXPECT_EQ(window->EFicheroLogotipo->text(), withLogo ? logo() : QString()) << when;
            EXPECT_EQ(window->CBAutologin->isVisible(), row.autologin) << when;
            EXPECT_EQ(window->CBAutologin->isChecked(), row.autologin) << when;
        };
        expectStored("shown");
        EXPECT_EQ(window->ImagenLogotipo->pixmap().size(), withLogo ? QSize(120, 60) : QSize(0, 0));

        // The user changes the printer, then confirms without a password.
        type(window->EdtUsu, QStringLiteral("usuario"));
        if (row.port)
            click(window->RBImpresora);
        window->EdtIndice->clear();
        type(window->EdtIndice, QStringLiteral("0"));
        window->CBOPapel->setCurrentIndex(0);
        click(window->BTAceptar);
        EXPECT_EQ(shown(), (QList<std::pair<Icon, QString>>{{Icon::Warning, QStringLiteral("Debe introducir una contraseña")}}));
        expectStored("after the box");
        EXPECT_EQ(window->EdtUsu->text(), QStringLiteral("usuario"));
    }
}

TEST_F(TFrmUsuSelTest, AStoredLogoThatIsNoFileShowsNoPicture)
{
    // The settings are the terminal users' to write; the window may run as root. Nothing but a
    // regular file is read: not a FIFO (a reader would wait for it forever), not a pipe that
    // holds a whole picture under a picture's name.
    const QString fifo = appDir() + QStringLiteral("fifo.bmp");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const auto closeReadEnd = qScopeGuard([&] { ::close(ends[0]); });
    const QByteArray bitmap = read(picture(QStringLiteral("piped.bmp"), "BMP", {120, 60}));
    ASSERT_EQ(::write(ends[1], bitmap.constData(), size_t(bitmap.size())), bitmap.size());
    ::close(ends[1]);
    const QString piped = appDir() + QStringLiteral("pipe.bmp");
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/fd/%1").arg(ends[0]), piped));
    for (const QString &stored : {fifo, piped}) {
        SCOPED_TRACE(stored.toStdString());
        config = TConfigSysMostrador();
        config.indiceImpresora = QStringLiteral("1");
        config.tipoPapel = QStringLiteral("1");
        config.ficheroLogo = stored;
        open(true);
        EXPECT_EQ(window->EFicheroLogotipo->text(), stored);
        EXPECT_TRUE(window->ImagenLogotipo->pixmap().isNull());
    }
}

TEST_F(TFrmUsuSelTest, EscapeCancelAndClosingCancel)
{
    const std::function<void(TFrmUsuSel &)> ways[] = {
        [](TFrmUsuSel &w) { QTest::keyClick(w.EdtUsu, Qt::Key_Escape); },
        [](TFrmUsuSel &w) { QTest::keyClick(w.BTAceptar, Qt::Key_Escape, Qt::ShiftModifier); },
        [](TFrmUsuSel &w) { QTest::mouseClick(w.BitBtn2, Qt::LeftButton); },
        [](TFrmUsuSel &w) { w.close(); },
    };
    for (const auto &way : ways) {
        open();
        type(window->EdtUsu, QStringLiteral("u"));
        way(*window);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->result(), QDialog::Rejected);
    }
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(TFrmUsuSelTest, AFailureInAHandlerIsShownAndTheWindowStays)
{
    open();
    printers.fail = true;
    type(window->EdtIndice, QStringLiteral("1"));
    tab();
    EXPECT_EQ(shown(), (QList<std::pair<Icon, QString>>{{Icon::Error, QStringLiteral("CUPS no responde")}}));
    EXPECT_TRUE(window->isVisible());
}

} // namespace

#include "configurationdialogs.h"
#include "configurationprogram.h"
#include "mostradorlog.h"
#include "printerlist.h"
#include "recordingmessageboxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Printers : public PrinterList {
public:
    QStringList printerNames() override
    {
        return {QStringLiteral("Primera"), QStringLiteral("Segunda"), QStringLiteral("Generic / Text Only")};
    }
};

class NoDialogs : public ConfigurationDialogs {
public:
    std::optional<int> printerSetup(QWidget *) override { return std::nullopt; }
    QString openPicture(QWidget *) override { return QString(); }
};

class ConfigurationProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(m_dir.path()));
    }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    QString appDir() const { return m_dir.path() + u'/'; }
    QStringList logLines() const { return mostradorLogLines(m_dir.path(), QStringLiteral("Configuracion.log")); }
    QString settings() const { return appDir() + QStringLiteral("Ticketera.ini"); }
    QByteArray read(const QString &path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QString &path, const QByteArray &bytes) const
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // Runs the program; `user` plays the person at the window once it is shown.
    bool run(const std::function<void(TFrmUsuSel &)> &user)
    {
        QTimer::singleShot(0, [&] {
            auto *window = dynamic_cast<TFrmUsuSel *>(QApplication::activeModalWidget());
            if (!window) {
                ADD_FAILURE() << "no configuration window";
                return;
            }
            seen.credentials = window->GroupBox3->isVisible();
            seen.autologin = window->CBAutologin->isVisible();
            user(*window);
            if (window->isVisible()) {
                ADD_FAILURE() << "the window stayed open";
                window->reject();
            }
        });
        ConfigurationProgram program(appDir(), {boxes, QStringLiteral("Configuración aplicación"), printers, dialogs,
                                                {true, true}});
        return program.run();
    }

    struct {
        bool credentials = true;
        bool autologin = false;
    } seen;
    RecordingMessageBoxes boxes;
    Printers printers;
    NoDialogs dialogs;

private:
    QTemporaryDir m_dir;
};

void type(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->clear();
    QTest::keyClicks(field, text);
}

TEST_F(ConfigurationProgramTest, OkSavesThePrinterAndTheAutologinChoiceWithoutCredentialsCancelNothing)
{
    const QByteArray stored = "[CONNECTION]\r\nIP_CONFIG=ABC\r\nAUTOL=0\r\n[PRINTER_CONFIG]\r\nPRINTER=0\r\nPAPER=0\r\n";
    const auto changeThen = [](std::function<void(TFrmUsuSel &)> close) {
        return [close](TFrmUsuSel &w) {
            type(w.EdtIndice, QStringLiteral("1"));
            QTest::mouseClick(w.CBAutologin, Qt::LeftButton);
            close(w);
        };
    };
    const struct {
        const char *name;
        QByteArray before; // "": no settings file
        std::function<void(TFrmUsuSel &)> user;
        QByteArray after; // "": as before, nothing saved
    } rows[] = {
        {"a printer and its paper, autologin ticked", stored,
         [](TFrmUsuSel &w) {
             type(w.EdtIndice, QStringLiteral("1"));
             w.CBOPapel->setCurrentIndex(1);
             QTest::mouseClick(w.CBAutologin, Qt::LeftButton);
             QTest::mouseClick(w.BTAceptar, Qt::LeftButton);
         },
         "[CONNECTION]\r\nIP_CONFIG=ABC\r\nAUTOL=1\r\n[PRINTER_CONFIG]\r\nPRINTER=1\r\nPAPER=1\r\nGENERICTEXTONLY=0\r\n"
         "LOGO=\r\nIMPRIMIRPUERTO=0\r\nPUERTOIMPRESION=\r\n"},
        {"a port, autologin left off, no settings file before", "",
         [](TFrmUsuSel &w) {
             QTest::mouseClick(w.RBPuerto, Qt::LeftButton);
             type(w.EPuerto, QStringLiteral("COM3"));
             QTest::keyClick(w.EPuerto, Qt::Key_Return);
         },
         "[PRINTER_CONFIG]\r\nPRINTER=\r\nGENERICTEXTONLY=0\r\nPAPER=\r\nLOGO=\r\nIMPRIMIRPUERTO=1\r\n"
         "PUERTOIMPRESION=COM3\r\n[CONNECTION]\r\nAUTOL=0\r\n"},
        {"Escape", stored, changeThen([](TFrmUsuSel &w) { QTest::keyClick(w.EdtIndice, Qt::Key_Escape); }), ""},
        {"the cancel button", stored, changeThen([](TFrmUsuSel &w) { QTest::mouseClick(w.BitBtn2, Qt::LeftButton); }),
         ""},
    };
    for (const auto &row : rows) {
        QFile::remove(settings());
        QFile::remove(appDir() + QStringLiteral("Configuracion.log"));
        if (!row.before.isEmpty())
            write(settings(), row.before);
        EXPECT_EQ(run(row.user), !row.after.isEmpty()) << row.name;
        EXPECT_EQ(read(settings()).toStdString(), (row.after.isEmpty() ? row.before : row.after).toStdString())
            << row.name;
        EXPECT_FALSE(seen.credentials) << row.name;
        EXPECT_TRUE(seen.autologin) << row.name;
        EXPECT_TRUE(boxes.boxes.isEmpty()) << row.name; // no user name or password asked for
        const QStringList lines = logLines();
        EXPECT_EQ(lines.value(0), QStringLiteral("Inicio de la aplicacion de configuracion")) << row.name;
        EXPECT_EQ(lines.contains(QStringLiteral("CANCELACION DE USUARIO: Usuario cancela la ventana de configuracion")),
                  row.after.isEmpty())
            << row.name;
        EXPECT_EQ(lines.value(lines.size() - 1), QStringLiteral("Fin de la aplicacion de configuracion")) << row.name;
    }
}

TEST_F(ConfigurationProgramTest, TheSharedFilesKeepTheirOwnerAndModeWhenRootRemovesOrReplacesThem)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root removes and replaces files of the terminal's group";
    // As the package leaves them: the settings and the logo of root's, writable by a group.
    const QString logo = appDir() + QStringLiteral("logo.bmp");
    QImage picture(60, 30, QImage::Format_RGB32);
    picture.fill(Qt::black);
    ASSERT_TRUE(picture.save(logo, "BMP"));
    write(settings(), "[PRINTER_CONFIG]\r\nPRINTER=0\r\nPAPER=0\r\nLOGO=" + logo.toUtf8() + "\r\n");
    for (const QString &file : {settings(), logo}) {
        ASSERT_EQ(chown(QFile::encodeName(file).constData(), 0, 65534), 0);
        chmod(QFile::encodeName(file).constData(), 0664);
    }
    // Port mode drops the logo, which removes the file.
    EXPECT_TRUE(run([](TFrmUsuSel &w) {
        QTest::mouseClick(w.RBPuerto, Qt::LeftButton);
        type(w.EPuerto, QStringLiteral("LPT1"));
        QTest::mouseClick(w.BTAceptar, Qt::LeftButton);
    }));
    EXPECT_TRUE(read(settings()).contains("\r\nLOGO=\r\n"));
    EXPECT_EQ(read(logo), QByteArray()); // back, empty: no logo
    for (const QString &file : {settings(), logo}) {
        struct stat st;
        ASSERT_EQ(stat(QFile::encodeName(file).constData(), &st), 0);
        EXPECT_EQ(st.st_uid, 0u) << file.toStdString();
        EXPECT_EQ(st.st_gid, 65534u) << file.toStdString();
        EXPECT_EQ(st.st_mode & 07777, 0664u) << file.toStdString();
    }
}

} // namespace

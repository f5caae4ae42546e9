// The download windows on screen: the question, the save dialog and the progress window.
#include "filenamelabel.h"
#include "qtdownloadwindows.h"
#include "qtprint.h"
#include "twabrirguardar.h"
#include "twdescarga.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Read as markup, the name would show as "informe.pdf" alone.
const QString kMarkupName = QStringLiteral("informe.pdf<br><br><br>.sh");
// Shown whole, the name would leave its extension outside the window.
const QString kLongName = QStringLiteral("informe") + QString(200, u'x') + QStringLiteral(".pdf .sh");

// Runs `act` on the modal window of type W once it is up.
template <typename W> void whenUp(std::function<void(W &)> act)
{
    QTimer::singleShot(0, [act] {
        auto *window = dynamic_cast<W *>(QApplication::activeModalWidget());
        ASSERT_TRUE(window);
        act(*window);
    });
}

class DownloadWindowsTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() { application.reset(); }

    void SetUp() override
    {
        mainWindow.setGeometry(100, 50, 1024, 777);
        mainWindow.show();
    }

    static inline int argc = 1;
    static inline char name[] = "downloadwindows_test";
    static inline char *argv[] = {name, nullptr};
    static inline std::unique_ptr<QApplication> application;
    QWidget mainWindow;
    QtDownloadWindows windows{mainWindow};
};

TEST_F(DownloadWindowsTest, TheQuestionAnswersByItsButtonsAndCancelsWhenClosedOtherwise)
{
    const std::pair<std::function<void(TWAbrirGuardar &)>, TOpcionAbrirGuardar> cases[] = {
        {[](TWAbrirGuardar &w) { w.Button1->click(); }, mtAbrir},
        {[](TWAbrirGuardar &w) { w.Button2->click(); }, mtGuardar},
        {[](TWAbrirGuardar &w) { w.Button3->click(); }, mtCancelar},
        {[](TWAbrirGuardar &w) { w.close(); }, mtCancelar}, // the close box
        {[](TWAbrirGuardar &w) { QTest::keyClick(&w, Qt::Key_Escape); }, mtCancelar},
    };
    for (const auto &[act, expected] : cases) {
        SCOPED_TRACE(expected);
        QStringList shown;
        QRect geometry;
        whenUp<TWAbrirGuardar>([&, act = act](TWAbrirGuardar &w) {
            geometry = w.geometry();
            for (const QLabel *label : std::initializer_list<const QLabel *>{w.LBTitulo, w.LBNombre, w.LBNbFile, w.LBTipo, w.LBTipoFile}) {
                shown << label->text();
                // The server's texts as written: its markup would show the name on one line only.
                EXPECT_LT(label->sizeHint().height(), 2 * label->fontMetrics().height()) << label->text().toStdString();
            }
            for (const QPushButton *button : {w.Button1, w.Button2, w.Button3})
                shown << button->text();
            shown << w.windowTitle();
            act(w);
        });
        EXPECT_EQ(windows.preguntarAbrirGuardar(kMarkupName, QStringLiteral("application/pdf<br>")), expected);
        EXPECT_EQ(shown, (QStringList{"¿Desea abrir o guardar este fichero?", "Nombre", kMarkupName, "Tipo fichero",
                                      "application/pdf<br>", "Abrir", "Guardar", "Cancelar", "Descargar fichero"}));
        EXPECT_EQ(geometry.size(), QSize(424, 164));
        // Centred on the main window, give or take the frame Qt allows for without a window manager.
        EXPECT_LE((geometry.center() - mainWindow.geometry().center()).manhattanLength(), 32);
    }
    // A name too long for the window is cut in its middle: its start and its extension show.
    QString longShown;
    whenUp<TWAbrirGuardar>([&](TWAbrirGuardar &w) {
        longShown = w.LBNbFile->text();
        w.Button3->click();
    });
    windows.preguntarAbrirGuardar(kLongName, QStringLiteral("application/pdf"));
    EXPECT_TRUE(longShown.startsWith(QStringLiteral("informe")) && longShown.endsWith(QStringLiteral(".sh")) &&
                longShown.size() < kLongName.size())
        << longShown.toStdString();
}

TEST_F(DownloadWindowsTest, TheSaveDialogReplacesAnExistingFileWithoutAsking)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("report.pdf"));
    QFile(existing).open(QIODevice::WriteOnly);
    // A question about replacing the file would come up inside the dialog's accept().
    bool asked = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            asked = true;
            box->button(QMessageBox::Yes)->click();
        }
    });
    watcher.start(10);
    for (const bool confirm : {true, false}) {
        SCOPED_TRACE(confirm);
        whenUp<QFileDialog>([&](QFileDialog &dialog) {
            EXPECT_EQ(dialog.nameFilters(), QStringList{QStringLiteral("Todos archivos (*)")});
            EXPECT_EQ(QFileInfo(dialog.selectedFiles().value(0)).fileName(), QStringLiteral("report.pdf"));
            if (!confirm) {
                dialog.reject();
                return;
            }
            dialog.setDirectory(dir.path());
            dialog.selectFile(existing);
            QMetaObject::invokeMethod(&dialog, "accept");
        });
        EXPECT_EQ(windows.elegirDestino(QStringLiteral("report.pdf")), confirm ? std::optional(existing) : std::nullopt);
        EXPECT_FALSE(asked);
    }
}

TEST_F(DownloadWindowsTest, TheProgressWindowCyclesUntilItsDownloadEndsAndOnlyHidesWhenClosed)
{
    std::unique_ptr<DownloadProgress> progress = windows.mostrarDescarga(kMarkupName);
    const QPointer<TWDescarga> window(dynamic_cast<TWDescarga *>(progress.get()));
    ASSERT_TRUE(window && window->isVisible() && !window->isModal());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Descarga fichero"));
    EXPECT_EQ(window->size(), QSize(422, 98));
    EXPECT_EQ(window->LBDescargarEn->text() + window->LBRutaDescarga->text(), "Descargando:" + kMarkupName);
    EXPECT_LT(window->LBRutaDescarga->sizeHint().height(), 2 * window->LBRutaDescarga->fontMetrics().height());
    EXPECT_EQ(window->PBDescarga->maximum(), 0); // marquee
    EXPECT_EQ(window->Timer1.interval(), 400);
    QList<int> positions;
    for (int tick = 0; tick < 7; ++tick) {
        window->Timer1Timer();
        positions << window->Descargado;
    }
    EXPECT_EQ(positions, (QList<int>{20, 40, 60, 80, 100, 0, 20}));

    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isVisible() || window->Timer1.isActive());
    progress.reset(); // the download completed
    EXPECT_FALSE(window);

    // A name too long for the window is cut in its middle: its start and its extension show.
    progress = windows.mostrarDescarga(kLongName);
    const QString shown = dynamic_cast<TWDescarga &>(*progress).LBRutaDescarga->text();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("informe")) && shown.endsWith(QStringLiteral(".sh")) &&
                shown.size() < kLongName.size())
        << shown.toStdString();

    // A download that ended without its file says so.
    QStringList box;
    whenUp<QMessageBox>([&](QMessageBox &b) {
        box << b.windowTitle() << b.text() << QString::number(b.icon());
        b.accept();
    });
    windows.avisarFallo(QStringLiteral("x.pdf"), QStringLiteral("no queda espacio en el disco"));
    EXPECT_EQ(box, (QStringList{"Zelvora Mostrador", "No se pudo descargar el fichero \"x.pdf\": no queda espacio en el disco.",
                                QString::number(QMessageBox::Critical)}));
}

} // namespace

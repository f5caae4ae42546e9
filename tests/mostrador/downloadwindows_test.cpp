// The download windows on screen: the question, the save dialog and the progress window.
#include "qtdownloadwindows.h"
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

// Runs `act` on the modal window of type W as soon as it is up.
template <typename W> void whenUp(std::function<void(W &)> act)
{
    QTimer::singleShot(0, [act] {
        if (auto *window = dynamic_cast<W *>(QApplication::activeModalWidget()))
            act(*window);
        else
            ADD_FAILURE() << "no modal window";
    });
}

class DownloadWindowsTest : public testing::Test {
protected:
    void SetUp() override
    {
        mainWindow.setGeometry(100, 50, 1024, 777);
        mainWindow.show();
    }

    QWidget mainWindow;
    QtDownloadWindows windows{mainWindow};
};

TEST_F(DownloadWindowsTest, TheQuestionAnswersByItsButtonsAndCancelsWhenClosedOtherwise)
{
    struct Case {
        const char *how;
        std::function<void(TWAbrirGuardar &)> act;
        TOpcionAbrirGuardar expected;
    };
    const Case cases[] = {
        {"Abrir", [](TWAbrirGuardar &w) { w.Button1->click(); }, mtAbrir},
        {"Guardar", [](TWAbrirGuardar &w) { w.Button2->click(); }, mtGuardar},
        {"Cancelar", [](TWAbrirGuardar &w) { w.Button3->click(); }, mtCancelar},
        {"close box", [](TWAbrirGuardar &w) { w.close(); }, mtCancelar},
        {"Escape", [](TWAbrirGuardar &w) { QTest::keyClick(&w, Qt::Key_Escape); }, mtCancelar},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        QStringList shown;
        QRect geometry;
        whenUp<TWAbrirGuardar>([&](TWAbrirGuardar &w) {
            geometry = w.geometry();
            shown << w.windowTitle() << w.LBTitulo->text() << w.LBNombre->text() << w.LBNbFile->text()
                  << w.LBTipo->text() << w.LBTipoFile->text() << w.Button1->text() << w.Button2->text()
                  << w.Button3->text();
            c.act(w);
        });
        EXPECT_EQ(windows.preguntarAbrirGuardar(QStringLiteral("report.pdf"), QStringLiteral("application/pdf")),
                  c.expected);
        EXPECT_EQ(shown, (QStringList{"Descargar fichero", "¿Desea abrir o guardar este fichero?", "Nombre",
                                      "report.pdf", "Tipo fichero", "application/pdf", "Abrir", "Guardar", "Cancelar"}));
        EXPECT_EQ(geometry.size(), QSize(424, 164));
        // Centred on the main window, give or take the frame Qt allows for without a window manager.
        EXPECT_LE((geometry.center() - mainWindow.geometry().center()).manhattanLength(), 32);
    }
}

TEST_F(DownloadWindowsTest, TheSaveDialogReplacesAnExistingFileWithoutAsking)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("report.pdf"));
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    for (const bool confirm : {true, false}) {
        SCOPED_TRACE(confirm);
        bool asked = false;
        whenUp<QFileDialog>([&](QFileDialog &dialog) {
            EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
            EXPECT_EQ(dialog.nameFilters(), QStringList{QStringLiteral("Todos archivos (*)")});
            EXPECT_EQ(QFileInfo(dialog.selectedFiles().value(0)).fileName(), QStringLiteral("report.pdf"));
            if (!confirm) {
                dialog.reject();
                return;
            }
            dialog.setDirectory(dir.path());
            dialog.selectFile(existing);
            // A question about replacing the file would come up inside accept().
            QTimer::singleShot(0, [&] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    asked = true;
                    box->done(QMessageBox::Yes);
                }
            });
            QMetaObject::invokeMethod(&dialog, "accept");
        });
        const std::optional<QString> chosen = windows.elegirDestino(QStringLiteral("report.pdf"));
        EXPECT_FALSE(asked);
        EXPECT_EQ(chosen, confirm ? std::optional<QString>(existing) : std::nullopt);
    }
}

TEST_F(DownloadWindowsTest, TheProgressWindowCyclesItsBarAndOnlyHidesWhenClosed)
{
    std::unique_ptr<DownloadProgress> progress = windows.mostrarDescarga(QStringLiteral("report.pdf"));
    const QPointer<TWDescarga> window(dynamic_cast<TWDescarga *>(progress.get()));
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Descarga fichero"));
    EXPECT_EQ(window->size(), QSize(422, 98));
    EXPECT_EQ(window->LBDescargarEn->text(), QStringLiteral("Descargando:"));
    EXPECT_EQ(window->LBRutaDescarga->text(), QStringLiteral("report.pdf"));
    EXPECT_EQ(window->PBDescarga->maximum(), 0); // marquee
    EXPECT_TRUE(window->Timer1.isActive());
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
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Timer1.isActive());
    // The download completes: its window goes.
    progress.reset();
    EXPECT_FALSE(window);

    // A download that ended without its file leaves its window to the user, who closes it.
    const QPointer<TWDescarga> left(dynamic_cast<TWDescarga *>(windows.mostrarDescarga(QStringLiteral("x.pdf")).release()));
    left->leaveToUser();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(left);
    EXPECT_TRUE(left->isVisible());
    left->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(left);
}

} // namespace

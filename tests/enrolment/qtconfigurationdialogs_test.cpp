#include "cupsserver.h"
#include "qmessageboxes.h"
#include "qtconfigurationdialogs.h"
#include "qtprinterlist.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Runs `step` on the modal dialog of type T once it is open; a step that failed leaves no dialog
// open to wait for.
template <typename T> void whenOpen(std::function<void(T &)> step)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            step(*dialog);
            if (dialog->isVisible())
                static_cast<QDialog *>(dialog)->reject();
        }
    });
    timer->start();
}

// The window's printers and dialogs over a private CUPS scheduler.
TEST(QtConfigurationDialogsTest, PrintersAndDialogsOfTheSystem)
{
    CupsServer cups;
    if (!cups.isRunning())
        GTEST_SKIP() << cups.skipReason().toStdString();
    cups.addRawQueue(QStringLiteral("tickets"), QStringLiteral("Impresora de tickets"));
    cups.addRawQueue(QStringLiteral("texto"), QStringLiteral("Generic / Text Only"));
    cups.addRawQueue(QStringLiteral("sin_nombre"), QString());
    qputenv("CUPS_SERVER", cups.address().toUtf8());

    const QStringList queues = QPrinterInfo::availablePrinterNames();
    ASSERT_EQ(queues.size(), 3);
    QStringList expected;
    for (const QString &queue : queues) {
        expected << (queue == u"tickets" ? QStringLiteral("Impresora de tickets")
                     : queue == u"texto" ? QStringLiteral("Generic / Text Only")
                                         : QStringLiteral("sin_nombre"));
    }
    EXPECT_EQ(QtPrinterList().printerNames(), expected);

    QtConfigurationDialogs dialogs;
    const qsizetype text = queues.indexOf(QStringLiteral("texto"));
    // Run as root, the dialogs change no file: no printing to a file, a read-only file dialog.
    whenOpen<QPrintDialog>([](QPrintDialog &dialog) {
        EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintToFile));
        auto *printers = dialog.findChild<QComboBox *>(QStringLiteral("printers"));
        ASSERT_NE(printers, nullptr);
        printers->setCurrentIndex(printers->findText(QStringLiteral("texto")));
        dialog.accept();
    });
    EXPECT_EQ(dialogs.printerSetup(nullptr), text);
    whenOpen<QPrintDialog>([](QPrintDialog &dialog) { dialog.reject(); });
    EXPECT_EQ(dialogs.printerSetup(nullptr), std::nullopt);

    QTemporaryDir dir;
    const QString picture = dir.path() + QStringLiteral("/logo.png");
    QFile(picture).open(QIODevice::WriteOnly);
    whenOpen<QFileDialog>([&](QFileDialog &dialog) {
        EXPECT_TRUE(dialog.testOption(QFileDialog::ReadOnly));
        EXPECT_EQ(dialog.nameFilters(), QStringList({"All (*.jpg *.jpeg *.png *.bmp)", "JPEG Image File (*.jpg)",
                                                     "JPEG Image File (*.jpeg)", "PNG Image File (*.png)",
                                                     "Bitmaps (*.bmp)"}));
        // Typed, as a user would: the dialog may still be reading the folder.
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(picture);
        static_cast<QDialog &>(dialog).accept();
    });
    EXPECT_EQ(dialogs.openPicture(nullptr), picture);
    whenOpen<QFileDialog>([](QFileDialog &dialog) { dialog.reject(); });
    EXPECT_EQ(dialogs.openPicture(nullptr), QString());
}

} // namespace

// A server's answer or a file name in a box is text, never markup.
TEST(QMessageBoxesTest, TextIsShownAsItIs)
{
    const QString text = QStringLiteral("<b>Activación</b> &amp; <a href=\"x\">y</a>");
    QString caption;
    QString shown;
    whenOpen<QMessageBox>([&](QMessageBox &box) {
        caption = box.windowTitle();
        const auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        shown = label->text();
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        box.accept();
    });
    QMessageBoxes().show(MessageBoxes::Icon::Error, QStringLiteral("Zelvora Mostrador"), text);
    EXPECT_EQ(caption, QStringLiteral("Zelvora Mostrador"));
    EXPECT_EQ(shown, text);
}

#include "ticketreportroute.h"

#include "builtinlayout.h"
#include "imageformaterror.h"
#include "integertext.h"
#include "logswitches.h"
#include "logtext.h"
#include "paths.h"
#include "pictureobject.h"
#include "regularfile.h"
#include "barcodeobject.h"
#include "textobject.h"
#include "tfrmprincipal.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>
#include <QScopeGuard>

using report::ReportComponent;

namespace {

bool is(const ReportComponent &component, QLatin1String name)
{
    return component.name.compare(name, Qt::CaseInsensitive) == 0;
}

// Shortest decimal form, up to 15 significant digits, with the locale's decimal separator.
QString numero(double value)
{
    QString text = QString::number(value, 'g', 15);
    return text.replace(u'.', QLocale::system().decimalPoint());
}

QString bandera(bool value)
{
    return value ? QStringLiteral("-1") : QStringLiteral("0");
}

// The picture's height as a Windows bitmap; raises ImageFormatError for any other file.
int alturaBitmap(const QString &path)
{
    QByteArray bytes;
    const int code = platform::readRegularFile(path, report::PictureObject::kMaxFileSize, &bytes);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    const QSize size = code == 0 && reader.canRead() ? reader.size() : QSize();
    if (!size.isValid())
        throw ImageFormatError(QStringLiteral("El fichero %1 no es un mapa de bits válido").arg(path));
    return size.height();
}

} // namespace

TicketReportRoute::TicketReportRoute(Output output) : m_output(std::move(output))
{
    frxReport1.loadFromData(QByteArray(kBuiltinLayout), QStringLiteral("frxReport1"));
    frxReport1.addDataSource(StringLineasBefore);
    frxReport1.addDataSource(StringLineasAfter);
    frxReport1.setBeforePrint([this](ReportComponent &sender) { frxReport1BeforePrint(sender); });
    frxReport1.setGetValue([this](const QString &name, QString &value) { frxReport1GetValue(name, value); });
    frxReport1.setErrorHandler([](const report::Report::Failure &failure) {
        logMilestone(QStringLiteral("ERROR INFORME - Preparacion interrumpida. Clase de error: ") + failure.className +
                     QStringLiteral(" Mensaje del error: ") + logText(failure.message));
    });
}

void TicketReportRoute::printOnQueue(const report::PreparedReport &prepared, const QString &printerName)
{
    prepared.print(printerName, QStringLiteral("Ticketera"));
}

bool TicketReportRoute::esNombreLogoValido(const QString &name)
{
    return !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QStringLiteral("..")) &&
           !name.contains(QChar(u'\0'));
}

void TicketReportRoute::imprimir(TFrmPrincipal &form)
{
    m_form = &form;
    const auto done = qScopeGuard([this] { m_form = nullptr; });
    logMilestone(QStringLiteral("Impresion directo a impresora: ") + logText(form.configPrinter.indiceImpresora));

    const TicketLines &ticket = form.ticket;
    StringLineasBefore.setRecordCount(static_cast<int>(ticket.TicketLineasBefore.size()));
    if (!ticket.TicketLineasBefore.isEmpty())
        logGeneral(QStringLiteral("Numero de elementos de StringLineasBefore:%1").arg(ticket.TicketLineasBefore.size()));
    StringLineasAfter.setRecordCount(static_cast<int>(ticket.TicketLineasAfter.size()));
    if (!ticket.TicketLineasAfter.isEmpty())
        logGeneral(QStringLiteral("Numero de elementos de StringLineasAfter:%1").arg(ticket.TicketLineasAfter.size()));

    QString plantilla;
    switch (toInteger(form.configPrinter.tipoPapel)) {
    case 0:
        plantilla = QStringLiteral("Ticket_peq_5cm.fr3");
        break;
    case 1:
        plantilla = QStringLiteral("ticket_gran_7cm.fr3");
        break;
    default:
        break;
    }
    logMilestone(QStringLiteral("Informe que se carga: ") + plantilla + QStringLiteral("\r\n"));
    frxReport1.loadFromFile(plantilla.isEmpty() ? QString() : form.DirApp + QStringLiteral("informes/") + plantilla);
    // A preparation that failed before it output anything would be a blank ticket that nobody
    // notices: the ticket fails instead, so the clerk knows to print it again.
    if (!frxReport1.prepare() && frxReport1.prepared().isBlank())
        frxReport1.rethrowFailure();
    m_output(frxReport1.prepared(), form.impresoraSeleccionada());
}

void TicketReportRoute::frxReport1BeforePrint(ReportComponent &sender)
{
    if (is(sender, QLatin1String("imgLogotipo"))) {
        logotipoCliente(sender);
        bandaTitulo();
    } else if (is(sender, QLatin1String("imgLogoPrv"))) {
        logotipoProveedor(sender);
        bandaTitulo();
    } else if (is(sender, QLatin1String("BCCodigoBarrasINI"))) {
        codigoBarras(sender, QStringLiteral("Header2"), posbcInicio, QStringLiteral("INICIO"));
    } else if (is(sender, QLatin1String("BCCodigoBarrasINT"))) {
        codigoBarras(sender, QStringLiteral("Header1"), posbcIntermedio, QStringLiteral("INTERMEDIO"));
    } else if (is(sender, QLatin1String("BCCodigoBarrasFIN"))) {
        codigoBarras(sender, QStringLiteral("ReportSummary1"), posbcFinal, QStringLiteral("FINAL"));
    }
}

void TicketReportRoute::ajustarAltoTitulo(ReportComponent &picture, int height, const QString &label)
{
    picture.height = height;
    logGeneral(label + numero(picture.height));
    const ReportComponent *cliente = frxReport1.findObject(QStringLiteral("imgLogotipo"));
    m_form->altoReportTitle += height + 2 * (cliente ? cliente->top : 0);
    if (ReportComponent *title = frxReport1.findObject(QStringLiteral("ReportTitle1"))) {
        title->height = static_cast<double>(m_form->altoReportTitle);
        logGeneral(QStringLiteral("Alto de Repor title: ") + numero(title->height));
    }
}

void TicketReportRoute::logotipoCliente(ReportComponent &sender)
{
    m_form->logoClienteVisible = false;
    const QString path = m_form->configPrinter.ficheroLogo;
    logGeneral(QStringLiteral("Ruta imagen logotipo cliente: ") + logText(path));
    if (path.isEmpty())
        return;
    if (!QFileInfo::exists(path)) {
        logGeneral(QStringLiteral("Fichero logotipo cliente: ") + logText(path) + QStringLiteral(" no existe"));
        return;
    }
    if (auto *picture = dynamic_cast<report::PictureObject *>(&sender))
        picture->loadFromFile(path);
    m_form->logoClienteVisible = true;
    logGeneral(QStringLiteral("Se visualiza el logotipo de cliente: ") + logText(path));
    ajustarAltoTitulo(sender, alturaBitmap(path), QStringLiteral("Alto de logo cliente: "));
}

void TicketReportRoute::logotipoProveedor(ReportComponent &sender)
{
    m_form->logoPrvVisible = false;
    logGeneral(QStringLiteral("Revisar impresion logotipo proveedor"));
    if (!m_form->header.imprimirLogoProveedor)
        return;
    const QString &name = m_form->header.logoproveedor;
    if (!esNombreLogoValido(name)) {
        logMilestone(QStringLiteral("ERROR: Nombre de logotipo de proveedor NO valido, no se imprime: ") + logText(name));
        return;
    }
    const QString source = m_form->DirApp + QStringLiteral("resources/") + name + QStringLiteral(".lpf");
    logGeneral(QStringLiteral("Ruta imagen logotipo proveedor: ") + logText(source));
    const QString temporary = platform::workDirectory() + u'/' + name + QStringLiteral(".bmp");
    logGeneral(QStringLiteral("Ruta imagen temporal logotipo proveedor: ") + logText(temporary));

    // The copy never replaces a file left behind by an earlier run: that one is shown. The work
    // directory is every user's, so a link, a FIFO or another user's file under that name is
    // none of ours and is not shown.
    QFile::copy(source, temporary);
    const auto removeCopy = qScopeGuard([&temporary] { QFile::remove(temporary); });
    if (!platform::isOwnRegularFile(temporary)) {
        logGeneral(QStringLiteral("Fichero logotipo proveedor: ") + logText(temporary) + QStringLiteral(" no existe"));
        return;
    }
    logGeneral(QStringLiteral("Se visualiza el logotipo de provedor: ") + logText(temporary));
    if (auto *picture = dynamic_cast<report::PictureObject *>(&sender))
        picture->loadFromFile(temporary);
    m_form->logoPrvVisible = true;
    ajustarAltoTitulo(sender, alturaBitmap(temporary), QStringLiteral("Alto de logo proveedor: "));
}

void TicketReportRoute::bandaTitulo()
{
    logGeneral(QStringLiteral("logoClienteVisible: ") + bandera(m_form->logoClienteVisible) +
               QStringLiteral(" logoPrvVisible: ") + bandera(m_form->logoPrvVisible));
    if (!m_form->logoClienteVisible && !m_form->logoPrvVisible) {
        if (ReportComponent *title = frxReport1.findObject(QStringLiteral("ReportTitle1")))
            title->visible = false;
        logGeneral(QStringLiteral("Visible de Repor title: false"));
    } else if (!m_form->logoClienteVisible) {
        ReportComponent *cliente = frxReport1.findObject(QStringLiteral("imgLogotipo"));
        ReportComponent *proveedor = frxReport1.findObject(QStringLiteral("imgLogoPrv"));
        if (cliente && proveedor) {
            proveedor->top = cliente->top;
            logGeneral(QStringLiteral("Punto inicio de logo proveedor: ") + numero(proveedor->top));
        }
    } else {
        logGeneral(QStringLiteral("Visible de Repor title: true"));
    }
}

void TicketReportRoute::codigoBarras(ReportComponent &sender, const QString &bandName, int posicion,
                                     const QString &word)
{
    const PrintHeader &header = m_form->header;
    ReportComponent *band = frxReport1.findObject(bandName);
    const bool visible = header.hayCodigoBarras && header.posicionBarcode == posicion;
    sender.visible = visible;
    if (band)
        band->visible = visible;
    if (!visible) {
        logGeneral(QStringLiteral("Codigo de barras ") + word + QStringLiteral(" OCULTO"));
        logGeneral(header.hayCodigoBarras ? QStringLiteral("Hay codigo barras: TRUE")
                                          : QStringLiteral("Hay codigo barras: FALSE"));
        logGeneral(QStringLiteral("Posicion codigo barras: ") + nombrePosicionBarcode(header.posicionBarcode));
        return;
    }
    auto *barcode = dynamic_cast<report::BarcodeObject *>(&sender);
    if (barcode) {
        barcode->setSymbology(header.tipoBarcode == bcIL25 ? report::BarcodeObject::Symbology::Interleaved2of5
                                                           : report::BarcodeObject::Symbology::Code128C);
        barcode->setText(header.StrCodigoBarras);
    }
    const QString shown = QStringLiteral("Codigo de barras ") + word + QStringLiteral(" VISUALIZADO");
    if (kLogGeneral)
        escribirLog(shown + QStringLiteral(". Codificado desde la cadena: ") + logText(header.StrCodigoBarras));
    else if (kLogMilestone)
        escribirLog(shown);
    if (barcode && !barcode->symbol().problem.isEmpty())
        logMilestone(QStringLiteral("ERROR: Codigo de barras ") + word + QStringLiteral(" impreso sin barras: ") +
                     logText(barcode->symbol().problem));
}

bool TicketReportRoute::lineaInforme(const report::UserDataSource &source, const QStringList &lines,
                                     const QStringList &formats, const QString &memoName, const QString &label,
                                     const QString &listName, QString &value)
{
    const int r = source.recNo();
    if (r < 0 || r >= lines.size())
        return false;
    const std::optional<int> paper = parseInteger(m_form->configPrinter.tipoPapel);
    const QString code = r < formats.size() ? formats.at(r) : QString();
    double points = 0;
    if ((code == u"0" || code == u"1") && paper == 0)
        points = 6;
    else if (code == u"0" && paper == 1)
        points = 7;
    else if (code == u"1" && paper == 1)
        points = 8;
    if (points > 0)
        if (auto *memo = dynamic_cast<report::TextObject *>(frxReport1.findObject(memoName)))
            memo->font.setPointSizeF(points);

    value = lines.at(r);
    if (kLogGeneral)
        escribirLog(label + QString::number(r) + QStringLiteral(" imprimida en informe: ") + logText(value));
    else if (kLogMilestone && r == 0)
        escribirLog(QStringLiteral("COMIENZO de la impresion de ") + listName + QStringLiteral(" del TICKET"));
    else if (kLogMilestone && r == lines.size() - 1)
        escribirLog(QStringLiteral("FIN de la impresion de ") + listName + QStringLiteral(" del TICKET"));
    return true;
}

void TicketReportRoute::frxReport1GetValue(const QString &varName, QString &value)
{
    const TicketLines &ticket = m_form->ticket;
    if (varName.compare(u"elementBefore", Qt::CaseInsensitive) == 0 &&
        lineaInforme(StringLineasBefore, ticket.TicketLineasBefore, ticket.TicketFormatosBefore,
                     QStringLiteral("Memo3"), QStringLiteral("LineBefore "), QStringLiteral("LINEAS_BEFORE"), value))
        return;
    if (varName.compare(u"elementAfter", Qt::CaseInsensitive) == 0 &&
        lineaInforme(StringLineasAfter, ticket.TicketLineasAfter, ticket.TicketFormatosAfter, QStringLiteral("Memo4"),
                     QStringLiteral("LineAfter "), QStringLiteral("LINEAS_AFTER"), value))
        return;
    if (varName.compare(u"TIPOPAPEL", Qt::CaseInsensitive) == 0) {
        value = m_form->configPrinter.tipoPapel;
        return;
    }
    value.clear();
    logMilestone(QStringLiteral("ERROR IMPRESION: VALOR NO ENCONTRADO DE LA VARIABLE DE INFORME:") + varName);
}

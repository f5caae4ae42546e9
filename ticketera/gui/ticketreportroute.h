#pragma once

#include "reportroute.h"

#include "report.h"
#include "userdatasource.h"

#include <functional>

class TFrmPrincipal;

// The report route: the ticket template chosen by the paper type, filled through the two
// callbacks of the main form (logos, title band, barcode, line texts and their font sizes)
// and printed on the queue at the configured position.
class TicketReportRoute : public ReportRoute {
public:
    // Where the prepared ticket goes: the print queue, or an image for tests and previews.
    using Output = std::function<void(const report::PreparedReport &prepared, const QString &printerName)>;

    explicit TicketReportRoute(Output output = printOnQueue);

    void imprimir(TFrmPrincipal &form) override;

    static void printOnQueue(const report::PreparedReport &prepared, const QString &printerName);
    // Only a plain file name may become part of a path; a provider logo named otherwise is
    // treated as missing.
    static bool esNombreLogoValido(const QString &name);

    report::Report frxReport1;
    report::UserDataSource StringLineasBefore{QStringLiteral("StringLineasBefore")};
    report::UserDataSource StringLineasAfter{QStringLiteral("StringLineasAfter")};

private:
    void frxReport1BeforePrint(report::ReportComponent &sender);
    void frxReport1GetValue(const QString &varName, QString &value);

    void logotipoCliente(report::ReportComponent &sender);
    void logotipoProveedor(report::ReportComponent &sender);
    void bandaTitulo();
    void codigoBarras(report::ReportComponent &sender, const QString &bandName, int posicion, const QString &word);
    bool lineaInforme(const report::UserDataSource &source, const QStringList &lines, const QStringList &formats,
                      const QString &memoName, const QString &label, const QString &listName, QString &value);
    // Height of the picture in the title band, then the band's new height, logged.
    void ajustarAltoTitulo(report::ReportComponent &picture, int height, const QString &label);

    Output m_output;
    TFrmPrincipal *m_form = nullptr; // the run of the ticket being printed
};
